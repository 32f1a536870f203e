// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

// The host's legacy code page: the codec for text files that carry no byte-order mark and are not
// UTF-8, such as the CSV files that spreadsheets on Chinese desktops save. The plug-ins learn it
// from a property of the application object, so they need nothing of the host's library for it.

// The application property that holds the choice, a codec name as a QByteArray.
extern const char kLegacyEncodingProperty[];

// "GB18030" when the user's locale is Chinese (the first of LC_ALL, LC_CTYPE and LANG that is set
// starts with "zh"), else empty: Qt's locale codec stays in charge, as in a host that says nothing.
QByteArray defaultLegacyEncoding(
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Empty when a codec answers to the name; else a one-line error that lists the accepted names.
QString legacyEncodingProblem(const QString& name);

// Makes `name` the legacy code page of the whole process (every flow sees it); an empty name
// chooses the default for the user's locale. Call it while no step runs.
void useLegacyEncoding(const QString& name);
