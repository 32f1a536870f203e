// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>

// "解析文件路径信息": splits a path into drive, folder, name, extension and full name, each stored
// into the string variable named for it.
class Q_DECL_EXPORT FilePathParseOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath)
    Q_PROPERTY(QString diskVar READ diskVar WRITE setDiskVar)
    Q_PROPERTY(QString dirVar READ dirVar WRITE setDirVar)
    Q_PROPERTY(QString nameVar READ nameVar WRITE setNameVar)
    Q_PROPERTY(QString extVar READ extVar WRITE setExtVar)
    Q_PROPERTY(QString fullNameVar READ fullNameVar WRITE setFullNameVar)
    Q_CLASSINFO("prop_filePath", "文件路径")
    Q_CLASSINFO("editor_filePath", "FILEPATH")
    Q_CLASSINFO("path_type_filePath", "string")
    Q_CLASSINFO("prop_diskVar", "文件所在磁盘保存到字符串变量")
    Q_CLASSINFO("editor_diskVar", "VARNAME")
    Q_CLASSINFO("varname_type_diskVar", "string")
    Q_CLASSINFO("prop_dirVar", "文件目录保存到字符串变量")
    Q_CLASSINFO("editor_dirVar", "VARNAME")
    Q_CLASSINFO("varname_type_dirVar", "string")
    Q_CLASSINFO("prop_nameVar", "文件(不含扩展名)名称保存到字符串变量")
    Q_CLASSINFO("editor_nameVar", "VARNAME")
    Q_CLASSINFO("varname_type_nameVar", "string")
    Q_CLASSINFO("prop_extVar", "文件扩展名保存到字符串变量")
    Q_CLASSINFO("editor_extVar", "VARNAME")
    Q_CLASSINFO("varname_type_extVar", "string")
    Q_CLASSINFO("prop_fullNameVar", "文件(含扩展名)名称保存到字符串变量")
    Q_CLASSINFO("editor_fullNameVar", "VARNAME")
    Q_CLASSINFO("varname_type_fullNameVar", "string")

public:
    explicit FilePathParseOperation(QObject* parent = nullptr);
    ~FilePathParseOperation() override;

    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& filePath) { m_filePath = filePath; }
    QString diskVar() const { return m_diskVar; }
    void setDiskVar(const QString& diskVar) { m_diskVar = diskVar; }
    QString dirVar() const { return m_dirVar; }
    void setDirVar(const QString& dirVar) { m_dirVar = dirVar; }
    QString nameVar() const { return m_nameVar; }
    void setNameVar(const QString& nameVar) { m_nameVar = nameVar; }
    QString extVar() const { return m_extVar; }
    void setExtVar(const QString& extVar) { m_extVar = extVar; }
    QString fullNameVar() const { return m_fullNameVar; }
    void setFullNameVar(const QString& fullNameVar) { m_fullNameVar = fullNameVar; }

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
    QString m_diskVar;
    QString m_dirVar;
    QString m_nameVar;
    QString m_extVar;
    QString m_fullNameVar;
};

// The drive of an absolute path: its first two characters when its first colon is the second
// character ("C:" of "C:/Users"), otherwise empty.
QString driveOfAbsolutePath(const QString& absolutePath);
