#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace seiran {

namespace {
QString& titleStore()
{
    static QString title = QStringLiteral("成績処理せいらん");
    return title;
}
ScriptedMessages*& responder()
{
    static ScriptedMessages* current = nullptr;
    return current;
}

MsgAnswer defaultAnswer(const MessageQuestion& q)
{
    switch (q.buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return q.defaultButton == 2 ? MsgAnswer::No : MsgAnswer::Yes;
    case MsgButtons::YesNoCancel:
        return q.defaultButton == 3 ? MsgAnswer::Cancel : q.defaultButton == 2 ? MsgAnswer::No : MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}
} // namespace

void SetMessageTitle(const QString& title)
{
    titleStore() = title;
}

QString MessageTitle()
{
    return titleStore();
}

ScriptedMessages::ScriptedMessages()
{
    responder() = this;
}

ScriptedMessages::~ScriptedMessages()
{
    if (responder() == this) responder() = nullptr;
}

MsgAnswer ScriptedMessages::answer(const MessageQuestion& question)
{
    mAsked.append(question);
    if (mAnswers.isEmpty()) return defaultAnswer(question);
    return mAnswers.takeFirst();
}

MsgAnswer ShowMessage(const QString& text, MsgButtons buttons, MsgIcon icon, int defaultButton, const QString& title,
                      QWidget* parent)
{
    MessageQuestion q{text, title.isEmpty() ? MessageTitle() : title, buttons, icon, defaultButton};
    if (responder()) return responder()->answer(q);

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(q.title);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    QList<QPair<QPushButton*, MsgAnswer>> list;
    auto add = [&](const QString& caption, QMessageBox::ButtonRole role, MsgAnswer a) {
        list.append({box.addButton(caption, role), a});
    };
    switch (buttons) {
    case MsgButtons::Ok:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, MsgAnswer::Ok);
        break;
    case MsgButtons::YesNo:
        add(QStringLiteral("はい"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("いいえ"), QMessageBox::NoRole, MsgAnswer::No);
        break;
    case MsgButtons::YesNoCancel:
        add(QStringLiteral("はい"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("いいえ"), QMessageBox::NoRole, MsgAnswer::No);
        add(QStringLiteral("キャンセル"), QMessageBox::RejectRole, MsgAnswer::Cancel);
        break;
    }
    const int def = qBound(1, defaultButton, int(list.size())) - 1;
    box.setDefaultButton(list.at(def).first);
    // Closing the box with the window button counts as the last button (Cancel or No).
    box.setEscapeButton(list.last().first);
    box.exec();
    for (const auto& [button, answer] : list) {
        if (box.clickedButton() == button) return answer;
    }
    return list.last().second;
}

} // namespace seiran
