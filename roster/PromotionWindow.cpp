#include "PromotionWindow.h"

#include "Beep.h"
#include "CellEditBox.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "GridUndo.h"
#include "GridWindow.h"
#include "MessageBox.h"
#include "NewYearRosterDialog.h"
#include "RosterEditModel.h"
#include "RosterFile.h"
#include "Session.h"
#include "WindowSize.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace seiran {

namespace {
using T = PromotionTable;
constexpr QChar UnitSeparator(0x1f);

QString RowUnit(const PromotionRow& row)
{
    return QStringList{row.oldNumber, row.name, row.sex, row.furigana, row.newClass, row.newNumber}.join(UnitSeparator);
}

PromotionRow UnitRow(const QString& unit)
{
    const QStringList f = unit.split(UnitSeparator);
    PromotionRow row;
    if (f.size() != 6) return row;
    row.oldNumber = f.at(0);
    row.name = f.at(1);
    row.sex = f.at(2);
    row.furigana = f.at(3);
    row.newClass = f.at(4);
    row.newNumber = f.at(5);
    return row;
}
} // namespace

PromotionWindow::PromotionWindow(Session& session, QWidget* parent) : ConfirmCloseDialog(parent), mSession(session)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    const int grade = session.gd.currentGrade;
    setWindowTitle(QStringLiteral("進級・クラス分け処理 新%1年 (旧%2年)").arg(grade + 1).arg(grade));

    mTransferInButton = new QPushButton(QStringLiteral("転入"), this);
    mSortButton = new QPushButton(QStringLiteral("並替"), this);
    mSortFrame = new QGroupBox(QStringLiteral("並替の条件"), this);
    mOldOrderOption = new QRadioButton(QStringLiteral("旧クラス順"), mSortFrame);
    mNewNumberOption = new QRadioButton(QStringLiteral("新クラス・番号順"), mSortFrame);
    mSyllabaryOption = new QRadioButton(QStringLiteral("新クラス・五十音順"), mSortFrame);
    mBySexCheck = new QCheckBox(QStringLiteral("男女別"), mSortFrame);
    mGirlsFirstEdit = new QLineEdit(QStringLiteral("21"), mSortFrame);
    mGirlsFirstEdit->setMaxLength(2);
    mGirlsFirstEdit->setFixedWidth(mGirlsFirstEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8);
    mGirlsFirstEdit->setAlignment(Qt::AlignCenter);
    mOldOrderOption->setChecked(true);
    mCopyButton = new QPushButton(QStringLiteral("コピー"), this);
    mPasteButton = new QPushButton(QStringLiteral("貼付"), this);
    mClearButton = new QPushButton(QStringLiteral("消去"), this);
    mCloseButton = new QPushButton(QStringLiteral("終了"), this);
    mCreateButton = new QPushButton(QStringLiteral("新学年作成"), this);
    for (QPushButton* b :
         {mTransferInButton, mSortButton, mCopyButton, mPasteButton, mClearButton, mCloseButton, mCreateButton})
        b->setAutoDefault(false);

    auto* options = new QHBoxLayout(mSortFrame);
    options->addWidget(mOldOrderOption);
    options->addWidget(mNewNumberOption);
    options->addWidget(mSyllabaryOption);
    options->addSpacing(8);
    options->addWidget(mBySexCheck);
    options->addWidget(mGirlsFirstEdit);
    auto* top = new QHBoxLayout;
    top->addWidget(mTransferInButton);
    top->addWidget(mSortButton);
    top->addWidget(mSortFrame);
    top->addStretch();
    auto* second = new QHBoxLayout;
    second->addWidget(mCopyButton);
    second->addWidget(mPasteButton);
    second->addWidget(mClearButton);
    second->addStretch();
    second->addWidget(mCreateButton);
    second->addWidget(mCloseButton);

    mGrid = new FlexGrid(this);
    mGrid->setWheelScrolls(false);
    mEditBox = new CellEditBox(mGrid, this);
    mEditBox->setFinishOnMousePress(true);
    mFindBar = new FindBar(this);
    mFindBar->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(second);
    layout->addWidget(mGrid, 1);
    layout->addWidget(mFindBar);

    mGrid->setCols(T::ColumnCount);
    mGrid->setFixedRows(1);
    mGrid->setFixedCols(1);
    const QStringList headers = {QString(),
                                 QStringLiteral("旧番号"),
                                 QStringLiteral("  氏　　名  "),
                                 QStringLiteral("性別"),
                                 QStringLiteral("ふりがな"),
                                 QStringLiteral("新組"),
                                 QStringLiteral("新番")};
    const QStringList widths = {QStringLiteral("4000"),
                                QStringLiteral("旧番号"),
                                QStringLiteral("123456789012345678"),
                                QStringLiteral("性別"),
                                QStringLiteral("1234567890123456789012"),
                                QStringLiteral("新組"),
                                QStringLiteral("新番")};
    for (int c = 0; c < T::ColumnCount; ++c)
        mGrid->setColWidth(c, MeasuredColWidth(mGrid, widths.at(c)));
    for (int c : {int(T::ColRow), int(T::ColOldNumber), int(T::ColSex), int(T::ColNewClass), int(T::ColNewNumber)})
        mGrid->setColAlignment(c, Qt::AlignCenter);
    // Every column, with room for the vertical scroll bar (fullSize of no rows counts it).
    mGrid->setMinimumSize(mGrid->fullSize(0).width(), mGrid->RowHeight() * 12);

    mRosterPath = RosterFile::pathFor(session.gd);
    // The new classes and numbers are written into the seats: nobody else uses the grade meanwhile.
    if (!LockGradeAlone(session.gd.dataFolder, session.gd.currentGrade, windowTitle(), this)) {
        mLoadFailed = true;
    } else if (const Result r = mTable.load(mRosterPath, session.gd.classCount, session.progress); !r) {
        mLoadFailed = true;
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    for (int c = 0; c < T::ColumnCount; ++c)
        mGrid->setTextMatrix(0, c, headers.at(c));
    showTable();
    mTable.setChanged(false);
    onSortOptionChanged();

    connect(mGrid, &FlexGrid::keyPress, this, &PromotionWindow::onGridKeyPress);
    connect(mGrid, &FlexGrid::doubleClicked, this, &PromotionWindow::onGridDoubleClicked);
    connect(mGrid, &FlexGrid::rowColChange, this, &PromotionWindow::onGridCellChanged);
    connect(mGrid, &FlexGrid::wheel, this, &PromotionWindow::onGridWheel);
    connect(mGrid, &FlexGrid::scrolled, this, &PromotionWindow::onEditBoxFinished);
    connect(mEditBox, &CellEditBox::finished, this, &PromotionWindow::onEditBoxFinished);
    connect(mTransferInButton, &QPushButton::clicked, this, &PromotionWindow::onTransferInClicked);
    connect(mSortButton, &QPushButton::clicked, this, &PromotionWindow::onSortClicked);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(mOldOrderOption), static_cast<QAbstractButton*>(mNewNumberOption),
          static_cast<QAbstractButton*>(mSyllabaryOption), static_cast<QAbstractButton*>(mBySexCheck)})
        connect(b, &QAbstractButton::toggled, this, &PromotionWindow::onSortOptionChanged);
    connect(mCopyButton, &QPushButton::clicked, this, &PromotionWindow::onCopyClicked);
    connect(mPasteButton, &QPushButton::clicked, this, &PromotionWindow::onPasteClicked);
    connect(mClearButton, &QPushButton::clicked, this, &PromotionWindow::onClearClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &PromotionWindow::onCloseClicked);
    connect(mCreateButton, &QPushButton::clicked, this, &PromotionWindow::onCreateClicked);

    mUndo = new GridUndo(this, static_cast<GridUndo::Client&>(*this));
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        mUndo->addMenuEntries(menu);
        QAction* copy = menu.addAction(QStringLiteral("コピー"));
        QAction* paste = menu.addAction(QStringLiteral("貼付"));
        QAction* chosen = menu.exec(mGrid->mapToGlobal(pos));
        if (chosen && chosen == copy) onCopyClicked();
        if (chosen && chosen == paste) onPasteClicked();
    });

    connect(mFindBar, &FindBar::searchRequested, this,
            [this](const QString& text, int step) { findPupil(text, step); });
    connect(mFindBar, &FindBar::closed, this, [this] { mGrid->setFocus(); });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, &PromotionWindow::openFind);
    ResizeToLayout(this);
}

