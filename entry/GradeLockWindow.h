#pragma once

#include "GradeLock.h"

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLabel;
class QTimer;
class QWidget;

namespace seiran {

// A question with buttons of its own ("待つ", "読み取り専用で開く", "キャンセル"). Returns the index
// of the button chosen; Escape and the close box give `escapeIndex`. When a test responder is
// installed, it answers instead and no window opens.
int AskWithButtons(const QString& text, const QStringList& buttons, int defaultIndex, int escapeIndex, QWidget* parent);

// Test seam of AskWithButtons: answers in order (the default button when they run out), each
// question recorded with its buttons.
class ScriptedButtons
{
public:
    ScriptedButtons();
    ~ScriptedButtons();
    ScriptedButtons(const ScriptedButtons&) = delete;
    ScriptedButtons& operator=(const ScriptedButtons&) = delete;

    struct Question
    {
        QString text;
        QStringList buttons;
    };
    // Answers by the button's caption.
    void queue(const QString& caption) { mAnswers.append(caption); }
    const QList<Question>& asked() const { return mAsked; }
    int answer(const QString& text, const QStringList& buttons, int defaultIndex);

private:
    QStringList mAnswers;
    QList<Question> mAsked;
};

// "待っています": shown while a refused window waits for the others; tries again every
// `pollMs` and closes by itself (accepted) when `tryAgain` succeeds. Its キャンセル rejects.
class HolderWaitDialog : public QDialog
{
    Q_OBJECT
public:
    // `tryAgain` returns true when the grade is free for us; `describe` the text shown meanwhile.
    HolderWaitDialog(std::function<bool()> tryAgain, std::function<QString()> describe, int pollMs, QWidget* parent);

    QLabel* mTextLabel = nullptr;

private:
    void poll();

    std::function<bool()> mTryAgain;
    std::function<QString()> mDescribe;
    QTimer* mTimer = nullptr;
};

// What a window may do with its grade after registering.
enum class GradeAccess {
    Write,    // registered: the window works as usual
    ReadOnly, // the window shows the data and saves nothing
    Refused   // the window does not open
};

// A window's registration on its grade for as long as it is open: the question when others hold
// the grade (with a wait that proceeds by itself), the beat every 30 s and the release when the
// window goes. Entry windows share the grade (S); windows that change how pupils, tests or schools
// are addressed hold it alone (X).
class WindowGradeLock : public QObject
{
    Q_OBJECT
public:
    WindowGradeLock(const QString& dataFolder, int grade, QWidget* window);
    // Releases the registration; an exclusive one raises the generation first, because it may
    // have moved seats or slots that an entry screen opened later must not trust an old view of.
    ~WindowGradeLock() override;

    // Registers as an entry screen writing `fields`. Refused by an exclusive holder: asks
    // 待つ / 読み取り専用で開く / キャンセル. Holders writing the same fields are mentioned once. A lock
    // folder that cannot be written opens read-only, with the reason.
    GradeAccess openShared(const QString& screen, const QString& fields);
    // Registers alone. Refused by any holder: asks 待つ / キャンセル. A lock folder that cannot be
    // written refuses, naming the folder.
    GradeAccess openExclusive(const QString& screen);

    GradeLock& lock() { return *mLock; }
    const GradeLock& lock() const { return *mLock; }
    // Why the window is read-only ("" when it is not).
    QString readOnlyReason() const { return mReadOnlyReason; }

    // Raises the beat (the window's timer calls it every 30 s).
    void beat();

    // How often a waiting window looks again (tests shorten it).
    static int& pollIntervalMs();

private:
    GradeAccess open(LockMode mode, const QString& screen, const QString& fields);
    QWidget* dialogParent() const;

    std::unique_ptr<GradeLock> mLock;
    QPointer<QWidget> mWindow;
    QTimer* mBeatTimer = nullptr;
    QString mReadOnlyReason;
    bool mBeatLostTold = false;
};

// Registers `owner` alone on a grade (its child, released when it goes); nullptr when refused
// (the user was told, or chose キャンセル). A data folder that does not exist yet has nobody in
// it: the lock is returned unregistered.
WindowGradeLock* LockGradeAlone(const QString& dataFolder, int grade, const QString& screen, QWidget* owner);

// The text of a refused registration: who holds the grade, one line each.
QString HolderListText(const QList<LockHolder>& holders);

// Installs the windows' wait for the grade's guard: after half a second a cancellable wait with
// progress names the holder. Called once when the program starts.
void InstallWindowGuardWait(QWidget* mainWindow);
// Whether the wait for the guard is running events now: timers that would take the guard
// themselves (the beat, the main window's list of users) skip their turn.
bool WindowGuardWaiting();

} // namespace seiran
