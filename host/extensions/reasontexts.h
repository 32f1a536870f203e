// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What our hosts may ask of a plug-in beyond the host contract: the text to show a person for a
// reason the plug-in gives in English (a plan's skip, failure or conflict, an undo report's "left"
// entry, a journal's refusal). The reason itself stays as it is in reports and JSON, where
// scripts match it; only what a window or a table shows is the display text. Header-only and
// pure virtual, found with qobject_cast on the plug-in instance.

#include <QObject>
#include <QString>

class IReasonTexts
{
public:
    virtual ~IReasonTexts() = default;
    // `reason` in `language` (a locale name such as "zh_CN"), or an empty text when the plug-in
    // has none for it.
    virtual QString reasonText(const QString& reason, const QString& language) const = 0;
};

#define IReasonTexts_iid "org.stephost.IReasonTexts/1.0"
Q_DECLARE_INTERFACE(IReasonTexts, IReasonTexts_iid)
