#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace seiran {

struct GradeData;
class INotice;

// Field-sequential reader of the comma-separated list files: a field ends at a comma or a
// line end; a quoted field may hold commas; blanks around an unquoted field are ignored; a
// record may be spread over lines.
class ListReader
{
public:
    explicit ListReader(const QString& text);
    static ListReader fromCp932(const QByteArray& bytes);

    bool atEnd() const;
    // The next field as text (quotes removed); nullopt at the end of the text.
    std::optional<QString> nextString();
    // The next field as a number; nullopt at the end or when the field is not a number.
    std::optional<double> nextNumber();
    std::optional<int> nextInt(); // a number with no fraction

private:
    std::optional<QString> nextField(bool* quoted);
    QString mText;
    qsizetype mPos = 0;
};

// Writer of the list files. Printed style puts a blank before a number (or its minus sign)
// and one after it; written style writes bare numbers and quoted strings; the caller places
// the commas. Lines end in CR LF; the result is CP932.
class ListWriter
{
public:
    ListWriter& printed(double value);       // " 5 " or "-5 "
    ListWriter& written(double value);       // "5"
    ListWriter& quoted(const QString& text); // "\"text\""
    ListWriter& comma();
    ListWriter& raw(const QString& text);
    ListWriter& endLine();
    QString text() const { return mText; }
    QByteArray toCp932() const;

private:
    QString mText;
};

QString FormatListNumber(double value); // "5", "-5", "1.5"

// File names of the per-grade list files.
QString SubjectListPath(const GradeData& gd); // kyoka NN .seq
QString TestListPath(const GradeData& gd);    // test NN .seq
QString HomeroomPath(const GradeData& gd);    // tannin NN .seq

Result LoadSubjectList(GradeData& gd);
Result SaveSubjectList(const GradeData& gd);
// Reads the test list, computes testFirstSlot, then the homeroom file (classCount, teachers).
Result LoadTestList(GradeData& gd);
Result SaveTestList(const GradeData& gd);
// Writes the homeroom file: the class count, then one quoted teacher name per class.
Result SaveHomeroomFile(const GradeData& gd);
// The homeroom file's bytes for `classCount` classes; names missing from the list are empty.
QByteArray HomeroomFileBytes(int classCount, const QStringList& teacherNames = {});
// Reads hischool.txt, or converts the data folder's hischool.seq, or the standard list of the
// program folder (with a notice), and appends "その他".
Result LoadHighSchoolList(GradeData& gd, const QString& programFolder, INotice& notice);
// Writes hischool.seq and Hischool.txt; when the data folder cannot be written, the standard
// list in the program folder is updated instead (with a notice).
Result SaveHighSchoolList(const GradeData& gd, const QString& programFolder, INotice& notice);

// Whole-file helpers for the list files (written through a temporary file and renamed).
Result ReadWholeFile(const QString& path, QByteArray& bytes);
// Every whole file the program writes goes through here: the bytes are flushed and synced to the
// disk before the temporary file replaces the old one, and a failure at any step keeps the old
// file. `shownPath` is the name the messages give when `path` is a temporary name of the caller's.
Result WriteWholeFile(const QString& path, const QByteArray& bytes, const QString& shownPath = QString());

// How WriteWholeFile makes the bytes durable: 0, or the errno value of the failure. Tests put in
// one that fails, as a network share does when its write errors first appear at the sync.
using FileSyncFunction = int (*)(int fileDescriptor);
// Installs `sync` (nullptr: the system's) and returns the one it replaces.
FileSyncFunction SetFileSync(FileSyncFunction sync);

// The path of `name` in `folder`, matching an existing file's name without regard to case (the
// high-school files were written as "Hischool.Txt" and read as "hischool.txt").
QString PathIgnoringCase(const QString& folder, const QString& name);

} // namespace seiran
