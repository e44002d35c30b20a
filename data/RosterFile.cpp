#include "RosterFile.h"

#include "Crc32.h"
#include "FileErrors.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "HostIdentity.h"
#include "ListFiles.h"
#include "Progress.h"
#include "Snapshots.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <functional>
#include <unistd.h>
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

int gFaultAt = 0;
int gFaultError = 0;
int gWriteCount = 0;
int gWritePauseMs = qEnvironmentVariableIntValue("SEIRAN_TEST_WRITE_PAUSE_MS");

const QByteArray UndoMagic = "seiran-roster-undo";

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool syncFile(QFile& file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

// The journal: a header line, then per record its number (4 bytes, little-endian) and old image,
// then "crc XXXXXXXX\n" over everything before it.
QByteArray undoBytes(const QString& rosterPath, qint64 oldSize, const QList<RecordImage>& records,
                     const QByteArray& current)
{
    const HostIdentity self = CurrentHostIdentity();
    QByteArray bytes = UndoMagic + "\t1\t" + QFileInfo(rosterPath).fileName().toUtf8() + '\t' +
                       QByteArray::number(oldSize) + '\t' + QByteArray::number(records.size()) + '\t' +
                       QByteArray::number(self.pid) + '\t' + self.host.toUtf8() + '\n';
    for (const RecordImage& r : records) {
        const quint32 n = quint32(r.record);
        const char number[4] = {char(n & 0xFF), char((n >> 8) & 0xFF), char((n >> 16) & 0xFF), char((n >> 24) & 0xFF)};
        bytes.append(number, 4);
        const qsizetype at = qsizetype(r.record - 1) * StudentRecord::Size;
        if (at + StudentRecord::Size <= current.size())
            bytes.append(current.constData() + at, StudentRecord::Size);
        else
            bytes.append(QByteArray(StudentRecord::Size, '\0')); // beyond the old end: cut off again
    }
    bytes += "crc " + Crc32Text(bytes).toLatin1() + '\n';
    return bytes;
}

struct UndoJournal
{
    qint64 oldSize = 0;
    QList<QPair<int, QByteArray>> images;
};

// False when the journal is torn or damaged (it was never complete, so no record was written).
bool parseUndo(const QByteArray& bytes, UndoJournal& journal)
{
    const qsizetype headerEnd = bytes.indexOf('\n');
    if (headerEnd < 0 || bytes.size() < 13) return false;
    const QByteArray trailer = bytes.right(13);
    if (!trailer.startsWith("crc ") || !trailer.endsWith('\n')) return false;
    const QByteArray body = bytes.left(bytes.size() - 13);
    if (Crc32Text(body).toLatin1() != trailer.mid(4, 8)) return false;
    const QList<QByteArray> head = bytes.left(headerEnd).split('\t');
    if (head.size() < 5 || head.at(0) != UndoMagic || head.at(1) != "1") return false;
    bool okSize = false;
    bool okCount = false;
    journal.oldSize = head.at(3).toLongLong(&okSize);
    const int count = head.at(4).toInt(&okCount);
    if (!okSize || !okCount || count < 0 || body.size() != headerEnd + 1 + qsizetype(count) * (4 + StudentRecord::Size))
        return false;
    qsizetype at = headerEnd + 1;
    for (int i = 0; i < count; ++i) {
        const auto b = [&](int k) { return quint32(quint8(body.at(at + k))); };
        const int record = int(b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24));
        if (record < 1) return false;
        journal.images.append({record, body.mid(at + 4, StudentRecord::Size)});
        at += 4 + StudentRecord::Size;
    }
    return true;
}

// Puts the old images back and the file's old length; true when every step succeeded.
bool applyUndo(const QString& rosterPath, const UndoJournal& journal)
{
    QFile file(rosterPath);
    if (!file.open(QIODevice::ReadWrite)) return false;
    bool ok = true;
    for (const auto& [record, image] : journal.images) {
        const qint64 at = qint64(record - 1) * StudentRecord::Size;
        if (at + StudentRecord::Size > journal.oldSize) continue; // beyond the old end: cut below
        ok = ok && file.seek(at) && file.write(image) == image.size();
    }
    if (ok && file.size() > journal.oldSize) ok = file.resize(journal.oldSize);
    ok = ok && syncFile(file);
    return ok;
}

} // namespace

