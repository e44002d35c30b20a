#include "HighSchoolEditorWindow.h"

#include "EditorGrid.h"
#include "GradeLockWindow.h"
#include "RosterFile.h"

#include "Beep.h"
#include "CellEditBox.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridUndo.h"
#include "GridWindow.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Session.h"
#include "TestEditing.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

bool HighSchoolEditorWindow::lockGradesWithRosters()
{
    // Choices are stored as the school's place in the list: a renumbered list would move the
    // choices an entry screen is typing, so every grade with a roster is held alone meanwhile.
    const QString folder = mSession.gd.dataFolder;
    QList<WindowGradeLock*> held;
    for (int grade = 1; grade <= 3; ++grade) {
        if (!QFileInfo::exists(QDir(folder).filePath(RosterFile::fileName(grade)))) continue;
        WindowGradeLock* lock = LockGradeAlone(folder, grade, windowTitle(), this);
        if (!lock) {
            qDeleteAll(held);
            return false;
        }
        held << lock;
    }
    return true;
}

QString SchoolListFullMessage()
{
    return QStringLiteral("高校は %1 校までしか入力できません。").arg(HighSchoolEditorTable::MaxSchools);
}

HighSchoolEditorWindow::HighSchoolEditorWindow(Session& session, QWidget* parent)
    : ConfirmCloseDialog(parent), mSession(session), mWork(std::make_unique<GradeData>())
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowTitle(QStringLiteral("高校名の入力"));

    mGrid = new FlexGrid(this);
    mGrid->setWheelScrolls(false);
    mEditBox = new CellEditBox(mGrid, this);
    mCountCaption = new QLabel(QStringLiteral("のべ高校数"), this);
    mCountLabel = new QLabel(this);
    mCountLabel->setFrameShape(QFrame::Panel);
    mCountLabel->setFrameShadow(QFrame::Sunken);
    mCountLabel->setAlignment(Qt::AlignCenter);
    mCountLabel->setMinimumWidth(48);

    mEditFrame = new QGroupBox(QStringLiteral("編集"), this);
    mInsertRowButton = new QPushButton(QStringLiteral("行挿入"), mEditFrame);
    mDeleteRowButton = new QPushButton(QStringLiteral("行削除"), mEditFrame);
    mCopyButton = new QPushButton(QStringLiteral("コピー"), mEditFrame);
    mPasteButton = new QPushButton(QStringLiteral("貼付"), mEditFrame);
    auto* editRow = new QHBoxLayout(mEditFrame);
    for (QPushButton* b : {mInsertRowButton, mDeleteRowButton, mCopyButton, mPasteButton})
        editRow->addWidget(b);

    mHelpFrame = new QGroupBox(QStringLiteral("操作方法"), this);
    mShortcutCaption = new QLabel(QStringLiteral("ショートカットキー"), mHelpFrame);
    mShortcutLabel = new QLabel(QStringLiteral("Del 削除　　ctrl+C コピー　　ctrl+V 貼り付け　　shift-Ins 行挿入　　"
                                               "shift+Del 行削除"),
                                mHelpFrame);
    mHelpLabel = new QLabel(QStringLiteral("ダブルクリックまたはEnterキーで入力可能状態になります"), mHelpFrame);
    auto* help = new QVBoxLayout(mHelpFrame);
    help->addWidget(mShortcutCaption);
    help->addWidget(mShortcutLabel);
    help->addWidget(mHelpLabel);

    mOkButton = new QPushButton(QStringLiteral("決定"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    for (QPushButton* b : {mInsertRowButton, mDeleteRowButton, mCopyButton, mPasteButton, mOkButton, mCancelButton})
        b->setAutoDefault(false);

    auto* count = new QHBoxLayout;
    count->addWidget(mCountCaption);
    count->addWidget(mCountLabel);
    count->addStretch();
    auto* bottom = new QGridLayout;
    bottom->addWidget(mEditFrame, 0, 0);
    bottom->addWidget(mHelpFrame, 0, 1, 2, 1);
    auto* finish = new QHBoxLayout;
    finish->addWidget(mOkButton);
    finish->addWidget(mCancelButton);
    bottom->addLayout(finish, 1, 0);
    bottom->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mGrid, 1);
    layout->addLayout(count);
    layout->addLayout(bottom);

    // The list is read on a copy, so that the grade's subject multipliers stay as they are.
    mWork->dataFolder = session.gd.dataFolder;
    mWork->currentGrade = session.gd.currentGrade;
    if (!lockGradesWithRosters()) {
        mLoadFailed = true;
    } else if (const Result r = LoadHighSchoolList(*mWork, session.programFolder, session.notice); !r) {
        mLoadFailed = true;
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    mTable.loadFrom(*mWork);

    using T = HighSchoolEditorTable;
    QList<EditorGridColumn> columns{{QString(), QStringLiteral("WWW"), true},
                                    {T::Header(T::ColShortName), QStringLiteral("高校略称WWW")},
                                    {T::Header(T::ColName), QStringLiteral("ＷＷＷＷＷＷＷＷＷＷ")},
                                    {T::Header(T::ColCourse), QStringLiteral("ＷＷＷＷＷ")}};
    for (int c = T::FirstWeightCol; c <= T::LastCol; ++c)
        columns.append({T::Header(c), QStringLiteral("国W"), true});
    const int width = SetUpEditorGrid(mGrid, columns, mTable.schoolCount() + 1); // and the append row
    mGrid->setMinimumSize(width + 24, mGrid->RowHeight() * 16);
    refreshGrid();
    mGrid->setRow(1);
    mGrid->setCol(T::ColShortName);

    connect(mGrid, &FlexGrid::keyPress, this, &HighSchoolEditorWindow::onGridKeyPress);
    connect(mGrid, &FlexGrid::keyDown, this, &HighSchoolEditorWindow::onGridKeyDown);
    connect(mGrid, &FlexGrid::doubleClicked, this, &HighSchoolEditorWindow::onGridDoubleClicked);
    connect(mGrid, &FlexGrid::wheel, this, &HighSchoolEditorWindow::onGridWheel);
    // Scrolling hides the box; the cell keeps what was typed into it.
    connect(mGrid, &FlexGrid::scrolled, mEditBox, &CellEditBox::dismiss);
    connect(mEditBox, &QLineEdit::textEdited, this, &HighSchoolEditorWindow::onEditBoxEdited);
    // The box closes with Enter or when the focus leaves it; the grid takes the focus back.
    connect(mEditBox, &CellEditBox::finished, this, [this] {
        mEditBox->dismiss();
        mGrid->setFocus();
    });
    connect(mEditBox, &CellEditBox::arrowPressed, this, &HighSchoolEditorWindow::onEditBoxArrow);
    connect(mInsertRowButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onInsertRowClicked);
    connect(mDeleteRowButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onDeleteRowClicked);
    connect(mCopyButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onCopyClicked);
    connect(mPasteButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onPasteClicked);
    connect(mOkButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &HighSchoolEditorWindow::onCancelClicked);
    connect(mGrid, &FlexGrid::rowColChange, this, [this] { mUndo->closeTyping(); });

    mUndo = new GridUndo(this, static_cast<GridUndo::Client&>(*this));
    mUndo->installMenu(mGrid);
}

HighSchoolEditorWindow::~HighSchoolEditorWindow() = default;

namespace {
constexpr QChar UnitSeparator(0x1f);
}

QStringList HighSchoolEditorWindow::undoState() const
{
    QStringList units;
    for (int r = 1; r <= mTable.schoolCount(); ++r) {
        const HighSchoolEditorTable::Row& row = mTable.row(r);
        QStringList fields{QString::number(row.origin)};
        for (int c = HighSchoolEditorTable::ColShortName; c <= HighSchoolEditorTable::LastCol; ++c)
            fields << row.cells.at(c);
        units << fields.join(UnitSeparator);
    }
    return units;
}

void HighSchoolEditorWindow::restoreUndoValues(const QList<int>& units, const QStringList& values, int size)
{
    using T = HighSchoolEditorTable;
    QList<T::Row> rows = mTable.rows();
    rows.resize(size);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QStringList f = values.at(i).split(UnitSeparator);
        if (units.at(i) >= size || f.size() != T::LastCol + 1 - T::ColShortName + 1) continue;
        T::Row row;
        row.origin = f.at(0).toInt();
        for (int c = T::ColShortName; c <= T::LastCol; ++c)
            row.cells[c] = f.at(c - T::ColShortName + 1);
        rows[units.at(i)] = row;
    }
    mTable.setRows(rows);
    refreshGrid();
}

