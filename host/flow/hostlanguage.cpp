// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "hostlanguage.h"

#include "installpaths.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace
{

bool installTranslator(QCoreApplication& app, const QLocale& locale, const QString& name,
                       const QString& directory)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), directory)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

QString& installedName()
{
    static QString name;
    return name;
}

} // namespace

namespace HostLanguage
{

QLocale chosen(const QString& preference)
{
    return preference.isEmpty() ? QLocale::system() : QLocale(preference);
}

bool install(QCoreApplication& app, const QLocale& locale)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qtTranslations = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    installTranslator(app, locale, QStringLiteral("qtbase"), qtTranslations);
    const bool loaded = installTranslator(app, locale, QStringLiteral("stephost"),
                                          InstallPaths::translationDirectory());
    installedName() = loaded ? locale.name() : QString();
    return loaded;
}

QString installed()
{
    return installedName();
}

} // namespace HostLanguage
