#include "frmEditMeibo.h"

#include "Beep.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "Session.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace seiran {

frmEditMeibo::frmEditMeibo(Session& session, QWidget* parent)
    : GridWindow({QStringLiteral("終了"), QStringLiteral("コピー"), QStringLiteral("貼付"), QStringLiteral("消去")},
                 parent),
      mSession(session)
{
    const GradeData& gd = mSession.gd;
    setWindowTitle(QStringLiteral("名簿の入力") + QStringLiteral(" (") + QString::number(gd.currentGrade) +
                   QStringLiteral("年)"));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    buttonRow->addWidget(Combo_class);
    buttonRow->addWidget(Command1);
    buttonRow->addWidget(Command2);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(Command4);
    buttonRow->addWidget(Command5);
    buttonRow->addWidget(Command6);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Command3);
    mTopRows->addLayout(buttonRow);

    Frame1 = new QFrame(mTopPanel);
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QHBoxLayout(Frame1);
    frameLayout->setContentsMargins(8, 3, 8, 3);
    Label2 = new QLabel(QStringLiteral("氏名入力:Enter   男:1 女:2   転出:備考欄をダブルクリック 　　※ふりがな不要"),
                        Frame1);
    Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    frameLayout->addWidget(Label2);
    mTopRows->addWidget(Frame1);

    setMinimumSizeTwips(6840, 5520);

    for (int i = 0; i < GridCount; ++i) {
        auto* grid = new FlexGrid(this);
        Grid1[std::size_t(i)] = grid;
        grid->hide();
        connect(grid, &FlexGrid::keyPress, this, &frmEditMeibo::Grid1_KeyPress);
        connect(grid, &FlexGrid::doubleClicked, this, &frmEditMeibo::Grid1_DblClick);
        connect(grid, &FlexGrid::leaveCell, this, &frmEditMeibo::Grid1_LeaveCell);
        connect(grid, &FlexGrid::scrolled, this, &frmEditMeibo::Grid1_Scroll);
    }

    Text1 = new QLineEdit(this);
    Text1->hide();
    Text1->installEventFilter(this);

    // Loading
    const int classCount = qBound(0, gd.classCount, EditMeiboRoster::MaxClasses);
    {
        const QSignalBlocker block(Combo_class);
        for (int k = 1; k <= classCount; ++k) {
            setupGrid(k - 1);
            Combo_class->addItem(gd.classLabel(k) + QStringLiteral("組"));
        }
    }
    const Result loaded = mRoster.load(RosterFile::pathFor(gd), classCount, mSession.progress);
    if (!loaded) {
        mLoadFailed = true;
        ShowMessage(loaded.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    for (int k = 1; k <= classCount; ++k)
        refreshClass(k);
    mFrontClass = 0;
    mRosterChanged = false;
    if (Combo_class->count() > 0) {
        Combo_class->setCurrentIndex(0);
        Combo_class_Click();
    }

    int gridWidth = 0;
    for (int c = 0; c < Grid1[0]->Cols(); ++c)
        gridWidth += Grid1[0]->ColWidth(c);
    resize(qMax(minimumWidth(), gridWidth + 2 * WindowMargin + 24), 640);
    layoutControls();
}

frmEditMeibo::~frmEditMeibo() = default;

void frmEditMeibo::setupGrid(int index)
{
    const GradeData& gd = mSession.gd;
    FlexGrid* grid = Grid1[std::size_t(index)];
    grid->setRows(EditMeiboRoster::Seats + 1);
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
    for (int r = 1; r <= EditMeiboRoster::Seats; ++r)
        grid->setTextMatrix(r, 0, QString::number(r));
}

void frmEditMeibo::refreshRow(int classNo, int row)
{
    if (classNo < 1 || classNo > GridCount || row < 1 || row > EditMeiboRoster::Seats) return;
    FlexGrid* grid = Grid1[std::size_t(classNo - 1)];
    for (int c = EditMeiboRoster::ColName; c <= EditMeiboRoster::ColRemark; ++c)
        grid->setTextMatrix(row, c, mRoster.cellText(classNo, row, c));
}

void frmEditMeibo::refreshClass(int classNo)
{
    for (int r = 1; r <= EditMeiboRoster::Seats; ++r)
        refreshRow(classNo, r);
}

// ---------------------------------------------------------------------------------------------
// Grid events

void frmEditMeibo::Grid1_KeyPress(int keyAscii)
{
    FlexGrid* grid = frontGrid();
    if (mRoster.classCount() == 0) return;
    if (keyAscii == 3) {
        Command4_Click();
        return;
    }
    if (keyAscii == 22) {
        Command5_Click();
        return;
    }
    keyAscii = NarrowKey(keyAscii);
    switch (grid->Col()) {
    case EditMeiboRoster::ColName:
    case EditMeiboRoster::ColFurigana:
        if (keyAscii == 13) openEditor();
        break;
    case EditMeiboRoster::ColSex:
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
    case EditMeiboRoster::ColRemark:
        if (keyAscii == ' ') toggleTransfer();
        break;
    default:
        break;
    }
}

void frmEditMeibo::Grid1_DblClick()
{
    FlexGrid* grid = frontGrid();
    if (mRoster.classCount() == 0 || grid->Row() < 1) return;
    switch (grid->Col()) {
    case EditMeiboRoster::ColName:
    case EditMeiboRoster::ColFurigana:
        openEditor();
        break;
    case EditMeiboRoster::ColSex:
        toggleSex();
        break;
    case EditMeiboRoster::ColRemark:
        toggleTransfer();
        break;
    default:
        break;
    }
}

void frmEditMeibo::toggleSex()
{
    const int row = frontGrid()->Row();
    mRoster.toggleSex(frontClassNo(), row);
    refreshRow(frontClassNo(), row);
    mRosterChanged = true;
}

void frmEditMeibo::toggleTransfer()
{
    const int row = frontGrid()->Row();
    mRoster.toggleTransfer(frontClassNo(), row);
    refreshRow(frontClassNo(), row);
    mRosterChanged = true;
}

void frmEditMeibo::Grid1_LeaveCell()
{
    commitEditor();
}

void frmEditMeibo::Grid1_Scroll()
{
    commitEditor();
}

// ---------------------------------------------------------------------------------------------
// The overlay editor

void frmEditMeibo::openEditor()
{
    FlexGrid* grid = frontGrid();
    const int col = grid->Col();
    if (col != EditMeiboRoster::ColName && col != EditMeiboRoster::ColFurigana) return;
    // A current cell scrolled out of view comes back into view first, so that the box covers it.
    const int row = grid->Row();
    if (row < grid->TopRow() || row >= grid->TopRow() + qMax(1, grid->visibleRows())) grid->setTopRow(row);
    if (col < grid->LeftCol() || col >= grid->LeftCol() + qMax(1, grid->visibleCols())) grid->setLeftCol(col);
    mEditClass = frontClassNo();
    mEditRow = row;
    mEditCol = col;
    Text1->setText(grid->Text());
    placeEditor();
    Text1->show();
    Text1->raise();
    Text1->setFocus();
    mRosterChanged = true;
}

void frmEditMeibo::placeEditor()
{
    if (mEditClass < 1) return;
    FlexGrid* grid = Grid1[std::size_t(mEditClass - 1)];
    const QRect cell = grid->cellRect(mEditRow, mEditCol);
    if (cell.isEmpty()) return;
    const QPoint topLeft = grid->mapTo(this, cell.topLeft());
    Text1->setGeometry(topLeft.x(), topLeft.y(), cell.width() - 1, cell.height() - 1);
}

bool frmEditMeibo::commitEditor()
{
    if (!Text1->isVisible() || mCommitting) return true;
    mCommitting = true;
    const QString text = Text1->text();
    const QString bad = UnstorableCharacters(text);
    bool accepted = bad.isEmpty();
    if (accepted) {
        if (mEditCol == EditMeiboRoster::ColName)
            mRoster.setName(mEditClass, mEditRow, text);
        else if (mEditCol == EditMeiboRoster::ColFurigana)
            mRoster.setFurigana(mEditClass, mEditRow, text);
        refreshRow(mEditClass, mEditRow);
    }
    Text1->hide();
    frontGrid()->setFocus();
    if (!accepted) {
        Beep();
        ShowMessage(QStringLiteral("「%1」は名簿に保存できない文字です。\n別の文字に直して入力してください。").arg(bad),
                    MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    }
    mCommitting = false;
    return accepted;
}

bool frmEditMeibo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                commitEditor();
                return true; // the Enter key itself is swallowed
            }
            break;
        }
        case QEvent::FocusOut:
        case QEvent::MouseButtonPress:
            commitEditor();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Class navigation

