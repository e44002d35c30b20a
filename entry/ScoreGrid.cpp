#include "ScoreGrid.h"

#include "Beep.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "MessageBox.h"
#include "Session.h"
#include "WindowJournal.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

ScoreGridWindow::ScoreGridWindow(Session& session, QWidget* parent)
    : GridWindow(
          {QStringLiteral("入力終了"), QStringLiteral("ｺﾋﾟｰ"), QStringLiteral("張付"), QStringLiteral("名付ｺﾋﾟｰ")},
          parent),
      mSession(session)
{
    auto* firstRow = new QHBoxLayout;
    firstRow->setSpacing(8);
    mHeadingRow = new QHBoxLayout;
    mHeadingRow->setSpacing(8);
    mCheckRow = new QHBoxLayout;
    mCheckRow->setSpacing(12);
    firstRow->addLayout(mHeadingRow, 1);
    firstRow->addLayout(mCheckRow);
    mTopRows->addLayout(firstRow);
    mMoveRightCheck = new QCheckBox(QStringLiteral("右移動"), mTopPanel);
    mMoveRightCheck->setChecked(true);
    mMoveRightCheck->setFocusPolicy(Qt::NoFocus);
    mCheckRow->addWidget(mMoveRightCheck);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    buttonRow->addWidget(mNextButton);
    buttonRow->addWidget(mPreviousButton);
    buttonRow->addWidget(mClassCombo);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(mCopyButton);
    buttonRow->addWidget(mPasteButton);
    buttonRow->addWidget(mExtraButton);
    buttonRow->addWidget(mCsvImportButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(mFinishButton);
    mTopRows->addLayout(buttonRow);

    mGrid = new FlexGrid(this);
    mGrid->setWheelScrolls(false); // the window scrolls two rows per notch itself
    installGridMenu(mGrid);

    connect(mGrid, &FlexGrid::keyPress, this, &ScoreGridWindow::onGridKeyPress);
    connect(mGrid, &FlexGrid::keyDown, this, &ScoreGridWindow::onGridKeyDown);
    connect(mGrid, &FlexGrid::leaveCell, this, [this] {
        if (!mMoving) onGridLeaveCell();
    });
    connect(mGrid, &FlexGrid::rowColChange, this, [this] {
        if (!mMoving) onGridRowColChange();
    });
    connect(mGrid, &FlexGrid::wheel, this, &ScoreGridWindow::onGridWheel);
    connect(mMoveRightCheck, &QCheckBox::clicked, this, &ScoreGridWindow::onMoveRightToggled);
    runConflictDialog = [](ConflictDialog& dialog) {
        dialog.exec();
        return dialog.answer();
    };
}

ScoreGridWindow::~ScoreGridWindow() = default;

GradeData& ScoreGridWindow::gd()
{
    return mSession.gd;
}

const GradeData& ScoreGridWindow::gd() const
{
    return mSession.gd;
}

// ---------------------------------------------------------------------------------------------
// Building

void ScoreGridWindow::addHeading(QWidget* widget)
{
    widget->setParent(mTopPanel);
    mHeadingRow->addWidget(widget, 1);
}

void ScoreGridWindow::addCheckBox(QCheckBox* box)
{
    box->setParent(mTopPanel);
    box->setFocusPolicy(Qt::NoFocus);
    mCheckRow->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this] { mGrid->setFocus(); });
}

void ScoreGridWindow::setFinishCaption(const QString& caption)
{
    mFinishButton->setText(caption);
}

void ScoreGridWindow::addStatusLine()
{
    if (mStatusLabel) return;
    mStatusLabel = new QLabel(this);
    mStatusLabel->setContentsMargins(2, 0, 2, 0);
    mStatusLabel->setFixedHeight(mStatusLabel->fontMetrics().height() + 4);
}

void ScoreGridWindow::showStatus(const QString& text)
{
    if (mStatusLabel) mStatusLabel->setText(text);
}

