#include "RosterFile.h"

#include "FileErrors.h"
#include "GradeData.h"
#include "Progress.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace seiran {

QString RosterFile::fileName(int grade)
{
    return QStringLiteral("dtfile") + QString::number(grade + 1000).right(2) + QStringLiteral(".rnd");
}

QString RosterFile::pathFor(const GradeData& gd)
{
    return gd.dataFolder + fileName(gd.currentGrade);
}

RosterFile::RosterFile(const QString& path) : mFile(path) {}

RosterFile::~RosterFile()
{
    close();
}

Result RosterFile::refuseNonRegular() const
{
    if (const QString why = NotRegularFileReason(mFile.fileName()); !why.isEmpty())
        return Result::failure(
            QStringLiteral("名簿ファイル %1 は開けません。%2").arg(QDir::toNativeSeparators(mFile.fileName()), why));
    return Result::success();
}

Result RosterFile::open()
{
    if (mFile.isOpen()) return Result::success();
    if (Result r = refuseNonRegular(); !r) return r;
    errno = 0;
    if (mFile.open(QIODevice::ReadWrite)) return Result::success();
    const int error = errno;
    // A roster on a read-only medium can still be read.
    if (QFileInfo::exists(mFile.fileName()) && mFile.open(QIODevice::ReadOnly)) return Result::success();
    return Result::failure(
        QStringLiteral("名簿ファイル %1 を開けません。%2")
            .arg(QDir::toNativeSeparators(mFile.fileName()), FileErrorReason(mFile, FileAccess::Write, error)));
}

Result RosterFile::openReadOnly()
{
    if (mFile.isOpen()) return Result::success();
    if (Result r = refuseNonRegular(); !r) return r;
    errno = 0;
    if (mFile.open(QIODevice::ReadOnly)) return Result::success();
    return Result::failure(
        QStringLiteral("名簿ファイル %1 を読めません。%2")
            .arg(QDir::toNativeSeparators(mFile.fileName()), FileErrorReason(mFile, FileAccess::Read, errno)));
}

void RosterFile::close()
{
    if (mFile.isOpen()) mFile.close();
}

int RosterFile::recordCount() const
{
    return int(mFile.size() / StudentRecord::Size);
}

Result RosterFile::read(int r, StudentRecord& record)
{
    record = StudentRecord::blank();
    if (r < 1) return Result::failure(QStringLiteral("名簿ファイルのレコード番号 %1 は不正です").arg(r));
    if (r > recordCount()) return Result::success();
    if (!mFile.seek(qint64(r - 1) * StudentRecord::Size) ||
        mFile.read(reinterpret_cast<char*>(record.bytes().data()), StudentRecord::Size) != StudentRecord::Size) {
        record = StudentRecord::blank();
        return Result::failure(QStringLiteral("名簿ファイル %1 のレコード %2 を読めません。%3")
                                   .arg(QDir::toNativeSeparators(mFile.fileName()))
                                   .arg(r)
                                   .arg(FileErrorReason(mFile, FileAccess::Read)));
    }
    return Result::success();
}

Result RosterFile::readAll(QByteArray& bytes)
{
    if (!mFile.seek(0)) {
        bytes.clear();
        return Result::failure(
            QStringLiteral("名簿ファイル %1 を読めません").arg(QDir::toNativeSeparators(mFile.fileName())));
    }
    bytes = mFile.read(qint64(recordCount()) * StudentRecord::Size);
    return Result::success();
}

Result RosterFile::write(int r, const StudentRecord& record)
{
    const QString name = QDir::toNativeSeparators(mFile.fileName());
    if (r < 1) return Result::failure(QStringLiteral("名簿ファイルのレコード番号 %1 は不正です").arg(r));
    // A trailing partial record belongs to nobody we know; never overwrite or extend past it.
    if (mFile.size() % StudentRecord::Size != 0 && r > recordCount())
        return Result::failure(
            QStringLiteral("名簿ファイル %1 の長さが不正なため、レコード %2 を書き込めません").arg(name).arg(r));
    if (!mFile.isWritable())
        return Result::failure(QStringLiteral("名簿ファイル %1 に書き込めません（読み取り専用です）").arg(name));
    errno = 0;
    if (!mFile.seek(qint64(r - 1) * StudentRecord::Size) ||
        mFile.write(reinterpret_cast<const char*>(record.bytes().data()), StudentRecord::Size) != StudentRecord::Size ||
        !mFile.flush()) {
        return Result::failure(QStringLiteral("名簿ファイル %1 に書き込めません。%2")
                                   .arg(name, FileErrorReason(mFile, FileAccess::Write, errno)));
    }
    return Result::success();
}

