// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "commandline.h"

namespace
{

// The help's two columns: the term, then its text from this column on.
const int textColumn = 28;

QString spelling(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "-h, --help" or "--report FILE"
QString optionTerm(const QCommandLineOption& option)
{
    QStringList spellings;
    for (const QString& name : option.names())
        spellings.append(spelling(name));
    QString term = spellings.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        term += QLatin1Char(' ') + option.valueName();
    return term;
}

bool sameOption(const QCommandLineOption& a, const QCommandLineOption& b)
{
    return a.names() == b.names();
}

bool hasOption(const QList<QCommandLineOption>& options, const QString& name)
{
    for (const QCommandLineOption& option : options) {
        if (option.names().contains(name))
            return true;
    }
    return false;
}

// One help entry: the term indented, its text beside it (or below it when the term is too wide),
// the text's further lines aligned under its first.
QString helpEntry(const QString& term, const QString& text)
{
    const QString indent(textColumn, QLatin1Char(' '));
    QString entry = QStringLiteral("  ") + term;
    if (entry.size() < textColumn)
        entry += QString(textColumn - entry.size(), QLatin1Char(' '));
    else
        entry += QLatin1Char('\n') + indent;
    entry += QString(text).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
    return entry + QLatin1Char('\n');
}

// "--a", "--a and --b", "--a, --b and --c"
QString listOfOptions(const QList<QCommandLineOption>& options)
{
    QStringList spellings;
    for (const QCommandLineOption& option : options)
        spellings.append(spelling(option.names().constLast()));
    const QString last = spellings.takeLast();
    if (spellings.isEmpty())
        return last;
    return Stephost::tr("%1 and %2").arg(spellings.join(QStringLiteral(", ")), last);
}

} // namespace

QString Command::synopsis() const
{
    QString text = name;
    if (!operands.isEmpty())
        text += QLatin1Char(' ') + operands;
    for (const QCommandLineOption& option : options)
        text += QStringLiteral(" [%1]").arg(optionTerm(option));
    return text;
}

CommandLine::CommandLine(const Usage& usage)
    : m_usage(usage),
      m_helpOption({QStringLiteral("h"), QStringLiteral("help")}, Stephost::tr("show this help"))
{
    for (const QCommandLineOption& option : usage.globalOptions)
        addOption(option);
    for (const Command& command : usage.commands) {
        for (const QCommandLineOption& option : command.options)
            addOption(option);
    }
    addOption(m_helpOption);
}

void CommandLine::addOption(const QCommandLineOption& option)
{
    // Commands may share an option; the parser knows each name once.
    for (const QCommandLineOption& known : qAsConst(m_options)) {
        if (sameOption(known, option))
            return;
    }
    m_parser.addOption(option);
    m_options.append(option);
}

void CommandLine::read(const QStringList& arguments)
{
    const bool parsed = m_parser.parse(arguments);
    // The parser also takes spellings the help does not offer ("--h", "-hh"), and its messages
    // are not ours: the arguments are checked against the help's spellings first.
    const QString wrongArgument = firstWrongArgument(arguments);
    if (!wrongArgument.isEmpty())
        throw UsageError{wrongArgument};
    if (!parsed)
        throw UsageError{m_parser.errorText()};
    const QString valueProblem = m_usage.valueProblem ? m_usage.valueProblem(*this) : QString();
    if (!valueProblem.isEmpty())
        throw UsageError{valueProblem};
    m_helpRequested = m_parser.isSet(m_helpOption);
    if (m_helpRequested)
        return;
    m_operands = m_parser.positionalArguments();
    if (m_operands.isEmpty())
        throw UsageError{Stephost::tr("no command given")};
    m_command = &findCommand(m_operands.takeFirst());
    checkOperands();
    checkOptionsBelongToCommand();
}

// Walks the arguments as the parser does and names the first one that is no option of the help,
// or that lacks or wrongly carries a value; empty when there is none.
QString CommandLine::firstWrongArgument(const QStringList& arguments) const
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            continue;
        const int equals = argument.indexOf(QLatin1Char('='));
        const bool inlineValue = argument.startsWith(QLatin1String("--")) && equals > 0;
        const QString name = inlineValue ? argument.left(equals) : argument;
        const QCommandLineOption* option = findOption(name);
        if (!option)
            return Stephost::tr("unknown option %1").arg(argument);
        const bool takesValue = !option->valueName().isEmpty();
        if (!takesValue && inlineValue)
            return Stephost::tr("%1 takes no value").arg(name);
        if (takesValue && !inlineValue && ++i >= arguments.size())
            return Stephost::tr("%1 needs a value").arg(name);
    }
    return QString();
}

const QCommandLineOption* CommandLine::findOption(const QString& argument) const
{
    for (const QCommandLineOption& option : m_options) {
        for (const QString& name : option.names()) {
            if (spelling(name) == argument)
                return &option;
        }
    }
    return nullptr;
}

const Command& CommandLine::findCommand(const QString& name) const
{
    for (const Command& command : m_usage.commands) {
        if (command.name == name)
            return command;
    }
    throw UsageError{Stephost::tr("unknown command \"%1\"").arg(name)};
}

void CommandLine::checkOperands() const
{
    const int count = m_operands.size();
    if (count < m_command->minOperands || count > m_command->maxOperands)
        throw UsageError{Stephost::tr("usage: stephost %1").arg(m_command->synopsis())};
}

// Every option parses wherever it stands; one that belongs to another command is an error here.
void CommandLine::checkOptionsBelongToCommand() const
{
    for (const Command& owner : m_usage.commands) {
        if (&owner == m_command)
            continue;
        for (const QCommandLineOption& option : owner.options) {
            const QString name = option.names().constFirst();
            if (!m_parser.isSet(name) || hasOption(m_command->options, name))
                continue;
            const QString message = owner.options.size() == 1
                                        ? Stephost::tr("%1 only goes with the %2 command")
                                        : Stephost::tr("%1 only go with the %2 command");
            throw UsageError{message.arg(listOfOptions(owner.options), owner.name)};
        }
    }
}

QString CommandLine::helpText() const
{
    QString text = m_usage.synopsis + QStringLiteral("\n\n") + m_usage.description +
                   QStringLiteral("\n\n") + Stephost::tr("Commands:") + QLatin1Char('\n');
    for (const Command& command : m_usage.commands)
        text += helpEntry(command.synopsis(), command.summary);

    text += QLatin1Char('\n') + Stephost::tr("Options:") + QLatin1Char('\n');
    for (const QCommandLineOption& option : m_usage.globalOptions)
        text += helpEntry(optionTerm(option), option.description());
    for (const QCommandLineOption& option : m_options) {
        QStringList owners;
        for (const Command& command : m_usage.commands) {
            if (hasOption(command.options, option.names().constFirst()))
                owners.append(command.name);
        }
        if (!owners.isEmpty())
            text += helpEntry(optionTerm(option),
                              Stephost::tr("(%1) %2").arg(owners.join(QStringLiteral(", ")),
                                                          option.description()));
    }
    text += helpEntry(optionTerm(m_helpOption), m_helpOption.description());
    return text + QLatin1Char('\n') + m_usage.epilogue;
}
