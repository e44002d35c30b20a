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

int TotalColumnWidth(const FlexGrid* grid)
{
    int width = 2 * grid->frameWidth();
    for (int c = 0; c < grid->Cols(); ++c)
        width += grid->ColWidth(c);
    return width;
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

    mClassCombo = new QComboBox(this);
    mClassCombo->setFocusPolicy(Qt::NoFocus);
    mClassCombo->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("9組")) + 40);
    mNextButton = makeButton(QStringLiteral("次"), this);
    mPreviousButton = makeButton(QStringLiteral("前"), this);
    const int narrow = fontMetrics().horizontalAdvance(QStringLiteral("次次")) + 24;
    mNextButton->setFixedWidth(narrow);
    mPreviousButton->setFixedWidth(narrow);
    mFinishButton = makeButton(captions.finish, this);
    mCopyButton = makeButton(captions.copy, this);
    mPasteButton = makeButton(captions.paste, this);
    mExtraButton = makeButton(captions.extra, this);

    mMinSizeLabel = new QLabel(QStringLiteral("MinSize"), this);
    mMinSizeLabel->hide();

    connect(mClassCombo, &QComboBox::currentIndexChanged, this, &GridWindow::onClassChanged);
    // Choosing the item already shown is a choice too (back to the start of the class); a choice
    // of another item runs the handler a second time, which changes nothing more.
    connect(mClassCombo, &QComboBox::activated, this, &GridWindow::onClassChanged);
    connect(mNextButton, &QPushButton::clicked, this, &GridWindow::onNextClicked);
    connect(mPreviousButton, &QPushButton::clicked, this, &GridWindow::onPreviousClicked);
    connect(mFinishButton, &QPushButton::clicked, this, &GridWindow::onFinishClicked);
    connect(mCopyButton, &QPushButton::clicked, this, &GridWindow::onCopyClicked);
    connect(mPasteButton, &QPushButton::clicked, this, &GridWindow::onPasteClicked);
    connect(mExtraButton, &QPushButton::clicked, this, &GridWindow::onExtraClicked);
}

GridWindow::~GridWindow() = default;

void GridWindow::setMinimumSizeTwips(int width, int height)
{
    mMinSizeLabel->move(width / TwipsPerPixel, height / TwipsPerPixel);
    setMinimumSize(mMinSizeLabel->x(), mMinSizeLabel->y());
}

void GridWindow::onCopyClicked()
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
    const int minW = mMinSizeLabel->x();
    const int minH = mMinSizeLabel->y();
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
