#include "ClassBoxFrame.h"

#include "GradeData.h"
#include "PickerLayout.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

ClassBoxFrame::ClassBoxFrame(const GradeData& gd, QWidget* parent) : QGroupBox(QStringLiteral("印刷するクラス"), parent)
{
    mClassBoxes = new CheckBoxPanel(5, QSize(72, 28), this);
    const int classes = qBound(0, gd.classCount, int(Limits::Classes));
    mClassBoxes->createBoxes(classes, [&gd](int k) { return gd.classLabel(k + 1) + QStringLiteral("組"); });
    mClassBoxes->setAllChecked(true);
    mSelectAllButton = new QPushButton(QStringLiteral("全選択"), this);
    mClearAllButton = new QPushButton(QStringLiteral("全解除"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mSelectAllButton);
    buttons->addWidget(mClearAllButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mClassBoxes);
    layout->addLayout(buttons);

    connect(mSelectAllButton, &QPushButton::clicked, this, &ClassBoxFrame::onSelectAllClicked);
    connect(mClearAllButton, &QPushButton::clicked, this, &ClassBoxFrame::onClearAllClicked);
}

QList<int> ClassBoxFrame::tickedClasses() const
{
    QList<int> classes;
    const QList<QCheckBox*>& boxes = mClassBoxes->boxes();
    for (int k = 0; k < boxes.size(); ++k)
        if (boxes.at(k)->isChecked()) classes.append(k + 1);
    return classes;
}

void ClassBoxFrame::onSelectAllClicked()
{
    mClassBoxes->setAllChecked(true);
}

void ClassBoxFrame::onClearAllClicked()
{
    mClassBoxes->setAllChecked(false);
}

} // namespace seiran
