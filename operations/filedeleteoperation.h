// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>

// "删除文件": removes every file of a multi-file list and can store the paths it removed.
class Q_DECL_EXPORT FileDeleteOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString files READ files WRITE setFiles)
    Q_PROPERTY(QString deletedList READ deletedList WRITE setDeletedList)
    Q_CLASSINFO("prop_files", "要删除的文件")
    Q_CLASSINFO("editor_files", "MULTIFILE")
    Q_CLASSINFO("prop_deletedList", "成功删除文件列表")
    Q_CLASSINFO("editor_deletedList", "VARNAME")
    Q_CLASSINFO("varname_type_deletedList", "list")

public:
    explicit FileDeleteOperation(QObject* parent = nullptr);
    ~FileDeleteOperation() override;

    QString files() const { return m_files; }
    void setFiles(const QString& files) { m_files = files; }
    QString deletedList() const { return m_deletedList; }
    void setDeletedList(const QString& deletedList) { m_deletedList = deletedList; }

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
    QString m_files;
    QString m_deletedList;
};
