#include "Crc32.h"

#include <array>

namespace seiran {

namespace {

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> Table = makeTable();

} // namespace

quint32 Crc32(const QByteArray& bytes, quint32 crc)
{
    crc = ~crc;
    for (const char byte : bytes)
        crc = Table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QString Crc32Text(const QByteArray& bytes)
{
    return QStringLiteral("%1").arg(Crc32(bytes), 8, 16, QLatin1Char('0'));
}

} // namespace seiran
