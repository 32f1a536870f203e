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

} // namespace

namespace HostLanguage
{

QLocale chosen(const QString& preference)
{
    return preference.isEmpty() ? QLocale::system() : QLocale(preference);
}

bool install(QCoreApplication& app, const QLocale& locale)
{
    installTranslator(app, locale, QStringLiteral("qtbase"),
                      QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    return installTranslator(app, locale, QStringLiteral("stephost"),
                             InstallPaths::translationDirectory());
}

} // namespace HostLanguage
