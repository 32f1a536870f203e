// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>
#include <QVariant>

// "将文本写入文件": replaces a file's content with a text (UTF-8 with a byte-order mark) or
// appends the text in the file's own encoding, on a new line unless told otherwise.
class Q_DECL_EXPORT FileWriteOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath)
    Q_PROPERTY(QString content READ content WRITE setContent)
    Q_PROPERTY(int ifExist READ ifExist WRITE setIfExist)
    Q_PROPERTY(bool appendNoNewline READ appendNoNewline WRITE setAppendNoNewline)
    Q_CLASSINFO("prop_filePath", "文件路径")
    Q_CLASSINFO("editor_filePath", "FILEPATH")
    Q_CLASSINFO("path_type_filePath", "string")
    Q_CLASSINFO("prop_content", "要写入的文本")
    Q_CLASSINFO("editor_content", "VARREF")
    Q_CLASSINFO("prop_ifExist", "如果文件存在")
    Q_CLASSINFO("editor_ifExist", "COMBO")
    Q_CLASSINFO("choices_ifExist", "覆盖现有内容|追加到文件末尾")
    Q_CLASSINFO("prop_appendNoNewline", "追加时不换行")
    Q_CLASSINFO("show_when_appendNoNewline", "ifExist=1")

public:
    explicit FileWriteOperation(QObject* parent = nullptr);
    ~FileWriteOperation() override;

    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& filePath) { m_filePath = filePath; }
    QString content() const { return m_content; }
    void setContent(const QString& content) { m_content = content; }
    // "如果文件存在" ("覆盖现有内容|追加到文件末尾") by its stored index; any other index
    // overwrites.
    enum class IfExist { Overwrite = 0, Append = 1 };
    int ifExist() const { return int(m_ifExist); }
    void setIfExist(int ifExist) { m_ifExist = IfExist(ifExist); }
    bool appendNoNewline() const { return m_appendNoNewline; }
    void setAppendNoNewline(bool appendNoNewline) { m_appendNoNewline = appendNoNewline; }

    QString root() const override;
    QString typeId() const override;
    QString typeName() const override;
    QString icon() const override;
    void doOperation() const override;
    void saveOperation(QDataStream& out) const override;
    void loadOperation(QDataStream& in) override;
    QString toString() const override;
    QString description() const override;
    Operation* clone(QObject* parent) const override;

private:
    QString m_filePath;
    QString m_content;
    IfExist m_ifExist = IfExist::Overwrite;
    bool m_appendNoNewline = false;
};

// The text of one value of the content: a list's items joined by ", " (nested lists alike),
// anything else its text form.
QString valueText(const QVariant& value);
