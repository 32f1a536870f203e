// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "memorylimit.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <limits>

#include <sys/resource.h>

namespace
{

const qint64 kUnknown = -1;

// The values, in bytes, that a /proc file of "Name:   N kB" lines gives the names.
void readKilobyteFields(const char* path, std::initializer_list<const char*> names, qint64* values)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    // Files under /proc read as empty in size: read by line to their end.
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        int index = 0;
        for (const char* name : names) {
            const QByteArray prefix = QByteArray(name) + ':';
            if (line.startsWith(prefix)) {
                bool ok = false;
                const qint64 kilobytes =
                    line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
                if (ok)
                    values[index] = kilobytes * 1024;
            }
            ++index;
        }
    }
}

// What the limit `resource` leaves above `used` bytes; the largest qint64 for no limit.
qint64 roomUnder(int resource, qint64 used)
{
    rlimit limit;
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<qint64>::max();
    if (used == kUnknown)
        used = 0;
    const qint64 cap = qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(1) << 62));
    return std::max<qint64>(0, cap - used);
}

} // namespace

qint64 allocatableBytes()
{
    qint64 system[2] = {kUnknown, kUnknown}; // available memory, free swap
    readKilobyteFields("/proc/meminfo", {"MemAvailable", "SwapFree"}, system);
    qint64 own[2] = {kUnknown, kUnknown}; // address space, data
    readKilobyteFields("/proc/self/status", {"VmSize", "VmData"}, own);

    qint64 room = std::numeric_limits<qint64>::max();
    if (system[0] != kUnknown)
        room = system[0] + std::max<qint64>(0, system[1]);
    room = std::min(room, roomUnder(RLIMIT_AS, own[0]));
    room = std::min(room, roomUnder(RLIMIT_DATA, own[1]));
    return room;
}
