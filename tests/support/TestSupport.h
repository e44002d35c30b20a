#pragma once

#include "GradeData.h"
#include "Result.h"
#include "StudentRecord.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <memory>

namespace seiran::test {

struct FixturePupil
{
    int classNo = 1;
    int number = 1;
    QString name;
    int sex = 1;
    QList<int> scores; // subject 1.. of the fixture's test
    int flag = StudentRecord::InUse;
};

// A data folder in a temporary directory with a grade of known pupils and scores, written byte
// for byte through the data layer, and a GradeData pointed at it.
class GradeFixture
{
public:
    explicit GradeFixture(int grade = 1, int classes = 2);

    QString folder() const { return mFolder; } // ends with "/"
    GradeData& gd() { return *mGd; }

    // Subjects of kind 0 with weight 1.
    void writeSubjects(const QStringList& names);
    // Tests as (name, subject count); abbreviations are the first character.
    void writeTests(const QList<QPair<QString, int>>& tests);
    void writeHomeroom();
    // A roster of `classes` blank class blocks with these pupils; their scores go to the slots
    // of test `test` (the test list must be written first).
    void writeRoster(const QList<FixturePupil>& pupils, int test = 1);
    // The usual small grade: 9 subjects, tests (5, 9, 5 subjects), homeroom, and the pupils.
    void writeStandard(const QList<FixturePupil>& pupils);
    // LoadTestList and LoadSubjectList into gd(); fails the test on error.
    bool loadLists();

    StudentRecord readRecord(int r) const;
    void writeRecord(int r, const StudentRecord& record);
    QByteArray rosterBytes() const;
    QString rosterPath() const;

private:
    QTemporaryDir mDir;
    QString mFolder;
    std::unique_ptr<GradeData> mGd;
};

QByteArray ReadFileBytes(const QString& path);
// Every file of a folder (hidden ones too, and with `subfolders` those below it, but not the grade
// lock folders "seiranNN") with its bytes, by its path relative to the folder.
QMap<QString, QByteArray> FolderFiles(const QString& folder, bool subfolders = false);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
// The standard lists of the program folder (the repository's stdfiles folder in tests).
QString StdFilesFolder();

// Writes a sample grade of `classes` classes of about `pupils` pupils into `folder`, made first.
Result WriteSample(const QString& folder, int grade, int classes, int pupils);

// What a command-line tool run in-process returned and wrote.
struct CommandRun
{
    int status = -1;
    QString out;
    QString err;
};
// A command's entry function: its arguments (program name first), standard output and error.
using CommandMain = std::function<int(const QStringList& args, QTextStream& out, QTextStream& err)>;
// Runs `program args` through `main`, its output captured.
CommandRun RunCommand(const CommandMain& main, const QString& program, const QStringList& args);

} // namespace seiran::test