QString RosterUndoPath(const QString& rosterPath)
{
    const int grade = GradeOfGradeFile(rosterPath);
    if (grade == 0) return rosterPath + QStringLiteral(".undo");
    return GradeLockFolder(QFileInfo(rosterPath).absolutePath(), grade) + QStringLiteral("roster.undo");
}

void SetRosterWriteFault(int nth, int error)
{
    gFaultAt = nth;
    gFaultError = error;
    gWriteCount = 0;
}

void SetRosterWritePause(int ms)
{
    gWritePauseMs = ms;
}

Result RollBackInterruptedRosterWrite(const QString& rosterPath)
{
    const QString undoPath = RosterUndoPath(rosterPath);
    if (!QFileInfo::exists(undoPath)) return Result::success();
    AddressingWrite guard(rosterPath);
    if (!guard) return guard.result();
    QFile file(undoPath);
    if (!file.open(QIODevice::ReadOnly)) return Result::success(); // rolled back by another meanwhile
    const QByteArray bytes = file.readAll();
    file.close();
    UndoJournal journal;
    if (!parseUndo(bytes, journal)) {
        // Cut short while it was written: no record had been written yet.
        QFile::remove(undoPath);
        return Result::success();
    }
    if (!applyUndo(rosterPath, journal))
        return Result::failure(QStringLiteral("名簿ファイル %1 の途中で終わった保存を元に戻せません。"
                                              "控え %2 は残してあります。")
                                   .arg(shownPath(rosterPath), shownPath(undoPath)));
    QFile::remove(undoPath);
    NoticeOfLock(QStringLiteral("名簿ファイル %1 の前回の保存が途中で終わっていたため、保存前の状態に戻しました。")
                     .arg(shownPath(rosterPath)));
    return Result::success();
}

