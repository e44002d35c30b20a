#include "TestEditorWindow.h"

#include "EditorGrid.h"
#include "GradeLockWindow.h"

#include "CellEditBox.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridUndo.h"
#include "GridWindow.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Session.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
const QColor kRowMark(0xff, 0xe0, 0x80);
}

TestEditorWindow::TestEditorWindow(Session& session, QWidget* parent)
    : QDialog(parent), mSession(session), mWork(std::make_unique<GradeData>())
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("テスト情報の変更 (%1年)").arg(session.gd.currentGrade));

    mGrid = new FlexGrid(this);
    mEditBox = new CellEditBox(mGrid, this);
    mTotalCaption = new QLabel(QStringLiteral("のべ科目数"), this);
    mTotalLabel = new QLabel(this);
    mTotalLabel->setFrameShape(QFrame::Panel);
    mTotalLabel->setFrameShadow(QFrame::Sunken);
    mTotalLabel->setAlignment(Qt::AlignCenter);
    mTotalLabel->setMinimumWidth(48);
    mHelpFrame = new QGroupBox(QStringLiteral("操作方法"), this);
    mHelpLabel = new QLabel(QStringLiteral("ダブルクリックまたはEnterキーで入力可能状態になります"), mHelpFrame);
    mHelpLabel->setWordWrap(true);
    (new QVBoxLayout(mHelpFrame))->addWidget(mHelpLabel);
    mOkButton = new QPushButton(QStringLiteral("決定"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    for (QPushButton* b : {mOkButton, mCancelButton})
        b->setAutoDefault(false);

    auto* total = new QHBoxLayout;
    total->addWidget(mTotalCaption);
    total->addWidget(mTotalLabel);
    total->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(mHelpFrame, 1);
    bottom->addWidget(mOkButton);
    bottom->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mGrid, 1);
    layout->addLayout(total);
    layout->addLayout(bottom);

    mWork->dataFolder = session.gd.dataFolder;
    mWork->currentGrade = session.gd.currentGrade;
    // The tests decide the slots the entry screens write: nobody else uses the grade meanwhile.
    if (!LockGradeAlone(session.gd.dataFolder, session.gd.currentGrade, windowTitle(), this)) {
        mLoadFailed = true;
    } else if (const Result r = LoadTestList(*mWork); !r) {
        mLoadFailed = true;
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    mTable.loadFrom(*mWork);

    using T = TestEditorTable;
    const int width = SetUpEditorGrid(mGrid,
                                      {{QString(), QStringLiteral("WWW"), true},
                                       {QStringLiteral("テスト名"), QStringLiteral("WWWWWWWWWWWWWWWW")},
                                       {QStringLiteral("略称"), QStringLiteral("WWWW")},
                                       {QStringLiteral("科目数"), QStringLiteral("科目数i"), true}},
                                      mTable.rowCount());
    for (int r = 1; r <= mTable.rowCount(); ++r) {
        for (int c = 0; c < T::ColumnCount; ++c)
            mGrid->setTextMatrix(r, c, mTable.cellText(r, c));
    }
    mTotalLabel->setText(QString::number(mTable.totalSubjects()));
    mGrid->setMinimumSize(width + 24, mGrid->RowHeight() * 12 + 8);

    connect(mGrid, &FlexGrid::keyPress, this, &TestEditorWindow::onGridKeyPress);
    connect(mGrid, &FlexGrid::doubleClicked, this, &TestEditorWindow::onGridDoubleClicked);
    connect(mGrid, &FlexGrid::rowColChange, this, &TestEditorWindow::onGridCellChanged);
    connect(mGrid, &FlexGrid::scrolled, mEditBox, &CellEditBox::dismiss);
    connect(mEditBox, &QLineEdit::textEdited, this, &TestEditorWindow::onEditBoxEdited);
    connect(mEditBox, &CellEditBox::finished, mEditBox, &CellEditBox::dismiss);
    connect(mEditBox, &CellEditBox::arrowPressed, this, &TestEditorWindow::onEditBoxArrow);
    connect(mOkButton, &QPushButton::clicked, this, &TestEditorWindow::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &TestEditorWindow::onCancelClicked);

    mUndo = new GridUndo(this, static_cast<GridUndo::Client&>(*this));
    mUndo->installMenu(mGrid);

    if (mTable.rowCount() > 0) {
        mGrid->setRow(1);
        mGrid->setCol(T::ColName);
        onGridCellChanged();
    }
}

TestEditorWindow::~TestEditorWindow() = default;

namespace {
constexpr QChar UnitSeparator(0x1f);
}

QStringList TestEditorWindow::undoState() const
{
    using T = TestEditorTable;
    QStringList units;
    for (int i = 1; i <= mTable.rowCount(); ++i)
        units << mTable.cellText(i, T::ColName) + UnitSeparator + mTable.cellText(i, T::ColShortName);
    return units;
}

void TestEditorWindow::restoreUndoValues(const QList<int>& units, const QStringList& values, int)
{
    using T = TestEditorTable;
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QStringList f = values.at(i).split(UnitSeparator);
        if (f.size() != 2) continue;
        const int row = units.at(i) + 1;
        for (int c : {int(T::ColName), int(T::ColShortName)}) {
            mTable.setCellText(row, c, f.at(c == T::ColName ? 0 : 1));
            mGrid->setTextMatrix(row, c, mTable.cellText(row, c));
        }
    }
}

