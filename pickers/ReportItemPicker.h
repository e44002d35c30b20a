#pragma once

#include "CheckBoxPicker.h"

namespace seiran {

// "印刷する教科の選択": one check box per item of the report item list that the calling report
// window has built. "印刷開始" writes the ticked items into itemSelected; "中止" selects none.
class ReportItemPicker : public CheckBoxPicker
{
    Q_OBJECT
public:
    explicit ReportItemPicker(Session& session, QWidget* parent = nullptr);

    // Box of item i (1..itemCount).
    QCheckBox* itemBox(int i) const { return box(i - 1); }
    int itemBoxCount() const { return boxCount(); }

    CheckBoxPanel* mItemBoxes = nullptr;

    void onAcceptClicked() override; // 印刷開始
};

} // namespace seiran
