#pragma once

#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace seiran {

// A menu button: one size whatever its caption, in a slightly larger font.
QPushButton* MakeMenuButton(const QString& caption);

// One page of the main menu: its title and its commands, the way back last.
struct MenuPage
{
    QString title;
    QList<QPushButton*> buttons;
};

// The stack of menu pages, each page's title over its commands in two columns with the way back
// alone at the bottom right, in the menu's colours.
QStackedWidget* BuildMenuPages(const QList<MenuPage>& pages, QWidget* parent);

} // namespace seiran
