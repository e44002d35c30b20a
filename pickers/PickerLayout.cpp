#include "PickerLayout.h"

namespace seiran {

QLabel* PickerHeading(const QString& text, QWidget* parent)
{
    auto* heading = new QLabel(text, parent);
    heading->setFrameShape(QFrame::Panel);
    heading->setFrameShadow(QFrame::Raised);
    heading->setAlignment(Qt::AlignCenter);
    heading->setMinimumHeight(32);
    return heading;
}

CheckBoxPanel::CheckBoxPanel(int perRow, const QSize& boxSize, QWidget* parent)
    : QWidget(parent), mPerRow(qMax(1, perRow)), mBoxSize(boxSize)
{
}

void CheckBoxPanel::createBoxes(int count, const std::function<QString(int)>& caption)
{
    qDeleteAll(mBoxes);
    mBoxes.clear();
    for (int k = 0; k < count; ++k) {
        auto* box = new QCheckBox(caption(k), this);
        box->setObjectName(QStringLiteral("chk%1").arg(k));
        box->resize(mBoxSize);
        // A box is moved into place before it is shown, so it never flashes at the origin.
        box->move(CheckBoxPosition(k, mPerRow, QPoint(0, 0), mBoxSize));
        box->setVisible(true);
        mBoxes.append(box);
    }
    updateGeometry();
}

void CheckBoxPanel::setAllChecked(bool checked)
{
    for (QCheckBox* box : std::as_const(mBoxes))
        box->setChecked(checked);
}

void CheckBoxPanel::setBoxesEnabled(bool enabled)
{
    for (QCheckBox* box : std::as_const(mBoxes))
        box->setEnabled(enabled);
}

QSize CheckBoxPanel::sizeHint() const
{
    const int count = qMax(1, int(mBoxes.size()));
    const int rows = (count + mPerRow - 1) / mPerRow;
    const int cols = qMin(count, mPerRow);
    return {qMax(cols, mPerRow) * mBoxSize.width(), rows * mBoxSize.height()};
}

} // namespace seiran
