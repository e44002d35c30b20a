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

    Label1 = PickerHeading(caption, this);

    mPanel = new CheckBoxPanel(perRow, boxSize, this);
    Command1 = new QPushButton(QStringLiteral("全選択"), this);
    Command3 = new QPushButton(QStringLiteral("全解除"), this);
    Command2 = new QPushButton(answerCaption, this);
    Command4 = new QPushButton(QStringLiteral("中止"), this);
    Command2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command4);

    mLayout = new QVBoxLayout(this);
    mLayout->addWidget(Label1);
    mLayout->addSpacing(8);
    mLayout->addWidget(mPanel, 0, Qt::AlignHCenter);
    mLayout->addSpacing(8);
    mLayout->addLayout(buttons);
    mLayout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &CheckBoxPicker::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &CheckBoxPicker::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &CheckBoxPicker::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &CheckBoxPicker::Command4_Click);
}

void CheckBoxPicker::Command1_Click()
{
    mPanel->setAllChecked(true);
}

void CheckBoxPicker::Command3_Click()
{
    mPanel->setAllChecked(false);
}

void CheckBoxPicker::Command4_Click()
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