void ScoreGridWindow::setPasteAvailable(bool available)
{
    mPasteAvailable = available;
    mPasteButton->setVisible(available);
}

int ScoreGridWindow::totalColumnWidth() const
{
    return TotalColumnWidth(mGrid);
}

void ScoreGridWindow::fillClassCombo()
{
    mCurrentClass = 1;
    const QSignalBlocker block(mClassCombo);
    mClassCombo->clear();
    for (int k = 1; k <= gd().classCount; ++k)
        mClassCombo->addItem(gd().classLabel(k) + QStringLiteral("組"));
}

void ScoreGridWindow::setupColumns(const QStringList& dataHeaders, const QString& dataWidthText, bool centreData)
{
    mGrid->setCols(FirstDataCol + int(dataHeaders.size()));
    mGrid->setFixedRows(1);
    mGrid->setFixedCols(FirstDataCol);
    mGrid->setAllColWidths(MeasuredColWidth(mGrid, dataWidthText));
    mGrid->setColWidth(0, MeasuredColWidth(mGrid, QStringLiteral("1234")));
    mGrid->setColWidth(1, MeasuredColWidth(mGrid, QStringLiteral("1234")));
    mGrid->setColWidth(2, MeasuredColWidth(mGrid, QStringLiteral("12345678901234567")));
    mGrid->setColWidth(3, MeasuredColWidth(mGrid, QStringLiteral("123")));

    mGrid->setTextMatrix(0, 0, QStringLiteral("組"));
    mGrid->setTextMatrix(0, 1, QStringLiteral("番"));
    mGrid->setTextMatrix(0, 2, QStringLiteral("氏   名"));
    mGrid->setTextMatrix(0, 3, QString());
    mGrid->setColAlignment(0, Qt::AlignCenter);
    mGrid->setColAlignment(1, Qt::AlignCenter);
    for (int j = 0; j < dataHeaders.size(); ++j) {
        const int col = FirstDataCol + j;
        mGrid->setTextMatrix(0, col, dataHeaders.at(j));
        if (centreData) mGrid->setColAlignment(col, Qt::AlignCenter);
    }
}

void ScoreGridWindow::fillFixedColumns()
{
    const GradeData& g = gd();
    mGrid->setRows(g.studentCount + 1);
    mGrid->setFixedCols(FirstDataCol);
    const NumberStyle style = numberStyle();
    for (int i = 1; i <= g.studentCount; ++i) {
        const QStringList texts = FixedColumnTexts(g, i, style);
        for (int c = 0; c < FirstDataCol; ++c)
            mGrid->setTextMatrix(i, c, texts.at(c));
    }
}

void ScoreGridWindow::finishLoading()
{
    if (mClassCombo->count() > 0) selectClass(1);
    if (mGrid->Rows() > 1 && mGrid->Cols() > FirstDataCol) moveCurrentCell(1, FirstDataCol);
    mCellUntouched = true;
    mAskOnClose = true;
    mCsvImportButton->setVisible(takesCsv());
    layoutControls();
    mGrid->setFocus();
    startJournal();
}

void ScoreGridWindow::startJournal()
{
    const JournalLayout layout = journalLayout();
    if (mReadOnly || !layout.isValid() || !mGradeLock || !mGradeLock->lock().held() || !WindowJournal::enabled())
        return;
    WindowJournal::Cells cells;
    cells.loadedValue = [this](int row, int column) { return loadedCellValue(row, column); };
    cells.restore = [this](int row, int column, const QString& text, int base) {
        return restoreJournalCell(row, column, text, base);
    };
    cells.status = [this](const QString& text) { showStatus(text); };
    mJournal = new WindowJournal(mGrid, gd(), layout, mGradeLock->lock().holderId(),
                                 mGradeLock->lock().generationAtStart(), cells, this);
    mJournal->offerOrphans();
}