QString HighSchoolEditorWindow::undoUnitLabel(int unit) const
{
    const QString name = mTable.row(unit + 1).cells.at(HighSchoolEditorTable::ColShortName).trimmed();
    return name.isEmpty() ? QStringLiteral("%1行").arg(unit + 1) : name;
}

void HighSchoolEditorWindow::commitPendingEdit()
{
    mEditBox->dismiss();
}

void HighSchoolEditorWindow::showUndoUnit(int unit)
{
    mGrid->setRow(qBound(1, unit + 1, mGrid->Rows() - 1));
    mGrid->setFocus();
}

void HighSchoolEditorWindow::refreshGrid()
{
    const int rows = mTable.schoolCount() + 2; // the heading and the append row
    if (mGrid->Rows() != rows) mGrid->setRows(rows);
    for (int r = 1; r < rows; ++r) {
        for (int c = 0; c <= HighSchoolEditorTable::LastCol; ++c)
            mGrid->setTextMatrix(r, c, mTable.cellText(r, c));
    }
    mCountLabel->setText(QString::number(mTable.schoolCount()));
}

void HighSchoolEditorWindow::openEditBox()
{
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    if (row < 1 || col < HighSchoolEditorTable::ColShortName || col > HighSchoolEditorTable::ColCourse) return;
    if (mTable.isAppendRow(row) && mTable.full()) {
        ShowMessage(SchoolListFullMessage(), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    mUndo->closeTyping();
    mEditBox->open(row, col, mGrid->TextMatrix(row, col));
}

void HighSchoolEditorWindow::onGridKeyPress(int keyAscii)
{
    switch (keyAscii) {
    case 3:
        onCopyClicked();
        return;
    case 22:
        onPasteClicked();
        return;
    case 13:
        openEditBox();
        return;
    default:
        break;
    }
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    mUndo->begin();
    if (mTable.typeDigit(row, col, QChar(keyAscii))) mGrid->setTextMatrix(row, col, mTable.cellText(row, col));
    mUndo->end(QString(), true);
}

void HighSchoolEditorWindow::onGridKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    if (key == Qt::Key_Delete && shift) {
        onDeleteRowClicked();
    } else if (key == Qt::Key_Insert && shift) {
        onInsertRowClicked();
    } else if (key == Qt::Key_Delete) {
        GridUndo::Scope step(*mUndo, QStringLiteral("消去"));
        mTable.clearRange(mGrid->selTop(), mGrid->selLeft(), mGrid->selBottom(), mGrid->selRight());
        refreshGrid();
    }
}

void HighSchoolEditorWindow::onGridDoubleClicked()
{
    openEditBox();
}

void HighSchoolEditorWindow::onGridWheel(int direction)
{
    const int top = mGrid->TopRow();
    if (direction > 0) {
        if (top > 1) mGrid->setTopRow(qMax(1, top - 2));
    } else {
        mGrid->setTopRow(top + 2);
    }
}

void HighSchoolEditorWindow::onEditBoxEdited(const QString& text)
{
    const int row = mEditBox->row();
    const bool appended = mTable.isAppendRow(row);
    GridUndo::Scope step(*mUndo, QString(), true);
    if (!mTable.setText(row, mEditBox->col(), text)) return;
    if (appended) {
        mGrid->setRows(mTable.schoolCount() + 2);
        mGrid->setTextMatrix(row, 0, mTable.cellText(row, 0));
        mCountLabel->setText(QString::number(mTable.schoolCount()));
    }
    mGrid->setTextMatrix(row, mEditBox->col(), text);
}

void HighSchoolEditorWindow::onEditBoxArrow(bool up)
{
    const int target = EditBoxArrowTarget(mEditBox->row(), up, mGrid->Rows() - 1);
    if (target == 0) return;
    mEditBox->dismiss();
    mGrid->setRow(target);
    mGrid->setFocus();
}

void HighSchoolEditorWindow::onInsertRowClicked()
{
    mEditBox->dismiss();
    const int row = mGrid->Row();
    if (row < 1 || mTable.isAppendRow(row)) return;
    if (mTable.full()) {
        ShowMessage(SchoolListFullMessage(), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        mGrid->setFocus();
        return;
    }
    const int col = mGrid->Col();
    GridUndo::Scope step(*mUndo, QStringLiteral("行挿入"));
    mTable.insertRow(row);
    refreshGrid();
    mGrid->setRow(row);
    mGrid->setCol(col);
    mGrid->setFocus();
}

void HighSchoolEditorWindow::onDeleteRowClicked()
{
    mEditBox->dismiss();
    const int row = mGrid->Row();
    if (row < 1 || mTable.isAppendRow(row)) return;
    const int col = mGrid->Col();
    GridUndo::Scope step(*mUndo, QStringLiteral("行削除"));
    mTable.deleteRow(row);
    refreshGrid();
    mGrid->setRow(qMin(row, mGrid->Rows() - 1));
    mGrid->setCol(col);
    mGrid->setFocus();
}

void HighSchoolEditorWindow::onCopyClicked()
{
    mEditBox->dismiss();
    PutOnClipboard(SelectionCopyText(mGrid));
    mGrid->setFocus();
}

void HighSchoolEditorWindow::onPasteClicked()
{
    mEditBox->dismiss();
    if (mTable.isAppendRow(mGrid->Row())) return;
    GridUndo::Scope step(*mUndo, QStringLiteral("貼付"));
    const int refused = mTable.paste(mGrid->selTop(), mGrid->selLeft(), mGrid->selBottom(), mGrid->selRight(),
                                     QGuiApplication::clipboard()->text());
    refreshGrid();
    if (refused > 0) Beep();
    mGrid->setFocus();
}

void HighSchoolEditorWindow::onOkClicked()
{
    mEditBox->dismiss();
    mTable.dropEmptyRowsAtEnd();
    refreshGrid();
    if (const Result r = mTable.checkStorable(); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    // Choices already entered point at entry numbers: offer to follow the schools that moved.
    const ChoiceRemap remap = ChoiceRemap::FromTable(mTable);
    QStringList rosters;
    if (const Result r = RostersWithMovedChoices(mWork->dataFolder, remap, rosters); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    MsgAnswer remapAnswer = MsgAnswer::No;
    if (!rosters.isEmpty()) {
        remapAnswer =
            ShowMessage(ChoiceRemapQuestion(), MsgButtons::YesNoCancel, MsgIcon::Question, 1, QString(), this);
        if (remapAnswer == MsgAnswer::Cancel) {
            mGrid->setFocus();
            return;
        }
    }
    auto saved = std::make_unique<GradeData>();
    saved->dataFolder = mWork->dataFolder;
    mTable.storeInto(*saved);
    bool inDataFolder = false;
    if (const Result r = SaveSchoolList(*saved, mSession.programFolder, mSession.notice, inDataFolder); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    if (remapAnswer == MsgAnswer::Yes && inDataFolder) {
        const ChoiceRewrite rewrite = RewriteChoices(mWork->dataFolder, remap);
        if (!rewrite.result) ShowMessage(rewrite.result.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
    }
    closeSettled(true);
}

bool HighSchoolEditorWindow::confirmClose()
{
    if (mLoadFailed) return true;
    mEditBox->dismiss();
    if (ShowMessage(QStringLiteral("保存せずに終了してよいですか"), MsgButtons::YesNo, MsgIcon::Question, 1, QString(),
                    this) == MsgAnswer::Yes)
        return true;
    mGrid->setFocus();
    return false;
}

void HighSchoolEditorWindow::onCancelClicked()
{
    reject();
}

void HighSchoolEditorWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (mEditBox->isOpen()) mEditBox->place();
}

} // namespace seiran
