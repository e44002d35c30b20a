#include "GradeLockWindow.h"

#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace seiran {

namespace {
ScriptedButtons*& buttonResponder()
{
    static ScriptedButtons* current = nullptr;
    return current;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Questions with buttons of their own

ScriptedButtons::ScriptedButtons()
{
    buttonResponder() = this;
}

ScriptedButtons::~ScriptedButtons()
{
    if (buttonResponder() == this) buttonResponder() = nullptr;
}

int ScriptedButtons::answer(const QString& text, const QStringList& buttons, int defaultIndex)
{
    mAsked.append({text, buttons});
    if (mAnswers.isEmpty()) return defaultIndex;
    const QString caption = mAnswers.takeFirst();
    const int index = int(buttons.indexOf(caption));
    return index >= 0 ? index : defaultIndex;
}

int AskWithButtons(const QString& text, const QStringList& buttons, int defaultIndex, int escapeIndex, QWidget* parent)
{
    if (ScriptedButtons* responder = buttonResponder()) return responder->answer(text, buttons, defaultIndex);
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(MessageTitle());
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    QList<QAbstractButton*> made;
    for (const QString& caption : buttons)
        made.append(box.addButton(caption, QMessageBox::ActionRole));
    if (defaultIndex >= 0 && defaultIndex < made.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(made.at(defaultIndex)));
    if (escapeIndex >= 0 && escapeIndex < made.size()) box.setEscapeButton(made.at(escapeIndex));
    box.exec();
    const int index = int(made.indexOf(box.clickedButton()));
    return index >= 0 ? index : escapeIndex;
}

// ---------------------------------------------------------------------------------------------
// The wait for the others

HolderWaitDialog::HolderWaitDialog(std::function<bool()> tryAgain, std::function<QString()> describe, int pollMs,
                                   QWidget* parent)
    : QDialog(parent), mTryAgain(std::move(tryAgain)), mDescribe(std::move(describe))
{
    setWindowTitle(MessageTitle());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    mTextLabel = new QLabel(mDescribe(), this);
    mTextLabel->setWordWrap(true);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0); // how long the others take is not known
    bar->setTextVisible(false);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mTextLabel);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    mTimer = new QTimer(this);
    mTimer->setInterval(pollMs);
    connect(mTimer, &QTimer::timeout, this, &HolderWaitDialog::poll);
    mTimer->start();
}

void HolderWaitDialog::poll()
{
    if (mTryAgain()) {
        mTimer->stop();
        accept();
        return;
    }
    mTextLabel->setText(mDescribe());
}

// ---------------------------------------------------------------------------------------------
// The registration of a window

QString HolderListText(const QList<LockHolder>& holders)
{
    QStringList lines;
    for (const LockHolder& h : holders)
        lines << QStringLiteral("　") + h.describe();
    return lines.join(u'\n');
}

int& WindowGradeLock::pollIntervalMs()
{
    static int interval = LockTiming::HolderPollMs;
    return interval;
}

WindowGradeLock::WindowGradeLock(const QString& dataFolder, int grade, QWidget* window)
    : QObject(window), mLock(std::make_unique<GradeLock>(dataFolder, grade)), mWindow(window)
{
    mBeatTimer = new QTimer(this);
    mBeatTimer->setInterval(LockTiming::BeatIntervalMs);
    connect(mBeatTimer, &QTimer::timeout, this, &WindowGradeLock::beat);
}

WindowGradeLock::~WindowGradeLock()
{
    if (!mLock->held()) return;
    if (mLock->mode() == LockMode::Exclusive) {
        GradeGuard guard(mLock->dataFolder(), mLock->grade());
        if (guard) guard.raiseGeneration();
    }
    mLock->release();
}

GradeAccess WindowGradeLock::openShared(const QString& screen, const QString& fields)
{
    return open(LockMode::Shared, screen, fields);
}

GradeAccess WindowGradeLock::openExclusive(const QString& screen)
{
    return open(LockMode::Exclusive, screen, QStringLiteral("all"));
}

WindowGradeLock* LockGradeAlone(const QString& dataFolder, int grade, const QString& screen, QWidget* owner)
{
    auto* lock = new WindowGradeLock(dataFolder, grade, owner);
    if (!QFileInfo(dataFolder).isDir()) return lock; // a new data folder: nobody else is in it
    if (lock->openExclusive(screen) == GradeAccess::Write) return lock;
    delete lock;
    return nullptr;
}

