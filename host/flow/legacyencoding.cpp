// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "legacyencoding.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>
#include <QTextCodec>
#include <QVariant>

#include <algorithm>

const char kLegacyEncodingProperty[] = "stephost.legacyEncoding";

namespace
{

class LegacyEncoding
{
    Q_DECLARE_TR_FUNCTIONS(LegacyEncoding)
};

// Each codec once, under the name it gives itself (the aliases it also answers to are many).
QStringList acceptedNames()
{
    QSet<QString> names;
    for (const int mib : QTextCodec::availableMibs()) {
        if (const QTextCodec* codec = QTextCodec::codecForMib(mib))
            names.insert(QString::fromLatin1(codec->name()));
    }
    QStringList sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

} // namespace

QByteArray defaultLegacyEncoding(const QProcessEnvironment& environment)
{
    // POSIX order: LC_ALL overrides LC_CTYPE, which overrides LANG.
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QString value = environment.value(QLatin1String(variable));
        if (!value.isEmpty())
            return value.startsWith(QLatin1String("zh")) ? QByteArray("GB18030") : QByteArray();
    }
    return QByteArray();
}

QString legacyEncodingProblem(const QString& name)
{
    if (!name.isEmpty() && QTextCodec::codecForName(name.toUtf8()))
        return QString();
    return LegacyEncoding::tr("unknown legacy encoding \"%1\" (accepted: %2)")
        .arg(name, acceptedNames().join(QLatin1String(", ")));
}

void useLegacyEncoding(const QString& name)
{
    const QByteArray chosen = name.isEmpty() ? defaultLegacyEncoding() : name.toUtf8();
    // No value at all, rather than an empty one, for a host that leaves the locale codec in charge.
    QCoreApplication::instance()->setProperty(kLegacyEncodingProperty,
                                              chosen.isEmpty() ? QVariant() : QVariant(chosen));
}
