#pragma once

#include "GradeData.h"
#include "Result.h"
#include "StudentRecord.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace seiran {

struct GradeData;
class IProgress;

// The grade's roster file: 512-byte records numbered from 1, record (class - 1) * 60 + number.
// Opened for one operation and closed at its end.
class RosterFile
{
public:
    static QString fileName(int grade); // "dtfile01.rnd"
    static QString pathFor(const GradeData& gd);
    static int recordNumber(int classNo, int number) { return (classNo - 1) * 60 + number; }

    explicit RosterFile(const QString& path);
    ~RosterFile();
    RosterFile(const RosterFile&) = delete;
    RosterFile& operator=(const RosterFile&) = delete;

    // Opens for reading and writing; a missing file is created empty.
    Result open();
    // Opens for reading only (never creates).
    Result openReadOnly();
    void close();
    bool isOpen() const { return mFile.isOpen(); }
    QString path() const { return mFile.fileName(); }

    // Number of whole records; a trailing partial record is not counted.
    int recordCount() const;
    qint64 byteSize() const { return mFile.size(); }

    // Record r (from 1). A record beyond the whole records reads as a new roster's free record
    // (blank texts, every score slot "not entered").
    Result read(int r, StudentRecord& record);
    // Reads every whole record at once (loads of the whole grade).
    Result readAll(QByteArray& bytes);
    // Writes record r in place. A record beyond the end extends the file; a trailing partial
    // record is never overwritten (the write is refused).
    Result write(int r, const StudentRecord& record);

private:
    Result refuseNonRegular() const;
    QFile mFile;
};

// Loads and saves between the roster file of the current grade and GradeData. Each reads every
// in-use record of the class blocks; the saves re-read each record and write only the records
// where an owned field changed, and only once every changed record has been checked.
Result LoadRoster(GradeData& gd, IProgress& progress);
Result LoadTestScores(GradeData& gd, IProgress& progress);
Result LoadNaishin(GradeData& gd, IProgress& progress);
Result LoadCareerChoices(GradeData& gd, IProgress& progress);
Result SaveTestScores(GradeData& gd, IProgress& progress);
Result SaveNaishin(GradeData& gd, IProgress& progress);
Result SaveCareerChoices(GradeData& gd, IProgress& progress);

} // namespace seiran

namespace seiran {

// One subject's scores over several tests, read straight from the roster file by the score
// entry by subject. Column t (1..tests.size()) is test tests[t - 1]; its slot is that test's
// first slot + subject - 1.
struct SubjectScores
{
    int subject = 0;       // position of the subject in each test, from 1
    QList<int> tests;      // test numbers, in column order
    QList<int> scoreSlots; // the score slot of each column (set by the load)
    // By column and pupil: the value as read, and the value to save.
    Table2<int, 1, Limits::Tests, 1, Limits::Students> loaded;
    Table2<int, 1, Limits::Tests, 1, Limits::Students> values;

    int columnCount() const { return int(tests.size()); }
};

// Checks the subject and the tests (each test known, holding the subject, chosen once, its slot
// within the record) before anything is read, then reads every in-use record of the class
// blocks: the roster tables of GradeData (pupils, classes, counts) and, per pupil, the score of
// each chosen test. "データ読込中" while it runs.
Result LoadSubjectScores(GradeData& gd, SubjectScores& table, IProgress& progress);
// Writes the values that differ from those loaded into the records of the pupils as loaded
// (class and number remembered at load); only changed records are written. "データ保存中".
Result SaveSubjectScores(const GradeData& gd, const SubjectScores& table, IProgress& progress);

} // namespace seiran