QStringList ScoreGridWindow::dataHeaders() const
{
    QStringList headers;
    for (int c = FirstDataCol; c < mGrid->Cols(); ++c)
        headers << mGrid->TextMatrix(0, c);
    return headers;
}

int ScoreGridWindow::loadedCellValue(int, int) const
{
    return 0;
}

QString ScoreGridWindow::restoreJournalCell(int row, int column, const QString& text, int)
{
    mGrid->setTextMatrix(row, FirstDataCol + column - 1, text);
    return QString();
}

// ---------------------------------------------------------------------------------------------
// CSV取込

ScoreCellTextFn ScoreGridWindow::gridCells() const
{
    return [this](int i, int k) { return mGrid->TextMatrix(i, FirstDataCol + k - 1); };
}

void ScoreGridWindow::importCellValue(int row, int col, const QString& value)
{
    mGrid->setTextMatrix(row, col, value);
}

CsvImportPreview ScoreGridWindow::previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const
{
    return PreviewCellCsv(gd(), csvColumns(), records, layout);
}

void ScoreGridWindow::applyCsv(const CsvImportPreview& preview)
{
    const int columns = mGrid->Cols() - FirstDataCol;
    for (const CsvImportLine& line : preview.lines) {
        if (line.outcome != CsvImportLine::Changed || line.student < 1 || line.student >= mGrid->Rows()) continue;
        for (int k = 1; k <= line.cells.size() && k <= columns; ++k)
            if (!line.cells.at(k - 1).isEmpty())
                importCellValue(line.student, FirstDataCol + k - 1, line.cells.at(k - 1));
    }
    mGrid->viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Grid events

bool ScoreGridWindow::isDataCell(int row, int col) const
{
    return row >= 1 && row < mGrid->Rows() && col >= FirstDataCol && col < mGrid->Cols();
}

bool ScoreGridWindow::hasCurrentDataCell() const
{
    return isDataCell(mGrid->Row(), mGrid->Col());
}

void ScoreGridWindow::onGridKeyPress(int keyAscii)
{
    switch (keyAscii) {
    case 3:
        onCopyClicked();
        return;
    case 22:
        if (pasteEnabled()) onPasteClicked();
        return;
    case 13:
        enterMovement();
        return;
    default:
        if (!hasCurrentDataCell()) return;
        if (mReadOnly) {
            Beep();
            return;
        }
        // A key changes the current cell only.
        beginUndoStep({undoUnit(mGrid->Row(), mGrid->Col())});
        cellKeyPress(keyAscii);
        endUndoStep(QString(), true);
        if (mJournal) mJournal->touched();
        return;
    }
}

void ScoreGridWindow::cellKeyPress(int keyAscii)
{
    // After a refused decimal point the digits that follow it are refused too, until the cell is
    // left or corrected: "45.5" typed quickly must stay 45 with the word on the status line,
    // never become 455.
    const bool digit = (keyAscii >= '0' && keyAscii <= '9') || (keyAscii >= 0xFF10 && keyAscii <= 0xFF19);
    if (mAfterDecimal && digit) {
        Beep();
        showStatus(DecimalRefusedText());
        return;
    }
    mAfterDecimal = false;
    const CellKeyOutcome out = ApplyScoreKey(mGrid->Text(), mCellUntouched, keyAscii);
    switch (out.action) {
    case CellKey::Changed:
        mGrid->setText(out.text);
        mCellUntouched = out.untouched;
        break;
    case CellKey::Refused:
        Beep();
        break;
    case CellKey::Decimal:
        // Refused as a pasted decimal is; the beep may be off, so it is said in words too.
        Beep();
        showStatus(DecimalRefusedText());
        mAfterDecimal = true;
        break;
    default:
        break;
    }
}

void ScoreGridWindow::onGridKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    Q_UNUSED(modifiers);
    // A word on the status line stays until the next key (a refused one sets it again).
    showStatus(QString());
    if (key != Qt::Key_Delete) return;
    if (mReadOnly) {
        Beep();
        return;
    }
    QList<int> selected;
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = range.left; c <= range.right; ++c)
            if (isDataCell(r, c)) selected << undoUnit(r, c);
    beginUndoStep(selected);
    deleteSelection();
    endUndoStep(QStringLiteral("削除"));
    if (mJournal) {
        const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
        mJournal->noteRange(range.top, range.left, range.bottom, range.right);
    }
}

