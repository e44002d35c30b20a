#include "SpinButton.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace seiran {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent), mUp(new QToolButton(this)), mDown(new QToolButton(this))
{
    mUp->setArrowType(Qt::UpArrow);
    mDown->setArrowType(Qt::DownArrow);
    // Holding a button down keeps stepping, as a spinner does.
    for (QToolButton* b : {mUp, mDown}) {
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mUp);
    layout->addWidget(mDown);
    connect(mUp, &QToolButton::clicked, this, &SpinButton::SpinUp);
    connect(mDown, &QToolButton::clicked, this, &SpinButton::SpinDown);
}

} // namespace seiran
