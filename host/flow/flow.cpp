#include "flow.h"

namespace
{
struct TypeWord {
    VarType type;
    const char* word;
};
const TypeWord typeWords[] = {
    {VarType::Undeclared, "undeclared"}, {VarType::Bool, "bool"},     {VarType::Number, "number"},
    {VarType::String, "string"},         {VarType::Object, "object"}, {VarType::List, "list"},
    {VarType::DataTable, "datatable"},
};
} // namespace

QString varTypeWord(VarType type)
{
    for (const TypeWord& entry : typeWords) {
        if (entry.type == type)
            return QString::fromLatin1(entry.word);
    }
    return QStringLiteral("undeclared");
}

bool varTypeFromWord(const QString& word, VarType* type)
{
    if (word.isEmpty()) {
        *type = VarType::Undeclared;
        return true;
    }
    for (const TypeWord& entry : typeWords) {
        if (word == QLatin1String(entry.word)) {
            *type = entry.type;
            return true;
        }
    }
    return false;
}
