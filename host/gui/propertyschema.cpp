// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

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
void readShowWhen(const QString& text, PropertySpec* desc)
{
    const int equals = text.indexOf(QLatin1Char('='));
    bool ok = false;
    const int value = text.mid(equals + 1).toInt(&ok);
    if (equals <= 0 || !ok)
        return;
    desc->showWhenName = text.left(equals);
    desc->showWhenValue = value;
}

// "1-99999"; without a readable range the spin box takes any int.
void readRange(const QString& text, PropertySpec* desc)
{
    desc->minimum = std::numeric_limits<int>::min();
    desc->maximum = std::numeric_limits<int>::max();
    const int dash = text.indexOf(QLatin1Char('-'));
    bool lowOk = false;
    bool highOk = false;
    const int low = text.left(dash).toInt(&lowOk);
    const int high = text.mid(dash + 1).toInt(&highOk);
    if (dash <= 0 || !lowOk || !highOk || low > high)
        return;
    desc->minimum = low;
    desc->maximum = high;
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
        PropertySpec desc;
        desc.property = property;
        desc.name = QString::fromLatin1(property.name());
        desc.label = classInfo(meta, "prop_", desc.name);
        if (desc.label.isNull())
            desc.label = desc.name;
        desc.editor = editorKind(property, classInfo(meta, "editor_", desc.name));
        const QString choices = classInfo(meta, "choices_", desc.name);
        if (!choices.isNull())
            desc.choices = choices.split(QLatin1Char('|'));
        readShowWhen(classInfo(meta, "show_when_", desc.name), &desc);
        readRange(classInfo(meta, "range_", desc.name), &desc);
        desc.variableTypes = variableTypes(meta, desc.name, desc.editor);
        specs.append(desc);
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
