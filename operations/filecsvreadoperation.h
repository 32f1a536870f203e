// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "csv/datatable.h"

#include <operation.h>

#include <QString>

// "从 CSV 文件读取": reads a delimited or fixed-width text file, whole or a block of rows and
// columns, into a variable declared as a data table.
class Q_DECL_EXPORT FileCsvReadOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath)
    Q_PROPERTY(int trim READ trim WRITE setTrim)
    Q_PROPERTY(int readScope READ readScope WRITE setReadScope)
    Q_PROPERTY(QString startRow READ startRow WRITE setStartRow)
    Q_PROPERTY(QString endRow READ endRow WRITE setEndRow)
    Q_PROPERTY(QString columns READ columns WRITE setColumns)
    Q_PROPERTY(int delimType READ delimType WRITE setDelimType)
    Q_PROPERTY(QString delimChar READ delimChar WRITE setDelimChar)
    Q_PROPERTY(QString fixedWidth READ fixedWidth WRITE setFixedWidth)
    Q_PROPERTY(QString targetVar READ targetVar WRITE setTargetVar)
    Q_CLASSINFO("prop_filePath", "文件路径")
    Q_CLASSINFO("editor_filePath", "FILEPATH")
    Q_CLASSINFO("path_type_filePath", "string")
    Q_CLASSINFO("prop_trim", "去首尾空格")
    Q_CLASSINFO("editor_trim", "COMBO")
    Q_CLASSINFO("choices_trim", "否|是")
    Q_CLASSINFO("prop_readScope", "读取范围")
    Q_CLASSINFO("editor_readScope", "COMBO")
    Q_CLASSINFO("choices_readScope", "所有行和列|指定行和列")
    Q_CLASSINFO("prop_startRow", "起始行(0=首行)")
    Q_CLASSINFO("editor_startRow", "NUMVAR:INT")
    Q_CLASSINFO("show_when_startRow", "readScope=1")
    Q_CLASSINFO("prop_endRow", "结束行(0=首行)")
    Q_CLASSINFO("editor_endRow", "NUMVAR:INT")
    Q_CLASSINFO("show_when_endRow", "readScope=1")
    Q_CLASSINFO("prop_columns", "指定列(0=首列，中英文逗号隔开，不填默认全部)")
    Q_CLASSINFO("editor_columns", "VARREF")
    Q_CLASSINFO("varref_type_columns", "string,list")
    Q_CLASSINFO("show_when_columns", "readScope=1")
    Q_CLASSINFO("prop_delimType", "列分割符类型")
    Q_CLASSINFO("editor_delimType", "COMBO")
    Q_CLASSINFO("choices_delimType", "指定字符|固定宽度")
    Q_CLASSINFO("prop_delimChar", "指定字符")
    Q_CLASSINFO("editor_delimChar", "VARREF")
    Q_CLASSINFO("varref_type_delimChar", "string")
    Q_CLASSINFO("show_when_delimChar", "delimType=0")
    Q_CLASSINFO("prop_fixedWidth", "固定宽度")
    Q_CLASSINFO("editor_fixedWidth", "NUMVAR:INT")
    Q_CLASSINFO("show_when_fixedWidth", "delimType=1")
    Q_CLASSINFO("prop_targetVar", "结果保存到数据表变量")
    Q_CLASSINFO("editor_targetVar", "VARNAME")
    Q_CLASSINFO("varname_type_targetVar", "datatable")

public:
    explicit FileCsvReadOperation(QObject* parent = nullptr);
    ~FileCsvReadOperation() override;

    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& filePath) { m_filePath = filePath; }
    // "去首尾空格" ("否|是") by its stored index; any other index keeps the spaces.
    enum class Trim { No = 0, Yes = 1 };
    int trim() const { return int(m_trim); }
    void setTrim(int trim) { m_trim = Trim(trim); }
    int readScope() const { return int(m_readScope); }
    void setReadScope(int readScope) { m_readScope = TableScope(readScope); }
    QString startRow() const { return m_startRow; }
    void setStartRow(const QString& startRow) { m_startRow = startRow; }
    QString endRow() const { return m_endRow; }
    void setEndRow(const QString& endRow) { m_endRow = endRow; }
    QString columns() const { return m_columns; }
    void setColumns(const QString& columns) { m_columns = columns; }
    // "列分割符类型" ("指定字符|固定宽度") by its stored index; any other index splits at the
    // character.
    enum class DelimType { Character = 0, FixedWidth = 1 };
    int delimType() const { return int(m_delimType); }
    void setDelimType(int delimType) { m_delimType = DelimType(delimType); }
    QString delimChar() const { return m_delimChar; }
    void setDelimChar(const QString& delimChar) { m_delimChar = delimChar; }
    QString fixedWidth() const { return m_fixedWidth; }
    void setFixedWidth(const QString& fixedWidth) { m_fixedWidth = fixedWidth; }
    QString targetVar() const { return m_targetVar; }
    void setTargetVar(const QString& targetVar) { m_targetVar = targetVar; }

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
    Trim m_trim = Trim::No;
    TableScope m_readScope = TableScope::AllRowsAndColumns;
    QString m_startRow;
    QString m_endRow;
    QString m_columns;
    DelimType m_delimType = DelimType::Character;
    QString m_delimChar;
    QString m_fixedWidth;
    QString m_targetVar;
};
