#include "NewRosterWindow.h"

#include "GradeData.h"
#include "GradeLockWindow.h"
#include "MessageBox.h"
#include "NewRoster.h"
#include "Progress.h"
#include "Session.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

// The dialog's own progress bar, driven by the file-set creation.
class NewRosterWindow::BarProgress final : public IProgress
{
public:
    explicit BarProgress(QProgressBar* bar) : mBar(bar) {}
    void setStatusText(const QString&) override {}
    void setMaximum(int maximum) override { mBar->setMaximum(maximum); }
    void setValue(int value) override
    {
        mBar->setValue(value);
        // Redraw now: the creation runs without returning to the event loop.
        if (value % 60 == 0) mBar->repaint();
    }
    void setVisible(bool visible) override { mBar->setVisible(visible); }

private:
    QProgressBar* mBar;
};

NewRosterWindow::NewRosterWindow(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("名簿ファイル新規作成"));

    mGradeLabel = new QLabel(QStringLiteral("学年"), this);
    mGradeCombo = new QComboBox(this);
    for (int g = 1; g <= 3; ++g)
        mGradeCombo->addItem(QString::number(g) + QStringLiteral("年"));
    mClassCountLabel = new QLabel(QStringLiteral("クラス数"), this);
    mClassCountCombo = new QComboBox(this);
    for (int c = 1; c <= 9; ++c)
        mClassCountCombo->addItem(QString::number(c));
    mGradeCombo->setCurrentIndex(0);
    mClassCountCombo->setCurrentIndex(0);

    mCautionFrame = new QGroupBox(QStringLiteral("注意"), this);
    auto* warning =
        new QLabel(QStringLiteral("すでに名簿が存在するとき、新規作成を行うと、すべてのデータが消去されます。"
                                  "一度消去されると復活できません。\n"
                                  "ただし、作成前の状態はバックアップに残り、「名簿の管理」の「バックアップから戻す」で"
                                  "戻せます。"),
                   mCautionFrame);
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("color: #b00000;"));
    auto* frameLayout = new QVBoxLayout(mCautionFrame);
    frameLayout->addWidget(warning);

    mOkButton = new QPushButton(QStringLiteral("作成"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    mCancelButton->setDefault(true);
    mProgressBar = new QProgressBar(this);
    mProgressBar->setTextVisible(false);
    mProgressBar->setValue(0);

    auto* choices = new QGridLayout;
    choices->addWidget(mGradeLabel, 0, 0);
    choices->addWidget(mGradeCombo, 0, 1);
    choices->addWidget(mClassCountLabel, 1, 0);
    choices->addWidget(mClassCountCombo, 1, 1);
    choices->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(mCautionFrame);
    layout->addWidget(mProgressBar);
    layout->addLayout(buttons);
    mCautionFrame->setFixedWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    mProgress = std::make_unique<BarProgress>(mProgressBar);

    connect(mOkButton, &QPushButton::clicked, this, &NewRosterWindow::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &NewRosterWindow::onCancelClicked);
}

NewRosterWindow::~NewRosterWindow() = default;

void NewRosterWindow::onOkClicked()
{
    const int grade = mGradeCombo->currentIndex() + 1;
    const int classCount = mClassCountCombo->currentIndex() + 1;
    const QString folder = mSession.gd.dataFolder;

    // The grade is made anew: nobody may have it open meanwhile.
    std::unique_ptr<WindowGradeLock> alone(LockGradeAlone(folder, grade, mOkButton->text(), this));
    if (!alone) return;
    if (RosterHoldsData(folder, grade)) {
        const MsgAnswer answer = ShowMessage(QStringLiteral("名簿ファイルはすでに存在します｡") + QLatin1Char('\r') +
                                                 QStringLiteral("本当に消去してもよろしいですか"),
                                             MsgButtons::YesNo, MsgIcon::Warning, 2, QString(), this);
        if (answer != MsgAnswer::Yes) {
            close();
            return;
        }
    }

    mOkButton->setEnabled(false);
    mCancelButton->setEnabled(false);
    const Result made = CreateGradeFiles(folder, grade, classCount, mSession.programFolder, *mProgress);
    mProgressBar->setValue(0);
    mOkButton->setEnabled(true);
    mCancelButton->setEnabled(true);
    if (!made) {
        ShowMessage(made.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        close();
        return;
    }
    // The new grade becomes the current one only once its files exist.
    mSession.gd.currentGrade = grade;
    mSession.gd.classCount = classCount;
    emit gradeCreated(grade, classCount);
    accept();
}

void NewRosterWindow::onCancelClicked()
{
    close();
}

} // namespace seiran
