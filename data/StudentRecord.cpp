#include "StudentRecord.h"

#include "Cp932.h"

#include <QHash>
#include <QtGlobal>
#include <cstring>
#include <utility>

namespace seiran {

namespace {
constexpr int NameOffset = 2;
constexpr int FuriganaOffset = 450;
constexpr int ReservedTextOffset = 476;
} // namespace

StudentRecord StudentRecord::blank()
{
    StudentRecord r;
    std::memset(r.mBytes.data() + NameOffset, ' ', NameWidth);
    for (int u = 1; u <= 200; ++u)
        r.setScoreSlot(u, -5);
    std::memset(r.mBytes.data() + FuriganaOffset, ' ', FuriganaWidth);
    std::memset(r.mBytes.data() + ReservedTextOffset, ' ', ReservedTextWidth);
    return r;
}

int StudentRecord::int16At(int offset) const
{
    if (offset < 0 || offset + 1 >= Size) return 0;
    const auto lo = mBytes[std::size_t(offset)];
    const auto hi = mBytes[std::size_t(offset + 1)];
    return int(qint16(quint16(lo | (hi << 8))));
}

bool StudentRecord::setInt16At(int offset, int value)
{
    if (offset < 0 || offset + 1 >= Size || value < -32768 || value > 32767) return false;
    const auto u = quint16(qint16(value));
    mBytes[std::size_t(offset)] = std::uint8_t(u & 0xFF);
    mBytes[std::size_t(offset + 1)] = std::uint8_t(u >> 8);
    return true;
}

QString StudentRecord::textAt(int offset, int width, bool* invalid) const
{
    QString text = Cp932::decode(reinterpret_cast<const char*>(mBytes.data() + offset), width, invalid);
    // Records written by other programs may pad with NUL; a name never holds one.
    if (text.contains(QChar(0))) text.replace(QChar(0), QLatin1Char(' '));
    return text;
}

void StudentRecord::setTextAt(int offset, int width, const QString& text)
{
    const QByteArray bytes = Cp932::fit(text, width);
    std::memcpy(mBytes.data() + offset, bytes.constData(), std::size_t(width));
}

QString StudentRecord::name(bool* invalid) const
{
    return textAt(NameOffset, NameWidth, invalid);
}

void StudentRecord::setName(const QString& name)
{
    setTextAt(NameOffset, NameWidth, name);
}

QString StudentRecord::furigana(bool* invalid) const
{
    return textAt(FuriganaOffset, FuriganaWidth, invalid);
}

void StudentRecord::trimmedNameAndFurigana(QString& name, QString& furigana) const
{
    // Decoding is a pure function of the bytes, so the texts of the same bytes can be reused.
    thread_local QHash<QByteArray, std::pair<QString, QString>> decoded;
    QByteArray key(NameWidth + FuriganaWidth, Qt::Uninitialized);
    std::memcpy(key.data(), mBytes.data() + NameOffset, NameWidth);
    std::memcpy(key.data() + NameWidth, mBytes.data() + FuriganaOffset, FuriganaWidth);
    if (const auto it = decoded.constFind(key); it != decoded.cend()) {
        name = it->first;
        furigana = it->second;
        return;
    }
    if (decoded.size() >= 4096) decoded.clear();
    name = this->name().trimmed();
    furigana = this->furigana().trimmed();
    decoded.insert(key, {name, furigana});
}

void StudentRecord::setFurigana(const QString& furigana)
{
    setTextAt(FuriganaOffset, FuriganaWidth, furigana);
}

int StudentRecord::naishinSlot(int k) const
{
    return (k >= 1 && k <= 12) ? int16At(16 + 2 * k) : 0;
}

bool StudentRecord::setNaishinSlot(int k, int value)
{
    return k >= 1 && k <= 12 && setInt16At(16 + 2 * k, value);
}

int StudentRecord::choice(int k) const
{
    return (k >= 1 && k <= 4) ? int16At(40 + 2 * k) : 0;
}

bool StudentRecord::setChoice(int k, int value)
{
    return k >= 1 && k <= 4 && setInt16At(40 + 2 * k, value);
}

int StudentRecord::scoreSlot(int u) const
{
    return (u >= 1 && u <= 200) ? int16At(48 + 2 * u) : -5;
}

bool StudentRecord::setScoreSlot(int u, int value)
{
    return u >= 1 && u <= 200 && setInt16At(48 + 2 * u, value);
}

} // namespace seiran
