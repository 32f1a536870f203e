// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "legacycodec.h"

#include <QCoreApplication>
#include <QTextCodec>
#include <QVariant>

QTextCodec* legacyTextCodec()
{
    // Qt's locale codec would also serve file names and the environment, so a host that reads
    // legacy files in another code page says so here, for file contents alone.
    const QCoreApplication* app = QCoreApplication::instance();
    const QByteArray name =
        app ? app->property("stephost.legacyEncoding").toByteArray() : QByteArray();
    QTextCodec* named = name.isEmpty() ? nullptr : QTextCodec::codecForName(name);
    return named ? named : QTextCodec::codecForLocale();
}
