#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace seiran {

// Compatibility normalization (NFKC: full-width letters and digits as ASCII, half-width kana as
// full-width) in time linear in the length. The toolkit's own normalization slows down with the
// square of the length on some texts (a file read in the wrong encoding), so a long text is
// normalized in pieces; it is cut before characters that never combine with what precedes them
// (ASCII, kana, kanji, Hangul syllables), which gives exactly the same result. Only a run of 64
// characters without one is cut elsewhere: such a text is no name, number or heading anyway.
QString NormalizedKC(const QString& text);

// Formats a value with a numeric pattern ("#" optional digit, "0" forced digit, "." decimal
// point, other characters literal), puts 13 spaces in front and keeps the rightmost
// characters, as many as the pattern is long: ("##", 5) -> " 5", ("##", 105) -> "05".
QString FormatRightAligned(const QString& pattern, double value);

// Rounds to the nearest integer, exact halves to the even neighbour; nullopt when the result
// does not fit a 16-bit signed integer.
std::optional<qint16> RoundHalfEven(double value);

// Descending exchange sort of entries 1..m of a key list and an index list: for i = 1..m-1,
// j = i+1..m, entries i and j of both lists are swapped when key(i) < key(j).
template <typename Keys, typename Index> void ExchangeSortDescending(Keys& keys, Index& index, int m)
{
    for (int i = 1; i <= m - 1; ++i) {
        for (int j = i + 1; j <= m; ++j) {
            if (keys[i] < keys[j]) {
                std::swap(keys[i], keys[j]);
                std::swap(index[i], index[j]);
            }
        }
    }
}

template <typename T> void SwapValues(T& a, T& b)
{
    std::swap(a, b);
}

// Clipboard tokens. Consumes `text` from the left: a line end (CR LF, CR or LF alone) ends the
// token with separator 1, Tab with separator 0; the text running out gives separator 2. NextNumericToken keeps only
// "0"-"9" and "-"; NextTextToken keeps every character from the space upwards.
enum TokenSeparator { SepTab = 0, SepCr = 1, SepEnd = 2 };
int NextNumericToken(QString& text, QString& token);
int NextTextToken(QString& text, QString& token);

// The numeric value of a text as the cells and fields read it: leading blanks, an optional sign
// and the leading digits (with a decimal part); 0 when the text starts with no number.
double NumericValue(const QString& text);

// Score cell texts: -1 "-", -5 "", <= -10 "-d" with d = -10 - value ("-0" for -10), others the
// number.
QString ScoreToCellText(int value);
// The stored value of a cell text ("-d" is -d - 10, "-0" -10); nullopt when the text is not a
// score text or the value does not fit the 16-bit slot.
std::optional<int> CellTextToScore(const QString& text);

} // namespace seiran
