#include "frmSelectClass2.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"
#include "frmSelectStudent.h"

#include <QCheckBox>

namespace seiran {

frmSelectClass2::frmSelectClass2(Session& session, QWidget* parent) : frmSelectClass(session, parent)
{
    Check1 = new QCheckBox(QStringLiteral("個別指定"), this);
    addBelowBoxes(Check1);
    connect(Check1, &QCheckBox::clicked, this, &frmSelectClass2::Check1_Click);
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

} // namespace seiran
