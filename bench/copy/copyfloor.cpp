// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// copyfloor DEST SOURCE...
// Copies each SOURCE into the folder DEST with QFile::copy and nothing more: no list expansion,
// no clash handling. What the copy step costs beyond this is its own overhead.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: copyfloor DEST SOURCE...\n");
        return 2;
    }
    const QDir destination(arguments.at(1));
    QDir().mkpath(destination.path());
    int failed = 0;
    for (int i = 2; i < arguments.size(); ++i) {
        const QString& source = arguments.at(i);
        if (!QFile::copy(source, destination.filePath(QFileInfo(source).fileName())))
            ++failed;
    }
    if (failed)
        std::fprintf(stderr, "copyfloor: %d copies failed\n", failed);
    return failed ? 1 : 0;
}
