#include "ClassPicker.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"

namespace seiran {

void CreateClassBoxes(CheckBoxPanel* panel, const Session& session)
{
    const GradeData& gd = session.gd;
    const int count = qBound(0, gd.classCount, int(Limits::Classes));
    panel->createBoxes(count, [&gd](int k) { return gd.classLabel(k + 1) + QStringLiteral("組"); });
}

ClassPicker::ClassPicker(Session& session, QWidget* parent)
    : CheckBoxPicker(session, QStringLiteral("印刷するクラスの選択"), QStringLiteral("印刷"), 5, QSize(72, 28), parent)
{
    mClassBoxes = boxPanel();
    // Nothing is printed unless the user says so.
    GradeData& gd = mSession.gd;
    for (int k = 1; k <= Limits::Classes; ++k)
        gd.classSelected[k] = 0;
    CreateClassBoxes(mClassBoxes, mSession);
}

void ClassPicker::onAcceptClicked()
{
    GradeData& gd = mSession.gd;
    const QList<int> ticked = ticks();
    for (int k = 0; k < ticked.size(); ++k)
        gd.classSelected[k + 1] = ticked.at(k);
    accept();
}

} // namespace seiran
