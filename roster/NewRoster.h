#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

namespace seiran {

class IProgress;

// The file names of a grade's file set, in the data folder.
struct GradeFileSet
{
    QString roster;   // dtfile NN .rnd
    QString homeroom; // tannin NN .seq
    QString tests;    // test NN .seq
    QString subjects; // kyoka NN .seq
};
GradeFileSet GradeFiles(const QString& dataFolder, int grade);

// True when the grade's roster file exists and holds at least one byte: re-creating the grade
// would then destroy data, so the user is asked first.
bool RosterHoldsData(const QString& dataFolder, int grade);

// The text as written line by line: every line (ended by CR LF, LF or CR, or by the end of the
// text) followed by CR LF.
QByteArray CopyLines(const QByteArray& text);

// Creates the file set of a new grade in `dataFolder` (made when missing): a roster of
// 60 x classCount blank records, the homeroom file with the class count and empty names, and
// line-by-line copies of the standard test and subject lists of the program folder. A roster
// that holds data is first copied to "<name>.bak". Every file is written to a temporary file and
// renamed into place only when all four are written, so a failure leaves the old files as they
// were. The progress bar follows the records and is reset to 0 at the end.
Result CreateGradeFiles(const QString& dataFolder, int grade, int classCount, const QString& programFolder,
                        IProgress& progress);

} // namespace seiran
