// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QDataStream;

// Every step persists its settings the same way: after the host's base payload, each of the
// class's own Qt properties in declaration order, QString as QString, int as qint32, bool as
// bool. Steps whose property lists have the same shape can therefore read each other's payloads.
void saveOwnProperties(const QObject& object, QDataStream& out);
void loadOwnProperties(QObject& object, QDataStream& in);
void copyOwnProperties(const QObject& from, QObject& to);

// A new step of the same class with the source's settings and carried state.
template <typename Op> Op* cloneOperation(const Op& source, QObject* parent)
{
    auto* copy = new Op(parent);
    copy->setCarriedState(source.carriedState());
    copyOwnProperties(source, *copy);
    return copy;
}
