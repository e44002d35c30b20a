#pragma once

#include "Result.h"

#include <QChar>
#include <QList>
#include <QString>

namespace seiran {

struct GradeData;

// The subject editor's copy of the grade's subject list and the rules of its cells: the kind
// (処理) stepped by the blank key or set by "0"/"1"/"2", the naishin multiplier as one digit
// 1..9, and the group as digits with Backspace and the blank key. Names and the number of
// subjects are not edited here.
class SubjectEditorTable
{
public:
    enum Column { ColNumber = 0, ColName = 1, ColKind = 2, ColWeight = 3, ColGroup = 4, ColumnCount = 5 };

    struct Row
    {
        QString name;
        int kind = 0; // 0 plain, 1 boys and girls apart, 2 by group
        double weight = 0;
        QString group;
        bool operator==(const Row& other) const = default;
    };

    void loadFrom(const GradeData& gd);
    int rowCount() const { return int(mRows.size()); }
    const Row& row(int i) const; // 1..rowCount
    // Gives row i earlier values (an undo step).
    void setRow(int i, const Row& row);
    QString cellText(int i, int col) const;
    static QString KindText(int kind); // "", "男女別", "グループ別"

    // A typed character in cell (i, col): 8 Backspace, 32 blank, otherwise the character.
    // Returns whether the row changed.
    bool typeKey(int i, int col, QChar key);

    // The subject list loaded had its own naishin order: saving writes the plain layout, which
    // puts the order back to the standard one.
    bool hasOwnNaishinOrder() const { return mOwnNaishinOrder; }
    // Text that the list file cannot hold, named by its row; success when every text can.
    Result checkStorable() const;
    // Puts the rows into the grade's subject tables, with the standard naishin order the saved
    // file will give.
    void storeInto(GradeData& gd) const;

private:
    QList<Row> mRows;
    bool mOwnNaishinOrder = false;
    Row mNone;
};

// The standard naishin order: positions 1..9 show subjects 1, 2, 3, 4, 6, 7, 8, 9, 5.
int StandardNaishinSlot(int position);

// The question before a save that resets an own naishin order.
QString NaishinOrderQuestion();

} // namespace seiran