Result WriteRosterRecords(const QString& rosterPath, const QList<RecordImage>& records, const QByteArray* asRead)
{
    if (records.isEmpty()) return Result::success();
    if (Result r = RollBackInterruptedRosterWrite(rosterPath); !r) return r;
    if (const int grade = GradeOfGradeFile(rosterPath))
        TakeDailySnapshotIfDue(QFileInfo(rosterPath).absolutePath(), grade);
    RosterFile file(rosterPath);
    if (Result r = file.open(); !r) return r;
    for (const RecordImage& r : records) {
        if (r.record < 1)
            return Result::failure(QStringLiteral("名簿ファイルのレコード番号 %1 は不正です").arg(r.record));
    }
    QByteArray readHere;
    if (!asRead) {
        if (Result r = file.readAll(readHere); !r) return r;
    }
    const QByteArray& current = asRead ? *asRead : readHere;
    const qint64 oldSize = file.byteSize();
    const QString undoPath = RosterUndoPath(rosterPath);
    QDir().mkpath(QFileInfo(undoPath).absolutePath());
    {
        QFile undo(undoPath);
        const QByteArray bytes = undoBytes(rosterPath, oldSize, records, current);
        errno = 0;
        if (!undo.open(QIODevice::WriteOnly | QIODevice::Truncate) || undo.write(bytes) != bytes.size() ||
            !syncFile(undo)) {
            const QString reason = FileErrorReason(undo, FileAccess::Write, errno);
            undo.close();
            QFile::remove(undoPath);
            return Result::failure(QStringLiteral("保存できませんでした。名簿は保存前の状態のままです。\r\n"
                                                  "控えのファイル %1 を書き込めません。%2")
                                       .arg(shownPath(undoPath), reason));
        }
    }
    for (const RecordImage& r : records) {
        if (gWritePauseMs > 0) QThread::msleep(ulong(gWritePauseMs));
        Result written = Result::success();
        if (gFaultAt > 0 && ++gWriteCount == gFaultAt)
            written = Result::failure(QStringLiteral("名簿ファイル %1 に書き込めません。%2")
                                          .arg(shownPath(rosterPath), FileErrorReason(gFaultError, FileAccess::Write)));
        else
            written = file.write(r.record, r.bytes);
        if (!written) {
            file.close();
            UndoJournal journal;
            QFile undo(undoPath);
            const bool restored =
                undo.open(QIODevice::ReadOnly) && parseUndo(undo.readAll(), journal) && applyUndo(rosterPath, journal);
            undo.close();
            if (!restored)
                return Result::failure(
                    written.message +
                    QStringLiteral("\r\n名簿を保存前の状態に戻せませんでした。次に開くときに戻します。"));
            QFile::remove(undoPath);
            return Result::failure(QStringLiteral("保存できませんでした。名簿は保存前の状態のままです。\r\n") +
                                   written.message);
        }
    }
    file.close();
    QFile::remove(undoPath);
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

// The owned fields of one screen: how many columns, their values, and where they sit in a record.
struct OwnedFields
{
    int columns = 0;
    std::function<int(int s, int col)> loaded;                // L
    std::function<int(int s, int col)> value;                 // M
    std::function<int(const StudentRecord&, int col)> stored; // D
    std::function<bool(StudentRecord&, int col, int v)> store;
    std::function<void(int s, int col, int v)> settle; // value and value-as-loaded after the save
    std::function<QString(int col)> fieldName;         // "slot:12", "naishin:3", "choice:2"
    // The record pupil s was loaded from.
    std::function<int(int s)> record;
};

const ConflictDecision* findDecision(const SaveControl& control, int s, int col, int saved)
{
    for (const ConflictDecision& d : control.decisions)
        if (d.student == s && d.column == col && d.saved == saved) return &d;
    return nullptr;
}

QString logLine(const GradeData& gd, const SaveControl& control, const OwnedFields& f, const FieldConflict& c,
                const QString& when)
{
    const int s = c.student;
    QStringList fields{when,
                       LockUserName(),
                       CurrentHostIdentity().host,
                       control.screen,
                       f.fieldName(c.column),
                       gd.classLabel(gd.studentClass[s]),
                       QString::number(gd.studentNumber[s]),
                       gd.studentName[s],
                       QString::number(c.base),
                       QString::number(c.mine),
                       QString::number(c.saved),
                       c.keepMine ? QStringLiteral("mine") : QStringLiteral("theirs")};
    for (QString& field : fields)
        field.replace(u'\t', u' ').replace(u'\n', u' ');
    return fields.join(u'\t') + u'\n';
}

// The merge save shared by the entry screens (see SaveControl).
Result mergeSave(const GradeData& gd, IProgress& progress, SaveControl& control, const OwnedFields& f,
                 const QString& status, int progressMaximum)
{
    control.conflicts.clear();
    control.settled.clear();
    control.gradeChanged = false;
    if (Result r = checkClassCount(gd); !r) return r;
    // A value that cannot be stored stops the save before anything is read or written.
    bool anyChange = false;
    for (int s = 1; s <= gd.studentCount; ++s) {
        for (int col = 1; col <= f.columns; ++col) {
            const int m = f.value(s, col);
            if (m == f.loaded(s, col)) continue;
            anyChange = true;
            if (m < -32768 || m > 32767) return valueTooLarge(gd, s, m);
        }
    }
    if (!anyChange && !control.stamp.taken) return Result::success();
    ProgressScope scope(progress, status, progressMaximum);
    GradeGuard guard(gd.dataFolder, gd.currentGrade);
    if (!guard) return guard.result();
    if (control.stamp.taken) {
        LockRegistry registry;
        if (Result r = guard.readRegistry(registry); !r) return r;
        if (registry.generation != control.stamp.generation || GradeListHash(gd) != control.stamp.listHash) {
            control.gradeChanged = true;
            return Result::failure(GradeChangedMessage());
        }
    }
    if (!anyChange) return Result::success();
    // A write cut short since the load is undone before the saved values are read, so that the
    // merge compares against the roster as it stands, never against half a save.
    if (Result r = RollBackInterruptedRosterWrite(RosterFile::pathFor(gd)); !r) return r;
    RosterFile file(RosterFile::pathFor(gd));
    if (Result r = file.open(); !r) return r;
    QByteArray bytes;
    if (Result r = file.readAll(bytes); !r) return r;
    const int available = int(bytes.size() / StudentRecord::Size);

    struct Pending
    {
        int record;
        StudentRecord bytes;
    };
    std::vector<Pending> pending;
    struct Settle
    {
        int s;
        int col;
        int v;
    };
    std::vector<Settle> settles;
    StudentRecord record;
    for (int s = 1; s <= gd.studentCount; ++s) {
        progress.setValue(s);
        bool differs = false;
        for (int col = 1; col <= f.columns && !differs; ++col)
            differs = f.value(s, col) != f.loaded(s, col);
        if (!differs) continue;
        const int rec = f.record(s);
        if (rec <= available)
            std::memcpy(record.bytes().data(), bytes.constData() + qsizetype(rec - 1) * StudentRecord::Size,
                        StudentRecord::Size);
        else
            record = StudentRecord::blank();
        // The seat must still hold the pupil the screen showed.
        if (record.flag() != StudentRecord::InUse || record.name().trimmed() != gd.studentName[s]) {
            control.gradeChanged = true;
            return Result::failure(GradeChangedMessage());
        }
        bool changed = false;
        for (int col = 1; col <= f.columns; ++col) {
            const int l = f.loaded(s, col);
            const int m = f.value(s, col);
            if (m == l) continue;
            const int d = f.stored(record, col);
            bool write = false;
            if (d == l) {
                write = true;
            } else if (d != m) {
                FieldConflict c{s, col, l, m, d, false};
                if (const ConflictDecision* decision = findDecision(control, s, col, d)) {
                    c.keepMine = decision->keepMine;
                } else if (control.rule == ConflictRule::Mine) {
                    c.keepMine = true;
                } else if (control.rule == ConflictRule::Theirs) {
                    c.keepMine = false;
                } else {
                    control.conflicts.append(c);
                    continue;
                }
                control.settled.append(c);
                write = c.keepMine;
            }
            if (write) {
                if (!f.store(record, col, m)) return valueTooLarge(gd, s, m);
                changed = true;
            }
            settles.push_back({s, col, write ? m : d});
        }
        if (changed) pending.push_back({rec, record});
    }
    if (!control.conflicts.isEmpty()) return Result::failure(ConflictMessage());
    file.close();
    QList<RecordImage> images;
    for (const Pending& p : pending)
        images.append({p.record, p.bytes});
    if (Result r = WriteRosterRecords(RosterFile::pathFor(gd), images, &bytes); !r) return r;
    for (const Settle& st : settles)
        f.settle(st.s, st.col, st.v);
    if (!control.settled.isEmpty()) {
        const QString when = LockTimeText(LockEnvironment::current().utcNow());
        QString lines;
        for (const FieldConflict& c : control.settled)
            lines += logLine(gd, control, f, c, when);
        // The log is a record of what was decided; the save itself has succeeded.
        guard.appendLog(QStringLiteral("conflicts.txt"), lines);
    }
    return Result::success();
}

int loadedRecord(const GradeData& gd, int s)
{
    return RosterFile::recordNumber(gd.studentClass[s], gd.studentNumber[s]);
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

GradeStamp TakeGradeStamp(const GradeData& gd, qint64 generation)
{
    GradeStamp stamp;
    stamp.taken = true;
    stamp.generation = generation;
    stamp.listHash = GradeListHash(gd);
    return stamp;
}

QByteArray GradeListHash(const GradeData& gd)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& path : {SubjectListPath(gd), TestListPath(gd), HomeroomPath(gd)}) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
        // Each file's length first, so that bytes moving from one file to the next still count.
        hash.addData(QByteArray::number(bytes.size()) + '\n');
        hash.addData(bytes);
    }
    return hash.result();
}

