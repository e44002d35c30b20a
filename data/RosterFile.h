#pragma once

#include "Result.h"
#include "StudentRecord.h"

#include <QByteArray>
#include <QFile>
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
