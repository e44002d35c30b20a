#include "GradeDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

GradeDialog::GradeDialog(QComboBox* gradeCombo, QWidget* parent) : QDialog(parent), mGradeCombo(gradeCombo)
{
    setWindowTitle(QStringLiteral("学年の設定"));
    mPromptLabel = new QLabel(QStringLiteral("学年を選んでください。"), this);
    QFont big = mPromptLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.2);
    mPromptLabel->setFont(big);
    mPromptLabel->setAlignment(Qt::AlignCenter);

    mFirstGradeButton = new QPushButton(QStringLiteral("１年"), this);
    mSecondGradeButton = new QPushButton(QStringLiteral("２年"), this);
    mThirdGradeButton = new QPushButton(QStringLiteral("３年"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {mFirstGradeButton, mSecondGradeButton, mThirdGradeButton}) {
        b->setMinimumSize(96, 44);
        b->setFont(big);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(16);
    layout->addWidget(mPromptLabel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(mFirstGradeButton, &QPushButton::clicked, this, &GradeDialog::onFirstGradeClicked);
    connect(mSecondGradeButton, &QPushButton::clicked, this, &GradeDialog::onSecondGradeClicked);
    connect(mThirdGradeButton, &QPushButton::clicked, this, &GradeDialog::onThirdGradeClicked);
}

void GradeDialog::choose(int index)
{
    // The grade list's handler makes the grade current.
    mGradeCombo->setCurrentIndex(index);
    accept();
}

} // namespace seiran
