#include "SubjectEditorWindow.h"

#include "EditorGrid.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "GridUndo.h"
#include "GridWindow.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Session.h"
#include "WindowSize.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

SubjectEditorWindow::SubjectEditorWindow(Session& session, QWidget* parent)
    : QDialog(parent), mSession(session), mWork(std::make_unique<GradeData>())
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("教科情報の変更 (%1年)").arg(session.gd.currentGrade));

    mGrid = new FlexGrid(this);
    mKindHelpLabel = new QLabel(QStringLiteral("処理の入力\n\n0.普通\n1.男女別\n2.グループ別"), this);
    mKindHelpLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mOkButton = new QPushButton(QStringLiteral("決定"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    for (QPushButton* b : {mOkButton, mCancelButton})
        b->setAutoDefault(false);

    auto* side = new QVBoxLayout;
    side->addWidget(mKindHelpLabel);
    side->addStretch();
    side->addWidget(mOkButton);
    side->addWidget(mCancelButton);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(mGrid, 1);
    layout->addLayout(side);

    // The list is edited on a copy; the grade's tables change only when it is saved.
    mWork->dataFolder = session.gd.dataFolder;
    mWork->currentGrade = session.gd.currentGrade;
    // The subjects decide the slots the entry screens write: nobody else uses the grade meanwhile.
    if (!LockGradeAlone(session.gd.dataFolder, session.gd.currentGrade, windowTitle(), this)) {
        mLoadFailed = true;
    } else if (const Result r = LoadSubjectList(*mWork); !r) {
        mLoadFailed = true;
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
    }
    mTable.loadFrom(*mWork);

    using T = SubjectEditorTable;
    SetUpEditorGrid(mGrid,
                    {{QString(), QStringLiteral("WW"), true},
                     {QStringLiteral("教科名"), QStringLiteral("WWWWWWWWWW")},
                     {QStringLiteral("処理"), QStringLiteral("グループ別W"), true},
                     {QStringLiteral("内申倍率"), QStringLiteral("内申倍率W"), true},
                     {QStringLiteral("グループ"), QStringLiteral("グループW"), true}},
                    mTable.rowCount());
    for (int r = 1; r <= mTable.rowCount(); ++r)
        refreshRow(r);
    if (mTable.rowCount() > 0) {
        mGrid->setRow(1);
        mGrid->setCol(T::ColKind);
    }
    // A grade has at most nine subjects: the grid always shows all of them and every column.
    mGrid->setMinimumSize(mGrid->fullSize());
    ResizeToLayout(this);

    connect(mGrid, &FlexGrid::keyPress, this, &SubjectEditorWindow::onGridKeyPress);
    connect(mOkButton, &QPushButton::clicked, this, &SubjectEditorWindow::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &SubjectEditorWindow::onCancelClicked);
    connect(mGrid, &FlexGrid::rowColChange, this, &SubjectEditorWindow::onGridCellChanged);

    mUndo = new GridUndo(this, static_cast<GridUndo::Client&>(*this));
    mUndo->installMenu(mGrid);
}

SubjectEditorWindow::~SubjectEditorWindow() = default;

void SubjectEditorWindow::refreshRow(int row)
{
    for (int c = 0; c < SubjectEditorTable::ColumnCount; ++c)
        mGrid->setTextMatrix(row, c, mTable.cellText(row, c));
}

namespace {
constexpr QChar UnitSeparator(0x1f);
}

QStringList SubjectEditorWindow::undoState() const
{
    QStringList units;
    for (int i = 1; i <= mTable.rowCount(); ++i) {
        const SubjectEditorTable::Row& row = mTable.row(i);
        units << QStringList{QString::number(row.kind), QString::number(row.weight, 'g', 17), row.group}.join(
            UnitSeparator);
    }
    return units;
}

void SubjectEditorWindow::restoreUndoValues(const QList<int>& units, const QStringList& values, int)
{
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QStringList f = values.at(i).split(UnitSeparator);
        if (f.size() != 3) continue;
        SubjectEditorTable::Row row = mTable.row(units.at(i) + 1);
        row.kind = f.at(0).toInt();
        row.weight = f.at(1).toDouble();
        row.group = f.at(2);
        mTable.setRow(units.at(i) + 1, row);
        refreshRow(units.at(i) + 1);
    }
}

QString SubjectEditorWindow::undoUnitLabel(int unit) const
{
    return mTable.row(unit + 1).name.trimmed();
}

void SubjectEditorWindow::showUndoUnit(int unit)
{
    mGrid->setRow(unit + 1);
    mGrid->setFocus();
}

void SubjectEditorWindow::onGridCellChanged()
{
    mUndo->closeTyping();
}

void SubjectEditorWindow::onGridKeyPress(int keyAscii)
{
    const int row = mGrid->Row();
    mUndo->begin();
    if (mTable.typeKey(row, mGrid->Col(), QChar(keyAscii))) refreshRow(row);
    mUndo->end(QString(), true);
}

void SubjectEditorWindow::onOkClicked()
{
    if (const Result r = mTable.checkStorable(); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    if (mTable.hasOwnNaishinOrder() &&
        ShowMessage(NaishinOrderQuestion(), MsgButtons::YesNo, MsgIcon::Warning, 2, QString(), this) != MsgAnswer::Yes)
        return;
    mTable.storeInto(*mWork);
    if (const Result r = SaveSubjectList(*mWork); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    mTable.storeInto(mSession.gd);
    accept();
}

void SubjectEditorWindow::onCancelClicked()
{
    reject();
}

} // namespace seiran
