// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

class QTextCodec;

// The codec for text that carries no byte-order mark and is not UTF-8: the code page the host
// names in the application property "stephost.legacyEncoding" (a codec name such as "GB18030"),
// else Qt's locale codec. The host sets it before steps run; a host that names none, or a name no
// codec answers to, leaves the locale codec in charge.
QTextCodec* legacyTextCodec();
