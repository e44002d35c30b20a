#pragma once

// Only for tests that link Qt Widgets: the support library itself does not.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace seiran::test {

// Acts on the next modal window of type T from inside its own event loop. Keep the object alive
// until the call that opens the window has returned; answered() tells whether it opened.
template <typename T> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(T*)> action) : mAction(std::move(action))
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                mTimer.stop();
                mAnswered = true;
                mAction(window);
            }
        });
        mTimer.start();
    }
    bool answered() const { return mAnswered; }

private:
    std::function<void(T*)> mAction;
    QTimer mTimer;
    bool mAnswered = false;
};

} // namespace seiran::test
