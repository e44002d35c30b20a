#include "JournalCommand.h"

#include "EntrySheet.h"
#include "GradeData.h"
#include "ScoreCells.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QTextStream>

#include <cerrno>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace seiran {

namespace {

constexpr int ExitError = 2;

QIODevice* gInput = nullptr;

int fail(QTextStream& err, const QString& message)
{
    err << "seiran-entry: " << message << '\n';
    err.flush();
    return ExitError;
}

// The orphans of the run's screen and scope. A journal that holds no entry offers nothing back:
// it is removed on the way.
Result findOrphans(const JournalRun& run, QList<FoundJournal>& orphans)
{
    QList<FoundJournal> all;
    if (Result r = FindJournals(run.gd.dataFolder, run.gd.currentGrade, all); !r) return r;
    orphans = OrphansToOffer(all, run.layout.screen, run.layout.scope);
    return Result::success();
}

QString orphanLine(const FoundJournal& j)
{
    return QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(j.path), JournalSummary(j.contents));
}

// The one orphan the action works on: --journal names it (by path or file name), or it is the
// only one. Otherwise the list is printed and the status returned.
int chooseOrphan(const JournalRun& run, FoundJournal& chosen)
{
    QList<FoundJournal> orphans;
    if (Result r = findOrphans(run, orphans); !r) return fail(run.err, r.message);
    if (!run.journalOption.isEmpty()) {
        const QString wanted = QFileInfo(run.journalOption).absoluteFilePath();
        for (const FoundJournal& j : orphans) {
            if (QFileInfo(j.path).absoluteFilePath() == wanted || QFileInfo(j.path).fileName() == run.journalOption) {
                chosen = j;
                return 0;
            }
        }
        return fail(
            run.err,
            QStringLiteral("「%1」はこの画面の保存されていない入力の控えではありません。").arg(run.journalOption));
    }
    if (orphans.isEmpty()) return fail(run.err, QStringLiteral("この画面の保存されていない入力の控えはありません。"));
    if (orphans.size() > 1) {
        for (const FoundJournal& j : orphans)
            run.err << "seiran-entry: " << orphanLine(j) << '\n';
        return fail(run.err, QStringLiteral(
                                 "保存されていない入力の控えが %1 個あります。--journal FILE で一つを選んでください。")
                                 .arg(orphans.size()));
    }
    chosen = orphans.first();
    return 0;
}

// The row of the pupil shown with this 組 and 番, 0 when none.
int rowOf(const EntrySheet& sheet, const QString& classText, const QString& numberText)
{
    for (int row = 1; row <= sheet.rowCount(); ++row)
        if (sheet.cell(row, 0).trimmed() == classText.trimmed() && sheet.cell(row, 1).trimmed() == numberText.trimmed())
            return row;
    return 0;
}

int columnOf(const EntrySheet& sheet, const QString& header)
{
    for (int col = FirstDataCol; col < sheet.columnCount(); ++col)
        if (sheet.headers().at(col).trimmed() == header.trimmed()) return col;
    return -1;
}

// Reads lines one at a time. Standard input (a pipe, a terminal) is waited on for at most a few
// seconds at a time, so that the registration's beat goes on while nobody types.
class LineSource
{
public:
    LineSource(QIODevice& device, std::function<void()> idle) : mDevice(device), mIdle(std::move(idle))
    {
        const auto* file = qobject_cast<QFile*>(&device);
        mDescriptor = file && file->isSequential() ? file->handle() : -1;
    }

