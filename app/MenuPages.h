#pragma once

#include <QList>
#include <QStackedWidget>
#include <QString>

class QLabel;
class QPushButton;

namespace seiran {

// A menu button: one size whatever its caption, in the window's font.
QPushButton* MakeMenuButton(const QString& caption);

// One page of the main menu: its title and its commands, the way back last.
struct MenuPage
{
    QString title;
    QList<QPushButton*> buttons;
};

// The stack of menu pages, each page's title over its commands in two columns with the way back
// alone at the bottom right, in the menu's colours. A page is laid out when it is first shown:
// until then it only holds its buttons, so that start-up lays out and measures one page, not
// seven.
class MenuPageStack final : public QStackedWidget
{
public:
    MenuPageStack(const QList<MenuPage>& pages, QWidget* parent);

    // Shows a page, laying it out first if it never was.
    void showPage(int index);
    // The title a page shows.
    QString title(int index) const;
    // The label showing a page's title once the page is laid out, else null.
    QLabel* titleLabel(int index) const;

private:
    void layOut(int index);

    QList<MenuPage> mContent;
    QList<QLabel*> mTitles;
};

} // namespace seiran
