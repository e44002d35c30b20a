#pragma once

// The CP932 conversion tables, generated at build time from the toolkit's converter.
namespace seiran::Cp932Tables {

// Flags above the 16 bits of a character in `single` and `pairs`.
constexpr unsigned Error = 1u << 16;   // the converter reports the input as bad
constexpr unsigned OneByte = 1u << 17; // a pair whose second byte is read again on its own
constexpr unsigned Nothing = 1u << 18; // a byte that produces no character

// What each byte decodes to on its own (a lead byte: at the end of the input).
extern const unsigned single[256];
// For each byte, its row in `pairs` when it starts a double-byte character, else -1.
extern const int leadIndex[256];
// What a lead byte and the byte after it decode to, 256 entries per lead byte.
extern const unsigned pairs[];
// The bytes of each UTF-16 code unit: 0 when it cannot be stored, 0x10000 | byte for one byte,
// else the two bytes (first in the high eight bits). Surrogates are not in the table (0).
extern const unsigned encodeUnit[65536];

} // namespace seiran::Cp932Tables