    bool next(QByteArray& line)
    {
        for (;;) {
            const qsizetype end = mPending.indexOf('\n');
            if (end >= 0) {
                line = mPending.left(end);
                mPending.remove(0, end + 1);
                if (line.endsWith('\r')) line.chop(1);
                return true;
            }
            if (mEnded) {
                if (mPending.isEmpty()) return false;
                line = mPending; // a last line without its LF
                mPending.clear();
                return true;
            }
            readMore();
        }
    }

private:
    void readMore()
    {
        if (mDescriptor < 0) {
            mPending += mDevice.readAll();
            mEnded = true;
            return;
        }
#ifdef Q_OS_WIN
        char buffer[4096];
        const int n = ::_read(mDescriptor, buffer, sizeof buffer);
#else
        pollfd wanted{mDescriptor, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, 5000);
        if (ready == 0) {
            if (mIdle) mIdle();
            return;
        }
        if (ready < 0 && errno == EINTR) return;
        char buffer[4096];
        const ssize_t n = ::read(mDescriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) return;
#endif
        if (n <= 0) {
            mEnded = true;
            return;
        }
        mPending.append(buffer, qsizetype(n));
    }

    QIODevice& mDevice;
    std::function<void()> mIdle;
    int mDescriptor = -1;
    QByteArray mPending;
    bool mEnded = false;
};

} // namespace

void SetEntryCommandInput(QIODevice* device)
{
    gInput = device;
}

QIODevice& EntryCommandInput()
{
    if (gInput) return *gInput;
    static QFile standardInput;
    if (!standardInput.isOpen()) standardInput.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered);
    return standardInput;
}

int RunJournalEdit(JournalRun& run, QIODevice& in, QTextStream& out)
{
    if (!run.layout.isValid()) return fail(run.err, QStringLiteral("この画面は --edit で入力できません。"));
    QList<FoundJournal> orphans;
    if (Result r = findOrphans(run, orphans); !r) return fail(run.err, r.message);
    if (!orphans.isEmpty()) {
        for (const FoundJournal& j : orphans)
            run.err << "seiran-entry: " << orphanLine(j) << '\n';
        return fail(run.err,
                    QStringLiteral("この画面には保存されずに終わった入力があります。先に --recover で保存するか、"
                                   "--discard で破棄してください。"));
    }

    EntrySheet& sheet = run.sheet;
    // The texts as loaded, and the last text put in the journal per cell.
    QHash<qint64, QString> journaled;
    QHash<qint64, QString> loadedText;
    const auto key = [](int row, int col) { return qint64(row) * 1000 + col; };
    JournalWriter writer;
    const QString path =
        JournalFolder(run.gd.dataFolder, run.gd.currentGrade) + JournalFileName(run.layout.screen, run.holderId);

    const auto answer = [&out](const QString& text) {
        out << text << '\n';
        out.flush();
    };
    const auto refuse = [&answer](const QString& why) { answer(QStringLiteral("refused\t") + why); };

    LineSource source(in, [&run, &writer] {
        writer.sync();
        if (run.beat) run.beat();
    });
    QByteArray bytes;
    while (source.next(bytes)) {
        const QString line = QString::fromUtf8(bytes);
        if (line == QLatin1String("#save")) {
            writer.sync();
            const int status = run.save();
            if (status != 0) {
                refuse(QStringLiteral("保存していません（理由は標準エラーに出しました）"));
                writer.close();
                return status;
            }
            if (Result r = writer.remove(); !r) run.err << "seiran-entry: " << r.message << '\n';
            answer(QStringLiteral("ok"));
            return 0;
        }
        if (line == QLatin1String("#discard")) {
            if (Result r = writer.remove(); !r) {
                refuse(r.message);
                return ExitError;
            }
            answer(QStringLiteral("ok"));
            return 0;
        }
        const QStringList f = line.split(u'\t');
        if (f.size() != 4) {
            refuse(QStringLiteral("組、番、列の見出し、値の4つをタブで区切ってください"));
            continue;
        }
        const int row = rowOf(sheet, f.at(0), f.at(1));
        if (row < 1) {
            refuse(QStringLiteral("%1組 %2番の生徒はいません").arg(f.at(0).trimmed(), f.at(1).trimmed()));
            continue;
        }
        const int col = columnOf(sheet, f.at(2));
        if (col < 0) {
            refuse(QStringLiteral("列「%1」はこの画面にありません").arg(f.at(2)));
            continue;
        }
        const qint64 cellKey = key(row, col);
        const QString before = sheet.cell(row, col);
        if (!loadedText.contains(cellKey)) loadedText.insert(cellKey, before);
        if (const QString why = sheet.takeField(row, col, f.at(3)); !why.isEmpty()) {
            refuse(why);
            continue;
        }
        const QString after = sheet.cell(row, col);
        if (after == journaled.value(cellKey, loadedText.value(cellKey))) {
            answer(QStringLiteral("ok"));
            continue;
        }
        QString why;
        const std::optional<int> base = sheet.storedValue(col, loadedText.value(cellKey), why);
        JournalEntry entry;
        entry.record = PupilRecord(run.gd, row);
        entry.field = run.layout.fields.value(col - FirstDataCol);
        entry.classText = sheet.cell(row, 0).trimmed();
        entry.numberText = sheet.cell(row, 1).trimmed();
        entry.name = sheet.cell(row, 2).trimmed();
        entry.base = base.value_or(0);
        entry.text = after;
        Result written = writer.isOpen()
                             ? Result::success()
                             : writer.create(path, NewJournalHeader(run.layout, run.holderId, run.generation));
        if (written) written = writer.append(entry);
        if (!written) {
            // Not in the journal, so not taken: the cell goes back to what it held.
            sheet.takeField(row, col, before);
            refuse(written.message);
            continue;
        }
        journaled.insert(cellKey, after);
        answer(QStringLiteral("ok"));
    }
    writer.close();
    if (writer.lastSeq() > 0 || QFileInfo::exists(path))
        run.err << "seiran-entry: "
                << QStringLiteral("入力の終わりで保存していません。入力の控え「%1」を残しました。")
                       .arg(QDir::toNativeSeparators(path))
                << '\n';
    return fail(run.err, QStringLiteral("#save がないまま入力が終わりました。"));
}

