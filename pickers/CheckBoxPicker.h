#pragma once

#include <QDialog>
#include <QList>
#include <QSize>

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace seiran {

struct Session;
class CheckBoxPanel;

// The pickers that answer with ticked boxes: a heading, the boxes laid out in rows, "全選択" and
// "全解除" on the left, the answer button and "中止" on the right. A picker names its boxes and
// says what its answer writes; "中止" closes and writes nothing.
class CheckBoxPicker : public QDialog
{
    Q_OBJECT
public:
    QLabel* mPromptLabel = nullptr;
    QPushButton* mSelectAllButton = nullptr; // 全選択
    QPushButton* mClearAllButton = nullptr;  // 全解除
    QPushButton* mAcceptButton = nullptr;    // the answer
    QPushButton* mCancelButton = nullptr;    // 中止

    void onSelectAllClicked();
    void onClearAllClicked();
    virtual void onAcceptClicked() = 0;
    void onCancelClicked();

    // Box k, counting the first box as 0; nullptr past the last box.
    QCheckBox* box(int k) const;
    int boxCount() const;

protected:
    // `caption` is the window's caption and heading; the boxes go `perRow` to a row.
    CheckBoxPicker(Session& session, const QString& caption, const QString& answerCaption, int perRow,
                   const QSize& boxSize, QWidget* parent);

    CheckBoxPanel* boxPanel() const { return mPanel; }
    // Box k ticked: 1, else 0; box 0 first.
    QList<int> ticks() const;
    // Places a control of the picker's own between the boxes and the buttons.
    void addBelowBoxes(QWidget* widget);

    Session& mSession;

private:
    CheckBoxPanel* mPanel = nullptr;
    QVBoxLayout* mLayout = nullptr;
};

} // namespace seiran
