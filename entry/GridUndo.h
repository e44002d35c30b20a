#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

class QMenu;
class QUndoStack;
class QWidget;

namespace seiran {

// Undo and redo of a grid window. The window's editable state is a flat list of texts, one per
// unit (a cell, a seat, a row); an edit between begin() and end() becomes one step holding the
// units it changed, or, when the edit changed the number of units (a row inserted or deleted),
// everything from the first difference on. Steps nest: only the outermost pair counts. A typing
// step stays open, merging the keys that follow in the same cell, until closeTyping() (the
// current cell changed). Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo; the stack ends with the
// window.
class GridUndo : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        std::function<QStringList()> state;
        // Gives the units the values; `size` is the number of units the state has afterwards
        // (different from now only for a step that added or removed units).
        std::function<void(const QList<int>& units, const QStringList& values, int size)> restore;
        // "3組 12番 国語": the unit as a step names it (may be empty).
        std::function<QString(int unit)> unitLabel;
        // Makes the unit's cell current and visible without the leave-cell rules.
        std::function<void(int unit)> showUnit;
        // Finishes an edit in progress before an undo or redo.
        std::function<void()> commitPendingEdit;
        // The value of one unit, as state() would give it (for steps that name their units).
        std::function<QString(int unit)> unitValue;
    };

    // What a window with a flat list of units gives its undo: the same as the hooks, as
    // functions of its own (a window keeps them private and passes itself).
    class Client
    {
    public:
        virtual ~Client() = default;
        virtual QStringList undoState() const = 0;
        virtual void restoreUndoValues(const QList<int>& units, const QStringList& values, int size) = 0;
        virtual QString undoUnitLabel(int unit) const = 0;
        virtual void showUndoUnit(int unit) = 0;
        virtual void commitPendingEdit() {}
        virtual QString undoUnitValue(int unit) const { return undoState().value(unit); }
    };

    GridUndo(QWidget* window, Hooks hooks);
    GridUndo(QWidget* window, Client& client);

    QUndoStack* stack() const { return mStack; }
    void begin();
    // The same for an edit that can change only these units (a key in the current cell, Delete
    // on a selection): only they are read before and after, not the whole grid. The step keeps
    // the number of units; its restore gets -1 for it.
    void begin(const QList<int>& units);
    void end(const QString& action, bool typing = false);
    void closeTyping() { mTypingOpen = false; }
    bool typingOpen() const { return mTypingOpen; }
    bool restoring() const { return mRestoring; }
    void undo();
    void redo();
    // Gives the units their values as a step's undo or redo does and shows the first of them.
    void apply(const QList<int>& units, const QStringList& values, int size);
    // "元に戻す（step）" and "やり直し（step）" at the top of a context menu, then a separator.
    void addMenuEntries(QMenu& menu);
    // A context menu on `grid` that holds the undo entries alone (the editors' grids).
    void installMenu(QWidget* grid);

    // One step for the rest of a scope.
    class Scope
    {
    public:
        Scope(GridUndo& undo, const QString& action, bool typing = false)
            : mUndo(undo), mAction(action), mTyping(typing)
        {
            mUndo.begin();
        }
        ~Scope() { mUndo.end(mAction, mTyping); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        GridUndo& mUndo;
        QString mAction;
        bool mTyping = false;
    };

    // The units of one side of a step with their values, and the number of units on that side.
    struct UnitValues
    {
        QList<int> units;
        QStringList values;
        int size = 0;
    };

private:
    void push(const UnitValues& was, const UnitValues& now, const QString& action, bool typing);

    Hooks mHooks;
    QUndoStack* mStack = nullptr;
    int mDepth = 0;
    QStringList mBefore;
    // The units a step named at begin(units), or empty for a step over the whole state.
    QList<int> mUnits;
    bool mTypingOpen = false;
    bool mRestoring = false;
};

} // namespace seiran
