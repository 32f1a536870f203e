// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileprogress.h>

#include <QString>

// How far a step is, as people read it: "1,223/5,000 files · 1.2/4.0 GB · 35 MB/s · 12 s left".
// Figures a step does not count are left out, and so are the speed and the time left until they
// can be told (bytes or files done, and some time gone).
QString progressText(const FileProgress& progress, qint64 elapsedMs);

// "1.2 GB", in the unit a size of `scale` bytes is best read in.
QString sizeText(qint64 bytes, qint64 scale);
