#include "GridWindow.h"

#include "Beep.h"
#include "CsvFile.h"
#include "CsvSaveDialog.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GridUndo.h"
#include "ImportPreviewDialog.h"
#include "MessageBox.h"
#include "PupilSearch.h"
#include "ScoreCells.h"
#include "WindowSize.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QUndoStack>
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

QString ProposedCsvName(const QString& screen, int grade)
{
    // A test or subject name may hold characters that no file name can (a "/" in "1/2学期").
    QString name = screen.trimmed();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c)) c = u'_';
    }
    return QStringLiteral("%1_%2年.csv").arg(name).arg(grade);
}

void PutOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

int FindPupilStep(FindBar* bar, int rowCount, int currentRow, const std::function<QStringList(int)>& texts,
                  const QString& query, int step)
{
    const int from = step == 0 ? currentRow : currentRow + step;
    const int wrapped = from > rowCount ? 1 : from < 1 ? rowCount : from;
    const int row = FindPupilRow(rowCount, texts, query, wrapped, step < 0 ? -1 : 1);
    bar->setNotFound(row == 0 && !FoldForSearch(query).isEmpty());
    return row;
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

    mCsvImportButton = makeButton(QStringLiteral("CSV取込"), this);
    mCsvImportButton->hide();
    connect(mCsvImportButton, &QPushButton::clicked, this, &GridWindow::onCsvImportClicked);
    chooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("CSV取込"), QString(),
                                            QStringLiteral("CSVファイル (*.csv *.txt);;すべてのファイル (*)"));
    };
    chooseExportFile = [this] { return AskCsvSavePath(this, mProposedCsvPath); };
    runImportPreview = [](ImportPreviewDialog& dialog) { return dialog.exec() == QDialog::Accepted; };

    GridUndo::Hooks hooks;
    hooks.state = [this] { return undoState(); };
    hooks.restore = [this](const QList<int>& units, const QStringList& values, int) {
        restoreUndoValues(units, values);
    };
    hooks.unitLabel = [this](int unit) { return undoUnitLabel(unit); };
    hooks.showUnit = [this](int unit) { showUndoUnit(unit); };
    hooks.commitPendingEdit = [this] { commitPendingEdit(); };
    mUndo = new GridUndo(this, std::move(hooks));
    mUndoStack = mUndo->stack();

    mFindBar = new FindBar(this);
    connect(mFindBar, &FindBar::searchRequested, this,
            [this](const QString& text, int step) { findPupil(text, step); });
    connect(mFindBar, &FindBar::closed, this, [this] {
        relayout();
        activeGrid()->setFocus();
    });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, &GridWindow::openFind);

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

QSize GridWindow::contentSize() const
{
    constexpr int m = WindowMargin;
    const QSize panel = mTopPanel->sizeHint();
    const QSize grid = activeGrid()->sizeHint();
    return {qMax(panel.width(), grid.width()) + 2 * m, panel.height() + grid.height() + 3 * m};
}

void GridWindow::resizeToContent()
{
    ResizeToOpen(this, contentSize());
}

void GridWindow::setProposedCsvName(const QString& dataFolder, const QString& screen, int grade)
{
    mProposedCsvPath = QDir(dataFolder).filePath(ProposedCsvName(screen, grade));
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
    relayout();
}

void GridWindow::relayout()
{
    layoutControls();
    if (!mFindBar->isVisible()) return;
    // Every grid on the active grid's rectangle (the roster editor stacks one per class) gives
    // the field room along its bottom edge.
    const QRect area = activeGrid()->geometry();
    const int barHeight = mFindBar->sizeHint().height();
    const QRect gridArea = area.adjusted(0, 0, 0, -(barHeight + WindowMargin / 2));
    for (FlexGrid* grid : findChildren<FlexGrid*>())
        if (grid->geometry() == area) grid->setGeometry(gridArea);
    mFindBar->setGeometry(area.left(), area.bottom() - barHeight + 1, area.width(), barHeight);
}

void GridWindow::openFind()
{
    commitPendingEdit();
    const bool wasOpen = mFindBar->isVisible();
    mFindBar->open();
    if (!wasOpen) relayout();
}

