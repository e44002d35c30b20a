#include "GridUndo.h"

#include <QMenu>
#include <QShortcut>
#include <QUndoCommand>
#include <QUndoStack>
#include <QWidget>

namespace seiran {

namespace {
// One step: the units it changed with their values before and after. A step that changed the
// number of units keeps the units from the first difference on, on each side.
class UnitsCommand final : public QUndoCommand
{
public:
    using Side = GridUndo::UnitValues;

    UnitsCommand(GridUndo* undo, Side before, Side after, bool typing, const QString& text)
        : QUndoCommand(text), mUndo(undo), mBefore(std::move(before)), mAfter(std::move(after)),
          mTyping(typing && mBefore.size == mAfter.size)
    {
    }

    int id() const override { return mTyping ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const UnitsCommand*>(other);
        if (!mTyping || !next->mTyping || !mUndo->typingOpen() || next->mAfter.size != mAfter.size) return false;
        for (qsizetype i = 0; i < next->mAfter.units.size(); ++i) {
            const qsizetype at = mAfter.units.indexOf(next->mAfter.units.at(i));
            if (at >= 0) {
                mAfter.values[at] = next->mAfter.values.at(i);
            } else {
                mBefore.units << next->mBefore.units.at(i);
                mBefore.values << next->mBefore.values.at(i);
                mAfter.units << next->mAfter.units.at(i);
                mAfter.values << next->mAfter.values.at(i);
            }
        }
        return true;
    }
    void undo() override { mUndo->apply(mBefore.units, mBefore.values, mBefore.size); }
    void redo() override
    {
        // The edit is already on screen when the step is pushed.
        if (mFirst) {
            mFirst = false;
            return;
        }
        mUndo->apply(mAfter.units, mAfter.values, mAfter.size);
    }

private:
    GridUndo* mUndo;
    Side mBefore;
    Side mAfter;
    bool mTyping = false;
    bool mFirst = true;
};
} // namespace

namespace {
GridUndo::Hooks hooksOf(GridUndo::Client& client)
{
    GridUndo::Hooks hooks;
    hooks.state = [&client] { return client.undoState(); };
    hooks.restore = [&client](const QList<int>& units, const QStringList& values, int size) {
        client.restoreUndoValues(units, values, size);
    };
    hooks.unitLabel = [&client](int unit) { return client.undoUnitLabel(unit); };
    hooks.showUnit = [&client](int unit) { client.showUndoUnit(unit); };
    hooks.commitPendingEdit = [&client] { client.commitPendingEdit(); };
    hooks.unitValue = [&client](int unit) { return client.undoUnitValue(unit); };
    return hooks;
}
} // namespace

GridUndo::GridUndo(QWidget* window, Client& client) : GridUndo(window, hooksOf(client)) {}

GridUndo::GridUndo(QWidget* window, Hooks hooks) : QObject(window), mHooks(std::move(hooks))
{
    mStack = new QUndoStack(this);
    auto* undoShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), window);
    connect(undoShortcut, &QShortcut::activated, this, &GridUndo::undo);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        auto* redoShortcut = new QShortcut(keys, window);
        connect(redoShortcut, &QShortcut::activated, this, &GridUndo::redo);
    }
}

void GridUndo::begin()
{
    if (mRestoring) return;
    if (mDepth++ == 0) {
        mUnits.clear();
        mBefore = mHooks.state();
    } else if (!mUnits.isEmpty()) {
        // An edit of the whole state inside a step of a few units: until now only those units
        // can have changed, so the state before the step is today's with their old values.
        QStringList before = mHooks.state();
        for (qsizetype i = 0; i < mUnits.size(); ++i)
            if (mUnits.at(i) >= 0 && mUnits.at(i) < before.size()) before[mUnits.at(i)] = mBefore.at(i);
        mBefore = before;
        mUnits.clear();
    }
}

