// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <vartype.h>

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// A flow as the host keeps it: declared variables and the steps that run in order.

struct FlowVariable {
    QString name;
    VarType type = VarType::Undeclared;
    QVariant value;
};

struct FlowStep {
    QString type;         // the type id of the step's prototype
    QVariantMap settings; // property name -> value, converted to the property's type
    quint32 carriedState = 0;
};

struct Flow {
    QList<FlowVariable> variables;
    QList<FlowStep> steps;
    QString comment; // the author's note: what the flow does, where to run it
};

// The deepest nesting of lists and maps a flow's value may have: what a JSON flow can carry, since
// Qt's JSON parser stops at 1024 levels and a variable's value sits three levels down. A binary
// flow holds no deeper value, so every flow converts both ways.
const int maxValueNesting = 1021;
// Whether the value holds lists or maps nested more than `levels` deep (a plain value is at 0, a
// list of plain values at 1). Walks without recursion, so any depth can be asked about.
bool nestedDeeperThan(const QVariant& value, int levels);

// The words flows and reports use for declared variable types.
QString varTypeWord(VarType type);
// False for a word that names no type; an empty word is Undeclared.
bool varTypeFromWord(const QString& word, VarType* type);

// Problems found while reading a flow. The message already names where (variable, step index).
struct FlowError {
    QString message;
};
