// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "operations/filetransfer.h"

#include <operation.h>

#include <QString>

// "移动文件": moves a list of files into one folder, settling name clashes by `ifExist`,
// and stores the paths it produced into a list variable.
class Q_DECL_EXPORT FileMoveOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString files READ files WRITE setFiles)
    Q_PROPERTY(QString destDir READ destDir WRITE setDestDir)
    Q_PROPERTY(int ifExist READ ifExist WRITE setIfExist)
    Q_PROPERTY(QString listVar READ listVar WRITE setListVar)
    Q_CLASSINFO("prop_files", "要移动的文件")
    Q_CLASSINFO("editor_files", "MULTIFILE")
    Q_CLASSINFO("prop_destDir", "目标文件夹")
    Q_CLASSINFO("editor_destDir", "FOLDERPATH")
    Q_CLASSINFO("path_type_destDir", "string")
    Q_CLASSINFO("prop_ifExist", "如果文件存在")
    Q_CLASSINFO("editor_ifExist", "COMBO")
    Q_CLASSINFO("choices_ifExist", "不执行任何操作|覆盖|文件名称后加序号")
    Q_CLASSINFO("prop_listVar", "移动文件列表保存到列表变量")
    Q_CLASSINFO("editor_listVar", "VARNAME")
    Q_CLASSINFO("varname_type_listVar", "list")

public:
    explicit FileMoveOperation(QObject* parent = nullptr);
    ~FileMoveOperation() override;

    QString files() const { return m_files; }
    void setFiles(const QString& files) { m_files = files; }
    QString destDir() const { return m_destDir; }
    void setDestDir(const QString& destDir) { m_destDir = destDir; }
    using IfExist = TransferClash;
    int ifExist() const { return int(m_ifExist); }
    void setIfExist(int ifExist) { m_ifExist = IfExist(ifExist); }
    QString listVar() const { return m_listVar; }
    void setListVar(const QString& listVar) { m_listVar = listVar; }

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
    QString m_destDir;
    IfExist m_ifExist = IfExist::LeaveAlone;
    QString m_listVar;
};