bool GridWindow::findPupil(const QString& query, int step)
{
    const int current = findCurrentRow();
    const int row = FindPupilStep(
        mFindBar, findRowCount(), current, [this](int r) { return findTexts(r); }, query, step);
    if (row == 0) return false;
    if (row != current) goToFoundRow(row);
    // A class switch gives the grid the focus; the next keystroke still belongs to the field.
    if (mFindBar->isVisible()) mFindBar->mFindEdit->setFocus();
    return true;
}

int GridWindow::findRowCount() const
{
    return activeGrid()->Rows() - 1;
}

QStringList GridWindow::findTexts(int row) const
{
    return {activeGrid()->TextMatrix(row, 2)};
}

int GridWindow::findCurrentRow() const
{
    return activeGrid()->Row();
}

void GridWindow::goToFoundRow(int row)
{
    FlexGrid* grid = activeGrid();
    grid->setRow(row);
    ScrollRowIntoView(grid, row);
}

QList<QStringList> GridWindow::csvRows() const
{
    const FlexGrid* grid = activeGrid();
    QList<QStringList> rows;
    for (int r = 0; r < grid->Rows(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->Cols(); ++c)
            row << (r == 0 && c == 3 ? QStringLiteral("性別") : grid->TextMatrix(r, c).trimmed());
        rows << row;
    }
    return rows;
}

CsvImportPreview GridWindow::previewCsv(const QList<CsvRecord>&, const CsvLayout&) const
{
    return {};
}

void GridWindow::applyCsv(const CsvImportPreview&) {}

void GridWindow::installGridMenu(FlexGrid* grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        QMenu menu(this);
        mUndo->addMenuEntries(menu);
        QAction* save = menu.addAction(QStringLiteral("CSVファイルに保存…"));
        QAction* import = takesCsv() && acceptsEdits() ? menu.addAction(QStringLiteral("CSV取込…")) : nullptr;
        QAction* chosen = menu.exec(grid->mapToGlobal(pos));
        if (chosen && chosen == save) onCsvExportClicked();
        if (chosen && chosen == import) onCsvImportClicked();
    });
}

void GridWindow::onCsvImportClicked()
{
    if (!takesCsv()) return;
    if (!acceptsEdits()) {
        Beep();
        return;
    }
    commitPendingEdit();
    const QString path = chooseImportFile();
    if (path.isEmpty()) return;
    ImportPreviewDialog dialog(
        path, csvSubjectNames(), csvNeedsName(),
        [this](const QList<CsvRecord>& records, const CsvLayout& layout) { return previewCsv(records, layout); }, this);
    if (runImportPreview(dialog)) {
        beginUndoStep();
        applyCsv(dialog.preview());
        endUndoStep(QStringLiteral("CSV取込"));
    }
    activeGrid()->setFocus();
}

void GridWindow::onCsvExportClicked()
{
    commitPendingEdit();
    const QString path = WithCsvExtension(chooseExportFile());
    if (path.isEmpty()) return;
    if (const Result saved = SaveCsvFile(path, csvRows()); !saved)
        ShowMessage(saved.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
    activeGrid()->setFocus();
}

void GridWindow::beginUndoStep()
{
    mUndo->begin();
}

void GridWindow::endUndoStep(const QString& action, bool typing)
{
    mUndo->end(action, typing);
}

void GridWindow::closeTypingStep()
{
    mUndo->closeTyping();
}

bool GridWindow::typingStepOpen() const
{
    return mUndo->typingOpen();
}

bool GridWindow::restoringUndo() const
{
    return mUndo->restoring();
}

void GridWindow::onUndo()
{
    mUndo->undo();
}

void GridWindow::onRedo()
{
    mUndo->redo();
}

void GridWindow::applyUndoValues(const QList<int>& units, const QStringList& values)
{
    if (!units.isEmpty()) mUndo->apply(units, values, 0);
}

void GridWindow::restoreUndoValues(const QList<int>&, const QStringList&) {}

QString GridWindow::undoUnitLabel(int) const
{
    return QString();
}

void GridWindow::showUndoUnit(int) {}

void GridWindow::reject()
{
    // Escape closes like the close box, through the window's question.
    close();
}

} // namespace seiran
