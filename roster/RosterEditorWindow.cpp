#include "RosterEditorWindow.h"

#include "CellEditBox.h"

#include "Beep.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "MessageBox.h"
#include "RosterCsvImport.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "Session.h"
#include "StudentRecord.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace seiran {

namespace {
// Background of a name cell whose stored bytes could not all be read.
const QColor UnreadableNameColor(0xFF, 0xD8, 0xC8);
} // namespace

RosterEditorWindow::RosterEditorWindow(Session& session, QWidget* parent)
    : GridWindow({QStringLiteral("終了"), QStringLiteral("コピー"), QStringLiteral("貼付"), QStringLiteral("消去")},
                 parent),
      mSession(session)
{
    const GradeData& gd = mSession.gd;
    setWindowTitle(QStringLiteral("名簿の入力") + QStringLiteral(" (") + QString::number(gd.currentGrade) +
                   QStringLiteral("年)"));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    buttonRow->addWidget(mClassCombo);
    buttonRow->addWidget(mNextButton);
    buttonRow->addWidget(mPreviousButton);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(mCopyButton);
    buttonRow->addWidget(mPasteButton);
    buttonRow->addWidget(mExtraButton);
    buttonRow->addWidget(mCsvImportButton);
    mCsvImportButton->show();
    buttonRow->addStretch(1);
    buttonRow->addWidget(mFinishButton);
    mTopRows->addLayout(buttonRow);

    mHintFrame = new QFrame(mTopPanel);
    mHintFrame->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QHBoxLayout(mHintFrame);
    frameLayout->setContentsMargins(8, 3, 8, 3);
    mHintLabel = new QLabel(
        QStringLiteral("氏名入力:Enter   男:1 女:2   転出:備考欄をダブルクリック 　　※ふりがな不要"), mHintFrame);
    mHintLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    frameLayout->addWidget(mHintLabel);
    mTopRows->addWidget(mHintFrame);

    setMinimumSizeTwips(6840, 5520);

    for (int i = 0; i < GridCount; ++i) {
        auto* grid = new FlexGrid(this);
        mGrids[std::size_t(i)] = grid;
        installGridMenu(grid);
        grid->hide();
        connect(grid, &FlexGrid::keyPress, this, &RosterEditorWindow::onGridKeyPress);
        connect(grid, &FlexGrid::doubleClicked, this, &RosterEditorWindow::onGridDoubleClick);
        connect(grid, &FlexGrid::leaveCell, this, &RosterEditorWindow::onGridLeaveCell);
        connect(grid, &FlexGrid::scrolled, this, &RosterEditorWindow::onGridScroll);
    }

    // Enter, a click in the box or the focus leaving it puts the text into the cell.
    mNameEditor = new CellEditBox(mGrids[0], this);
    mNameEditor->setFinishOnMousePress(true);
    // A text that cannot be stored stays in the box for correction; Escape leaves the cell as it was.
    connect(mNameEditor, &CellEditBox::finished, this, [this] { commitEditor(true); });
    connect(mNameEditor, &CellEditBox::cancelled, this, [this] { frontGrid()->setFocus(); });

    // Loading
    const int classCount = qBound(0, gd.classCount, RosterEditModel::MaxClasses);
    {
        const QSignalBlocker block(mClassCombo);
        for (int k = 1; k <= classCount; ++k) {
            setupGrid(k - 1);
            mClassCombo->addItem(gd.classLabel(k) + QStringLiteral("組"));
        }
    }
    // Seats are what the entry screens address: the roster is edited by nobody else meanwhile.
    const bool alone = LockGradeAlone(gd.dataFolder, gd.currentGrade, windowTitle(), this) != nullptr;
    const Result loaded =
        alone ? mRoster.load(RosterFile::pathFor(gd), classCount, mSession.progress) : Result::failure(QString());
    if (!loaded) {
        mLoadFailed = true;
        if (alone) ShowMessage(loaded.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    for (int k = 1; k <= classCount; ++k)
        refreshClass(k);
    if (loaded && mRoster.unreadableNameCount() > 0) {
        ShowMessage(QStringLiteral("読み取れない文字を含む氏名が %1 人あります（色の付いた氏名の欄、"
                                   "「\uFFFD」の部分）。\r\n氏名を入力し直してください。")
                        .arg(mRoster.unreadableNameCount()),
                    MsgButtons::Ok, MsgIcon::Warning, 1, QString(), parent);
    }
    mFrontClass = 0;
    mRosterChanged = false;
    if (mClassCombo->count() > 0) {
        mClassCombo->setCurrentIndex(0);
        onClassChanged();
    }

    setProposedCsvName(gd.dataFolder, QStringLiteral("名簿"), gd.currentGrade);
    resizeToContent();
    layoutControls();
}

RosterEditorWindow::~RosterEditorWindow() = default;

void RosterEditorWindow::setupGrid(int index)
{
    const GradeData& gd = mSession.gd;
    FlexGrid* grid = mGrids[std::size_t(index)];
    grid->setRows(RosterEditModel::Seats + 1);
    grid->setCols(5);
    grid->setFixedRows(1);
    grid->setFixedCols(0);
    grid->setColWidth(0, MeasuredColWidth(grid, QStringLiteral("12121")));
    grid->setColWidth(1, MeasuredColWidth(grid, QStringLiteral("123456789012345678901324")));
    grid->setColWidth(2, MeasuredColWidth(grid, QStringLiteral("12314")));
    grid->setColWidth(3, MeasuredColWidth(grid, QStringLiteral("123456789012345678901324")));
    grid->setColWidth(4, MeasuredColWidth(grid, QStringLiteral("1234567890")));
    grid->setColAlignment(0, Qt::AlignCenter);
    grid->setColAlignment(2, Qt::AlignCenter);
    grid->setColAlignment(4, Qt::AlignCenter);
    grid->setTextMatrix(0, 0, gd.classLabel(index + 1) + QStringLiteral("組"));
    grid->setTextMatrix(0, 1, QStringLiteral("  氏　　名  "));
    grid->setTextMatrix(0, 2, QStringLiteral("性別"));
    grid->setTextMatrix(0, 3, QStringLiteral("ふりがな"));
    grid->setTextMatrix(0, 4, QStringLiteral("備　考"));
    for (int r = 1; r <= RosterEditModel::Seats; ++r)
        grid->setTextMatrix(r, 0, QString::number(r));
}

void RosterEditorWindow::refreshRow(int classNo, int row)
{
    if (classNo < 1 || classNo > GridCount || row < 1 || row > RosterEditModel::Seats) return;
    FlexGrid* grid = mGrids[std::size_t(classNo - 1)];
    for (int c = RosterEditModel::ColName; c <= RosterEditModel::ColRemark; ++c)
        grid->setTextMatrix(row, c, mRoster.cellText(classNo, row, c));
    // A name the file held in bytes that are not CP932 is marked until it is typed again.
    grid->setCellBackColor(row, RosterEditModel::ColName,
                           mRoster.nameUnreadable(classNo, row) ? UnreadableNameColor : QColor());
}

void RosterEditorWindow::refreshClass(int classNo)
{
    for (int r = 1; r <= RosterEditModel::Seats; ++r)
        refreshRow(classNo, r);
}

// ---------------------------------------------------------------------------------------------
// Grid events

void RosterEditorWindow::onGridKeyPress(int keyAscii)
{
    UndoScope step(*this, QString());
    FlexGrid* grid = frontGrid();
    if (mRoster.classCount() == 0) return;
    if (keyAscii == 3) {
        onCopyClicked();
        return;
    }
    if (keyAscii == 22) {
        onPasteClicked();
        return;
    }
    keyAscii = NarrowKey(keyAscii);
    switch (grid->Col()) {
    case RosterEditModel::ColName:
    case RosterEditModel::ColFurigana:
        if (keyAscii == 13) openEditor();
        break;
    case RosterEditModel::ColSex:
        if (keyAscii == ' ') {
            toggleSex();
        } else if (keyAscii == '1' || keyAscii == '2') {
            // Every named row of the selected rows; the current cell and the selection stay.
            for (int r = grid->selTop(); r <= grid->selBottom(); ++r) {
                if (mRoster.setSexIfNamed(frontClassNo(), r, keyAscii - '0')) refreshRow(frontClassNo(), r);
            }
            mRosterChanged = true;
        }
        break;
    case RosterEditModel::ColRemark:
        if (keyAscii == ' ') toggleTransfer();
        break;
    default:
        break;
    }
}

void RosterEditorWindow::onGridDoubleClick()
{
    UndoScope step(*this, QString());
    FlexGrid* grid = frontGrid();
    if (mRoster.classCount() == 0 || grid->Row() < 1) return;
    switch (grid->Col()) {
    case RosterEditModel::ColName:
    case RosterEditModel::ColFurigana:
        openEditor();
        break;
    case RosterEditModel::ColSex:
        toggleSex();
        break;
    case RosterEditModel::ColRemark:
        toggleTransfer();
        break;
    default:
        break;
    }
}

void RosterEditorWindow::toggleSex()
{
    const int row = frontGrid()->Row();
    mRoster.toggleSex(frontClassNo(), row);
    refreshRow(frontClassNo(), row);
    mRosterChanged = true;
}

void RosterEditorWindow::toggleTransfer()
{
    const int row = frontGrid()->Row();
    mRoster.toggleTransfer(frontClassNo(), row);
    refreshRow(frontClassNo(), row);
    mRosterChanged = true;
}

void RosterEditorWindow::onGridLeaveCell()
{
    commitEditor();
}

void RosterEditorWindow::onGridScroll()
{
    commitEditor();
}

// ---------------------------------------------------------------------------------------------
// The overlay editor

void RosterEditorWindow::openEditor()
{
    FlexGrid* grid = frontGrid();
    const int col = grid->Col();
    if (col != RosterEditModel::ColName && col != RosterEditModel::ColFurigana) return;
    const int row = grid->Row();
    mEditClass = frontClassNo();
    mEditRow = row;
    mEditCol = col;
    // A current cell scrolled out of view comes back into view first, so that the box covers it.
    mNameEditor->setGrid(grid);
    mNameEditor->open(row, col, grid->Text());
    mRosterChanged = true;
}

void RosterEditorWindow::placeEditor()
{
    if (mEditClass < 1) return;
    mNameEditor->place();
}

bool RosterEditorWindow::commitEditor(bool keepOnError)
{
    if (!mNameEditor->isVisible() || mCommitting) return true;
    mCommitting = true;
    const QString text = mNameEditor->text();
    const QString bad = UnstorableCharacters(text);
    if (!bad.isEmpty()) {
        Beep();
        ShowMessage(UnstorableTextMessage(bad), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        if (keepOnError) {
            // The typed text stays in the box for correction.
            mNameEditor->setFocus();
            mCommitting = false;
            return false;
        }
        mNameEditor->hide();
        frontGrid()->setFocus();
        mCommitting = false;
        return false;
    }
    UndoScope step(*this, QString());
    const int width =
        mEditCol == RosterEditModel::ColFurigana ? StudentRecord::FuriganaWidth : StudentRecord::NameWidth;
    const QString stored = StoredFieldText(text, width);
    if (stored != text.trimmed())
        ShowMessage(FieldCutMessage(mEditCol, stored), MsgButtons::Ok, MsgIcon::Information, 1, QString(), this);
    if (mEditCol == RosterEditModel::ColName)
        mRoster.setName(mEditClass, mEditRow, stored);
    else if (mEditCol == RosterEditModel::ColFurigana)
        mRoster.setFurigana(mEditClass, mEditRow, stored);
    refreshRow(mEditClass, mEditRow);
    mNameEditor->hide();
    frontGrid()->setFocus();
    mCommitting = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Class navigation

void RosterEditorWindow::onClassChanged()
{
    commitEditor();
    const int index = mClassCombo->currentIndex();
    if (index < 0) return;
    mFrontClass = index;
    for (int i = 0; i < GridCount; ++i)
        mGrids[std::size_t(i)]->setVisible(i == index);
    frontGrid()->raise();
    frontGrid()->setFocus();
}

void RosterEditorWindow::onNextClicked()
{
    commitEditor();
    if (mClassCombo->currentIndex() + 1 < mClassCombo->count())
        mClassCombo->setCurrentIndex(mClassCombo->currentIndex() + 1);
    frontGrid()->setFocus();
}

void RosterEditorWindow::onPreviousClicked()
{
    commitEditor();
    if (mClassCombo->currentIndex() > 0) mClassCombo->setCurrentIndex(mClassCombo->currentIndex() - 1);
    frontGrid()->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Clipboard and clearing

void RosterEditorWindow::onPasteClicked()
{
    commitEditor();
    UndoScope step(*this, QStringLiteral("貼付"));
    if (mRoster.classCount() == 0) return;
    FlexGrid* grid = frontGrid();
    const CellRange range = NormalisedRange(grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel());
    const int skipped = mRoster.paste(frontClassNo(), range.top, range.left, QGuiApplication::clipboard()->text());
    refreshClass(frontClassNo());
    mRosterChanged = true;
    grid->setFocus();
    if (skipped > 0) {
        Beep();
        ShowMessage(
            QStringLiteral("名簿に保存できない文字を含む項目が %1 個あったため、その項目は貼り付けませんでした。")
                .arg(skipped),
            MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    }
}

void RosterEditorWindow::onExtraClicked()
{
    commitEditor();
    UndoScope step(*this, QStringLiteral("消去"));
    if (mRoster.classCount() == 0) return;
    FlexGrid* grid = frontGrid();
    const int classNo = frontClassNo();
    const CellRange range = NormalisedRange(grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel());
    for (int r = qMax(1, range.top); r <= qMin(RosterEditModel::Seats, range.bottom); ++r) {
        if (range.left <= RosterEditModel::ColName && range.right >= RosterEditModel::ColName)
            mRoster.removePupil(classNo, r);
        if (range.left <= RosterEditModel::ColFurigana && range.right >= RosterEditModel::ColFurigana)
            mRoster.setFurigana(classNo, r, QString());
        refreshRow(classNo, r);
    }
    mRosterChanged = true;
    grid->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Closing

void RosterEditorWindow::onFinishClicked()
{
    close();
}

void RosterEditorWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mLoadFailed) QTimer::singleShot(0, this, [this] { close(); });
}

void RosterEditorWindow::closeEvent(QCloseEvent* event)
{
    commitEditor();
    if (mRosterChanged && !mLoadFailed) {
        const MsgAnswer answer = ShowMessage(QStringLiteral("変更した氏名データを保存しますか"),
                                             MsgButtons::YesNoCancel, MsgIcon::Question, 1, QString(), this);
        if (answer == MsgAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == MsgAnswer::Yes) {
            const Result saved = mRoster.save(RosterFile::pathFor(mSession.gd), mSession.progress);
            if (!saved) {
                // The seats written so far show what their records kept; the rest keep their edits.
                for (int k = 1; k <= mRoster.classCount(); ++k)
                    refreshClass(k);
                ShowMessage(saved.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
                event->ignore();
                return;
            }
        }
    }
    event->accept();
    QDialog::done(QDialog::Accepted);
}

// ---------------------------------------------------------------------------------------------
// Resize

QList<QStringList> RosterEditorWindow::csvRows() const
{
    return RosterCsvRows(mRoster, mSession.gd.classLabels);
}

CsvImportPreview RosterEditorWindow::previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const
{
    return PreviewRosterCsv(mRoster, records, layout, mSession.gd.classLabels, mSession.gd.currentGrade);
}

void RosterEditorWindow::applyCsv(const CsvImportPreview& preview)
{
    ApplyRosterCsv(mRoster, preview);
    for (int k = 1; k <= mRoster.classCount(); ++k)
        refreshClass(k);
    if (preview.count(CsvImportLine::New) + preview.count(CsvImportLine::Changed) > 0) mRosterChanged = true;
}

QStringList RosterEditorWindow::undoState() const
{
    QStringList state;
    for (int k = 1; k <= mRoster.classCount(); ++k)
        for (int r = 1; r <= RosterEditModel::Seats; ++r)
            state << mRoster.seatStateText(k, r);
    return state;
}

void RosterEditorWindow::restoreUndoValues(const QList<int>& units, const QStringList& values)
{
    for (qsizetype i = 0; i < units.size() && i < values.size(); ++i) {
        const int classNo = units.at(i) / RosterEditModel::Seats + 1;
        const int seat = units.at(i) % RosterEditModel::Seats + 1;
        mRoster.restoreSeatState(classNo, seat, values.at(i));
        refreshRow(classNo, seat);
    }
    mRosterChanged = true;
}

QString RosterEditorWindow::undoUnitLabel(int unit) const
{
    return QStringLiteral("%1組 %2番")
        .arg(mSession.gd.classLabel(unit / RosterEditModel::Seats + 1))
        .arg(unit % RosterEditModel::Seats + 1);
}

void RosterEditorWindow::showUndoUnit(int unit)
{
    const int classIndex = unit / RosterEditModel::Seats;
    if (classIndex != mFrontClass) mClassCombo->setCurrentIndex(classIndex);
    const int seat = unit % RosterEditModel::Seats + 1;
    frontGrid()->setRow(seat);
    ScrollRowIntoView(frontGrid(), seat);
}

int RosterEditorWindow::findRowCount() const
{
    return mRoster.classCount() * RosterEditModel::Seats;
}

QStringList RosterEditorWindow::findTexts(int row) const
{
    const RosterSeat& seat =
        mRoster.seat((row - 1) / RosterEditModel::Seats + 1, (row - 1) % RosterEditModel::Seats + 1);
    return {seat.name, seat.furigana};
}

int RosterEditorWindow::findCurrentRow() const
{
    return mFrontClass * RosterEditModel::Seats + frontGrid()->Row();
}

void RosterEditorWindow::goToFoundRow(int row)
{
    commitEditor();
    const int classIndex = (row - 1) / RosterEditModel::Seats;
    if (classIndex != mFrontClass) mClassCombo->setCurrentIndex(classIndex);
    const int seat = (row - 1) % RosterEditModel::Seats + 1;
    frontGrid()->setRow(seat);
    ScrollRowIntoView(frontGrid(), seat);
}

void RosterEditorWindow::layoutControls()
{
    // Every class grid lies on the same rectangle below the buttons.
    const QRect rect = placeTopPanel();
    for (FlexGrid* grid : mGrids)
        grid->setGeometry(rect);
    if (mNameEditor->isVisible()) placeEditor();
}

} // namespace seiran
