#include "Cp932.h"

#include <QStringDecoder>
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

// One converter per thread. A converter that met an error is built anew in place, because this
// Qt keeps the error flag set after resetState() (and its converters must not be moved: the
// toolkit's error callback keeps the converter's address).
QStringDecoder& threadDecoder(bool renew = false)
{
    thread_local std::optional<QStringDecoder> decoder;
    if (!decoder || renew) decoder.emplace("CP932", kFlags);
    return *decoder;
}

QStringEncoder& threadEncoder(bool renew = false)
{
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder || renew) encoder.emplace("CP932", kFlags);
    return *encoder;
}

QString decodeView(QByteArrayView bytes, bool* invalid)
{
    QStringDecoder& decoder = threadDecoder();
    QString text = decoder.decode(bytes);
    const bool bad = decoder.hasError();
    if (bad) {
        threadDecoder(true);
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
    QStringEncoder& encoder = threadEncoder();
    const QString src = toWindowsForms(text);
    QByteArray out;
    out.reserve(src.size() * 2);
    // Encode character by character so that an unmappable character becomes "?" rather than
    // the converter's substitution pair.
    for (qsizetype i = 0; i < src.size(); ++i) {
        qsizetype len = (src.at(i).isHighSurrogate() && i + 1 < src.size()) ? 2 : 1;
        const QString piece = src.mid(i, len);
        if (piece.at(0).unicode() < 0x80) {
            out.append(char(piece.at(0).unicode()));
        } else {
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
