#pragma once

#include "InputJournal.h"
#include "JournalLayout.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QTimer;
class QWidget;

namespace seiran {

class FlexGrid;
struct GradeData;

// The journal of an open entry window: every data cell whose text changed since it was last
// written is appended when the cell is left, after a paste, a Delete, an undo or a redo, and once
// the input has paused for two seconds. Nothing is written until the first change, so a window
// closed without typing leaves no file. When the lock folder cannot be written, the journal goes
// on in the user's local application data and the status line says so.
class WindowJournal : public QObject
{
    Q_OBJECT
public:
    // What the window answers for its cells.
    struct Cells
    {
        // The value of data cell (row, column from 1) at load, which the save merges from.
        std::function<int(int row, int column)> loadedValue;
        // Puts a journal's text in a cell with the value its input started from; "" when taken,
        // otherwise why not.
        std::function<QString(int row, int column, const QString& text, int base)> restore;
        // A word on the window's status line.
        std::function<void(const QString& text)> status;
    };

    WindowJournal(FlexGrid* grid, const GradeData& gd, JournalLayout layout, QString holderId, qint64 generation,
                  Cells cells, QWidget* window);
    ~WindowJournal() override;

    // Asks about each orphan journal of this screen and scope: 復元する puts its cells back (and
    // into this window's journal) and deletes it, 破棄する deletes it, 後で leaves it.
    void offerOrphans();

    // A cell, a block of cells, or every data cell may have changed.
    void noteCell(int row, int col);
    void noteRange(int top, int left, int bottom, int right);
    void noteAll();
    // A key was typed: the idle time starts again.
    void touched();
    // The input was saved, or given up with 「保存せずに終了」: the journal goes.
    void remove();

    QString path() const { return mWriter.path(); }
    bool isLocal() const { return mLocal; }
    // How long the input must pause before the cells are swept into the journal.
    static constexpr int IdleMs = 2000;
    // Whether windows opened from now on keep a journal (the benchmark measures without).
    static bool& enabled();

private:
    void onIdleTick();
    void append(int row, int col, const QString& text);
    bool ensureOpen();
    bool moveToLocal(const QString& why);
    void restore(const FoundJournal& journal);
    int cellIndex(int row, int col) const;

    FlexGrid* mGrid;
    const GradeData& mGd;
    JournalLayout mLayout;
    QString mHolderId;
    qint64 mGeneration = 0;
    Cells mCells;
    QPointer<QWidget> mWindow;
    JournalWriter mWriter;
    bool mLocal = false;
    bool mBroken = false; // neither the share nor the local folder can be written
    QStringList mLast;    // per data cell: the text last written (the text at load before that)
    QTimer* mIdleTimer = nullptr;
    QElapsedTimer mSinceTouch;
};

} // namespace seiran
