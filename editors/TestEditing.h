#pragma once

#include "Result.h"

#include <QList>
#include <QString>

namespace seiran {

struct GradeData;

// The test editor's copy of the grade's test list: names and abbreviations are edited in the
// grid; the number of tests and their subject counts, which fix where the scores lie in the
// roster records, stay as they are.
class TestEditorTable
{
public:
    enum Column { ColNumber = 0, ColName = 1, ColShortName = 2, ColSubjects = 3, ColumnCount = 4 };

    struct Row
    {
        QString name;
        QString shortName;
        int subjects = 0;
    };

    void loadFrom(const GradeData& gd);
    int rowCount() const { return int(mRows.size()); }
    QString cellText(int i, int col) const;
    static bool Editable(int col) { return col == ColName || col == ColShortName; }
    // What the edit box puts into a name or abbreviation cell (other cells are not changed).
    void setCellText(int i, int col, const QString& text);
    // The number of score slots in use: the sum of the subject counts.
    int totalSubjects() const;

    // Text that the list file cannot hold, named by its row; success when every text can.
    Result checkStorable() const;
    // Puts names and abbreviations, without surrounding blanks, into the grade's test tables.
    void storeInto(GradeData& gd) const;

private:
    QList<Row> mRows;
};

// Where the up or down arrow moves the edit box from `row`: up from rows above 2 (not from 2
// to 1), down while below `lastRow`; 0 when it stays.
int EditBoxArrowTarget(int row, bool up, int lastRow);

} // namespace seiran
