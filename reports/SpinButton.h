#pragma once

#include <QWidget>

class QToolButton;

namespace seiran {

// An up-down spinner without a value of its own: two arrow buttons, one above the other, that
// report each press.
class SpinButton : public QWidget
{
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);

    QToolButton* upButton() const { return mUp; }
    QToolButton* downButton() const { return mDown; }

signals:
    void SpinUp();
    void SpinDown();

private:
    QToolButton* mUp;
    QToolButton* mDown;
};

} // namespace seiran
