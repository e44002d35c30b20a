#pragma once

#include "CheckBoxPicker.h"

namespace seiran {

// "印刷するクラスの選択": one check box per class of the grade. "印刷" writes the ticked classes
// into classSelected; "中止" leaves every class unselected.
class ClassPicker : public CheckBoxPicker
{
    Q_OBJECT
public:
    explicit ClassPicker(Session& session, QWidget* parent = nullptr);

    // Box k (from 0) stands for class k + 1.
    QCheckBox* classBox(int k) const { return box(k); }
    int classBoxCount() const { return boxCount(); }

    CheckBoxPanel* mClassBoxes = nullptr;

    void onAcceptClicked() override; // 印刷
};

// Creates the class boxes of a grade: box k captioned with the label of class k + 1 and "組".
void CreateClassBoxes(CheckBoxPanel* panel, const Session& session);

} // namespace seiran
