#include "propertyschema.h"

#include "operationprops.h"

#include <operation.h>

#include <limits>

namespace
{

struct EditorWord {
    EditorKind kind;
    const char* word;
};
const EditorWord editorWords[] = {
    {EditorKind::FilePath, "FILEPATH"},   {EditorKind::FolderPath, "FOLDERPATH"},
    {EditorKind::MultiFile, "MULTIFILE"}, {EditorKind::VarName, "VARNAME"},
    {EditorKind::VarRef, "VARREF"},       {EditorKind::NumVarInt, "NUMVAR:INT"},
    {EditorKind::Combo, "COMBO"},         {EditorKind::SpinBox, "SPINBOX"},
    {EditorKind::CheckBox, "bool"},       {EditorKind::Text, ""},
};

// The class-info value of prefix + property name, or a null string.
QString classInfo(const QMetaObject* meta, const char* prefix, const QString& name)
{
    const QByteArray key = QByteArray(prefix) + name.toLatin1();
    const int index = meta->indexOfClassInfo(key.constData());
    return index < 0 ? QString() : QString::fromUtf8(meta->classInfo(index).value());
}

EditorKind editorKind(const QMetaProperty& property, const QString& word)
{
    if (property.userType() == QMetaType::Bool)
        return EditorKind::CheckBox;
    for (const EditorWord& entry : editorWords) {
        if (!word.isEmpty() && word == QLatin1String(entry.word))
            return entry.kind;
    }
    return property.userType() == QMetaType::Int ? EditorKind::SpinBox : EditorKind::Text;
}

// "mode=5"; anything else leaves the row always shown.
void readShowWhen(const QString& text, PropertySpec* spec)
{
    const int equals = text.indexOf(QLatin1Char('='));
    bool ok = false;
    const int value = text.mid(equals + 1).toInt(&ok);
    if (equals <= 0 || !ok)
        return;
    spec->showWhenName = text.left(equals);
    spec->showWhenValue = value;
}

// "1-99999"; without a readable range the spin box takes any int.
void readRange(const QString& text, PropertySpec* spec)
{
    spec->minimum = std::numeric_limits<int>::min();
    spec->maximum = std::numeric_limits<int>::max();
    const int dash = text.indexOf(QLatin1Char('-'));
    bool lowOk = false;
    bool highOk = false;
    const int low = text.left(dash).toInt(&lowOk);
    const int high = text.mid(dash + 1).toInt(&highOk);
    if (dash <= 0 || !lowOk || !highOk || low > high)
        return;
    spec->minimum = low;
    spec->maximum = high;
}

QStringList variableTypes(const QMetaObject* meta, const QString& name, EditorKind kind)
{
    if (kind == EditorKind::NumVarInt)
        return {QStringLiteral("number")};
    QString types = classInfo(meta, "varname_type_", name);
    if (types.isNull())
        types = classInfo(meta, "varref_type_", name);
    return types.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

QList<PropertySpec> propertySpecs(const Operation& op)
{
    const QMetaObject* meta = op.metaObject();
    QList<PropertySpec> specs;
    for (const QMetaProperty& property : settingProperties(op)) {
        PropertySpec spec;
        spec.property = property;
        spec.name = QString::fromLatin1(property.name());
        spec.label = classInfo(meta, "prop_", spec.name);
        if (spec.label.isNull())
            spec.label = spec.name;
        spec.editor = editorKind(property, classInfo(meta, "editor_", spec.name));
        const QString choices = classInfo(meta, "choices_", spec.name);
        if (!choices.isNull())
            spec.choices = choices.split(QLatin1Char('|'));
        readShowWhen(classInfo(meta, "show_when_", spec.name), &spec);
        readRange(classInfo(meta, "range_", spec.name), &spec);
        spec.variableTypes = variableTypes(meta, spec.name, spec.editor);
        specs.append(spec);
    }
    return specs;
}

QString editorWord(EditorKind kind)
{
    for (const EditorWord& entry : editorWords) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.word);
    }
    return QString();
}
