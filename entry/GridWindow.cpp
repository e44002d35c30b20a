#include "GridWindow.h"

#include "FlexGrid.h"
#include "ScoreCells.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
QPushButton* makeButton(const QString& caption, QWidget* parent)
{
    // Buttons never take the focus: the grid keeps it, and Enter never presses a button.
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

int MeasuredColWidth(const FlexGrid* grid, const QString& text)
{
    return grid->fontMetrics().horizontalAdvance(text) + CellPadding;
}

QString SelectionCopyText(const FlexGrid* grid)
{
    const CellRange range = NormalisedRange(grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel());
    return BuildCopyText([grid](int r, int c) { return grid->TextMatrix(r, c); }, range);
}

void PutOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

GridWindow::GridWindow(const Captions& captions, QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    mTopPanel = new QWidget(this);
    mTopRows = new QVBoxLayout(mTopPanel);
    mTopRows->setContentsMargins(0, 0, 0, 0);
    mTopRows->setSpacing(6);

    Combo_class = new QComboBox(this);
    Combo_class->setFocusPolicy(Qt::NoFocus);
    Combo_class->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("9組")) + 40);
    Command1 = makeButton(QStringLiteral("次"), this);
    Command2 = makeButton(QStringLiteral("前"), this);
    const int narrow = fontMetrics().horizontalAdvance(QStringLiteral("次次")) + 24;
    Command1->setFixedWidth(narrow);
    Command2->setFixedWidth(narrow);
    Command3 = makeButton(captions.finish, this);
    Command4 = makeButton(captions.copy, this);
    Command5 = makeButton(captions.paste, this);
    Command6 = makeButton(captions.sixth, this);

    labMinsize = new QLabel(QStringLiteral("MinSize"), this);
    labMinsize->hide();

    connect(Combo_class, &QComboBox::currentIndexChanged, this, &GridWindow::Combo_class_Click);
    // Choosing the item already shown is a choice too (back to the start of the class); a choice
    // of another item runs the handler a second time, which changes nothing more.
    connect(Combo_class, &QComboBox::activated, this, &GridWindow::Combo_class_Click);
    connect(Command1, &QPushButton::clicked, this, &GridWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &GridWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &GridWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &GridWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &GridWindow::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &GridWindow::Command6_Click);
}

GridWindow::~GridWindow() = default;

void GridWindow::setMinimumSizeTwips(int width, int height)
{
    labMinsize->move(width / TwipsPerPixel, height / TwipsPerPixel);
    setMinimumSize(labMinsize->x(), labMinsize->y());
}

void GridWindow::Command4_Click()
{
    commitPendingEdit();
    FlexGrid* grid = activeGrid();
    PutOnClipboard(SelectionCopyText(grid));
    grid->setFocus();
}

QRect GridWindow::placeTopPanel()
{
    constexpr int m = WindowMargin;
    mTopPanel->setGeometry(m, m, width() - 2 * m, mTopPanel->sizeHint().height());
    mTopPanel->layout()->setGeometry(mTopPanel->rect());
    const int top = mTopPanel->geometry().bottom() + 1 + m;
    return {m, top, qMax(0, width() - 2 * m), qMax(0, height() - top - m)};
}

void GridWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int minW = labMinsize->x();
    const int minH = labMinsize->y();
    if (width() < minW || height() < minH) {
        resize(qMax(width(), minW), qMax(height(), minH));
        return;
    }
    layoutControls();
}

void GridWindow::reject()
{
    // Escape closes like the close box, through the window's question.
    close();
}

} // namespace seiran
