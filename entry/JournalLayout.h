#pragma once

#include "InputJournal.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace seiran {

struct GradeData;

// What the data columns of an entry screen hold, for its journal of unsaved input: the screen's
// name, which part of it is open (the test, or the subject and tests) and the field of each data
// column. The windows and seiran-entry use the same layouts, so that either restores the other's
// journal.
struct JournalLayout
{
    QString screen; // "" when the screen keeps no journal
    QString scope;
    QStringList headers; // per data column, as the grid's header shows it
    QStringList fields;  // per data column: "slot:U", "naishin:K", "choice:K"

    bool isValid() const { return !screen.isEmpty() && headers.size() == fields.size(); }
    // "国語=slot:3;数学=slot:4"
    QString columnsText() const;
    // Data column (from 1) of a field, 0 when the screen does not show it.
    int columnOfField(const QString& field) const;
};

// The score entry by test `test`: column j is subject j, slot testFirstSlot + j - 1.
JournalLayout TestJournalLayout(const GradeData& gd, int test, const QStringList& headers);
// The score entry by subject: column t is test tests[t - 1], slot testFirstSlot + subject - 1.
JournalLayout SubjectJournalLayout(const GradeData& gd, int subject, const QList<int>& tests,
                                   const QStringList& headers);
// The naishin screen: column j is naishin position j.
JournalLayout NaishinJournalLayout(const QStringList& headers);
// The career choices: column k is choice k.
JournalLayout CareerJournalLayout(const QStringList& headers);

// The record of pupil row `row` in the roster file.
int PupilRecord(const GradeData& gd, int row);

// A cell of a journal as it goes back into the grid.
struct RestoredCell
{
    int row = 0;
    int column = 0; // data column, from 1
    QString text;
    int base = 0;
};

struct RestorePlan
{
    QString fault; // the whole journal is refused (its columns map differently now)
    QList<RestoredCell> cells;
    QStringList refused; // entries not restored, each named: "1組 5番 山田 太郎 国語: why"

    bool ok() const { return fault.isEmpty(); }
};

// Places the last text of each cell of a journal in the screen as it is now. A journal whose
// columns map differently from `layout` is refused whole; an entry whose record now holds another
// pupil (or nobody) is refused and named. `rowOfRecord` gives the pupil row of a record (0: none)
// and `nameOfRow` the name the grid shows for a row.
RestorePlan PlanJournalRestore(const JournalContents& journal, const JournalLayout& layout,
                               const std::function<int(int record)>& rowOfRecord,
                               const std::function<QString(int row)>& nameOfRow);

// The header of a new journal of `layout` for a holder of the grade (user, host, pid and the
// time now).
JournalHeader NewJournalHeader(const JournalLayout& layout, const QString& holderId, qint64 generation);

} // namespace seiran
