#pragma once

#include <QDialog>

class QCloseEvent;

namespace seiran {

// A window that asks before it closes (unsaved changes, a computation to abandon): Esc, the
// close box and a "中止"-like button all go through reject(), which asks once through
// confirmClose(). A window that has finished its work (saved, computed) closes with
// closeSettled(), which asks nothing.
class ConfirmCloseDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // Asks whether the window may close; true when it may.
    virtual bool confirmClose() = 0;
    // Closes without a question: accepted after the window's work is done, rejected otherwise.
    void closeSettled(bool accepted);

private:
    bool mClosing = false; // leaving is settled: no more questions
};

} // namespace seiran
