#include "frmNewMeibo.h"

#include "GradeData.h"
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
class frmNewMeibo::BarProgress final : public IProgress
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

frmNewMeibo::frmNewMeibo(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("名簿ファイル新規作成"));

    Label1 = new QLabel(QStringLiteral("学年"), this);
    Combo1 = new QComboBox(this);
    for (int g = 1; g <= 3; ++g)
        Combo1->addItem(QString::number(g) + QStringLiteral("年"));
    Label2 = new QLabel(QStringLiteral("クラス数"), this);
    Combo2 = new QComboBox(this);
    for (int c = 1; c <= 9; ++c)
        Combo2->addItem(QString::number(c));
    Combo1->setCurrentIndex(0);
    Combo2->setCurrentIndex(0);

    Frame1 = new QGroupBox(QStringLiteral("注意"), this);
    auto* warning =
        new QLabel(QStringLiteral("すでに名簿が存在するとき、新規作成を行うと、すべてのデータが消去されます。"
                                  "一度消去されると復活できません。"),
                   Frame1);
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("color: #b00000;"));
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(warning);

    OKButton = new QPushButton(QStringLiteral("作成"), this);
    CancelButton = new QPushButton(QStringLiteral("中止"), this);
    CancelButton->setDefault(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    auto* choices = new QGridLayout;
    choices->addWidget(Label1, 0, 0);
    choices->addWidget(Combo1, 0, 1);
    choices->addWidget(Label2, 1, 0);
    choices->addWidget(Combo2, 1, 1);
    choices->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Frame1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    Frame1->setFixedWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    mProgress = std::make_unique<BarProgress>(ProgressBar1);

    connect(OKButton, &QPushButton::clicked, this, &frmNewMeibo::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmNewMeibo::CancelButton_Click);
}

frmNewMeibo::~frmNewMeibo() = default;

void frmNewMeibo::OKButton_Click()
{
    const int grade = Combo1->currentIndex() + 1;
    const int classCount = Combo2->currentIndex() + 1;
    const QString folder = mSession.gd.dataFolder;

    if (RosterHoldsData(folder, grade)) {
        const MsgAnswer answer = ShowMessage(QStringLiteral("名簿ファイルはすでに存在します｡") + QLatin1Char('\r') +
                                                 QStringLiteral("本当に消去してもよろしいですか"),
                                             MsgButtons::YesNo, MsgIcon::Warning, 2, QString(), this);
        if (answer != MsgAnswer::Yes) {
            close();
            return;
        }
    }

    OKButton->setEnabled(false);
    CancelButton->setEnabled(false);
    const Result made = CreateGradeFiles(folder, grade, classCount, mSession.programFolder, *mProgress);
    ProgressBar1->setValue(0);
    OKButton->setEnabled(true);
    CancelButton->setEnabled(true);
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

void frmNewMeibo::CancelButton_Click()
{
    close();
}

} // namespace seiran
