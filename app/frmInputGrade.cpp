#include "frmInputGrade.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

frmInputGrade::frmInputGrade(QComboBox* Combo_nen, QWidget* parent) : QDialog(parent), mComboNen(Combo_nen)
{
    setWindowTitle(QStringLiteral("学年の設定"));
    Label1 = new QLabel(QStringLiteral("学年を選んでください。"), this);
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.2);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignCenter);

    Command1 = new QPushButton(QStringLiteral("１年"), this);
    Command2 = new QPushButton(QStringLiteral("２年"), this);
    Command3 = new QPushButton(QStringLiteral("３年"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Command1, Command2, Command3}) {
        b->setMinimumSize(96, 44);
        b->setFont(big);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(16);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &frmInputGrade::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmInputGrade::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmInputGrade::Command3_Click);
}

void frmInputGrade::choose(int index)
{
    // The grade list's handler makes the grade current.
    mComboNen->setCurrentIndex(index);
    accept();
}

} // namespace seiran