void ScoreGridWindow::deleteSelection()
{
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (isDataCell(r, c)) mGrid->setTextMatrix(r, c, QString());
        }
    }
}

void ScoreGridWindow::onGridLeaveCell()
{
    if (!hasCurrentDataCell()) return;
    // What leaving does to the cell (a choice turned into its school) belongs to the typing.
    beginUndoStep({undoUnit(mGrid->Row(), mGrid->Col())});
    cellLeft();
    if (!mCellUntouched) leavingCell();
    endUndoStep(QString(), true);
    if (mJournal) mJournal->noteCell(mGrid->Row(), mGrid->Col());
}

void ScoreGridWindow::leavingCell()
{
    const int mode = mSession.beepMode ? mSession.beepMode() : 0;
    if (ExceedsWarningLimit(mGrid->Text(), mode)) Beep();
}

void ScoreGridWindow::onGridRowColChange()
{
    mAfterDecimal = false;
    closeTypingStep();
    mCellUntouched = true;
    if (hasCurrentDataCell()) cellEntered();
}

void ScoreGridWindow::moveCurrentCell(int row, int col)
{
    onGridLeaveCell();
    mMoving = true;
    mGrid->setRow(row);
    mGrid->setCol(col);
    mMoving = false;
    onGridRowColChange();
}

QStringList ScoreGridWindow::findTexts(int row) const
{
    const GradeData& g = gd();
    const QString reading = row >= 1 && row <= g.studentCount ? g.studentFurigana[row] : QString();
    return {mGrid->TextMatrix(row, 2), reading};
}

void ScoreGridWindow::goToFoundRow(int row)
{
    moveCurrentCell(row, mGrid->Col());
    ScrollRowIntoView(mGrid, row);
}

int ScoreGridWindow::wrapColumn() const
{
    return mGrid->Cols() - 1;
}

void ScoreGridWindow::enterMovement()
{
    if (!hasCurrentDataCell()) return;
    const int lastRow = mGrid->Rows() - 1;
    const int row = mGrid->Row();
    const bool moveRight = mMoveRightCheck->isChecked();
    const EnterMove move = EnterTarget(row, mGrid->Col(), lastRow, mGrid->Cols() - 1, wrapColumn(), moveRight);

    if (!moveRight && move.row == row) return; // the last row: Enter does nothing
    moveCurrentCell(move.row, move.col);
    if (move.wrapped)
        mGrid->setLeftCol(FirstDataCol);
    else if (moveRight && mGrid->visibleCols() > 0 && move.col >= mGrid->LeftCol() + mGrid->visibleCols())
        mGrid->setLeftCol(mGrid->LeftCol() + 1);
    if (move.row != row && mGrid->visibleRows() > 0 && move.row >= mGrid->TopRow() + mGrid->visibleRows())
        mGrid->setTopRow(mGrid->TopRow() + 1);
    mGrid->setRowSel(mGrid->Row());
    mGrid->setColSel(mGrid->Col());
}

void ScoreGridWindow::onGridWheel(int direction)
{
    if (mGrid->Rows() <= 1) return;
    const int lastRow = mGrid->Rows() - 1;
    const int top = mGrid->TopRow();
    const int next = direction > 0 ? qMax(1, top - 2) : qMin(lastRow, top + 2);
    if (next != top) mGrid->setTopRow(next);
}

// ---------------------------------------------------------------------------------------------
// Class navigation

void ScoreGridWindow::selectClass(int classNo)
{
    const int index = classNo - 1;
    if (index < 0 || index >= mClassCombo->count()) return;
    if (mClassCombo->currentIndex() == index)
        onClassChanged(); // choosing the same item again still scrolls to it
    else
        mClassCombo->setCurrentIndex(index);
}