QString TestEditorWindow::undoUnitLabel(int unit) const
{
    return mTable.cellText(unit + 1, TestEditorTable::ColName).trimmed();
}

void TestEditorWindow::commitPendingEdit()
{
    mEditBox->dismiss();
}

void TestEditorWindow::showUndoUnit(int unit)
{
    mGrid->setRow(unit + 1);
    mGrid->setFocus();
}

void TestEditorWindow::onGridCellChanged()
{
    mUndo->closeTyping();
    // The number of the current row is marked while the row is current.
    if (mHighlightedRow > 0 && mHighlightedRow < mGrid->Rows()) mGrid->setCellBackColor(mHighlightedRow, 0, QColor());
    mHighlightedRow = mGrid->Row();
    if (mHighlightedRow >= 1) mGrid->setCellBackColor(mHighlightedRow, 0, kRowMark);
}

void TestEditorWindow::openEditBox()
{
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    if (row < 1 || row > mTable.rowCount() || !TestEditorTable::Editable(col)) return;
    mUndo->closeTyping();
    mEditBox->open(row, col, mGrid->TextMatrix(row, col));
}

void TestEditorWindow::onGridKeyPress(int keyAscii)
{
    if (keyAscii == 13) openEditBox();
}

void TestEditorWindow::onGridDoubleClicked()
{
    openEditBox();
}

void TestEditorWindow::onEditBoxEdited(const QString& text)
{
    mUndo->begin();
    mTable.setCellText(mEditBox->row(), mEditBox->col(), text);
    mGrid->setTextMatrix(mEditBox->row(), mEditBox->col(), text);
    mUndo->end(QString(), true);
}

void TestEditorWindow::onEditBoxArrow(bool up)
{
    const int target = EditBoxArrowTarget(mEditBox->row(), up, mTable.rowCount());
    if (target == 0) return;
    mEditBox->dismiss();
    mGrid->setRow(target);
    mGrid->setFocus();
}

void TestEditorWindow::onOkClicked()
{
    mEditBox->dismiss();
    if (const Result r = mTable.checkStorable(); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    mTable.storeInto(*mWork);
    if (const Result r = SaveTestList(*mWork); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    // The grade's tables take the whole saved list.
    GradeData& gd = mSession.gd;
    gd.testCount = mWork->testCount;
    for (int t = 1; t <= Limits::Tests; ++t) {
        gd.testNames[t] = mWork->testNames[t];
        gd.testShortNames[t] = mWork->testShortNames[t];
        gd.testSubjectCount[t] = mWork->testSubjectCount[t];
        gd.testFirstSlot[t] = mWork->testFirstSlot[t];
    }
    accept();
}

void TestEditorWindow::onCancelClicked()
{
    mEditBox->dismiss();
    reject();
}

void TestEditorWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (mEditBox->isOpen()) mEditBox->place();
}

} // namespace seiran