GradeAccess WindowGradeLock::open(LockMode mode, const QString& screen, const QString& fields)
{
    const bool shared = mode == LockMode::Shared;
    const QString folder = QDir::toNativeSeparators(GradeLockFolder(mLock->dataFolder(), mLock->grade()));
    GradeLock::Outcome outcome = mLock->acquire(mode, screen, fields);
    while (outcome.result.ok && !outcome.granted) {
        const QString text =
            QStringLiteral("次の人がこの学年のデータを使っています。\n\n%1\n\n")
                .arg(HolderListText(outcome.refusedBy)) +
            (shared ? QStringLiteral("終わるのを待つか、読み取り専用で開いてください（保存はできません）。")
                    : QStringLiteral("この画面は、ほかの人が使い終わってから開きます。"));
        QStringList buttons{QStringLiteral("待つ")};
        if (shared) buttons << QStringLiteral("読み取り専用で開く");
        buttons << QStringLiteral("キャンセル");
        const int cancel = int(buttons.size()) - 1;
        const int answer = AskWithButtons(text, buttons, cancel, cancel, dialogParent());
        if (answer == cancel) return GradeAccess::Refused;
        if (answer == 1 && shared) {
            mReadOnlyReason = QStringLiteral("ほかの人が使っているため、読み取り専用で開きました。");
            return GradeAccess::ReadOnly;
        }
        // 待つ: tries again every few seconds and goes on by itself when the grade is free.
        HolderWaitDialog wait(
            [&] {
                outcome = mLock->acquire(mode, screen, fields);
                return outcome.granted || !outcome.result.ok;
            },
            [&] {
                return QStringLiteral("次の人が使い終わるのを待っています。空いたら自動的に開きます。\n\n%1")
                    .arg(HolderListText(outcome.refusedBy));
            },
            pollIntervalMs(), dialogParent());
        if (wait.exec() != QDialog::Accepted) return GradeAccess::Refused;
    }
    if (!outcome.result.ok) {
        if (!shared) {
            ShowMessage(QStringLiteral("フォルダ %1 に書き込めないため、この画面は開けません。\n%2")
                            .arg(folder, outcome.result.message),
                        MsgButtons::Ok, MsgIcon::Critical, 1, QString(), dialogParent());
            return GradeAccess::Refused;
        }
        mReadOnlyReason = QStringLiteral("フォルダ %1 に書き込めないため、読み取り専用で開きます。\n%2")
                              .arg(folder, outcome.result.message);
        ShowMessage(mReadOnlyReason, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), dialogParent());
        return GradeAccess::ReadOnly;
    }
    if (!outcome.overlapping.isEmpty()) {
        ShowMessage(QStringLiteral("次の人も同じ欄を入力しています。\n\n%1\n\n"
                                   "同じ欄にほかの人が別の値を保存していたときは、保存のときに確かめます。")
                        .arg(HolderListText(outcome.overlapping)),
                    MsgButtons::Ok, MsgIcon::Information, 1, QString(), dialogParent());
    }
    mBeatTimer->start();
    return GradeAccess::Write;
}

QWidget* WindowGradeLock::dialogParent() const
{
    // A window asks before it is shown: its questions stand over the window that opened it.
    if (mWindow && !mWindow->isVisible() && mWindow->parentWidget()) return mWindow->parentWidget();
    return mWindow;
}

void WindowGradeLock::beat()
{
    // A beat due while this process waits for the guard comes with the next one.
    if (!mLock->held() || WindowGuardWaiting()) return;
    const Result r = mLock->beat();
    // A registration removed by another PC and taken over since cannot come back; the save still
    // checks the grade, so this is said once and the window goes on.
    if (!r && !mLock->held() && !mBeatLostTold) {
        mBeatLostTold = true;
        mBeatTimer->stop();
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), dialogParent());
    }
}

// ---------------------------------------------------------------------------------------------
// The wait for the guard

namespace {
struct GuardWaitState
{
    QPointer<QProgressDialog> dialog;
    QPointer<QTimer> closer;
    QPointer<QWidget> mainWindow;
    bool waiting = false; // inside the wait's event processing
};
GuardWaitState& guardWait()
{
    static GuardWaitState state;
    return state;
}

// The guard is usually free again within a moment: the wait shows only after this long.
constexpr int GuardWaitShownAfterMs = 500;
} // namespace

bool WindowGuardWaiting()
{
    return guardWait().waiting;
}

void InstallWindowGuardWait(QWidget* mainWindow)
{
    guardWait().mainWindow = mainWindow;
    GuardWaitPolicy policy;
    policy.onWait = [](const QString& holder, int waitedMs) {
        GuardWaitState& state = guardWait();
        if (waitedMs < GuardWaitShownAfterMs) return true;
        if (!state.dialog) {
            QWidget* parent = QApplication::activeModalWidget();
            if (!parent) parent = state.mainWindow;
            state.dialog = new QProgressDialog(parent);
            state.dialog->setAttribute(Qt::WA_DeleteOnClose);
            state.dialog->setWindowTitle(MessageTitle());
            state.dialog->setCancelButtonText(QStringLiteral("キャンセル"));
            state.dialog->setRange(0, LockTiming::GuardWaitMs);
            state.dialog->setMinimumDuration(0);
            state.dialog->setAutoClose(false);
            state.dialog->setAutoReset(false);
            state.dialog->setWindowModality(Qt::ApplicationModal);
            // The wait ends without a last call: the dialog goes when no call came for a while
            // (the guard is tried again at least every quarter second while it waits).
            state.closer = new QTimer(state.dialog);
            state.closer->setSingleShot(true);
            state.closer->setInterval(1000);
            QObject::connect(state.closer, &QTimer::timeout, state.dialog, &QWidget::close);
        }
        state.dialog->setLabelText(QStringLiteral("%1 が保存しています。終わるまでお待ちください。")
                                       .arg(holder.isEmpty() ? QStringLiteral("ほかの人") : holder));
        state.dialog->setValue(qMin(waitedMs, LockTiming::GuardWaitMs));
        state.dialog->show();
        state.closer->start();
        state.waiting = true;
        QApplication::processEvents();
        state.waiting = false;
        const bool cancelled = state.dialog && state.dialog->wasCanceled();
        if (cancelled && state.dialog) state.dialog->close();
        return !cancelled;
    };
    SetGuardWaitPolicy(policy);
}

} // namespace seiran
