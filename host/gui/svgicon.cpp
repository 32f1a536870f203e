// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "svgicon.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace
{

QPixmap renderSvg(QSvgRenderer& renderer, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QIcon svgIcon(const QString& resourcePath)
{
    static QHash<QString, QIcon> cache;
    const auto cached = cache.constFind(resourcePath);
    if (cached != cache.constEnd())
        return *cached;

    QIcon icon;
    QSvgRenderer renderer(resourcePath);
    if (!renderer.isValid())
        return icon; // not cached: the resource may appear once its plug-in is loaded
    // Pixmaps at the sizes lists and toolbars ask for; QIcon scales between them.
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(renderSvg(renderer, size));
    cache.insert(resourcePath, icon);
    return icon;
}
