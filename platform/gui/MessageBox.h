#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace seiran {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Warning, Critical };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct MessageQuestion
{
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    int defaultButton = 1; // 1 = first button, 2 = second, 3 = third
};

// The application's title, used when a message names no title of its own.
void SetMessageTitle(const QString& title);
QString MessageTitle();

// Shows a modal message box with Japanese button texts and returns the answer. When a test
// responder is installed, it answers instead and no window opens.
MsgAnswer ShowMessage(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                      int defaultButton = 1, const QString& title = QString(), QWidget* parent = nullptr);

// Test seam: every question goes to the responder, which also records it.
class ScriptedMessages
{
public:
    ScriptedMessages();
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Answers given in order; when they run out the default button is taken.
    void queue(MsgAnswer answer) { mAnswers.append(answer); }
    const QList<MessageQuestion>& asked() const { return mAsked; }
    void clear() { mAsked.clear(); }

    MsgAnswer answer(const MessageQuestion& question);

private:
    QList<MsgAnswer> mAnswers;
    QList<MessageQuestion> mAsked;
};

} // namespace seiran