namespace {

Result checkClassCount(const GradeData& gd)
{
    if (gd.classCount < 1 || gd.classCount > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数 %1 は不正です（1〜9）").arg(gd.classCount));
    return Result::success();
}

// Shown in the status bar for the duration of one load or save.
class ProgressScope
{
public:
    ProgressScope(IProgress& progress, const QString& text, int maximum) : mProgress(progress)
    {
        mProgress.setStatusText(text);
        mProgress.setValue(0);
        mProgress.setVisible(true);
        mProgress.setMaximum(maximum);
    }
    ~ProgressScope()
    {
        mProgress.setVisible(false);
        mProgress.setStatusText(QString());
    }

private:
    IProgress& mProgress;
};

using LoadFields = std::function<void(GradeData&, int student, const StudentRecord&)>;

// Common part of the loads: every in-use record of the class blocks becomes a pupil, in class
// order and then attendance-number order.
Result loadRoster(GradeData& gd, IProgress& progress, const LoadFields& fields)
{
    if (Result r = checkClassCount(gd); !r) return r;
    ProgressScope scope(progress, QStringLiteral("データ読込中"), 60 * gd.classCount);
    RosterFile file(RosterFile::pathFor(gd));
    if (Result r = file.open(); !r) return r;
    // The class blocks are at most 540 records; one read is faster than one per record.
    QByteArray bytes;
    if (Result r = file.readAll(bytes); !r) return r;
    file.close();
    const int available = int(bytes.size() / StudentRecord::Size);
    StudentRecord record;
    gd.studentCount = 0;
    for (int k = 0; k <= Limits::Classes; ++k)
        gd.classSize[k] = 0;
    for (int k = 1; k <= gd.classCount; ++k) {
        for (int n = 1; n <= 60; ++n) {
            progress.setValue((k - 1) * 60 + n);
            const int rec = RosterFile::recordNumber(k, n);
            if (rec > available) continue; // beyond the end: a free record
            const char* raw = bytes.constData() + qsizetype(rec - 1) * StudentRecord::Size;
            // Skip free and transferred records without copying them.
            const int flag = static_cast<qint16>(
                static_cast<quint16>(static_cast<quint8>(raw[0]) | (static_cast<quint8>(raw[1]) << 8)));
            if (flag != StudentRecord::InUse) continue;
            std::memcpy(record.bytes().data(), raw, StudentRecord::Size);
            if (record.flag() != StudentRecord::InUse) continue;
            if (gd.studentCount >= Limits::Students) {
                gd.studentCount = 0;
                for (int c = 0; c <= Limits::Classes; ++c)
                    gd.classSize[c] = 0;
                return Result::failure(QStringLiteral("名簿ファイル %1 の生徒数が %2 人を超えています")
                                           .arg(QDir::toNativeSeparators(file.path()))
                                           .arg(Limits::Students));
            }
            const int s = ++gd.studentCount;
            gd.classSize[k] += 1;
            gd.studentClass[s] = k;
            gd.studentNumber[s] = n;
            record.trimmedNameAndFurigana(gd.studentName[s], gd.studentFurigana[s]);
            gd.studentSex[s] = record.sex();
            if (fields) fields(gd, s, record);
        }
    }
    gd.classStart[1] = 1;
    for (int k = 2; k <= gd.classCount; ++k)
        gd.classStart[k] = gd.classStart[k - 1] + gd.classSize[k - 1];
    return Result::success();
}

// Sets the record's owned fields that changed since the load; true when one was set.
using SaveFields = std::function<Result(const GradeData&, int student, StudentRecord&, bool& changed)>;

Result saveRoster(GradeData& gd, IProgress& progress, const SaveFields& fields)
{
    if (Result r = checkClassCount(gd); !r) return r;
    ProgressScope scope(progress, QStringLiteral("データ書込中"), 60 * gd.classCount);
    RosterFile file(RosterFile::pathFor(gd));
    if (Result r = file.open(); !r) return r;
    // Every changed record is composed and checked before the first is written, so a value that
    // cannot be stored refuses the whole save with the file as it was.
    struct Pending
    {
        int record;
        StudentRecord bytes;
    };
    std::vector<Pending> pending;
    StudentRecord record;
    for (int k = 1; k <= gd.classCount; ++k) {
        for (int m = 1; m <= gd.classSize[k]; ++m) {
            const int s = gd.classStart[k] + m - 1;
            progress.setValue((k - 1) * 60 + m);
            const int rec = RosterFile::recordNumber(k, gd.studentNumber[s]);
            if (Result r = file.read(rec, record); !r) return r;
            bool changed = false;
            if (Result r = fields(gd, s, record, changed); !r) return r;
            if (changed) pending.push_back({rec, record});
        }
    }
    for (const Pending& p : pending) {
        if (Result r = file.write(p.record, p.bytes); !r) return r;
    }
    return Result::success();
}

Result valueTooLarge(const GradeData& gd, int s, int value)
{
    return Result::failure(QStringLiteral("%1組%2番 %3 の値 %4 は記録できる範囲（-32768〜32767）を超えています")
                               .arg(gd.classLabel(gd.studentClass[s]))
                               .arg(gd.studentNumber[s])
                               .arg(gd.studentName[s])
                               .arg(value));
}

bool currentTestValid(const GradeData& gd)
{
    return gd.currentTest >= 1 && gd.currentTest <= gd.testCount && gd.testSubjectCount[gd.currentTest] >= 0 &&
           gd.testSubjectCount[gd.currentTest] <= Limits::TestSubjects && gd.testFirstSlot[gd.currentTest] >= 1 &&
           gd.testFirstSlot[gd.currentTest] + gd.testSubjectCount[gd.currentTest] - 1 <= Limits::ScoreSlots;
}

Result noTest(const GradeData& gd)
{
    return Result::failure(QStringLiteral("テストが選ばれていないか、テスト %1 の設定が不正です").arg(gd.currentTest));
}

} // namespace

Result LoadRoster(GradeData& gd, IProgress& progress)
{
    return loadRoster(gd, progress, {});
}

Result LoadTestScores(GradeData& gd, IProgress& progress)
{
    if (!currentTestValid(gd)) return noTest(gd);
    const int n = gd.testSubjectCount[gd.currentTest];
    const int first = gd.testFirstSlot[gd.currentTest];
    return loadRoster(gd, progress, [n, first](GradeData& g, int s, const StudentRecord& rec) {
        for (int j = 1; j <= n; ++j) {
            const int v = rec.scoreSlot(first + j - 1);
            g.scores(j, s) = v;
            g.scoresAsLoaded(j, s) = v;
        }
    });
}

Result LoadNaishin(GradeData& gd, IProgress& progress)
{
    return loadRoster(gd, progress, [](GradeData& g, int s, const StudentRecord& rec) {
        for (int j = 1; j <= Limits::NaishinPositions; ++j) {
            const int v = rec.naishinSlot(g.naishinSlot[j]);
            g.naishin(j, s) = v;
            g.naishinAsLoaded(j, s) = v;
        }
    });
}

Result LoadCareerChoices(GradeData& gd, IProgress& progress)
{
    return loadRoster(gd, progress, [](GradeData& g, int s, const StudentRecord& rec) {
        for (int k = 1; k <= Limits::Choices; ++k) {
            const int v = rec.choice(k);
            g.careerChoice(k, s) = v;
            g.careerChoiceAsLoaded(k, s) = v;
        }
    });
}

Result SaveTestScores(GradeData& gd, IProgress& progress)
{
    if (!currentTestValid(gd)) return noTest(gd);
    const int n = gd.testSubjectCount[gd.currentTest];
    const int first = gd.testFirstSlot[gd.currentTest];
    return saveRoster(gd, progress, [n, first](const GradeData& g, int s, StudentRecord& rec, bool& changed) {
        for (int j = 1; j <= n; ++j) {
            if (g.scores(j, s) == g.scoresAsLoaded(j, s)) continue;
            if (!rec.setScoreSlot(first + j - 1, g.scores(j, s))) return valueTooLarge(g, s, g.scores(j, s));
            changed = true;
        }
        return Result::success();
    });
}

Result SaveNaishin(GradeData& gd, IProgress& progress)
{
    return saveRoster(gd, progress, [](const GradeData& g, int s, StudentRecord& rec, bool& changed) {
        for (int j = 1; j <= Limits::NaishinPositions; ++j) {
            if (g.naishin(j, s) == g.naishinAsLoaded(j, s)) continue;
            if (g.naishinSlot[j] < 1 || g.naishinSlot[j] > Limits::NaishinSlots)
                return Result::failure(QStringLiteral("内申の教科順 %1 が不正です").arg(g.naishinSlot[j]));
            if (!rec.setNaishinSlot(g.naishinSlot[j], g.naishin(j, s))) return valueTooLarge(g, s, g.naishin(j, s));
            changed = true;
        }
        return Result::success();
    });
}

Result SaveCareerChoices(GradeData& gd, IProgress& progress)
{
    return saveRoster(gd, progress, [](const GradeData& g, int s, StudentRecord& rec, bool& changed) {
        for (int k = 1; k <= Limits::Choices; ++k) {
            if (g.careerChoice(k, s) == g.careerChoiceAsLoaded(k, s)) continue;
            if (!rec.setChoice(k, g.careerChoice(k, s))) return valueTooLarge(g, s, g.careerChoice(k, s));
            changed = true;
        }
        return Result::success();
    });
}

} // namespace seiran

