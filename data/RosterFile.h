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

// One record to write: its number (from 1) and its whole new image.
struct RecordImage
{
    int record = 0;
    StudentRecord bytes;
};

// Writes whole records of a roster file in place, all or none on disk. Before the first record is
// written, the old image of every record to write goes to the grade's rollback journal
// (seiranNN/roster.undo, with the file's old length and a CRC), synced; then the records; then the
// journal is removed. When a write fails, the old images are put back and the message says that the
// roster is as it was. The caller holds the grade's guard. `asRead`, when given, is the roster's
// records as the caller has just read them under that guard (RosterFile::readAll): they are not
// read again.
Result WriteRosterRecords(const QString& rosterPath, const QList<RecordImage>& records,
                          const QByteArray* asRead = nullptr);
// A rollback journal left by a write that was cut short (a kill, a power cut, a lost share) puts the
// old images back, so the roster is as it was before that write; the lock notice tells so. Takes the
// guard; done before every write and when a grade's lists are loaded. A journal whose CRC does not
// match was cut short before any record was written, and is only removed.
Result RollBackInterruptedRosterWrite(const QString& rosterPath);
// Where the rollback journal of a roster lives.
QString RosterUndoPath(const QString& rosterPath);
// Test seams: the n-th record write (from 1) of the following WriteRosterRecords calls fails with
// `error` (0: none); a pause before each record write (ms), so that a test can kill a writer midway
// (also set from the environment variable SEIRAN_TEST_WRITE_PAUSE_MS for child processes).
void SetRosterWriteFault(int nth, int error);
void SetRosterWritePause(int ms);

// What an entry screen saw of the grade when it loaded: the lock's generation and the SHA-256 of
// the subject, test and homeroom lists. A save refuses when either changed since, because the
// slots or seats it would write may no longer be the ones it showed.
struct GradeStamp
{
    bool taken = false;
    qint64 generation = 0;
    QByteArray listHash;
};
// The stamp of the grade now; `generation` is the one the screen's registration was granted at.
GradeStamp TakeGradeStamp(const GradeData& gd, qint64 generation);
// SHA-256 over the three list files of the grade as they are on disk (a missing file counts as empty).
QByteArray GradeListHash(const GradeData& gd);

// One field that the screen changed and another saved differently since the load.
struct FieldConflict
{
    int student = 0;       // pupil index as loaded
    int column = 0;        // the screen's column: subject j of the test, naishin position j, choice k, test t
    int base = 0;          // L: the value at load
    int mine = 0;          // M: the value to save
    int saved = 0;         // D: the value in the file now
    bool keepMine = false; // how it was settled (for the settled list)
};

// How a clash is settled: asked (nothing is written and the clashes come back), or every clash
// by one rule.
enum class ConflictRule { Ask, Mine, Theirs };

// A clash the user answered: it holds while the file still shows `saved`; a value saved again
// since is a new clash.
struct ConflictDecision
{
    int student = 0;
    int column = 0;
    int saved = 0;
    bool keepMine = false;
};

// The save of an entry screen merges with what others saved since its load, field by field:
// with L the value at load, M the value to save and D the value read now under the grade's guard,
//   M = L: nothing is written (D stays);  D = L: M is written;  D = M: nothing to write;
//   otherwise the field clashes.
// Clashes are decided before anything is written; undecided ones come back in `conflicts`.
struct SaveControl
{
    GradeStamp stamp; // not taken: the lists and generation are not checked
    ConflictRule rule = ConflictRule::Ask;
    QList<ConflictDecision> decisions;
    QString screen; // named in the conflict log

    // Filled by the save.
    QList<FieldConflict> conflicts; // undecided: nothing was written
    QList<FieldConflict> settled;   // clashes written by a decision or the rule
    bool gradeChanged = false;      // refused: the grade changed since the load
};

// The refusal when the grade changed under an open screen.
QString GradeChangedMessage();
// The answer of a save that found clashes.
QString ConflictMessage();

// Loads and saves between the roster file of the current grade and GradeData. Each reads every
// in-use record of the class blocks. The saves take the grade's guard, read every record again,
// decide every field by the rule above and only then write the records where a field changes.
// After a save the screen's values and values-as-loaded both hold what the file holds for every
// field it changed.
Result LoadRoster(GradeData& gd, IProgress& progress);
Result LoadTestScores(GradeData& gd, IProgress& progress);
Result LoadNaishin(GradeData& gd, IProgress& progress);
Result LoadCareerChoices(GradeData& gd, IProgress& progress);
Result SaveTestScores(GradeData& gd, IProgress& progress, SaveControl& control);
Result SaveNaishin(GradeData& gd, IProgress& progress, SaveControl& control);
Result SaveCareerChoices(GradeData& gd, IProgress& progress, SaveControl& control);
// The same with clashes asked and no stamp (tools and tests that own the grade).
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
// (class and number remembered at load), by the merge rule of SaveControl; only changed records
// are written. "データ保存中".
Result SaveSubjectScores(const GradeData& gd, SubjectScores& table, IProgress& progress, SaveControl& control);
Result SaveSubjectScores(const GradeData& gd, SubjectScores& table, IProgress& progress);

} // namespace seiran
