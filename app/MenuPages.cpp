#include "MenuPages.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace seiran {

namespace {

// A menu button has one size whatever its caption, so its size needs no measuring of the
// caption: laying out the seven pages would otherwise shape every caption at start-up, most of
// them on pages not yet shown.
class MenuButton final : public QPushButton
{
public:
    explicit MenuButton(const QString& caption) : QPushButton(caption) {}
    QSize sizeHint() const override { return QSize(300, 46); }
    QSize minimumSizeHint() const override { return QSize(300, 46); }
};

} // namespace

QPushButton* MakeMenuButton(const QString& caption)
{
    auto* button = new MenuButton(caption);
    button->setMinimumSize(300, 46);
    button->setAutoDefault(false);
    return button;
}

MenuPageStack::MenuPageStack(const QList<MenuPage>& pages, QWidget* parent)
    : QStackedWidget(parent), mContent(pages), mTitles(pages.size(), nullptr)
{
    setObjectName(QStringLiteral("pages"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette pagesPalette = palette();
    pagesPalette.setColor(QPalette::Window, QColor(0xf7, 0xf7, 0xf4));
    setPalette(pagesPalette);
    for (const MenuPage& content : pages) {
        // The page owns its buttons from the start; they stay hidden with it until it is laid out.
        auto* page = new QWidget;
        for (QPushButton* button : content.buttons)
            button->setParent(page);
        addWidget(page);
    }
    if (!pages.isEmpty()) layOut(0);
    // A page shown by any other road is laid out as it appears.
    connect(this, &QStackedWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < mTitles.size() && !mTitles.at(index)) layOut(index);
    });
}

void MenuPageStack::showPage(int index)
{
    if (index >= 0 && index < mTitles.size() && !mTitles.at(index)) layOut(index);
    setCurrentIndex(index);
}

QString MenuPageStack::title(int index) const
{
    return mContent.value(index).title;
}

QLabel* MenuPageStack::titleLabel(int index) const
{
    return mTitles.value(index);
}

void MenuPageStack::layOut(int index)
{
    QWidget* page = widget(index);
    const MenuPage& content = mContent.at(index);
    auto* title = new QLabel(content.title, page);
    title->setObjectName(QStringLiteral("pageTitle"));
    title->setAlignment(Qt::AlignCenter);
    title->setMinimumHeight(40);
    // Colours through palettes: a style sheet would make every widget of the window go through
    // the style-sheet style, which is most of the window's start-up time.
    title->setFrameStyle(QFrame::Panel | QFrame::Raised);
    title->setLineWidth(2);
    title->setAutoFillBackground(true);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::Window, QColor(0xe9, 0xee, 0xf6));
    title->setPalette(titlePalette);
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    mTitles[index] = title;

    // The commands of the page in two columns; the way back sits alone at the bottom right.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(12);
    const QList<QPushButton*>& buttons = content.buttons;
    const int commands = int(buttons.size()) - 1;
    for (int i = 0; i < commands; ++i)
        grid->addWidget(buttons.at(i), i / 2, i % 2);
    grid->addWidget(buttons.last(), commands / 2 + (commands % 2 == 0 ? 1 : 0), 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(24, 12, 24, 16);
    layout->addWidget(title);
    layout->addSpacing(12);
    layout->addLayout(grid);
    layout->addStretch();
    // Laid out while already on screen (a page changed without showPage): place it at once.
    if (page->isVisible()) {
        title->show();
        layout->activate();
    }
}

} // namespace seiran
