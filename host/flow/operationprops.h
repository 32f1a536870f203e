// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QMetaProperty>
#include <QPair>
#include <QStringList>
#include <QVariantMap>

class Operation;

// A step's settings are the Qt properties its class adds on top of Operation's, in declaration
// order.
QList<QMetaProperty> settingProperties(const Operation& op);
QVariantMap settingValues(const Operation& op);
// The class-info entries of the step's own class, in declaration order.
QList<QPair<QString, QString>> ownClassInfo(const Operation& op);

// Names of the settings (and "carriedState") whose values differ between two steps.
QStringList differingSettings(const Operation& a, const Operation& b);