PromotionWindow::~PromotionWindow() = default;

QStringList PromotionWindow::undoState() const
{
    QStringList units;
    for (int r = 1; r <= mTable.rowCount(); ++r)
        units << RowUnit(mTable.row(r));
    return units;
}

void PromotionWindow::restoreUndoValues(const QList<int>& units, const QStringList& values, int size)
{
    QList<PromotionRow> rows = mTable.rows();
    rows.resize(size);
    for (qsizetype i = 0; i < units.size(); ++i)
        if (units.at(i) < size) rows[units.at(i)] = UnitRow(values.at(i));
    mTable.setRows(rows);
    mNumberStarted = false;
    showTable();
}

QString PromotionWindow::undoUnitLabel(int unit) const
{
    const PromotionRow& row = mTable.row(unit + 1);
    return row.name.trimmed().isEmpty() ? QStringLiteral("%1行").arg(unit + 1) : row.name.trimmed();
}

void PromotionWindow::commitPendingEdit()
{
    onEditBoxFinished();
}

void PromotionWindow::showUndoUnit(int unit)
{
    const int row = qBound(1, unit + 1, qMax(1, mTable.rowCount()));
    mGrid->setRow(row);
    ScrollRowIntoView(mGrid, row);
    mGrid->setFocus();
}

