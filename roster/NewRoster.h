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

// True when the grade's roster file holds a pupil (a record that is not free; a file that cannot
// be read counts too): re-creating the grade would then destroy data, so the user is asked first.
bool RosterHoldsData(const QString& dataFolder, int grade);

// The text as written line by line: every line (ended by CR LF, LF or CR, or by the end of the
// text) followed by CR LF.
QByteArray CopyLines(const QByteArray& text);

// Creates the file set of a new grade in `dataFolder` (made when missing): a roster of
// 60 x classCount blank records, the homeroom file with the class count and empty names, and
// line-by-line copies of the standard test and subject lists of the program folder. A roster
// that holds data, and each list whose content changes, is first copied to the first free of
// "<name>.bak", "<name>.bak2" … Every file is written to a temporary file; the four are renamed
// into place together, and a failed rename undoes the others, so a failure leaves the old files
// as they were. The progress bar follows the records and is reset to 0 at the end.
Result CreateGradeFiles(const QString& dataFolder, int grade, int classCount, const QString& programFolder,
                        IProgress& progress);

} // namespace seiran
