// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <operation.h>

#include <QString>

class FileSystem;

// "重命名文件": renames every file of a multi-file list in its own folder by one of six methods
// and can store the new paths.
class Q_DECL_EXPORT FileRenameOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString files READ files WRITE setFiles)
    Q_PROPERTY(int mode READ mode WRITE setMode)
    Q_PROPERTY(QString newName READ newName WRITE setNewName)
    Q_PROPERTY(QString addText READ addText WRITE setAddText)
    Q_PROPERTY(int addPos READ addPos WRITE setAddPos)
    Q_PROPERTY(QString delText READ delText WRITE setDelText)
    Q_PROPERTY(QString oldText READ oldText WRITE setOldText)
    Q_PROPERTY(QString newText READ newText WRITE setNewText)
    Q_PROPERTY(QString newExt READ newExt WRITE setNewExt)
    Q_PROPERTY(int startNum READ startNum WRITE setStartNum)
    Q_PROPERTY(int step READ step WRITE setStep)
    Q_PROPERTY(int sep READ sep WRITE setSep)
    Q_PROPERTY(bool usePad READ usePad WRITE setUsePad)
    Q_PROPERTY(int padLen READ padLen WRITE setPadLen)
    Q_PROPERTY(int ifNewExist READ ifNewExist WRITE setIfNewExist)
    Q_PROPERTY(QString newList READ newList WRITE setNewList)
    Q_CLASSINFO("prop_files", "要重命名的文件")
    Q_CLASSINFO("editor_files", "MULTIFILE")
    Q_CLASSINFO("prop_mode", "重命名方式")
    Q_CLASSINFO("editor_mode", "COMBO")
    Q_CLASSINFO("choices_mode", "设置新名称|添加文本|删除文本|替换文本|更改扩展名|添加编号")
    Q_CLASSINFO("prop_newName", "新文件名")
    Q_CLASSINFO("show_when_newName", "mode=0")
    Q_CLASSINFO("editor_newName", "VARREF")
    Q_CLASSINFO("varref_type_newName", "string")
    Q_CLASSINFO("prop_addText", "要添加的文本")
    Q_CLASSINFO("show_when_addText", "mode=1")
    Q_CLASSINFO("editor_addText", "VARREF")
    Q_CLASSINFO("varref_type_addText", "string")
    Q_CLASSINFO("prop_addPos", "添加位置")
    Q_CLASSINFO("show_when_addPos", "mode=1")
    Q_CLASSINFO("editor_addPos", "COMBO")
    Q_CLASSINFO("choices_addPos", "名称前|名称后")
    Q_CLASSINFO("prop_delText", "要删除的文本")
    Q_CLASSINFO("show_when_delText", "mode=2")
    Q_CLASSINFO("editor_delText", "VARREF")
    Q_CLASSINFO("varref_type_delText", "string")
    Q_CLASSINFO("prop_oldText", "要替换的文本")
    Q_CLASSINFO("show_when_oldText", "mode=3")
    Q_CLASSINFO("editor_oldText", "VARREF")
    Q_CLASSINFO("varref_type_oldText", "string")
    Q_CLASSINFO("prop_newText", "替换为")
    Q_CLASSINFO("show_when_newText", "mode=3")
    Q_CLASSINFO("editor_newText", "VARREF")
    Q_CLASSINFO("varref_type_newText", "string")
    Q_CLASSINFO("prop_newExt", "新扩展名")
    Q_CLASSINFO("show_when_newExt", "mode=4")
    Q_CLASSINFO("editor_newExt", "VARREF")
    Q_CLASSINFO("varref_type_newExt", "string")
    Q_CLASSINFO("prop_startNum", "起始编号")
    Q_CLASSINFO("show_when_startNum", "mode=5")
    Q_CLASSINFO("editor_startNum", "SPINBOX")
    Q_CLASSINFO("range_startNum", "0-99999")
    Q_CLASSINFO("prop_step", "递增增量")
    Q_CLASSINFO("show_when_step", "mode=5")
    Q_CLASSINFO("editor_step", "SPINBOX")
    Q_CLASSINFO("range_step", "1-99999")
    Q_CLASSINFO("prop_sep", "分隔符")
    Q_CLASSINFO("show_when_sep", "mode=5")
    Q_CLASSINFO("editor_sep", "COMBO")
    Q_CLASSINFO("choices_sep", "无|横线|下划线|空格|句点")
    Q_CLASSINFO("prop_usePad", "使用填充")
    Q_CLASSINFO("show_when_usePad", "mode=5")
    Q_CLASSINFO("prop_padLen", "每个号码最小长度")
    Q_CLASSINFO("show_when_padLen", "mode=5")
    Q_CLASSINFO("editor_padLen", "SPINBOX")
    Q_CLASSINFO("range_padLen", "1-10")
    Q_CLASSINFO("prop_ifNewExist", "如果新文件名存在")
    Q_CLASSINFO("editor_ifNewExist", "COMBO")
    Q_CLASSINFO("choices_ifNewExist", "覆盖|不执行任何操作")
    Q_CLASSINFO("prop_newList", "新文件列表保存到列表变量")
    Q_CLASSINFO("editor_newList", "VARNAME")
    Q_CLASSINFO("varname_type_newList", "list")

