#include "FindBar.h"

#include "FlexGrid.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace seiran {

QString FindBarToolTip()
{
    return QStringLiteral("生徒を検索します（氏名・ふりがなの一部）。\n"
                          "Enter または F3 で次、Shift+F3 で前の生徒、Esc で閉じます。");
}

FindBar::FindBar(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    // Short texts, so that the bar fits the narrowest entry window; the tooltip says the rest.
    mPromptLabel = new QLabel(QStringLiteral("検索"), this);
    mFindEdit = new QLineEdit(this);
    mFindEdit->setClearButtonEnabled(true);
    mFindEdit->setPlaceholderText(QStringLiteral("氏名・ふりがな"));
    mHintLabel = new QLabel(QStringLiteral("F3 次　Shift+F3 前　Esc 閉じる"), this);
    const QList<QWidget*> parts{this, mPromptLabel, mFindEdit, mHintLabel};
    for (QWidget* part : parts)
        part->setToolTip(FindBarToolTip());
    row->addWidget(mPromptLabel);
    row->addWidget(mFindEdit, 1);
    row->addWidget(mHintLabel);
    mFindEdit->installEventFilter(this);
    connect(mFindEdit, &QLineEdit::textEdited, this, [this](const QString& text) { emit searchRequested(text, 0); });
    hide();
}

void FindBar::open()
{
    show();
    raise();
    mFindEdit->setFocus();
    mFindEdit->selectAll();
}

QString FindBar::text() const
{
    return mFindEdit->text();
}

void FindBar::setNotFound(bool notFound)
{
    mNotFound = notFound;
    mFindEdit->setStyleSheet(notFound ? QStringLiteral("QLineEdit { background: #ffd0d0; }") : QString());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mFindEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit searchRequested(text(), 1);
            return true;
        case Qt::Key_F3:
            emit searchRequested(text(), key->modifiers().testFlag(Qt::ShiftModifier) ? -1 : 1);
            return true;
        case Qt::Key_Escape:
            hide();
            setNotFound(false);
            emit closed();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void ScrollRowIntoView(FlexGrid* grid, int row)
{
    const int visible = qMax(1, grid->visibleRows());
    if (row < grid->TopRow())
        grid->setTopRow(row);
    else if (row >= grid->TopRow() + visible)
        grid->setTopRow(row - visible + 1);
}

} // namespace seiran
