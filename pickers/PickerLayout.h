#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

namespace seiran {

// Where check box k (counting the first box as 0) goes when the boxes fill rows of `perRow`
// starting at the first box: left = (k mod perRow) x width + first left, top = (k div perRow)
// x height + first top.
inline QPoint CheckBoxPosition(int k, int perRow, const QPoint& first, const QSize& box)
{
    return {(k % perRow) * box.width() + first.x(), (k / perRow) * box.height() + first.y()};
}

// The raised caption panel at the top of a picker.
QLabel* PickerHeading(const QString& text, QWidget* parent);

// A panel of check boxes laid out by CheckBoxPosition. The pickers put one box at the first
// position and create the others when they open.
class CheckBoxPanel : public QWidget
{
public:
    CheckBoxPanel(int perRow, const QSize& boxSize, QWidget* parent = nullptr);

    // Creates `count` boxes, box k captioned caption(k).
    void createBoxes(int count, const std::function<QString(int)>& caption);
    const QList<QCheckBox*>& boxes() const { return mBoxes; }
    void setAllChecked(bool checked);
    void setBoxesEnabled(bool enabled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    int mPerRow;
    QSize mBoxSize;
    QList<QCheckBox*> mBoxes;
};

} // namespace seiran