public:
    explicit FileRenameOperation(QObject* parent = nullptr);
    ~FileRenameOperation() override;

    QString files() const { return m_files; }
    void setFiles(const QString& files) { m_files = files; }
    // "重命名方式" by its stored index; any other index leaves names as they are.
    enum class Mode {
        SetNewName = 0,
        AddText = 1,
        DeleteText = 2,
        ReplaceText = 3,
        ChangeExtension = 4,
        AddNumbering = 5,
    };
    int mode() const { return int(m_mode); }
    void setMode(int mode) { m_mode = Mode(mode); }
    QString newName() const { return m_newName; }
    void setNewName(const QString& newName) { m_newName = newName; }
    QString addText() const { return m_addText; }
    void setAddText(const QString& addText) { m_addText = addText; }
    // "添加位置" ("名称前|名称后") by its stored index; any other index adds after the name.
    enum class AddPos { BeforeName = 0, AfterName = 1 };
    int addPos() const { return int(m_addPos); }
    void setAddPos(int addPos) { m_addPos = AddPos(addPos); }
    QString delText() const { return m_delText; }
    void setDelText(const QString& delText) { m_delText = delText; }
    QString oldText() const { return m_oldText; }
    void setOldText(const QString& oldText) { m_oldText = oldText; }
    QString newText() const { return m_newText; }
    void setNewText(const QString& newText) { m_newText = newText; }
    QString newExt() const { return m_newExt; }
    void setNewExt(const QString& newExt) { m_newExt = newExt; }
    int startNum() const { return m_startNum; }
    void setStartNum(int startNum) { m_startNum = startNum; }
    int step() const { return m_step; }
    void setStep(int step) { m_step = step; }
    // "分隔符" ("无|横线|下划线|空格|句点") by its stored index; any other index is none.
    enum class Sep { None = 0, Dash = 1, Underscore = 2, Space = 3, Period = 4 };
    int sep() const { return int(m_sep); }
    void setSep(int sep) { m_sep = Sep(sep); }
    bool usePad() const { return m_usePad; }
    void setUsePad(bool usePad) { m_usePad = usePad; }
    int padLen() const { return m_padLen; }
    void setPadLen(int padLen) { m_padLen = padLen; }
    // "如果新文件名存在" ("覆盖|不执行任何操作") by its stored index; any other index overwrites.
    enum class IfNewExist { Overwrite = 0, LeaveAlone = 1 };
    int ifNewExist() const { return int(m_ifNewExist); }
    void setIfNewExist(int ifNewExist) { m_ifNewExist = IfNewExist(ifNewExist); }
    QString newList() const { return m_newList; }
    void setNewList(const QString& newList) { m_newList = newList; }

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
    struct NameParts {
        QString baseName;
        QString suffix;
    };
    NameParts renamedParts(const NameParts& old, qint64* runningNumber) const;
    bool renameInPlace(FileSystem& files, const QString& source, const QString& target) const;

    QString m_files;
    Mode m_mode = Mode::SetNewName;
    QString m_newName;
    QString m_addText;
    AddPos m_addPos = AddPos::AfterName;
    QString m_delText;
    QString m_oldText;
    QString m_newText;
    QString m_newExt;
    int m_startNum = 1;
    int m_step = 1;
    Sep m_sep = Sep::None;
    bool m_usePad = false;
    int m_padLen = 3;
    IfNewExist m_ifNewExist = IfNewExist::Overwrite;
    QString m_newList;
};
