#include "WindowJournal.h"

#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "MessageBox.h"
#include "ScoreCells.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace seiran {

WindowJournal::WindowJournal(FlexGrid* grid, const GradeData& gd, JournalLayout layout, QString holderId,
                             qint64 generation, Cells cells, QWidget* window)
    : QObject(window), mGrid(grid), mGd(gd), mLayout(std::move(layout)), mHolderId(std::move(holderId)),
      mGeneration(generation), mCells(std::move(cells)), mWindow(window)
{
    const int width = mGrid->Cols() - FirstDataCol;
    for (int r = 1; r < mGrid->Rows(); ++r)
        for (int c = 0; c < width; ++c)
            mLast << mGrid->TextMatrix(r, FirstDataCol + c);
    mSinceTouch.start();
    // The sweep looks every two seconds and writes once the input has paused that long; it also
    // catches what changed cells without a key (an imported CSV file).
    mIdleTimer = new QTimer(this);
    mIdleTimer->setInterval(IdleMs);
    connect(mIdleTimer, &QTimer::timeout, this, &WindowJournal::onIdleTick);
    mIdleTimer->start();
}

bool& WindowJournal::enabled()
{
    static bool on = true;
    return on;
}

WindowJournal::~WindowJournal()
{
    // A window that goes without its save or 「保存せずに終了」 keeps its journal for next time.
    // The grid may already be gone here, so nothing more is read from it.
    mWriter.close();
}

int WindowJournal::cellIndex(int row, int col) const
{
    const int width = mGrid->Cols() - FirstDataCol;
    if (row < 1 || col < FirstDataCol || col >= mGrid->Cols()) return -1;
    const int index = (row - 1) * width + (col - FirstDataCol);
    return index < mLast.size() ? index : -1;
}

void WindowJournal::touched()
{
    mSinceTouch.restart();
}

void WindowJournal::onIdleTick()
{
    if (mSinceTouch.elapsed() < IdleMs) return;
    noteAll();
    mWriter.sync();
}

void WindowJournal::noteCell(int row, int col)
{
    touched();
    const int index = cellIndex(row, col);
    if (index < 0) return;
    const QString text = mGrid->TextMatrix(row, col);
    if (text != mLast.at(index)) append(row, col, text);
}

void WindowJournal::noteRange(int top, int left, int bottom, int right)
{
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            noteCell(r, c);
}

void WindowJournal::noteAll()
{
    noteRange(1, FirstDataCol, mGrid->Rows() - 1, mGrid->Cols() - 1);
}

bool WindowJournal::ensureOpen()
{
    if (mWriter.isOpen()) return true;
    if (mBroken) return false;
    const QString path = JournalFolder(mGd.dataFolder, mGd.currentGrade) + JournalFileName(mLayout.screen, mHolderId);
    const Result created = mWriter.create(path, NewJournalHeader(mLayout, mHolderId, mGeneration));
    if (created) return true;
    return moveToLocal(created.message);
}

// The share is gone (or will not take the file): the journal goes on in this user's local
// application data, with every line written so far, and is offered back from there.
bool WindowJournal::moveToLocal(const QString& why)
{
    if (mLocal) {
        mBroken = true;
        if (mCells.status) mCells.status(QStringLiteral("入力の控えを書けません（%1）。").arg(why));
        return false;
    }
    QByteArray lines = mWriter.written();
    if (lines.isEmpty()) lines = JournalHeaderLine(NewJournalHeader(mLayout, mHolderId, mGeneration));
    mWriter.close();
    const QString path =
        LocalJournalFolder(mGd.dataFolder, mGd.currentGrade) + JournalFileName(mLayout.screen, mHolderId);
    QFile::remove(path); // a copy left by an earlier move of this same registration
    mLocal = true;
    if (Result r = mWriter.createWith(path, lines); !r) {
        mBroken = true;
        if (mCells.status) mCells.status(QStringLiteral("入力の控えを書けません（%1）。").arg(r.message));
        return false;
    }
    if (mCells.status)
        mCells.status(QStringLiteral("データフォルダに入力の控えを書けないため、このPCに控えています。"));
    return true;
}

