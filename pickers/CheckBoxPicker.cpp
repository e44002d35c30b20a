#include "CheckBoxPicker.h"

#include "PickerLayout.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

CheckBoxPicker::CheckBoxPicker(Session& session, const QString& caption, const QString& answerCaption, int perRow,
                               const QSize& boxSize, QWidget* parent)
    : QDialog(parent), mSession(session)
{
    setWindowTitle(caption);

    mPromptLabel = PickerHeading(caption, this);

    mPanel = new CheckBoxPanel(perRow, boxSize, this);
    mSelectAllButton = new QPushButton(QStringLiteral("全選択"), this);
    mClearAllButton = new QPushButton(QStringLiteral("全解除"), this);
    mAcceptButton = new QPushButton(answerCaption, this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    mAcceptButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mSelectAllButton);
    buttons->addWidget(mClearAllButton);
    buttons->addStretch();
    buttons->addWidget(mAcceptButton);
    buttons->addWidget(mCancelButton);

    mLayout = new QVBoxLayout(this);
    mLayout->addWidget(mPromptLabel);
    mLayout->addSpacing(8);
    mLayout->addWidget(mPanel, 0, Qt::AlignHCenter);
    mLayout->addSpacing(8);
    mLayout->addLayout(buttons);
    mLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(mSelectAllButton, &QPushButton::clicked, this, &CheckBoxPicker::onSelectAllClicked);
    connect(mClearAllButton, &QPushButton::clicked, this, &CheckBoxPicker::onClearAllClicked);
    connect(mAcceptButton, &QPushButton::clicked, this, &CheckBoxPicker::onAcceptClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &CheckBoxPicker::onCancelClicked);
}

void CheckBoxPicker::onSelectAllClicked()
{
    mPanel->setAllChecked(true);
}

void CheckBoxPicker::onClearAllClicked()
{
    mPanel->setAllChecked(false);
}

void CheckBoxPicker::onCancelClicked()
{
    reject();
}

QCheckBox* CheckBoxPicker::box(int k) const
{
    return mPanel->boxes().value(k, nullptr);
}

int CheckBoxPicker::boxCount() const
{
    return int(mPanel->boxes().size());
}

QList<int> CheckBoxPicker::ticks() const
{
    QList<int> out;
    for (const QCheckBox* b : mPanel->boxes())
        out.append(b->isChecked() ? 1 : 0);
    return out;
}

void CheckBoxPicker::addBelowBoxes(QWidget* widget)
{
    // Just above the spacing that separates the buttons.
    const int at = mLayout->count() - 2;
    mLayout->insertSpacing(at, 4);
    mLayout->insertWidget(at + 1, widget);
}

} // namespace seiran
