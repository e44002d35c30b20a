#include "Cp932.h"
#include "Cp932Tables.h"

#include <QStringEncoder>
#include <optional>

namespace seiran::Cp932 {

namespace {

// Input methods on other systems produce the JIS forms of a few characters; Windows-31J
// stores their full-width twins, so map them before encoding instead of losing them.
QString toWindowsForms(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        switch (ch.unicode()) {
        case 0x301C:
            ch = QChar(0xFF5E);
            break; // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            ch = QChar(0x2225);
            break; // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            ch = QChar(0xFF0D);
            break; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x00A2:
            ch = QChar(0xFFE0);
            break;
        case 0x00A3:
            ch = QChar(0xFFE1);
            break;
        case 0x00AC:
            ch = QChar(0xFFE2);
            break;
        default:
            break;
        }
    }
    return out;
}

constexpr auto kFlags = QStringConverter::Flag::Stateless;

// One converter per thread, for the surrogates the tables leave out. A converter that met an
// error is built anew in place, because this Qt keeps the error flag set after resetState() (and its converters must
// not be moved: the toolkit's error callback keeps the converter's address).
QStringEncoder& threadEncoder(bool renew = false)
{
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder || renew) encoder.emplace("CP932", kFlags);
    return *encoder;
}

QString decodeView(QByteArrayView bytes, bool* invalid)
{
    // Table look-ups give what the converter gives, byte for byte (the tables were made by it),
    // at a fraction of the cost of a converter call per name.
    namespace T = Cp932Tables;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype n = 0;
    bool bad = false;
    for (qsizetype i = 0; i < size;) {
        const unsigned char b = in[i];
        const int lead = T::leadIndex[b];
        unsigned entry;
        if (lead >= 0 && i + 1 < size) {
            entry = T::pairs[lead * 256 + in[i + 1]];
            i += (entry & T::OneByte) ? 1 : 2;
        } else {
            entry = T::single[b];
            ++i;
        }
        if (!(entry & T::Nothing)) out[n++] = char16_t(entry & 0xFFFF);
        if (entry & T::Error) bad = true;
    }
    text.truncate(n);
    if (bad) {
        // The converter marks a byte it cannot read with SUB, which no name shows; the
        // replacement character makes the damage visible.
        text.replace(QChar(0x1A), QChar(0xFFFD));
    }
    if (invalid) *invalid = bad;
    return text;
}

} // namespace

bool isAvailable()
{
    QStringEncoder encoder("CP932");
    return encoder.isValid();
}

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QByteArray encode(const QString& text)
{
    const QString src = toWindowsForms(text);
    QByteArray out;
    out.reserve(src.size() * 2);
    // Encode character by character so that an unmappable character becomes "?" rather than
    // the converter's substitution pair.
    for (qsizetype i = 0; i < src.size(); ++i) {
        const char16_t unit = src.at(i).unicode();
        if (unit < 0x80) {
            out.append(char(unit));
            continue;
        }
        if (!QChar::isSurrogate(unit)) {
            const unsigned bytes = Cp932Tables::encodeUnit[unit];
            if (bytes == 0)
                out.append('?');
            else if (bytes & 0x10000u)
                out.append(char(bytes & 0xFF));
            else {
                out.append(char(bytes >> 8));
                out.append(char(bytes & 0xFF));
            }
            continue;
        }
        qsizetype len = (src.at(i).isHighSurrogate() && i + 1 < src.size()) ? 2 : 1;
        const QString piece = src.mid(i, len);
        {
            QStringEncoder& encoder = threadEncoder();
            QByteArray bytes = encoder.encode(piece);
            if (encoder.hasError() || bytes.isEmpty() || bytes == QByteArray("\xFC\xFC", 2)) {
                if (encoder.hasError()) threadEncoder(true);
                out.append('?');
            } else {
                out.append(bytes);
            }
        }
        i += len - 1;
    }
    return out;
}

QString decode(const QByteArray& bytes, bool* invalid)
{
    return decodeView(QByteArrayView(bytes), invalid);
}

QString decode(const char* bytes, int length, bool* invalid)
{
    return decodeView(QByteArrayView(bytes, length), invalid);
}

QByteArray fit(const QString& text, int width)
{
    QByteArray bytes = encode(text);
    int cut = 0;
    while (cut < bytes.size()) {
        int step = isLeadByte(static_cast<unsigned char>(bytes.at(cut))) ? 2 : 1;
        if (cut + step > width) break;
        cut += step;
    }
    bytes.truncate(cut);
    while (bytes.size() < width)
        bytes.append(' ');
    return bytes;
}

int byteLength(const QString& text)
{
    return int(encode(text).size());
}

} // namespace seiran::Cp932
