// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// The language the hosts' own texts are shown in (the steps' texts are the plug-in's own).
namespace HostLanguage
{

// The user's locale (QLocale::system(), which follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG),
// unless a preference such as "zh_CN" or "en" names one.
QLocale chosen(const QString& preference = QString());
// Installs the hosts' translation for the locale, and Qt's own for its dialogs, when they exist.
// English is the source language and needs none. Returns whether the hosts' translation loaded.
bool install(QCoreApplication& app, const QLocale& locale);
// The name of the locale whose translation the last install() loaded ("zh_CN"); empty when the
// hosts speak English, their source language.
QString installed();

} // namespace HostLanguage
