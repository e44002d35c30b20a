#include "frmSelectKyoka.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

frmSelectKyoka::frmSelectKyoka(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("印刷する教科の選択"));

    Label1 = new QLabel(QStringLiteral("印刷する教科の選択"), this);
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Raised);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumHeight(32);

    chkKyoka = new CheckBoxPanel(4, QSize(132, 28), this);
    Command1 = new QPushButton(QStringLiteral("全選択"), this);
    Command3 = new QPushButton(QStringLiteral("全解除"), this);
    Command2 = new QPushButton(QStringLiteral("印刷開始"), this);
    Command4 = new QPushButton(QStringLiteral("中止"), this);
    Command2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command4);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    layout->addWidget(chkKyoka, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &frmSelectKyoka::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSelectKyoka::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectKyoka::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &frmSelectKyoka::Command4_Click);

    GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.itemCount, int(Limits::ReportItems));
    for (int i = 1; i <= Limits::ReportItems; ++i)
        gd.itemSelected[i] = 0;
    // The first item is always the five-subject total; the others are captioned by the caller.
    chkKyoka->createBoxes(count,
                          [&gd](int k) { return k == 0 ? QStringLiteral("５教科合計") : gd.itemCaption[k + 1]; });
}

QCheckBox* frmSelectKyoka::itemBox(int i) const
{
    return chkKyoka->boxes().value(i - 1, nullptr);
}

int frmSelectKyoka::itemBoxCount() const
{
    return int(chkKyoka->boxes().size());
}

void frmSelectKyoka::Command1_Click()
{
    chkKyoka->setAllChecked(true);
}

void frmSelectKyoka::Command3_Click()
{
    chkKyoka->setAllChecked(false);
}

void frmSelectKyoka::Command2_Click()
{
    GradeData& gd = mSession.gd;
    const QList<QCheckBox*>& boxes = chkKyoka->boxes();
    for (int k = 0; k < boxes.size(); ++k)
        gd.itemSelected[k + 1] = boxes.at(k)->isChecked() ? 1 : 0;
    accept();
}

void frmSelectKyoka::Command4_Click()
{
    reject();
}

} // namespace seiran