QString GradeChangedMessage()
{
    return QStringLiteral("開いた後に名簿または設定が変更されました。入力は保存されていません。");
}

QString ConflictMessage()
{
    return QStringLiteral("ほかの人の保存と重なりました");
}

Result SaveTestScores(GradeData& gd, IProgress& progress, SaveControl& control)
{
    if (!currentTestValid(gd)) return noTest(gd);
    const int n = gd.testSubjectCount[gd.currentTest];
    const int first = gd.testFirstSlot[gd.currentTest];
    OwnedFields f;
    f.columns = n;
    f.loaded = [&gd](int s, int j) { return gd.scoresAsLoaded(j, s); };
    f.value = [&gd](int s, int j) { return gd.scores(j, s); };
    f.stored = [first](const StudentRecord& rec, int j) { return rec.scoreSlot(first + j - 1); };
    f.store = [first](StudentRecord& rec, int j, int v) { return rec.setScoreSlot(first + j - 1, v); };
    f.settle = [&gd](int s, int j, int v) { gd.scores(j, s) = gd.scoresAsLoaded(j, s) = v; };
    f.fieldName = [first](int j) { return QStringLiteral("slot:%1").arg(first + j - 1); };
    f.record = [&gd](int s) { return loadedRecord(gd, s); };
    return mergeSave(gd, progress, control, f, QStringLiteral("データ書込中"), gd.studentCount);
}

