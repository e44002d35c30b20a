#include "ClassPupilPicker.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "PupilPicker.h"
#include "Session.h"

#include <QCheckBox>

namespace seiran {

ClassPupilPicker::ClassPupilPicker(Session& session, QWidget* parent) : ClassPicker(session, parent)
{
    mIndividualCheck = new QCheckBox(QStringLiteral("個別指定"), this);
    addBelowBoxes(mIndividualCheck);
    connect(mIndividualCheck, &QCheckBox::clicked, this, &ClassPupilPicker::onIndividualToggled);
}

void ClassPupilPicker::onIndividualToggled()
{
    if (mIndividualCheck->isChecked()) {
        mClassBoxes->setBoxesEnabled(false);
        runStudentPicker();
    } else {
        mClassBoxes->setBoxesEnabled(true);
    }
}

void ClassPupilPicker::runStudentPicker()
{
    if (mRunStudentPicker) {
        mRunStudentPicker();
        return;
    }
    PupilPicker picker(mSession, this);
    picker.exec();
}

void ClassPupilPicker::onAcceptClicked()
{
    GradeData& gd = mSession.gd;
    if (!mIndividualCheck->isChecked()) {
        const int count = qBound(0, gd.studentCount, int(Limits::Students));
        for (int s = 1; s <= count; ++s) {
            const QCheckBox* box = classBox(gd.studentClass[s] - 1);
            gd.studentSelected[s] = box && box->isChecked();
        }
    }
    accept();
}

} // namespace seiran