void WindowJournal::append(int row, int col, const QString& text)
{
    if (!ensureOpen()) return;
    JournalEntry entry;
    entry.record = PupilRecord(mGd, row);
    entry.field = mLayout.fields.value(col - FirstDataCol);
    entry.classText = mGrid->TextMatrix(row, 0).trimmed();
    entry.numberText = mGrid->TextMatrix(row, 1).trimmed();
    entry.name = mGrid->TextMatrix(row, 2).trimmed();
    entry.base = mCells.loadedValue ? mCells.loadedValue(row, col - FirstDataCol + 1) : 0;
    entry.text = text;
    Result written = mWriter.append(entry);
    if (!written && moveToLocal(written.message)) written = mWriter.append(entry);
    if (written) mLast[cellIndex(row, col)] = text;
}

void WindowJournal::remove()
{
    mIdleTimer->stop();
    mWriter.remove();
    mBroken = true; // nothing more is written for this window
}

void WindowJournal::offerOrphans()
{
    QList<FoundJournal> all;
    if (Result r = FindJournals(mGd.dataFolder, mGd.currentGrade, all); !r) {
        if (mCells.status) mCells.status(r.message);
        return;
    }
    for (const FoundJournal& journal : OrphansToOffer(all, mLayout.screen, mLayout.scope)) {
        const QString question = QStringLiteral("前回保存されずに終わった入力があります（%1）。復元しますか？")
                                     .arg(JournalSummary(journal.contents));
        // Asked while the window is being built: over the window that opened it until it shows.
        QWidget* over = mWindow && mWindow->isVisible() ? mWindow.data() : nullptr;
        const int answer = AskWithButtons(
            question, {QStringLiteral("復元する"), QStringLiteral("破棄する"), QStringLiteral("後で")}, 0, 2, over);
        if (answer == 0) {
            restore(journal);
        } else if (answer == 1) {
            if (Result r = RemoveJournal(journal.path); !r)
                ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), mWindow);
        }
    }
}

void WindowJournal::restore(const FoundJournal& journal)
{
    const GradeData& gd = mGd;
    const RestorePlan plan = PlanJournalRestore(
        journal.contents, mLayout,
        [&gd](int record) {
            for (int row = 1; row <= gd.studentCount; ++row)
                if (PupilRecord(gd, row) == record) return row;
            return 0;
        },
        [this](int row) { return mGrid->TextMatrix(row, 2); });
    if (!plan.ok()) {
        ShowMessage(plan.fault, MsgButtons::Ok, MsgIcon::Critical, 1, QString(),
                    mWindow && mWindow->isVisible() ? mWindow.data() : nullptr);
        return;
    }
    QStringList refused = plan.refused;
    for (const RestoredCell& cell : plan.cells) {
        const QString why = mCells.restore ? mCells.restore(cell.row, cell.column, cell.text, cell.base) : QString();
        if (!why.isEmpty())
            refused << QStringLiteral("%1組 %2番 %3 %4「%5」: %6")
                           .arg(mGrid->TextMatrix(cell.row, 0).trimmed(), mGrid->TextMatrix(cell.row, 1).trimmed(),
                                mGrid->TextMatrix(cell.row, 2).trimmed(),
                                mLayout.headers.value(cell.column - 1).trimmed(), cell.text, why);
    }
    mGrid->viewport()->update();
    // The restored cells go into this window's journal before the old one goes, so that a crash
    // now still keeps them.
    noteAll();
    mWriter.sync();
    bool kept = true;
    for (const RestoredCell& cell : plan.cells) {
        const int index = cellIndex(cell.row, FirstDataCol + cell.column - 1);
        if (index >= 0 && mLast.at(index) != mGrid->TextMatrix(cell.row, FirstDataCol + cell.column - 1)) kept = false;
    }
    if (kept) RemoveJournal(journal.path);
    QStringList notes;
    if (!journal.contents.notice.isEmpty()) notes << journal.contents.notice;
    if (!refused.isEmpty()) notes << QStringLiteral("次の入力は復元しませんでした。\n%1").arg(refused.join(u'\n'));
    if (!notes.isEmpty())
        ShowMessage(notes.join(QStringLiteral("\n\n")), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), mWindow);
    if (mCells.status)
        mCells.status(QStringLiteral("前回の入力を %1 か所復元しました。入力終了で保存します。")
                          .arg(plan.cells.size() - (refused.size() - plan.refused.size())));
}

} // namespace seiran