Result SaveNaishin(GradeData& gd, IProgress& progress, SaveControl& control)
{
    for (int j = 1; j <= Limits::NaishinPositions; ++j) {
        for (int s = 1; s <= gd.studentCount; ++s) {
            if (gd.naishin(j, s) == gd.naishinAsLoaded(j, s)) continue;
            if (gd.naishinSlot[j] < 1 || gd.naishinSlot[j] > Limits::NaishinSlots)
                return Result::failure(QStringLiteral("内申の教科順 %1 が不正です").arg(gd.naishinSlot[j]));
        }
    }
    OwnedFields f;
    f.columns = Limits::NaishinPositions;
    f.loaded = [&gd](int s, int j) { return gd.naishinAsLoaded(j, s); };
    f.value = [&gd](int s, int j) { return gd.naishin(j, s); };
    f.stored = [&gd](const StudentRecord& rec, int j) { return rec.naishinSlot(gd.naishinSlot[j]); };
    f.store = [&gd](StudentRecord& rec, int j, int v) { return rec.setNaishinSlot(gd.naishinSlot[j], v); };
    f.settle = [&gd](int s, int j, int v) { gd.naishin(j, s) = gd.naishinAsLoaded(j, s) = v; };
    f.fieldName = [](int j) { return QStringLiteral("naishin:%1").arg(j); };
    f.record = [&gd](int s) { return loadedRecord(gd, s); };
    return mergeSave(gd, progress, control, f, QStringLiteral("データ書込中"), gd.studentCount);
}

Result SaveCareerChoices(GradeData& gd, IProgress& progress, SaveControl& control)
{
    OwnedFields f;
    f.columns = Limits::Choices;
    f.loaded = [&gd](int s, int k) { return gd.careerChoiceAsLoaded(k, s); };
    f.value = [&gd](int s, int k) { return gd.careerChoice(k, s); };
    f.stored = [](const StudentRecord& rec, int k) { return rec.choice(k); };
    f.store = [](StudentRecord& rec, int k, int v) { return rec.setChoice(k, v); };
    f.settle = [&gd](int s, int k, int v) { gd.careerChoice(k, s) = gd.careerChoiceAsLoaded(k, s) = v; };
    f.fieldName = [](int k) { return QStringLiteral("choice:%1").arg(k); };
    f.record = [&gd](int s) { return loadedRecord(gd, s); };
    return mergeSave(gd, progress, control, f, QStringLiteral("データ書込中"), gd.studentCount);
}

Result SaveTestScores(GradeData& gd, IProgress& progress)
{
    SaveControl control;
    return SaveTestScores(gd, progress, control);
}

Result SaveNaishin(GradeData& gd, IProgress& progress)
{
    SaveControl control;
    return SaveNaishin(gd, progress, control);
}

Result SaveCareerChoices(GradeData& gd, IProgress& progress)
{
    SaveControl control;
    return SaveCareerChoices(gd, progress, control);
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

Result SaveSubjectScores(const GradeData& gd, SubjectScores& table, IProgress& progress, SaveControl& control)
{
    if (table.scoreSlots.size() != table.tests.size() || table.scoreSlots.isEmpty())
        return Result::failure(QStringLiteral("教科別の点数が読み込まれていません"));
    const QList<int> columnSlots = table.scoreSlots;
    OwnedFields f;
    f.columns = table.columnCount();
    f.loaded = [&table](int s, int t) { return table.loaded(t, s); };
    f.value = [&table](int s, int t) { return table.values(t, s); };
    f.stored = [&columnSlots](const StudentRecord& rec, int t) { return rec.scoreSlot(columnSlots.at(t - 1)); };
    f.store = [&columnSlots](StudentRecord& rec, int t, int v) { return rec.setScoreSlot(columnSlots.at(t - 1), v); };
    f.settle = [&table](int s, int t, int v) { table.values(t, s) = table.loaded(t, s) = v; };
    f.fieldName = [&columnSlots](int t) { return QStringLiteral("slot:%1").arg(columnSlots.at(t - 1)); };
    // The record is the one the pupil was read from, whatever the cells show now.
    f.record = [&gd](int s) { return loadedRecord(gd, s); };
    return mergeSave(gd, progress, control, f, QStringLiteral("データ保存中"), gd.studentCount);
}

Result SaveSubjectScores(const GradeData& gd, SubjectScores& table, IProgress& progress)
{
    SaveControl control;
    return SaveSubjectScores(gd, table, progress, control);
}

} // namespace seiran
