// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "reasontexts.h"

#include <QRegularExpression>
#include <QVector>

#include <algorithm>
#include <cerrno>

namespace
{

struct ReasonText {
    QRegularExpression english; // the whole reason; each group fills %1, %2, … in turn
    QString chinese;
    int useGroup = 0;            // the group that names what a later step does, translated as well
    QVector<int> reasonGroups{}; // groups that hold a reason of their own, translated as well
    int literalLength = 0;       // of the text around the groups
};

// The text of a reason's pattern or format less its groups or placeholders.
int literalLength(const char* english)
{
    static const QRegularExpression parts(QStringLiteral("\\([^)]*\\)|%\\d"));
    return QString::fromUtf8(english).remove(parts).size();
}

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

// A reason given as a pattern: groups in parentheses.
ReasonText reason(const char* english, const char* chinese, int useGroup = 0)
{
    return {QRegularExpression(QStringLiteral("^%1$").arg(QLatin1String(english))),
            QString::fromUtf8(chinese),
            useGroup,
            {},
            literalLength(english)};
}

// A reason given as the text it is made from, with %1, %2, … where arg() puts its parts.
ReasonText format(const char* english, const char* chinese, const QVector<int>& reasonGroups = {})
{
    QString pattern = QRegularExpression::escape(QLatin1String(english));
    pattern.replace(QRegularExpression(QStringLiteral("\\\\?%\\d")), QStringLiteral("(.+)"));
    return {QRegularExpression(QStringLiteral("^%1$").arg(pattern)), QString::fromUtf8(chinese), 0,
            reasonGroups, literalLength(english)};
}

struct SystemReason {
    int code;
    const char* english; // the C library's text
    const char* chinese;
};

// The failures a file call meets in practice, as the system words them.
const SystemReason systemReasons[] = {
    {EACCES, "Permission denied", "权限不足"},
    {EPERM, "Operation not permitted", "不允许此操作"},
    {EROFS, "Read-only file system", "文件系统只读"},
    {ENOSPC, "No space left on device", "磁盘空间不足"},
    {EDQUOT, "Disk quota exceeded", "超出磁盘配额"},
    {EFBIG, "File too large", "文件过大"},
    {ENOENT, "No such file or directory", "文件或文件夹不存在"},
    {ENOTDIR, "Not a directory", "不是文件夹"},
    {EISDIR, "Is a directory", "是文件夹"},
    {EEXIST, "File exists", "文件已存在"},
    {EBUSY, "Device or resource busy", "设备或资源正忙"},
    {ETXTBSY, "Text file busy", "程序文件正在运行"},
    {EXDEV, "Invalid cross-device link", "不能跨文件系统链接"},
    {EMFILE, "Too many open files", "打开的文件过多"},
    {ENFILE, "Too many open files in system", "系统中打开的文件过多"},
    {EIO, "Input/output error", "输入/输出错误"},
    {ELOOP, "Too many levels of symbolic links", "符号链接层数过多"},
    {ENAMETOOLONG, "File name too long", "文件名过长"},
    {EINVAL, "Invalid argument", "无效的参数"},
    {0, "the system gave no reason", "系统未给出原因"},
};

QString chineseSystemReason(const QString& reason)
{
    for (const SystemReason& known : systemReasons) {
        // Qt words a few codes its own way; the texts are the C library's elsewhere.
        if (reason == QLatin1String(known.english) ||
            (known.code != 0 && reason == qt_error_string(known.code)))
            return QString::fromUtf8(known.chinese);
    }
    return QString();
}

// The reasons, the most specific first: a group takes any text, so "records 3 to 5 damaged (…)"
// would otherwise be taken for "records %1 to %2".
QVector<ReasonText> bySpecificity(QVector<ReasonText> texts)
{
    std::stable_sort(texts.begin(), texts.end(), [](const ReasonText& a, const ReasonText& b) {
        return a.literalLength > b.literalLength;
    });
    return texts;
}

const QVector<ReasonText>& reasonTexts()
{
    static const QVector<ReasonText> texts = bySpecificity({
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
        // A change the journal could not keep a record or a copy for.
        format("%1 cannot be kept in the journal: %2", "%1 无法保存到日志中：%2", {2}),
        format("the journal in %1 cannot be written", "无法写入 %1 中的日志"),
        format("the journal in %1 could not be written (%2), so %3 file change(s) were refused; "
               "the run stops",
               "无法写入 %1 中的日志（%2），因此拒绝了 %3 项文件更改；运行停止", {2}),
        // The journal's and undo's own reasons.
        format("line %1 cannot be read", "第 %1 行无法读取"),
        format("the log is empty", "日志是空的"),
        format("the log has no start record", "日志没有开始记录"),
        format("record %1 appears again at line %2", "记录 %1 在第 %2 行再次出现"),
        format("record %1 is missing", "缺少记录 %1"),
        format("records %1 to %2 are missing", "缺少记录 %1 到 %2"),
        format("record %1 is a second start", "记录 %1 是第二个开始记录"),
        format("record %1 names no change", "记录 %1 没有指明更改"),
        format("record %1 names a path that is not whole", "记录 %1 中的路径不完整"),
        format("record %1 names a path inside the journal", "记录 %1 中的路径位于日志文件夹内"),
        format("record %1 speaks of change %2, which the journal does not hold",
               "记录 %1 提到更改 %2，但日志中没有这项更改"),
        format("record %1 speaks of change %2 a second time", "记录 %1 再次提到更改 %2"),
        format("record %1 was changed after record %2 was written",
               "记录 %1 在记录 %2 写入后被改动过"),
        format("records %1 and %2 name different paths", "记录 %1 和 %2 中的路径不一致"),
        format("record %1 comes after the end of change %2", "记录 %1 出现在更改 %2 结束之后"),
        format("record %1 says change %2 failed, which was done",
               "记录 %1 说更改 %2 失败，但它已完成"),
        format("record %1 says change %2 left what it cannot have left",
               "记录 %1 所说的更改 %2 的结果不可能出现"),
        format("record %1 keeps a file for change %2, which keeps none",
               "记录 %1 为更改 %2 保留了文件，但这项更改不保留文件"),
        format("all records", "全部记录"),
        format("records %1 on", "记录 %1 及之后"),
        format("record %1", "记录 %1"),
        format("records %1 to %2", "记录 %1 到 %2"),
        format("%1 damaged (%2); changes recorded before are not undone",
               "%1 已损坏（%2）；之前记录的更改未撤销", {1, 2}),
        format("the journal in %1 is of format version %2, which this undo does not read (it reads "
               "version %3); nothing was changed",
               "%1 中的日志是第 %2 版格式，此撤销无法读取（只能读取第 %3 版）；未做任何更改"),
        format("%1 is not a mark the journal made; nothing was changed",
               "%1 不是日志留下的标记；未做任何更改"),
        format("the run is still going", "运行仍在进行"),
        format("cannot read the journal in %1: %2; nothing was changed",
               "无法读取 %1 中的日志：%2；未做任何更改", {2}),
        format("unknown change \"%1\" in the journal", "日志中有未知的更改“%1”"),
        format("the journal is damaged after this change; not undone",
               "日志在这项更改之后已损坏；未撤销"),
        format("its end is not in the journal, and it cannot be set aside; kept",
               "日志中没有这项更改的结束记录，且无法移到一旁；已保留"),
        format("its end is not in the journal, so what is there may be an edit made since; set "
               "aside in %1",
               "日志中没有这项更改的结束记录，现有内容可能是之后的编辑；已移到 %1"),
        format("changed since the run; kept, the old file stays in %1",
               "运行后已被更改，已保留，原来的文件留在 %1"),
        format("the folder holds entries the run did not make", "文件夹中有不是这次运行建立的内容"),
        format("cannot be removed", "无法删除"),
        format("changed since the run; kept", "运行后已被更改，已保留"),
        format("its old name %1 is taken again", "原名 %1 已被占用"),
        format("cannot be renamed back to %1", "无法改回原名 %1"),
        format("the path is taken again; the old file stays in %1",
               "这个路径又被占用；原来的文件留在 %1"),
        format("cannot be put back from %1", "无法从 %1 放回"),
        format("cannot be written back from %1", "无法从 %1 写回"),
        format("cannot be cut back", "无法恢复原来的长度"),
        format("the journal folder %1 is a symbolic link; give the run a new or empty folder",
               "日志文件夹 %1 是符号链接；请为运行指定一个新的或空的文件夹"),
        format("the journal folder %1 is not a folder; give the run a new or empty folder",
               "日志文件夹 %1 不是文件夹；请为运行指定一个新的或空的文件夹"),
        format(
            "the journal folder %1 belongs to another user (uid %2); give the run a new or empty "
            "folder of your own",
            "日志文件夹 %1 属于另一个用户（uid %2）；请为运行指定一个属于自己的新的或空的文件夹"),
        format(
            "the journal folder %1 is not empty: it holds %2; give the run a new or empty folder",
            "日志文件夹 %1 不是空的：其中有 %2；请为运行指定一个新的或空的文件夹", {2}),
        format("%1 and %2 more", "%1 等，另有 %2 项"),
        format("cannot make the journal folder %1: %2", "无法建立日志文件夹 %1：%2", {2}),
        format("cannot make the journal folder %1", "无法建立日志文件夹 %1"),
        format("cannot look at the journal folder %1: %2", "无法查看日志文件夹 %1：%2", {2}),
        format("cannot open the journal folder %1: %2", "无法打开日志文件夹 %1：%2", {2}),
        format("cannot make the journal folder %1 private: %2",
               "无法将日志文件夹 %1 设为仅本人可用：%2", {2}),
        format("cannot write the journal in %1: %2", "无法写入 %1 中的日志：%2", {2}),
    });
    return texts;
}

} // namespace

QString chineseReason(const QString& reason)
{
    const QString system = chineseSystemReason(reason);
    if (!system.isEmpty())
        return system;
    for (const ReasonText& text : reasonTexts()) {
        const QRegularExpressionMatch match = text.english.match(reason);
        if (!match.hasMatch())
            continue;
        QString shown = text.chinese;
        for (int group = 1; group <= match.lastCapturedIndex(); ++group) {
            QString part = match.captured(group);
            if (group == text.useGroup)
                part = chineseUse(part);
            else if (text.reasonGroups.contains(group) && !chineseReason(part).isEmpty())
                part = chineseReason(part);
            shown = shown.arg(part);
        }
        return shown;
    }
    return QString();
}

QStringList systemReasonTexts()
{
    QStringList texts;
    for (const SystemReason& known : systemReasons)
        texts.append(QLatin1String(known.english));
    return texts;
}
