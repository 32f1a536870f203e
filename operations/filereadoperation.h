// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>

// "从文件读取文本": reads a whole text file, whatever its encoding, into a string variable or,
// one item per line, into a list variable.
class Q_DECL_EXPORT FileReadOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath WRITE setFilePath)
    Q_PROPERTY(int storeAs READ storeAs WRITE setStoreAs)
    Q_PROPERTY(QString targetVarStr READ targetVarStr WRITE setTargetVarStr)
    Q_PROPERTY(QString targetVarList READ targetVarList WRITE setTargetVarList)
    Q_CLASSINFO("prop_filePath", "文件路径")
    Q_CLASSINFO("editor_filePath", "FILEPATH")
    Q_CLASSINFO("path_type_filePath", "string")
    Q_CLASSINFO("prop_storeAs", "将内容存储为")
    Q_CLASSINFO("editor_storeAs", "COMBO")
    Q_CLASSINFO("choices_storeAs", "单文本|列表（每行一列）")
    Q_CLASSINFO("prop_targetVarStr", "内容保存到（字符串变量）")
    Q_CLASSINFO("editor_targetVarStr", "VARNAME")
    Q_CLASSINFO("varname_type_targetVarStr", "string")
    Q_CLASSINFO("show_when_targetVarStr", "storeAs=0")
    Q_CLASSINFO("prop_targetVarList", "内容保存到（列表变量）")
    Q_CLASSINFO("editor_targetVarList", "VARNAME")
    Q_CLASSINFO("varname_type_targetVarList", "list")
    Q_CLASSINFO("show_when_targetVarList", "storeAs=1")

public:
    explicit FileReadOperation(QObject* parent = nullptr);
    ~FileReadOperation() override;

    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& filePath) { m_filePath = filePath; }
    // "将内容存储为" ("单文本|列表（每行一列）") by its stored index; any other index stores the
    // text whole.
    enum class StoreAs { Text = 0, Lines = 1 };
    int storeAs() const { return int(m_storeAs); }
    void setStoreAs(int storeAs) { m_storeAs = StoreAs(storeAs); }
    QString targetVarStr() const { return m_targetVarStr; }
    void setTargetVarStr(const QString& targetVarStr) { m_targetVarStr = targetVarStr; }
    QString targetVarList() const { return m_targetVarList; }
    void setTargetVarList(const QString& targetVarList) { m_targetVarList = targetVarList; }

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
    bool storesList() const;
    QString chosenTarget() const;
    void storeAsText(const QString& text) const;
    void storeAsLines(const QString& text) const;

    QString m_filePath;
    StoreAs m_storeAs = StoreAs::Text;
    QString m_targetVarStr;
    QString m_targetVarList;
};
