// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "operation.h"

#include <QDataStream>

Operation::Operation(QObject* parent) : QObject(parent)
{
}

Operation::~Operation() = default;

void Operation::saveOperation(QDataStream& out) const
{
    out << m_carriedState;
}

void Operation::loadOperation(QDataStream& in)
{
    in >> m_carriedState;
}

bool Operation::isContainer() const
{
    return false;
}

int Operation::childCount() const
{
    return m_children.size();
}

Operation* Operation::childAt(int index) const
{
    return m_children.value(index, nullptr);
}

QList<Operation*>& Operation::children()
{
    return m_children;
}

Operation* Operation::parentOperation() const
{
    return m_parentOperation;
}

void Operation::setParentOperation(Operation* parent)
{
    m_parentOperation = parent;
}

void Operation::setVariableScope(VariableScope* scope)
{
    m_scope = scope;
}

VariableScope* Operation::variableScope() const
{
    return m_scope;
}

quint32 Operation::carriedState() const
{
    return m_carriedState;
}

void Operation::setCarriedState(quint32 state)
{
    m_carriedState = state;
}
