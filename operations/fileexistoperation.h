// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>

// "判断文件是否存在": stores into a bool variable whether a path exists.
class Q_DECL_EXPORT FileExistOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)
    Q_PROPERTY(QString resultVar READ resultVar WRITE setResultVar)
    Q_CLASSINFO("prop_fileName", "文件名")
    Q_CLASSINFO("editor_fileName", "FILEPATH")
    Q_CLASSINFO("path_type_fileName", "string")
    Q_CLASSINFO("prop_resultVar", "结果保存到布尔变量")
    Q_CLASSINFO("editor_resultVar", "VARNAME")
    Q_CLASSINFO("varname_type_resultVar", "bool")

public:
    explicit FileExistOperation(QObject* parent = nullptr);
    ~FileExistOperation() override;

    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    QString resultVar() const { return m_resultVar; }
    void setResultVar(const QString& resultVar) { m_resultVar = resultVar; }

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
    QString m_fileName;
    QString m_resultVar;
};