void frmEditMeibo::Combo_class_Click()
{
    commitEditor();
    const int index = Combo_class->currentIndex();
    if (index < 0) return;
    mFrontClass = index;
    for (int i = 0; i < GridCount; ++i)
        Grid1[std::size_t(i)]->setVisible(i == index);
    frontGrid()->raise();
    frontGrid()->setFocus();
}

void frmEditMeibo::Command1_Click()
{
    commitEditor();
    if (Combo_class->currentIndex() + 1 < Combo_class->count())
        Combo_class->setCurrentIndex(Combo_class->currentIndex() + 1);
    frontGrid()->setFocus();
}

void frmEditMeibo::Command2_Click()
{
    commitEditor();
    if (Combo_class->currentIndex() > 0) Combo_class->setCurrentIndex(Combo_class->currentIndex() - 1);
    frontGrid()->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Clipboard and clearing

void frmEditMeibo::Command5_Click()
{
    commitEditor();
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

void frmEditMeibo::Command6_Click()
{
    commitEditor();
    if (mRoster.classCount() == 0) return;
    FlexGrid* grid = frontGrid();
    const int classNo = frontClassNo();
    const CellRange range = NormalisedRange(grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel());
    for (int r = qMax(1, range.top); r <= qMin(EditMeiboRoster::Seats, range.bottom); ++r) {
        if (range.left <= EditMeiboRoster::ColName && range.right >= EditMeiboRoster::ColName)
            mRoster.removePupil(classNo, r);
        if (range.left <= EditMeiboRoster::ColFurigana && range.right >= EditMeiboRoster::ColFurigana)
            mRoster.setFurigana(classNo, r, QString());
        refreshRow(classNo, r);
    }
    mRosterChanged = true;
    grid->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Closing

void frmEditMeibo::Command3_Click()
{
    close();
}

void frmEditMeibo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mLoadFailed) QTimer::singleShot(0, this, [this] { close(); });
}

void frmEditMeibo::closeEvent(QCloseEvent* event)
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

void frmEditMeibo::layoutControls()
{
    // Every class grid lies on the same rectangle below the buttons.
    const QRect rect = placeTopPanel();
    for (FlexGrid* grid : Grid1)
        grid->setGeometry(rect);
    if (Text1->isVisible()) placeEditor();
}

} // namespace seiran
