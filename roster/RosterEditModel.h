#pragma once

#include "Result.h"

#include <QString>
#include <array>

namespace seiran {

class IProgress;

// One seat of the roster editor: what the record says about the pupil on it.
struct RosterSeat
{
    QString name;     // trimmed
    QString furigana; // trimmed
    int sex = 0;      // 1 男, 2 女, 0 none
    int flag = 0;     // 0 not registered, 1 enrolled, 2 transferred out (other values kept as read)

    bool operator==(const RosterSeat& other) const = default;
};

// The roster editor's working copy of every seat of the grade (classes 1..9, numbers 1..60),
// with the values as loaded, the editing rules of the seats and the save of changed records.
// It never touches GradeData: the screens opened afterwards read the file again.
class RosterEditModel
{
public:
    static constexpr int MaxClasses = 9;
    static constexpr int Seats = 60;

    // Grid columns of the editor.
    enum Column { ColNumber = 0, ColName = 1, ColSex = 2, ColFurigana = 3, ColRemark = 4 };

    // Reads every seat of classes 1..classCount. A missing file reads as empty seats (the file
    // is created when something is saved).
    Result load(const QString& path, int classCount, IProgress& progress);
    int classCount() const { return mClassCount; }

    const RosterSeat& seat(int classNo, int number) const;
    const RosterSeat& loadedSeat(int classNo, int number) const;
    // Whether the seat differs from what was loaded (and its record must be written).
    bool changed(int classNo, int number) const;
    // Whether the seat's name held bytes that are not CP932 when it was read (shown with U+FFFD):
    // the editor marks it so that the teacher retypes it. Typing a name clears the mark.
    bool nameUnreadable(int classNo, int number) const;
    int unreadableNameCount() const;
    int changedCount() const;

    // Text of a grid cell for columns 1..4 ("男"/"女", "未登録"/"転出済"/"削  除").
    QString cellText(int classNo, int number, int col) const;

    // Typing or pasting a name: a name on a free seat enrols it as a boy; an empty name on a
    // registered seat removes the pupil ("削  除"). A transferred-out seat keeps its flag.
    void setName(int classNo, int number, const QString& name);
    void setFurigana(int classNo, int number, const QString& furigana);
    // Empties the name and removes the pupil, whatever the seat held ("消去").
    void removePupil(int classNo, int number);
    // Sex of a named seat; a seat without a name is left alone. Returns whether it was set.
    bool setSexIfNamed(int classNo, int number, int sex);
    void setSex(int classNo, int number, int sex);
    // 1 <-> 2; a seat without a sex stays without.
    void toggleSex(int classNo, int number);
    // Enrolled <-> transferred out; a free seat stays free.
    void toggleTransfer(int classNo, int number);
    // Puts a whole seat in place (imports): texts are fitted to their fields; a seat left free
    // shows "削  除" when it held a pupil as loaded.
    void setSeat(int classNo, int number, const RosterSeat& seat);
    // Everything the editor knows of a seat (with its "削  除" and unreadable marks) as one text,
    // and the seat put back from such a text (undo).
    QString seatStateText(int classNo, int number) const;
    void restoreSeatState(int classNo, int number, const QString& state);

    // Pastes tab/CR separated text from (top, left): names (with the enrol/remove rule),
    // sexes ("1"/"男", "2"/"女"), readings (only on registered seats); the number and remark
    // columns and rows beyond 60 are never written. A line of name and reading without a sex
    // between them, pasted from the name column or further left, fills name and reading. Tokens with characters the
    // file cannot hold are skipped; returns how many were skipped.
    int paste(int classNo, int top, int left, const QString& clip);

    // Writes the changed seats' records: each record is read afresh and only name, sex, flag
    // and reading are replaced (a name or reading the teacher did not change keeps its bytes),
    // name and reading fitted to their byte widths. A record beyond the end of the file, and the
    // free records before it, are written as a new roster's. Every record is composed before
    // the first is written. A written seat then counts as loaded with the text the record kept.
    Result save(const QString& path, IProgress& progress);

private:
    RosterSeat& at(int classNo, int number);
    bool valid(int classNo, int number) const;

    int mClassCount = 0;
    std::array<RosterSeat, MaxClasses * Seats> mSeats{};
    std::array<RosterSeat, MaxClasses * Seats> mLoaded{};
    std::array<bool, MaxClasses * Seats> mRemoved{};    // shows "削  除" until saved
    std::array<bool, MaxClasses * Seats> mUnreadable{}; // the name as read held invalid bytes
    RosterSeat mNone{};
};

// The characters of a text that the roster file cannot hold (not in CP932), empty when all can.
QString UnstorableCharacters(const QString& text);
// Each such character with its code point, as messages name them: 「𠮷」(U+20BB7).
QString DescribeCharacters(const QString& characters);
// The message for a typed name or reading holding such characters (`characters` as
// UnstorableCharacters gives them), the same in every roster window.
QString UnstorableTextMessage(const QString& characters);
// What a fixed-width field of `width` bytes keeps of a text: trimmed, then cut at a character
// boundary.
QString StoredFieldText(const QString& text, int width);
// The warning for a name (column ColName) or reading (ColFurigana) that its field will cut to
// `stored`.
QString FieldCutMessage(int column, const QString& stored);

} // namespace seiran
