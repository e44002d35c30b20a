#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace seiran {

// One 512-byte record of the roster file. Integers are 16-bit signed little-endian; texts are
// CP932, left-aligned and padded with ASCII spaces. Bytes that no accessor touches stay as
// they were read.
class StudentRecord
{
public:
    static constexpr int Size = 512;
    static constexpr int NameWidth = 14;
    static constexpr int FuriganaWidth = 20;
    static constexpr int ReservedTextWidth = 36;

    enum Flag { Free = 0, InUse = 1, TransferredOut = 2, TransferIn = 96 };

    // All bytes zero.
    StudentRecord() { mBytes.fill(0); }
    // The record a new roster holds in every slot, and what a record beyond the end of the file
    // reads as: flag 0, blank texts, zero integers and every score slot -5.
    static StudentRecord blank();

    const std::array<std::uint8_t, Size>& bytes() const { return mBytes; }
    std::array<std::uint8_t, Size>& bytes() { return mBytes; }

    int flag() const { return int16At(0); }
    void setFlag(int flag) { setInt16At(0, flag); }

    // The name as stored (not trimmed; NUL bytes read as blanks); setName cuts at a character
    // boundary. `invalid` (when given) says whether the field held bytes that are not CP932.
    QString name(bool* invalid = nullptr) const;
    void setName(const QString& name);
    int sex() const { return int16At(16); }
    void setSex(int sex) { setInt16At(16, sex); }

    // Naishin slot k = 1..12 at offset 16 + 2k.
    int naishinSlot(int k) const;
    bool setNaishinSlot(int k, int value);
    // High-school choice k = 1..4 at offset 40 + 2k.
    int choice(int k) const;
    bool setChoice(int k, int value);
    // Score slot u = 1..200 at offset 48 + 2u.
    int scoreSlot(int u) const;
    bool setScoreSlot(int u, int value);

    QString furigana(bool* invalid = nullptr) const;
    void setFurigana(const QString& furigana);
    // The name and the reading trimmed, as a load keeps them. A grade is loaded again each time
    // the test changes, with the same names: each distinct pair of fields is decoded once.
    void trimmedNameAndFurigana(QString& name, QString& furigana) const;
    int newClass() const { return int16At(470); }
    void setNewClass(int c) { setInt16At(470, c); }
    int newNumber() const { return int16At(472); }
    void setNewNumber(int n) { setInt16At(472, n); }

    int int16At(int offset) const;
    // Refuses (returns false, changes nothing) a value outside -32768..32767 or an offset
    // outside the record.
    bool setInt16At(int offset, int value);

    bool operator==(const StudentRecord& other) const { return mBytes == other.mBytes; }

private:
    QString textAt(int offset, int width, bool* invalid) const;
    void setTextAt(int offset, int width, const QString& text);
    std::array<std::uint8_t, Size> mBytes;
};

} // namespace seiran