void PromotionWindow::onUndo()
{
    mUndo->undo();
}

void PromotionWindow::onRedo()
{
    mUndo->redo();
}

void PromotionWindow::openFind()
{
    onEditBoxFinished();
    mFindBar->open();
}

bool PromotionWindow::findPupil(const QString& query, int step)
{
    const int current = mGrid->Row();
    const int row = FindPupilStep(
        mFindBar, mTable.rowCount(), current,
        [this](int r) {
            return QStringList{mTable.row(r).name, mTable.row(r).furigana};
        },
        query, step);
    if (row == 0) return false;
    if (row != current) {
        mGrid->setRow(row);
        ScrollRowIntoView(mGrid, row);
    }
    if (mFindBar->isVisible()) mFindBar->mFindEdit->setFocus();
    return true;
}

void PromotionWindow::showRow(int r)
{
    for (int c = 0; c < T::ColumnCount; ++c)
        mGrid->setTextMatrix(r, c, mTable.cellText(r, c));
}

void PromotionWindow::showTable()
{
    // The grid is filled once, after the table is complete.
    mGrid->setUpdatesEnabled(false);
    mGrid->setRows(qMax(2, mTable.rowCount() + 1));
    if (mTable.rowCount() == 0) {
        for (int c = 0; c < T::ColumnCount; ++c)
            mGrid->setTextMatrix(1, c, QString());
    }
    for (int r = 1; r <= mTable.rowCount(); ++r)
        showRow(r);
    mGrid->setUpdatesEnabled(true);
}

PromotionTable::Range PromotionWindow::selection() const
{
    return {mGrid->selTop(), mGrid->selLeft(), mGrid->selBottom(), mGrid->selRight()};
}

void PromotionWindow::actOnKeyEffect(PromotionTable::KeyEffect effect, int row, int col)
{
    switch (effect) {
    case T::KeyEffect::Edited:
        mGrid->setTextMatrix(row, col, mTable.cellText(row, col));
        break;
    case T::KeyEffect::Refused:
        Beep();
        break;
    case T::KeyEffect::OpenEditor:
        mEditBox->open(row, col, mTable.cellText(row, col));
        break;
    case T::KeyEffect::NameNotEditable:
        ShowMessage(QStringLiteral("転入生以外の氏名は編集できません"), MsgButtons::Ok, MsgIcon::Warning, 1, QString(),
                    this);
        break;
    case T::KeyEffect::SexNotEditable:
        ShowMessage(QStringLiteral("転入生以外の性別は変更できません"), MsgButtons::Ok, MsgIcon::Warning, 1, QString(),
                    this);
        break;
    case T::KeyEffect::None:
        break;
    }
}