int RunJournalRecover(JournalRun& run)
{
    if (!run.layout.isValid()) return fail(run.err, QStringLiteral("この画面は --recover できません。"));
    FoundJournal journal;
    if (const int status = chooseOrphan(run, journal)) return status;
    if (!journal.contents.notice.isEmpty())
        run.err << "seiran-entry: " << QDir::toNativeSeparators(journal.path) << ": " << journal.contents.notice
                << '\n';

    const GradeData& gd = run.gd;
    const RestorePlan plan = PlanJournalRestore(
        journal.contents, run.layout,
        [&gd](int record) {
            for (int row = 1; row <= gd.studentCount; ++row)
                if (PupilRecord(gd, row) == record) return row;
            return 0;
        },
        [&run](int row) { return run.sheet.cell(row, 2); });
    if (!plan.ok())
        return fail(run.err, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(journal.path), plan.fault));
    for (const QString& refused : plan.refused)
        run.err << "seiran-entry: " << QStringLiteral("復元しません: ") << refused << '\n';
    for (const RestoredCell& cell : plan.cells) {
        const int col = FirstDataCol + cell.column - 1;
        if (const QString why = run.sheet.takeField(cell.row, col, cell.text); !why.isEmpty()) {
            run.err << "seiran-entry: "
                    << QStringLiteral("復元しません: %1組 %2番 %3 %4「%5」: %6")
                           .arg(run.sheet.cell(cell.row, 0).trimmed(), run.sheet.cell(cell.row, 1).trimmed(),
                                run.sheet.cell(cell.row, 2).trimmed(), run.sheet.headers().value(col).trimmed(),
                                cell.text, why)
                    << '\n';
            continue;
        }
        // The value the journal's input started from: a change saved by someone else since then
        // is met as a clash, not overwritten.
        run.sheet.setBaseValue(cell.row, col, cell.base);
    }
    const int status = run.save();
    if (status != 0) return status;
    if (Result r = RemoveJournal(journal.path); !r) return fail(run.err, QStringLiteral("保存しましたが、") + r.message);
    return 0;
}

int RunJournalDiscard(JournalRun& run)
{
    FoundJournal journal;
    if (const int status = chooseOrphan(run, journal)) return status;
    if (Result r = RemoveJournal(journal.path); !r) return fail(run.err, r.message);
    return 0;
}

} // namespace seiran
