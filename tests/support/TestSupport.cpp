#include "TestSupport.h"

#include "ListFiles.h"
#include "RosterFile.h"
#include "SampleGrade.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace seiran::test {

GradeFixture::GradeFixture(int grade, int classes) : mGd(std::make_unique<GradeData>())
{
    mFolder = mDir.path() + QLatin1Char('/');
    mGd->dataFolder = mFolder;
    mGd->currentGrade = grade;
    mGd->classCount = classes;
}

void GradeFixture::writeSubjects(const QStringList& names)
{
    mGd->subjectCount = int(names.size());
    for (int k = 1; k <= names.size(); ++k) {
        mGd->subjectNames[k] = names.at(k - 1);
        mGd->subjectKind[k] = 0;
        mGd->naishinWeight[k] = 1;
    }
    QVERIFY(SaveSubjectList(*mGd).ok);
}

void GradeFixture::writeTests(const QList<QPair<QString, int>>& tests)
{
    mGd->testCount = int(tests.size());
    int slot = 1;
    for (int t = 1; t <= tests.size(); ++t) {
        mGd->testNames[t] = tests.at(t - 1).first;
        mGd->testShortNames[t] = tests.at(t - 1).first.left(1);
        mGd->testSubjectCount[t] = tests.at(t - 1).second;
        mGd->testFirstSlot[t] = slot;
        slot += tests.at(t - 1).second;
    }
    QVERIFY(SaveTestList(*mGd).ok);
}

void GradeFixture::writeHomeroom()
{
    QVERIFY(SaveHomeroomFile(*mGd).ok);
}

void GradeFixture::writeRoster(const QList<FixturePupil>& pupils, int test)
{
    QByteArray bytes;
    const StudentRecord blank = StudentRecord::blank();
    for (int r = 1; r <= 60 * mGd->classCount; ++r)
        bytes.append(reinterpret_cast<const char*>(blank.bytes().data()), StudentRecord::Size);
    WriteFileBytes(rosterPath(), bytes);
    for (const FixturePupil& p : pupils) {
        StudentRecord rec = StudentRecord::blank();
        rec.setFlag(p.flag);
        rec.setName(p.name);
        rec.setSex(p.sex);
        for (int j = 1; j <= p.scores.size(); ++j)
            QVERIFY(rec.setScoreSlot(mGd->testFirstSlot[test] + j - 1, p.scores.at(j - 1)));
        writeRecord(RosterFile::recordNumber(p.classNo, p.number), rec);
    }
}

void GradeFixture::writeStandard(const QList<FixturePupil>& pupils)
{
    writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"), QStringLiteral("理科"),
                   QStringLiteral("英語"), QStringLiteral("音楽"), QStringLiteral("美術"), QStringLiteral("保体"),
                   QStringLiteral("技家")});
    writeTests({{QStringLiteral("1学期中間"), 5}, {QStringLiteral("1学期期末"), 9}, {QStringLiteral("2学期中間"), 5}});
    writeHomeroom();
    writeRoster(pupils);
}

bool GradeFixture::loadLists()
{
    const Result tests = LoadTestList(*mGd);
    if (!tests) {
        qWarning() << tests.message;
        return false;
    }
    const Result subjects = LoadSubjectList(*mGd);
    if (!subjects) {
        qWarning() << subjects.message;
        return false;
    }
    return true;
}

StudentRecord GradeFixture::readRecord(int r) const
{
    RosterFile file(rosterPath());
    StudentRecord rec;
    if (file.openReadOnly()) file.read(r, rec);
    return rec;
}

void GradeFixture::writeRecord(int r, const StudentRecord& record)
{
    RosterFile file(rosterPath());
    QVERIFY(file.open().ok);
    QVERIFY(file.write(r, record).ok);
}

QByteArray GradeFixture::rosterBytes() const
{
    return ReadFileBytes(rosterPath());
}

QString GradeFixture::rosterPath() const
{
    return mFolder + RosterFile::fileName(mGd->currentGrade);
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString StdFilesFolder()
{
    // The build copies the standard lists beside every executable, where the program looks for
    // them, so a test binary finds them on its own, inside CTest or not.
    return QCoreApplication::applicationDirPath();
}

QMap<QString, QByteArray> FolderFiles(const QString& folder, bool subfolders)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden,
                    subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(folder).relativeFilePath(path);
        // The grade lock folders hold the program's own bookkeeping (who uses the grade, snapshots),
        // not the grade's files.
        static const QRegularExpression lockFolder(QStringLiteral("^seiran\\d\\d/"));
        if (lockFolder.match(relative).hasMatch()) continue;
        files.insert(relative, ReadFileBytes(path));
    }
    return files;
}

Result WriteSample(const QString& folder, int grade, int classes, int pupils)
{
    if (!QDir().mkpath(folder)) return Result::failure(QStringLiteral("%1 を作れません").arg(folder));
    SampleOptions options;
    options.grade = grade;
    options.classes = classes;
    options.pupils = pupils;
    return WriteSampleGrade(folder, options);
}

CommandRun RunCommand(const CommandMain& main, const QString& program, const QStringList& args)
{
    CommandRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = main(QStringList{program} + args, out, err);
    out.flush();
    err.flush();
    return run;
}

} // namespace seiran::test