void PromotionWindow::onGridKeyPress(int keyAscii)
{
    if (keyAscii == 3) return onCopyClicked();
    if (keyAscii == 22) return onPasteClicked();
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    if (row < 1 || row > mTable.rowCount()) return;
    mUndo->begin();
    actOnKeyEffect(mTable.typeKey(row, col, QChar(keyAscii), mNumberStarted), row, col);
    mUndo->end(QString(), true);
}

void PromotionWindow::onGridDoubleClicked()
{
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    if (row < 1 || row > mTable.rowCount()) return;
    GridUndo::Scope step(*mUndo, QString());
    actOnKeyEffect(mTable.doubleClick(row, col), row, col);
}

void PromotionWindow::onGridCellChanged()
{
    mNumberStarted = false; // the first digit in the next number cell replaces it
    mUndo->closeTyping();
}

void PromotionWindow::onGridWheel(int direction)
{
    const int top = mGrid->TopRow();
    if (direction > 0) {
        if (top > 1) mGrid->setTopRow(qMax(1, top - 2));
    } else {
        mGrid->setTopRow(top + 2);
    }
}

void PromotionWindow::warnCut(const QString& what, const QString& text)
{
    ShowMessage(QStringLiteral("%1が長すぎるため、名簿に入る「%2」までにしました。").arg(what, text), MsgButtons::Ok,
                MsgIcon::Warning, 1, QString(), this);
}

