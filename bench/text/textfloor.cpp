// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The least any Qt program must do to turn a UTF-8 file into a QString: read all of it, decode
// it with Qt's UTF-8 codec. Prints the number of characters so the work cannot be skipped.
#include <QFile>
#include <QTextCodec>
#include <QTextStream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: textfloor FILE\n";
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QString text;
    {
        const QByteArray bytes = file.readAll();
        text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes);
    }
    QTextStream(stdout) << text.size() << '\n';
    return 0;
}