namespace seiran {

namespace {

// Why the chosen subject and tests cannot be read; empty when they can.
QString subjectScoresProblem(const GradeData& gd, SubjectScores& table)
{
    if (table.tests.isEmpty()) return QStringLiteral("テストが選ばれていません");
    if (table.tests.size() > Limits::Tests) return QStringLiteral("選べるテストは %1 までです").arg(Limits::Tests);
    if (table.subject < 1 || table.subject > Limits::TestSubjects)
        return QStringLiteral("教科の番号 %1 は不正です（1〜%2）").arg(table.subject).arg(Limits::TestSubjects);
    table.scoreSlots.clear();
    for (qsizetype t = 0; t < table.tests.size(); ++t) {
        const int test = table.tests.at(t);
        if (test < 1 || test > gd.testCount || test > Limits::Tests)
            return QStringLiteral("テスト %1 はありません（テストは 1〜%2）").arg(test).arg(gd.testCount);
        if (table.tests.indexOf(test) != t) return QStringLiteral("テスト %1 が二度選ばれています").arg(test);
        if (gd.testSubjectCount[test] < table.subject)
            return QStringLiteral("テスト「%1」には %2 番目の教科がありません（%3 教科）")
                .arg(gd.testNames[test])
                .arg(table.subject)
                .arg(gd.testSubjectCount[test]);
        const int slot = gd.testFirstSlot[test] + table.subject - 1;
        if (gd.testFirstSlot[test] < 1 || slot > Limits::ScoreSlots)
            return QStringLiteral("テスト「%1」の点数の位置 %2 が名簿ファイルの範囲（1〜%3）を超えています")
                .arg(gd.testNames[test])
                .arg(slot)
                .arg(Limits::ScoreSlots);
        table.scoreSlots.append(slot);
    }
    return QString();
}

} // namespace

Result LoadSubjectScores(GradeData& gd, SubjectScores& table, IProgress& progress)
{
    if (const QString problem = subjectScoresProblem(gd, table); !problem.isEmpty()) {
        table.scoreSlots.clear();
        return Result::failure(problem);
    }
    const QList<int> columnSlots = table.scoreSlots;
    return loadRoster(gd, progress, [&table, &columnSlots](GradeData&, int s, const StudentRecord& rec) {
        for (int t = 1; t <= int(columnSlots.size()); ++t) {
            const int v = rec.scoreSlot(columnSlots.at(t - 1));
            table.loaded(t, s) = v;
            table.values(t, s) = v;
        }
    });
}

Result SaveSubjectScores(const GradeData& gd, const SubjectScores& table, IProgress& progress)
{
    if (table.scoreSlots.size() != table.tests.size() || table.scoreSlots.isEmpty())
        return Result::failure(QStringLiteral("教科別の点数が読み込まれていません"));
    if (Result r = checkClassCount(gd); !r) return r;
    // A value that cannot be stored stops the save before any record is written.
    for (int s = 1; s <= gd.studentCount; ++s) {
        for (int t = 1; t <= table.columnCount(); ++t) {
            const int v = table.values(t, s);
            if (v != table.loaded(t, s) && (v < -32768 || v > 32767)) return valueTooLarge(gd, s, v);
        }
    }
    ProgressScope scope(progress, QStringLiteral("データ保存中"), gd.studentCount);
    RosterFile file(RosterFile::pathFor(gd));
    if (Result r = file.open(); !r) return r;
    StudentRecord record;
    for (int s = 1; s <= gd.studentCount; ++s) {
        progress.setValue(s);
        bool differs = false;
        for (int t = 1; t <= table.columnCount() && !differs; ++t)
            differs = table.values(t, s) != table.loaded(t, s);
        if (!differs) continue;
        // The record is the one the pupil was read from, whatever the cells show now.
        const int rec = RosterFile::recordNumber(gd.studentClass[s], gd.studentNumber[s]);
        if (Result r = file.read(rec, record); !r) return r;
        for (int t = 1; t <= table.columnCount(); ++t) {
            if (table.values(t, s) == table.loaded(t, s)) continue;
            if (!record.setScoreSlot(table.scoreSlots.at(t - 1), table.values(t, s)))
                return valueTooLarge(gd, s, table.values(t, s));
        }
        if (Result r = file.write(rec, record); !r) return r;
    }
    return Result::success();
}

} // namespace seiran