void ScoreGridWindow::onClassChanged()
{
    const int index = mClassCombo->currentIndex();
    if (index < 0) return;
    mCurrentClass = index + 1;
    if (mGrid->Rows() > 1 && mGrid->Cols() > FirstDataCol) {
        const int start = qBound(1, gd().classStart[mCurrentClass], mGrid->Rows() - 1);
        mGrid->setTopRow(start);
        moveCurrentCell(mGrid->TopRow(), FirstDataCol);
    }
    if (mAskOnClose) mGrid->setFocus();
}

int ScoreGridWindow::classOfRow(int row) const
{
    if (row < 1 || row > gd().studentCount) return 0;
    return gd().studentClass[row];
}

void ScoreGridWindow::onNextClicked()
{
    const int cls = classOfRow(mGrid->TopRow());
    if (cls >= 1 && cls < gd().classCount) selectClass(cls + 1);
    mGrid->setFocus();
}

void ScoreGridWindow::onPreviousClicked()
{
    const int cls = classOfRow(mGrid->TopRow());
    if (cls > 1) selectClass(cls - 1);
    mGrid->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void ScoreGridWindow::copyWithNames()
{
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    const auto cell = [this](int r, int c) { return mGrid->TextMatrix(r, c); };
    PutOnClipboard(BuildCopyTextWithNames(cell, range, gd().currentGrade));
    mGrid->setFocus();
}

bool ScoreGridWindow::acceptsPastedToken(int, const QString& token) const
{
    return ScoreCellValue(token).has_value();
}

void ScoreGridWindow::pasteClipboard()
{
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    bool refused = false;
    for (const PastedCell& cell : DistributeNumericPaste(QGuiApplication::clipboard()->text(), range)) {
        if (!isDataCell(cell.row, cell.col)) continue;
        if (!acceptsPastedToken(cell.col, cell.text)) {
            refused = true; // a value that does not fit its slot is not taken
            continue;
        }
        mGrid->setTextMatrix(cell.row, cell.col, cell.text);
    }
    if (refused) Beep();
    mGrid->setFocus();
}

void ScoreGridWindow::onPasteClicked()
{
    if (!pasteEnabled()) return;
    if (mReadOnly) {
        Beep();
        return;
    }
    beginUndoStep();
    pasteClipboard();
    endUndoStep(QStringLiteral("張付"));
    if (mJournal) mJournal->noteAll();
}

QString ScoreGridWindow::undoCellValue(int row, int col) const
{
    return mGrid->TextMatrix(row, col);
}

void ScoreGridWindow::restoreCellValue(int row, int col, const QString& value)
{
    mGrid->setTextMatrix(row, col, value);
}

int ScoreGridWindow::undoUnit(int row, int col) const
{
    return (row - 1) * (mGrid->Cols() - FirstDataCol) + col - FirstDataCol;
}

QString ScoreGridWindow::undoUnitValue(int unit) const
{
    const int width = mGrid->Cols() - FirstDataCol;
    return undoCellValue(unit / width + 1, unit % width + FirstDataCol);
}

QStringList ScoreGridWindow::undoState() const
{
    QStringList state;
    const int cols = mGrid->Cols();
    for (int r = 1; r < mGrid->Rows(); ++r)
        for (int c = FirstDataCol; c < cols; ++c)
            state << undoCellValue(r, c);
    return state;
}

void ScoreGridWindow::restoreUndoValues(const QList<int>& units, const QStringList& values)
{
    const int width = mGrid->Cols() - FirstDataCol;
    for (qsizetype i = 0; i < units.size() && i < values.size(); ++i)
        restoreCellValue(units.at(i) / width + 1, units.at(i) % width + FirstDataCol, values.at(i));
    mGrid->viewport()->update();
    if (mJournal) mJournal->noteAll(); // undo and redo
}

QString ScoreGridWindow::undoUnitLabel(int unit) const
{
    const int width = mGrid->Cols() - FirstDataCol;
    const int row = unit / width + 1;
    const int col = unit % width + FirstDataCol;
    return QStringLiteral("%1組 %2番 %3")
        .arg(mGrid->TextMatrix(row, 0).trimmed(), mGrid->TextMatrix(row, 1).trimmed(),
             mGrid->TextMatrix(0, col).trimmed());
}

void ScoreGridWindow::showUndoUnit(int unit)
{
    const int width = mGrid->Cols() - FirstDataCol;
    const int row = unit / width + 1;
    const int col = unit % width + FirstDataCol;
    mMoving = true;
    mGrid->setRow(row);
    mGrid->setCol(col);
    mMoving = false;
    ScrollRowIntoView(mGrid, row);
    if (col < mGrid->LeftCol()) mGrid->setLeftCol(col);
    mCellUntouched = true;
    if (hasCurrentDataCell()) cellEntered();
}

void ScoreGridWindow::onExtraClicked()
{
    copyWithNames();
}

void ScoreGridWindow::onMoveRightToggled()
{
    mGrid->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Closing

void ScoreGridWindow::onFinishClicked()
{
    mAskOnClose = false;
    close();
}

void ScoreGridWindow::closeEvent(QCloseEvent* event)
{
    if (mReadOnly) {
        // Nothing could be changed, so there is nothing to save or to ask about.
        event->accept();
        QDialog::done(QDialog::Rejected);
        return;
    }
    if (mAskOnClose) {
        const MsgAnswer answer = ShowMessage(QStringLiteral("データを保存せずに終了してよいですか"), MsgButtons::YesNo,
                                             MsgIcon::Warning, 2, QString(), this);
        if (answer != MsgAnswer::Yes) {
            event->ignore();
            mGrid->setFocus();
            return;
        }
        discardEdits();
        if (mJournal) mJournal->remove();
    } else if (!saveAsking()) {
        // Nothing typed is lost: the window stays open with its cells.
        mAskOnClose = true;
        event->ignore();
        mGrid->setFocus();
        return;
    } else if (mJournal) {
        mJournal->remove();
    }
    event->accept();
    QDialog::done(mAskOnClose ? QDialog::Rejected : QDialog::Accepted);
}

// ---------------------------------------------------------------------------------------------
// Sharing the grade

namespace {
// The cells whose clash was left open: the user finds them at a glance.
const QColor ConflictCellColor(255, 176, 176);
} // namespace

bool ScoreGridWindow::registerGrade(const QString& fields, bool readBefore)
{
    const GradeData& g = gd();
    const GradeStamp before = TakeGradeStamp(g, ReadGradeGeneration(g.dataFolder, g.currentGrade));
    mGradeLock = new WindowGradeLock(g.dataFolder, g.currentGrade, this);
    switch (mGradeLock->openShared(windowTitle(), fields)) {
    case GradeAccess::Write:
        if (readBefore &&
            (mGradeLock->lock().generationAtStart() != before.generation || GradeListHash(g) != before.listHash)) {
            ShowMessage(QStringLiteral("待っている間に、名簿または設定が変更されました。\n"
                                       "読み込み直すため、もう一度この画面を開いてください。"),
                        MsgButtons::Ok, MsgIcon::Information, 1, QString(), parentWidget());
            break;
        }
        return true;
    case GradeAccess::ReadOnly:
        setReadOnly();
        return true;
    case GradeAccess::Refused:
        break;
    }
    mLockRefused = true;
    return false;
}

void ScoreGridWindow::takeGradeStamp()
{
    if (mGradeLock && mGradeLock->lock().held()) mStamp = TakeGradeStamp(gd(), mGradeLock->lock().generationAtStart());
}

void ScoreGridWindow::setReadOnly()
{
    mReadOnly = true;
    setWindowTitle(windowTitle() + QStringLiteral("（読み取り専用）"));
    setFinishCaption(QStringLiteral("閉じる"));
    mPasteButton->setEnabled(false);
    mCsvImportButton->setEnabled(false);
}

bool ScoreGridWindow::acceptsEdits() const
{
    return !mReadOnly;
}

QPoint ScoreGridWindow::conflictCell(const FieldConflict& conflict) const
{
    // Rows are the pupils as loaded; data columns follow the screen's columns from 1.
    return {FirstDataCol + conflict.column - 1, conflict.student};
}

QList<ConflictRowText> ScoreGridWindow::conflictRows(const QList<FieldConflict>& conflicts) const
{
    QList<ConflictRowText> rows;
    for (const FieldConflict& c : conflicts) {
        const QPoint cell = conflictCell(c);
        ConflictRowText row;
        row.classLabel = mGrid->TextMatrix(cell.y(), 0).trimmed();
        row.number = mGrid->TextMatrix(cell.y(), 1).trimmed();
        row.name = mGrid->TextMatrix(cell.y(), 2).trimmed();
        row.field = mGrid->TextMatrix(0, cell.x()).trimmed();
        row.base = conflictValueText(c.column, c.base);
        row.mine = conflictValueText(c.column, c.mine);
        row.saved = conflictValueText(c.column, c.saved);
        rows << row;
    }
    return rows;
}

void ScoreGridWindow::clearConflictColours()
{
    for (const QPoint& cell : std::as_const(mConflictCells))
        if (isDataCell(cell.y(), cell.x())) mGrid->setCellBackColor(cell.y(), cell.x(), QColor());
    mConflictCells.clear();
}

bool ScoreGridWindow::saveAsking()
{
    clearConflictColours();
    SaveControl control;
    control.stamp = mStamp;
    control.screen = windowTitle();
    for (;;) {
        const Result saved = saveEdits(control);
        if (saved) return true;
        if (control.gradeChanged) {
            const QStringList buttons{QStringLiteral("入力を CSV に保存…"), QStringLiteral("OK")};
            if (AskWithButtons(saved.message, buttons, 1, 1, this) == 0) onCsvExportClicked();
            return false;
        }
        if (control.conflicts.isEmpty()) {
            ShowMessage(saved.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
            return false;
        }
        ConflictDialog dialog(conflictRows(control.conflicts), this);
        const ConflictDialog::Answer answer = runConflictDialog(dialog);
        if (answer == ConflictDialog::Answer::Cancel) {
            for (const FieldConflict& c : std::as_const(control.conflicts)) {
                const QPoint cell = conflictCell(c);
                mGrid->setCellBackColor(cell.y(), cell.x(), ConflictCellColor);
                mConflictCells << cell;
            }
            mGrid->viewport()->update();
            return false;
        }
        // Each answer holds while the file still shows what was asked about; a value saved again
        // meanwhile comes back as a new question.
        for (const FieldConflict& c : std::as_const(control.conflicts))
            control.decisions.append({c.student, c.column, c.saved, answer == ConflictDialog::Answer::KeepMine});
    }
}

// ---------------------------------------------------------------------------------------------
// Resize

void ScoreGridWindow::layoutControls()
{
    placeTopPanel();
    // The grid fills the window below the button row, with the button row's left margin.
    const QPoint buttonPos = mNextButton->mapTo(this, QPoint(0, 0));
    const int left = buttonPos.x();
    const int top = buttonPos.y() + mNextButton->height() + left;
    const int statusHeight = mStatusLabel ? mStatusLabel->height() : 0;
    const int gridWidth = qMax(0, width() - 2 * left);
    const int gridHeight = qMax(0, height() - top - left - statusHeight);
    mGrid->setGeometry(left, top, gridWidth, gridHeight);
    if (mStatusLabel) mStatusLabel->setGeometry(left, top + gridHeight, gridWidth, statusHeight);
}

} // namespace seiran
