#pragma once

#include <QByteArray>
#include <QString>

namespace seiran {

// CRC-32 (the polynomial of zip and PNG) of `bytes`; `crc` continues an earlier run.
quint32 Crc32(const QByteArray& bytes, quint32 crc = 0);
// As 8 lower-case hex digits.
QString Crc32Text(const QByteArray& bytes);

} // namespace seiran
