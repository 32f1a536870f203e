// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class CommandLine;
class PluginHost;

// The translation context of stephost's own texts (help, usage errors, progress).
class Stephost
{
    Q_DECLARE_TR_FUNCTIONS(stephost)
};

// One command: the word that names it, its operands, one line for the help, the function that
// does its job and returns the exit status, and the options that only it takes.
struct Command {
    QString name;
    QString operands; // as the usage shows them, e.g. "FLOW.json OUT"
    int minOperands = 0;
    int maxOperands = 0;
    QString summary;
    int (*run)(const PluginHost& host, const CommandLine& commandLine) = nullptr;
    QList<QCommandLineOption> options;

    // "run FLOW [--roundtrip] [--report FILE] ..."
    QString synopsis() const;
};

// Everything the help shows, and everything the command line may hold.
struct Usage {
    QString synopsis;
    QString description;
    QList<QCommandLineOption> globalOptions;
    QVector<Command> commands;
    QString epilogue;
    // Checks option values before anything else (help included); returns the problem, if any.
    QString (*valueProblem)(const CommandLine& commandLine) = nullptr;
};

// A command line that makes no command of the usage; the message says what is wrong.
struct UsageError {
    QString message;
};

// Options may come anywhere, before or after the command; "--name VALUE" and "--name=VALUE"
// both work; "--" ends the options.
class CommandLine
{
public:
    explicit CommandLine(const Usage& usage);

    // Reads the arguments, the program's own name first. Throws UsageError; after it returns,
    // either helpRequested() or command() says what to do.
    void read(const QStringList& arguments);

    bool helpRequested() const { return m_helpRequested; }
    QString helpText() const;
    const Command& command() const { return *m_command; }
    const QStringList& operands() const { return m_operands; }
    bool isSet(const QString& option) const { return m_parser.isSet(option); }
    QString value(const QString& option) const { return m_parser.value(option); }
    QStringList values(const QString& option) const { return m_parser.values(option); }

private:
    void addOption(const QCommandLineOption& option);
    QString firstWrongArgument(const QStringList& arguments) const;
    const QCommandLineOption* findOption(const QString& spelling) const;
    const Command& findCommand(const QString& name) const;
    void checkOperands() const;
    void checkOptionsBelongToCommand() const;

    const Usage& m_usage;
    const QCommandLineOption m_helpOption;
    QCommandLineParser m_parser;
    QList<QCommandLineOption> m_options; // every option the parser knows, each once
    bool m_helpRequested = false;
    const Command* m_command = nullptr;
    QStringList m_operands;
};
