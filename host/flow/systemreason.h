// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

// The system's reason for a failed file call ("Permission denied", "No space left on device"), as
// the steps pass it on in English, in the host's language for a person to read. Reports and logs
// keep the English text; a reason this does not know is shown as it is.
QString shownSystemReason(const QString& reason);

// The English reasons shownSystemReason() knows, for the tests that check each is translated.
QStringList knownSystemReasons();
