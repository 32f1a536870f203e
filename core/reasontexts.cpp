// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "reasontexts.h"

#include <QRegularExpression>
#include <QVector>

namespace
{

struct ReasonText {
    QRegularExpression english; // the whole reason; each group fills %1, %2, … in turn
    QString chinese;
    int useGroup = 0; // the group that names what a later step does, translated as well
};

// What "step N later …" says a later step does with the file.
QString chineseUse(const QString& verb)
{
    static const QVector<QPair<QString, QString>> uses = {
        {QStringLiteral("copies or moves"), QStringLiteral("复制或移动")},
        {QStringLiteral("names"), QStringLiteral("用到")},
        {QStringLiteral("reads"), QStringLiteral("读取")},
        {QStringLiteral("renames"), QStringLiteral("重命名")},
    };
    for (const auto& use : uses) {
        if (use.first == verb)
            return use.second;
    }
    return verb;
}

ReasonText reason(const char* english, const char* chinese, int useGroup = 0)
{
    return {QRegularExpression(QStringLiteral("^%1$").arg(QLatin1String(english))),
            QString::fromUtf8(chinese), useGroup};
}

const QVector<ReasonText>& reasonTexts()
{
    static const QVector<ReasonText> texts = {
        // Files a step leaves alone, and changes that fail or clash.
        reason("no such file", "文件不存在"),
        reason("not a regular file", "不是普通文件"),
        reason("(.+) leads to the same file", "%1 就是同一个文件"),
        reason("(.+) is a folder", "%1 是文件夹"),
        reason("(.+) is there", "%1 已存在"),
        reason("it changed while it was copied", "复制期间文件被更改"),
        reason("replaces what step (\\d+) put here", "替换第 %1 步放在这里的文件"),
        reason("replaces a file that step (\\d+) later (.+)", "替换了第 %1 步随后要%2的文件", 2),
        reason("deletes a file that step (\\d+) later (.+)", "删除了第 %1 步随后要%2的文件", 2),
        reason("the source cannot be read", "无法读取源文件"),
        reason("the source's folder cannot be written", "源文件所在的文件夹不可写"),
        reason("the folder cannot be written", "文件夹不可写"),
        reason("the file cannot be written", "文件不可写"),
        reason("the folder does not exist", "文件夹不存在"),
        reason("the name holds a character the file system refuses",
               "名称中有文件系统不接受的字符"),
        reason("the name is too long for the file system", "名称超出文件系统允许的长度"),
        reason("the path is too long for the file system", "路径超出文件系统允许的长度"),
        // What an undo leaves, and why it refuses.
        reason("changed since the run; kept", "运行后已被更改，已保留"),
        reason("changed since the run; kept, the old file stays in (.+)",
               "运行后已被更改，已保留，原来的文件留在 %1"),
        reason("cannot be removed", "无法删除"),
        reason("cannot be renamed back to (.+)", "无法改回原名 %1"),
        reason("cannot be put back from (.+)", "无法从 %1 放回"),
        reason("cannot be written back from (.+)", "无法从 %1 写回"),
        reason("cannot be cut back", "无法恢复原来的长度"),
        reason("its old name (.+) is taken again", "原名 %1 已被占用"),
        reason("the path is taken again; the old file stays in (.+)",
               "这个路径又被占用；原来的文件留在 %1"),
        reason("the journal is damaged after this change; not undone",
               "日志在这项更改之后已损坏；未撤销"),
        reason("the folder holds entries the run did not make", "文件夹中有不是这次运行建立的内容"),
        reason("its end is not in the journal, and it cannot be set aside; kept",
               "日志中没有这项更改的结束记录，且无法移到一旁；已保留"),
        reason("its end is not in the journal, so what is there may be an edit made since; set "
               "aside in (.+)",
               "日志中没有这项更改的结束记录，现有内容可能是之后的编辑；已移到 %1"),
        reason("the run is still going", "运行仍在进行"),
    };
    return texts;
}

} // namespace

QString chineseReason(const QString& reason)
{
    for (const ReasonText& text : reasonTexts()) {
        const QRegularExpressionMatch match = text.english.match(reason);
        if (!match.hasMatch())
            continue;
        QString shown = text.chinese;
        for (int group = 1; group <= match.lastCapturedIndex(); ++group) {
            const QString part = match.captured(group);
            shown = shown.arg(group == text.useGroup ? chineseUse(part) : part);
        }
        return shown;
    }
    return QString();
}
