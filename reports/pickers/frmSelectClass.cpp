#include "frmSelectClass.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

void CreateClassBoxes(CheckBoxPanel* panel, const Session& session)
{
    const GradeData& gd = session.gd;
    const int count = qBound(0, gd.classCount, int(Limits::Classes));
    panel->createBoxes(count, [&gd](int k) { return gd.classLabel(k + 1) + QStringLiteral("組"); });
}

frmSelectClass::frmSelectClass(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("印刷するクラスの選択"));

    Label1 = new QLabel(QStringLiteral("印刷するクラスの選択"), this);
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Raised);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumHeight(32);

    chkClass = new CheckBoxPanel(5, QSize(72, 28), this);
    Command1 = new QPushButton(QStringLiteral("全選択"), this);
    Command3 = new QPushButton(QStringLiteral("全解除"), this);
    Command2 = new QPushButton(QStringLiteral("印刷"), this);
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
    layout->addWidget(chkClass, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &frmSelectClass::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSelectClass::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectClass::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &frmSelectClass::Command4_Click);

    // Nothing is printed unless the user says so.
    GradeData& gd = mSession.gd;
    for (int k = 1; k <= Limits::Classes; ++k)
        gd.classSelected[k] = 0;
    CreateClassBoxes(chkClass, mSession);
}

QCheckBox* frmSelectClass::classBox(int k) const
{
    return chkClass->boxes().value(k, nullptr);
}

int frmSelectClass::classBoxCount() const
{
    return int(chkClass->boxes().size());
}

void frmSelectClass::Command1_Click()
{
    chkClass->setAllChecked(true);
}

void frmSelectClass::Command3_Click()
{
    chkClass->setAllChecked(false);
}

void frmSelectClass::Command2_Click()
{
    GradeData& gd = mSession.gd;
    const QList<QCheckBox*>& boxes = chkClass->boxes();
    for (int k = 0; k < boxes.size(); ++k)
        gd.classSelected[k + 1] = boxes.at(k)->isChecked() ? 1 : 0;
    accept();
}

void frmSelectClass::Command4_Click()
{
    reject();
}

} // namespace seiran
