#include "frmSelectClass2.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"
#include "frmSelectClass.h"
#include "frmSelectStudent.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

frmSelectClass2::frmSelectClass2(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("印刷するクラスの選択"));

    Label1 = new QLabel(QStringLiteral("印刷するクラスの選択"), this);
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Raised);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumHeight(32);

    chkClass = new CheckBoxPanel(5, QSize(72, 28), this);
    Check1 = new QCheckBox(QStringLiteral("個別指定"), this);
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
    layout->addSpacing(4);
    layout->addWidget(Check1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Check1, &QCheckBox::clicked, this, &frmSelectClass2::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSelectClass2::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSelectClass2::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectClass2::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &frmSelectClass2::Command4_Click);

    GradeData& gd = mSession.gd;
    for (int k = 1; k <= Limits::Classes; ++k)
        gd.classSelected[k] = 0;
    CreateClassBoxes(chkClass, mSession);
}

QCheckBox* frmSelectClass2::classBox(int k) const
{
    return chkClass->boxes().value(k, nullptr);
}

int frmSelectClass2::classBoxCount() const
{
    return int(chkClass->boxes().size());
}

void frmSelectClass2::Check1_Click()
{
    if (Check1->isChecked()) {
        chkClass->setBoxesEnabled(false);
        runStudentPicker();
    } else {
        chkClass->setBoxesEnabled(true);
    }
}

void frmSelectClass2::runStudentPicker()
{
    if (mRunStudentPicker) {
        mRunStudentPicker();
        return;
    }
    frmSelectStudent picker(mSession, this);
    picker.exec();
}

void frmSelectClass2::Command1_Click()
{
    chkClass->setAllChecked(true);
}

void frmSelectClass2::Command3_Click()
{
    chkClass->setAllChecked(false);
}

void frmSelectClass2::Command2_Click()
{
    GradeData& gd = mSession.gd;
    if (!Check1->isChecked()) {
        const int count = qBound(0, gd.studentCount, int(Limits::Students));
        for (int s = 1; s <= count; ++s) {
            const QCheckBox* box = classBox(gd.studentClass[s] - 1);
            gd.studentSelected[s] = box && box->isChecked();
        }
    }
    accept();
}

void frmSelectClass2::Command4_Click()
{
    reject();
}

} // namespace seiran
