// Writes the CP932 conversion tables as C++ source, generated from the toolkit's own converter so
// that the table-driven conversion gives exactly the characters and bytes the converter gives.
// It fails (and with it the build) when the converter does something the tables cannot express.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

struct Decoded
{
    QString text;
    bool error = false;
};

Decoded decode(const QByteArray& bytes)
{
    QStringDecoder decoder("CP932", QStringConverter::Flag::Stateless);
    Decoded d;
    d.text = decoder.decode(bytes);
    d.error = decoder.hasError();
    return d;
}

// The bytes a BMP code unit encodes to on its own; empty when it cannot be stored.
QByteArray encodeUnit(char16_t unit)
{
    QStringEncoder encoder("CP932", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QString(QChar(unit)));
    if (encoder.hasError() || bytes.isEmpty() || bytes == QByteArray("\xFC\xFC", 2)) return {};
    return bytes;
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

int fail(const char* what, int a, int b)
{
    std::fprintf(stderr, "CP932 tables: %s (%02X %02X)\n", what, a, b);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return fail("usage: Cp932TableGen OUTPUT", 0, 0);
    if (!QStringEncoder("CP932").isValid()) return fail("the toolkit has no CP932 converter", 0, 0);

    // Entries: the character in the low 16 bits, then the flags the decoder reads.
    constexpr unsigned Error = 1u << 16;   // the converter reported bad input
    constexpr unsigned OneByte = 1u << 17; // a pair entry that consumes only its lead byte
    constexpr unsigned Nothing = 1u << 18; // a single entry that produces no character

    std::vector<unsigned> single(256);
    for (int b = 0; b < 256; ++b) {
        const Decoded d = decode(bytesOf({b}));
        if (d.text.size() > 1) return fail("one byte gives two characters", b, 0);
        single[b] = (d.text.isEmpty() ? Nothing : d.text.at(0).unicode()) | (d.error ? Error : 0u);
    }

    // A lead byte is one that takes the byte after it: the pair gives a single character.
    std::vector<int> leadIndex(256, -1);
    std::vector<unsigned> pairs;
    int leads = 0;
    for (int lead = 0; lead < 256; ++lead) {
        if (decode(bytesOf({lead, 0x40})).text.size() != 1 && decode(bytesOf({lead, 0x80})).text.size() != 1) continue;
        leadIndex[lead] = leads++;
        for (int trail = 0; trail < 256; ++trail) {
            const Decoded d = decode(bytesOf({lead, trail}));
            const Decoded rest = decode(bytesOf({trail, 0x41}));
            const Decoded three = decode(bytesOf({lead, trail, 0x41}));
            if (d.text.size() == 1) {
                if (three.text != d.text + QLatin1Char('A')) return fail("a pair changes what follows", lead, trail);
                pairs.push_back(d.text.at(0).unicode() | (d.error ? Error : 0u));
            } else if (d.text.size() == 2) {
                // The converter gave up on the lead byte and read the second byte afresh.
                const QChar first = d.text.at(0);
                if (three.text != QString(first) + rest.text) return fail("a broken pair is not re-read", lead, trail);
                if (!d.error) return fail("a broken pair is not reported", lead, trail);
                pairs.push_back(first.unicode() | Error | OneByte);
            } else {
                return fail("a pair gives no or many characters", lead, trail);
            }
        }
    }

    std::vector<unsigned> encode(65536, 0);
    for (int u = 0x80; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000) continue; // surrogates go through the converter
        const QByteArray bytes = encodeUnit(char16_t(u));
        if (bytes.size() == 1)
            encode[u] = 0x10000u | quint8(bytes.at(0));
        else if (bytes.size() == 2)
            encode[u] = (unsigned(quint8(bytes.at(0))) << 8) | quint8(bytes.at(1));
        else if (!bytes.isEmpty())
            return fail("a character takes more than two bytes", u >> 8, u & 0xFF);
    }

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail("cannot write the output", 0, 0);
    QTextStream out(&file);
    out << "// Generated at build time from the toolkit's CP932 converter. Do not edit.\n"
        << "#include \"Cp932Tables.h\"\n\nnamespace seiran::Cp932Tables {\n\n";
    auto writeArray = [&](const char* type, const char* name, const auto& values) {
        out << "const " << type << ' ' << name << '[' << values.size() << "] = {";
        for (std::size_t i = 0; i < values.size(); ++i)
            out << (i % 12 == 0 ? "\n" : " ") << values[i] << (i + 1 < values.size() ? "," : "");
        out << "\n};\n\n";
    };
    writeArray("unsigned", "single", single);
    writeArray("int", "leadIndex", leadIndex);
    writeArray("unsigned", "pairs", pairs);
    std::vector<unsigned> encodeUpper(encode.begin(), encode.end());
    writeArray("unsigned", "encodeUnit", encodeUpper);
    out << "} // namespace seiran::Cp932Tables\n";
    out.flush();
    return file.error() == QFileDevice::NoError ? 0 : fail("writing the output failed", 0, 0);
}