void GridUndo::begin(const QList<int>& units)
{
    if (mRestoring) return;
    if (mDepth > 0 || units.isEmpty() || !mHooks.unitValue) {
        // Inside a step its units are already read; without units there is nothing to narrow.
        if (mDepth > 0 && !mUnits.isEmpty()) {
            for (int unit : units) {
                if (mUnits.contains(unit)) continue;
                mUnits << unit;
                mBefore << mHooks.unitValue(unit);
            }
            ++mDepth;
            return;
        }
        begin();
        return;
    }
    ++mDepth;
    mUnits = units;
    mBefore.clear();
    mBefore.reserve(units.size());
    for (int unit : units)
        mBefore << mHooks.unitValue(unit);
}

void GridUndo::end(const QString& action, bool typing)
{
    if (mRestoring || mDepth == 0 || --mDepth > 0) return;
    if (!mUnits.isEmpty()) {
        const QList<int> units = std::exchange(mUnits, {});
        const QStringList before = std::exchange(mBefore, {});
        UnitsCommand::Side was{{}, {}, -1};
        UnitsCommand::Side now{{}, {}, -1};
        for (qsizetype i = 0; i < units.size(); ++i) {
            const QString value = mHooks.unitValue(units.at(i));
            if (value == before.at(i)) continue;
            was.units << units.at(i);
            was.values << before.at(i);
            now.units << units.at(i);
            now.values << value;
        }
        push(was, now, action, typing);
        return;
    }
    const QStringList after = mHooks.state();
    const QStringList before = std::exchange(mBefore, {});
    UnitsCommand::Side was{{}, {}, int(before.size())};
    UnitsCommand::Side now{{}, {}, int(after.size())};
    if (before.size() == after.size()) {
        for (int i = 0; i < after.size(); ++i) {
            if (after.at(i) == before.at(i)) continue;
            was.units << i;
            was.values << before.at(i);
            now.units << i;
            now.values << after.at(i);
        }
    } else {
        int first = 0;
        while (first < before.size() && first < after.size() && before.at(first) == after.at(first))
            ++first;
        for (int i = first; i < before.size(); ++i) {
            was.units << i;
            was.values << before.at(i);
        }
        for (int i = first; i < after.size(); ++i) {
            now.units << i;
            now.values << after.at(i);
        }
    }
    push(was, now, action, typing);
}

void GridUndo::push(const UnitValues& was, const UnitValues& now, const QString& action, bool typing)
{
    if (was.units.isEmpty() && now.units.isEmpty()) return;
    const int named = now.units.isEmpty() ? was.units.first() : now.units.first();
    const QString label = mHooks.unitLabel ? mHooks.unitLabel(named) : QString();
    const QString text = action.isEmpty() ? label : label.isEmpty() ? action : action + u' ' + label;
    mStack->push(new UnitsCommand(this, was, now, typing, text));
    mTypingOpen = typing;
}

void GridUndo::undo()
{
    if (mHooks.commitPendingEdit) mHooks.commitPendingEdit();
    mTypingOpen = false;
    mStack->undo();
}

void GridUndo::redo()
{
    if (mHooks.commitPendingEdit) mHooks.commitPendingEdit();
    mTypingOpen = false;
    mStack->redo();
}

void GridUndo::apply(const QList<int>& units, const QStringList& values, int size)
{
    mRestoring = true;
    mHooks.restore(units, values, size);
    if (mHooks.showUnit) {
        if (!units.isEmpty())
            mHooks.showUnit(units.first());
        else if (size > 0)
            mHooks.showUnit(size - 1);
    }
    mRestoring = false;
    mTypingOpen = false;
}

void GridUndo::installMenu(QWidget* grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        QMenu menu(grid);
        addMenuEntries(menu);
        menu.exec(grid->mapToGlobal(pos));
    });
}

void GridUndo::addMenuEntries(QMenu& menu)
{
    QAction* undo = menu.addAction(mStack->canUndo() ? QStringLiteral("元に戻す（%1）").arg(mStack->undoText())
                                                     : QStringLiteral("元に戻す"));
    undo->setEnabled(mStack->canUndo());
    QAction* redo = menu.addAction(mStack->canRedo() ? QStringLiteral("やり直し（%1）").arg(mStack->redoText())
                                                     : QStringLiteral("やり直し"));
    redo->setEnabled(mStack->canRedo());
    menu.addSeparator();
    connect(undo, &QAction::triggered, this, &GridUndo::undo);
    connect(redo, &QAction::triggered, this, &GridUndo::redo);
}

} // namespace seiran
