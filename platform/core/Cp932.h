#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace seiran {

// Conversion between Unicode text and the Windows-31J code page that every data file,
// list file and fixed-width record field uses.
namespace Cp932 {

// True when the toolkit can convert CP932; checked once at start-up.
bool isAvailable();

// Conversion goes through tables made from the toolkit's converter (see Cp932Tables.h).
QByteArray encode(const QString& text);
// Bytes that are not CP932 become U+FFFD; `invalid` (when given) says whether there were any.
QString decode(const QByteArray& bytes, bool* invalid = nullptr);
QString decode(const char* bytes, int length, bool* invalid = nullptr);

// Encodes text into exactly `width` bytes: cut at a character boundary (never inside a
// double-byte character) and padded with ASCII spaces.
QByteArray fit(const QString& text, int width);

// True when the byte starts a double-byte character.
bool isLeadByte(unsigned char byte);

// Number of bytes the text takes in CP932.
int byteLength(const QString& text);

} // namespace Cp932
} // namespace seiran
