#pragma once

#include <QGroupBox>
#include <QList>

class QPushButton;

namespace seiran {

class CheckBoxPanel;
struct GradeData;

// "印刷するクラス": a ticked box per class of the grade with "全選択" and "全解除".
class ClassBoxFrame : public QGroupBox
{
    Q_OBJECT
public:
    ClassBoxFrame(const GradeData& gd, QWidget* parent);

    // The ticked classes, ascending.
    QList<int> tickedClasses() const;

    CheckBoxPanel* mClassBoxes = nullptr;
    QPushButton* mSelectAllButton = nullptr;
    QPushButton* mClearAllButton = nullptr;

private:
    void onSelectAllClicked();
    void onClearAllClicked();
};

} // namespace seiran
