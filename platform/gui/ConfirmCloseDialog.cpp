#include "ConfirmCloseDialog.h"

#include <QCloseEvent>

namespace seiran {

void ConfirmCloseDialog::reject()
{
    if (mClosing || confirmClose()) {
        mClosing = true;
        QDialog::reject();
    }
}

void ConfirmCloseDialog::closeEvent(QCloseEvent* event)
{
    if (mClosing || confirmClose()) {
        mClosing = true;
        event->accept();
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

void ConfirmCloseDialog::closeSettled(bool accepted)
{
    mClosing = true;
    if (accepted)
        QDialog::accept();
    else
        QDialog::reject();
}

} // namespace seiran
