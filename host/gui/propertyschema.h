// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QMetaProperty>
#include <QString>
#include <QStringList>

class Operation;

// How the property panel edits one setting, from the "editor_" class-info word (bool settings
// have none and get a check box; an unknown word gets a plain line edit, or a spin box for an int).
enum class EditorKind {
    FilePath,   // FILEPATH: a line edit with a button that picks a file
    FolderPath, // FOLDERPATH: a line edit with a button that picks a folder
    MultiFile,  // MULTIFILE: several lines, one path each
    VarName,    // VARNAME: a variable's plain name
    VarRef,     // VARREF: literal text or "$name"
    NumVarInt,  // NUMVAR:INT: digits or "$name"
    Combo,      // COMBO: the index of one of the "choices_" texts
    SpinBox,    // SPINBOX: a number within "range_"
    CheckBox,   // a bool setting
    Text,       // a text setting with no editor word the panel knows
};

// One setting of a step as its class annotates it.
struct PropertySpec {
    QMetaProperty property;
    QString name;
    QString label; // "prop_"; the name itself when there is none
    EditorKind editor = EditorKind::Text;
    QStringList choices; // "choices_", split at "|"
    // "show_when_": the row is shown only while the int setting showWhenName holds showWhenValue.
    QString showWhenName;
    int showWhenValue = 0;
    int minimum = 0; // "range_"; without one, the whole int range
    int maximum = 0;
    // "varname_type_" or "varref_type_" (comma-separated): the declared variable types the
    // setting names; NUMVAR:INT settings name numbers.
    QStringList variableTypes;

    bool hasShowWhen() const { return !showWhenName.isEmpty(); }
};

// The settings the step's own class adds, in declaration order, read from its meta-object only.
QList<PropertySpec> propertySpecs(const Operation& op);

// The word a kind stands for in "editor_" entries ("FILEPATH", ...); "bool" and "" for the two
// kinds that have none.
QString editorWord(EditorKind kind);
