// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "csv/datatable.h"

#include <operation.h>

#include <QString>

// "写入 CSV 文件": writes a data table variable, whole or a block of rows and columns, to a CSV
// file, replacing it or appending to it.
class Q_DECL_EXPORT FileCsvWriteOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString sourceVar READ sourceVar WRITE setSourceVar)
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath)
    Q_PROPERTY(int writeScope READ writeScope WRITE setWriteScope)
    Q_PROPERTY(QString startRow READ startRow WRITE setStartRow)
    Q_PROPERTY(QString endRow READ endRow WRITE setEndRow)
    Q_PROPERTY(QString columns READ columns WRITE setColumns)
    Q_PROPERTY(QString delimiter READ delimiter WRITE setDelimiter)
    Q_PROPERTY(int ifExist READ ifExist WRITE setIfExist)
    Q_PROPERTY(bool appendNoNewline READ appendNoNewline WRITE setAppendNoNewline)
    Q_CLASSINFO("prop_sourceVar", "要写入的变量（数据表）")
    Q_CLASSINFO("editor_sourceVar", "VARNAME")
    Q_CLASSINFO("varname_type_sourceVar", "datatable")
    Q_CLASSINFO("prop_filePath", "文件路径")
    Q_CLASSINFO("editor_filePath", "FILEPATH")
    Q_CLASSINFO("path_type_filePath", "string")
    Q_CLASSINFO("prop_writeScope", "写入范围")
    Q_CLASSINFO("editor_writeScope", "COMBO")
    Q_CLASSINFO("choices_writeScope", "所有行和列|指定行和列")
    Q_CLASSINFO("prop_startRow", "起始行(0=首行)")
    Q_CLASSINFO("editor_startRow", "NUMVAR:INT")
    Q_CLASSINFO("show_when_startRow", "writeScope=1")
    Q_CLASSINFO("prop_endRow", "结束行(0=首行)")
    Q_CLASSINFO("editor_endRow", "NUMVAR:INT")
    Q_CLASSINFO("show_when_endRow", "writeScope=1")
    Q_CLASSINFO("prop_columns", "指定列(0=首列，中英文逗号隔开，不填默认全部)")
    Q_CLASSINFO("editor_columns", "VARREF")
    Q_CLASSINFO("varref_type_columns", "string,list")
    Q_CLASSINFO("show_when_columns", "writeScope=1")
    Q_CLASSINFO("prop_delimiter", "分隔符")
    Q_CLASSINFO("editor_delimiter", "VARREF")
    Q_CLASSINFO("varref_type_delimiter", "string")
    Q_CLASSINFO("prop_ifExist", "如果文件存在")
    Q_CLASSINFO("editor_ifExist", "COMBO")
    Q_CLASSINFO("choices_ifExist", "覆盖|追加|放弃写入")
    Q_CLASSINFO("prop_appendNoNewline", "追加时不换行")
    Q_CLASSINFO("show_when_appendNoNewline", "ifExist=1")

public:
    explicit FileCsvWriteOperation(QObject* parent = nullptr);
    ~FileCsvWriteOperation() override;

    QString sourceVar() const { return m_sourceVar; }
    void setSourceVar(const QString& sourceVar) { m_sourceVar = sourceVar; }
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& filePath) { m_filePath = filePath; }
    int writeScope() const { return int(m_writeScope); }
    void setWriteScope(int writeScope) { m_writeScope = TableScope(writeScope); }
    QString startRow() const { return m_startRow; }
    void setStartRow(const QString& startRow) { m_startRow = startRow; }
    QString endRow() const { return m_endRow; }
    void setEndRow(const QString& endRow) { m_endRow = endRow; }
    QString columns() const { return m_columns; }
    void setColumns(const QString& columns) { m_columns = columns; }
    QString delimiter() const { return m_delimiter; }
    void setDelimiter(const QString& delimiter) { m_delimiter = delimiter; }
    // "如果文件存在" ("覆盖|追加|放弃写入") by its stored index; any other index overwrites.
    enum class IfExist { Overwrite = 0, Append = 1, GiveUp = 2 };
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
    QString m_sourceVar;
    QString m_filePath;
    TableScope m_writeScope = TableScope::AllRowsAndColumns;
    QString m_startRow;
    QString m_endRow;
    QString m_columns;
    QString m_delimiter;
    IfExist m_ifExist = IfExist::Overwrite;
    bool m_appendNoNewline = false;
};
