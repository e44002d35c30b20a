#include "ReportItemPicker.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"

namespace seiran {

ReportItemPicker::ReportItemPicker(Session& session, QWidget* parent)
    : CheckBoxPicker(session, QStringLiteral("印刷する教科の選択"), QStringLiteral("印刷開始"), 4, QSize(132, 28),
                     parent)
{
    mItemBoxes = boxPanel();
    GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.itemCount, int(Limits::ReportItems));
    for (int i = 1; i <= Limits::ReportItems; ++i)
        gd.itemSelected[i] = 0;
    // The first item is always the five-subject total; the others are captioned by the caller.
    mItemBoxes->createBoxes(count,
                            [&gd](int k) { return k == 0 ? QStringLiteral("５教科合計") : gd.itemCaption[k + 1]; });
}

void ReportItemPicker::onAcceptClicked()
{
    GradeData& gd = mSession.gd;
    const QList<int> ticked = ticks();
    for (int k = 0; k < ticked.size(); ++k)
        gd.itemSelected[k + 1] = ticked.at(k);
    accept();
}

} // namespace seiran