void PromotionWindow::onEditBoxFinished()
{
    if (!mEditBox->isOpen()) return;
    const int row = mEditBox->row();
    const int col = mEditBox->col();
    const QString text = mEditBox->text();
    mEditBox->dismiss();
    mGrid->setFocus();
    mUndo->begin();
    const T::TextEntry entry = mTable.enterText(row, col, text);
    showRow(row);
    mUndo->end(QString());
    const QString what = col == T::ColName ? QStringLiteral("氏名") : QStringLiteral("ふりがな");
    if (!entry.unstorable.isEmpty()) {
        Beep();
        ShowMessage(UnstorableTextMessage(entry.unstorable), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    } else if (entry.cut) {
        warnCut(what, entry.text);
    }
}

void PromotionWindow::onTransferInClicked()
{
    onEditBoxFinished();
    GridUndo::Scope step(*mUndo, QStringLiteral("転入"));
    const int row = mTable.addTransferIn();
    if (row == 0) {
        mGrid->setFocus();
        return;
    }
    mGrid->setRows(row + 1);
    showRow(row);
    mGrid->setRow(row);
    mGrid->setCol(T::ColName);
    if (row >= mGrid->TopRow() + mGrid->visibleRows()) mGrid->setTopRow(row);
    mGrid->setFocus();
}

void PromotionWindow::onSortOptionChanged()
{
    mBySexCheck->setEnabled(mSyllabaryOption->isChecked());
    mGirlsFirstEdit->setEnabled(mSyllabaryOption->isChecked() && mBySexCheck->isChecked());
}

void PromotionWindow::onSortClicked()
{
    onEditBoxFinished();
    const PromotionSort order = mOldOrderOption->isChecked()    ? PromotionSort::OldNumber
                                : mNewNumberOption->isChecked() ? PromotionSort::NewNumber
                                                                : PromotionSort::Syllabary;
    const bool bySex = order == PromotionSort::Syllabary && mBySexCheck->isChecked();
    mUndo->begin();
    const T::SortOutcome outcome = mTable.sort(order, bySex, mGirlsFirstEdit->text());
    if (!outcome.result) {
        mUndo->end(QStringLiteral("並替"));
        ShowMessage(outcome.result.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    showTable();
    mUndo->end(QStringLiteral("並替"));
    mGrid->setFocus();
    if (outcome.duplicateRow > 0) {
        mGrid->setRow(outcome.duplicateRow);
        mGrid->setCol(T::ColNewClass);
        mGrid->setTopRow(outcome.duplicateRow);
        ShowMessage(outcome.duplicateMessage, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
    }
}

void PromotionWindow::onCopyClicked()
{
    onEditBoxFinished();
    PutOnClipboard(SelectionCopyText(mGrid));
    mGrid->setFocus();
}

void PromotionWindow::onPasteClicked()
{
    onEditBoxFinished();
    mUndo->begin();
    const T::PasteOutcome outcome = mTable.paste(selection(), QGuiApplication::clipboard()->text());
    showTable();
    mUndo->end(QStringLiteral("貼付"));
    mGrid->setFocus();
    if (outcome.refused > 0) Beep();
    if (outcome.cut > 0)
        ShowMessage(
            QStringLiteral("長すぎる氏名・ふりがなが %1 つあり、名簿に入る長さまでにしました。").arg(outcome.cut),
            MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
}

void PromotionWindow::onClearClicked()
{
    onEditBoxFinished();
    mUndo->begin();
    mTable.clear(selection());
    showTable();
    mUndo->end(QStringLiteral("消去"));
    mGrid->setFocus();
}

void PromotionWindow::onCreateClicked()
{
    onEditBoxFinished();
    const int grade = mSession.gd.currentGrade;
    const NextYearCheck check = CheckNextYear(mTable, grade);
    if (!check.result) {
        if (check.currentRow > 0) {
            mGrid->setRow(check.currentRow);
            mGrid->setCol(T::ColNewClass);
            mGrid->setTopRow(check.currentRow);
        }
        ShowMessage(check.result.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    if (check.incompleteCount > 0 && ShowMessage(IncompleteQuestion(check), MsgButtons::YesNo, MsgIcon::Warning, 2,
                                                 QString(), this) != MsgAnswer::Yes)
        return;

    QString folder;
    if (mHasTestFolder) {
        folder = mTestFolder;
    } else {
        NewYearRosterDialog dialog(grade, check.classCount, mSession.gd.dataFolder, this);
        if (dialog.exec() != QDialog::Accepted) return;
        folder = dialog.folder();
    }
    if (folder.isEmpty()) return;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator())) folder += QLatin1Char('/');

    if (NextYearRosterExists(folder, grade) &&
        ShowMessage(QStringLiteral("名簿ファイルはすでに存在します｡\r本当に消去してもよろしいですか"),
                    MsgButtons::YesNo, MsgIcon::Warning, 2, QString(), this) != MsgAnswer::Yes)
        return;
    // Next year's grade is made whole: nobody may have it open meanwhile.
    std::unique_ptr<WindowGradeLock> target(LockGradeAlone(folder, grade + 1, mCreateButton->text(), this));
    if (!target) return;
    QList<NextYearFile> files;
    QStringList backups;
    Result r = ComposeNextYearFiles(mTable, grade, check.classCount, folder, mSession.programFolder, files);
    if (r) r = WriteNextYearFiles(files, {}, &backups);
    if (!r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    mCreatedFolder = folder;
    ShowMessage(NextYearCreatedText(folder, grade + 1, check.classCount, check.pupilCount, backups), MsgButtons::Ok,
                MsgIcon::Information, 1, QString(), this);
}

bool PromotionWindow::confirmClose()
{
    if (mLoadFailed) return true;
    onEditBoxFinished();
    if (!mTable.changed()) return true;
    const MsgAnswer answer = ShowMessage(QStringLiteral("変更したデータを保存しますか"), MsgButtons::YesNoCancel,
                                         MsgIcon::Question, 1, QString(), this);
    if (answer == MsgAnswer::Cancel) return false;
    if (answer == MsgAnswer::No) return true;
    if (const Result r = mTable.save(mRosterPath, mSession.progress); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return false;
    }
    return true;
}

void PromotionWindow::onCloseClicked()
{
    close();
}

void PromotionWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (mEditBox->isOpen()) mEditBox->place();
}

} // namespace seiran
