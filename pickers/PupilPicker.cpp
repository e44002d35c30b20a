#include "PupilPicker.h"

#include "Beep.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "PupilSearch.h"
#include "RosterFile.h"
#include "Session.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace seiran {

namespace {
const QString kMark = QStringLiteral("○");
}

PupilPicker::PupilPicker(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("生徒の指定"));

    mPromptLabel =
        new QLabel(QStringLiteral("ダブルクリックまたはスペースキーで選択・非選択の切り替えができます。"), this);
    mPromptLabel->setWordWrap(true);
    mGrid = new FlexGrid(this);
    mGrid->setWheelScrolls(false);
    mSetButton = new QPushButton(QStringLiteral("設定"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mSetButton->setAutoDefault(false);
    mCancelButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mSetButton);
    buttons->addWidget(mCancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mPromptLabel);
    layout->addWidget(mGrid, 1);
    mFindBar = new FindBar(this);
    layout->addWidget(mFindBar);
    layout->addLayout(buttons);

    connect(mGrid, &FlexGrid::doubleClicked, this, &PupilPicker::onGridDoubleClick);
    connect(mGrid, &FlexGrid::keyPress, this, &PupilPicker::onGridKeyPress);
    connect(mGrid, &FlexGrid::wheel, this, &PupilPicker::onGridWheel);
    connect(mSetButton, &QPushButton::clicked, this, &PupilPicker::onSetClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &PupilPicker::onCancelClicked);
    connect(mFindBar, &FindBar::searchRequested, this,
            [this](const QString& text, int step) { findPupil(text, step); });
    connect(mFindBar, &FindBar::closed, this, [this] { mGrid->setFocus(); });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, &PupilPicker::openFind);

    // The marks start from the caller's current choice, on the roster as it is on disk now.
    const Result loaded = LoadRoster(mSession.gd, mSession.progress);
    if (!loaded) ShowMessage(loaded.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    fillGrid();

    int width = 0;
    for (int c = 0; c < mGrid->Cols(); ++c)
        width += mGrid->ColWidth(c);
    mGrid->setMinimumWidth(width + 24);
    resize(qMax(width + 48, 420), 520);
    mGrid->setFocus();
}

void PupilPicker::openFind()
{
    mFindBar->open();
}

bool PupilPicker::findPupil(const QString& query, int step)
{
    const GradeData& gd = mSession.gd;
    const int rows = mGrid->Rows() - 1;
    const int current = mGrid->Row();
    const int from = step == 0 ? current : current + step;
    const int row = FindPupilRow(
        rows,
        [this, &gd](int r) {
            return QStringList{mGrid->TextMatrix(r, 3), r <= gd.studentCount ? gd.studentFurigana[r] : QString()};
        },
        query,
        from > rows ? 1
        : from < 1  ? rows
                    : from,
        step < 0 ? -1 : 1);
    mFindBar->setNotFound(row == 0 && !FoldForSearch(query).isEmpty());
    if (row == 0) return false;
    mGrid->setRow(row);
    ScrollRowIntoView(mGrid, row);
    if (mFindBar->isVisible()) mFindBar->mFindEdit->setFocus();
    return true;
}

void PupilPicker::fillGrid()
{
    const GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.studentCount, int(Limits::Students));
    mGrid->setCols(6);
    mGrid->setRows(count + 1);
    mGrid->setFixedRows(1);
    mGrid->setFixedCols(0);

    const QFontMetrics fm(mGrid->font());
    const int narrow = fm.horizontalAdvance(QStringLiteral("WWW")) + 8;
    const int wide = fm.horizontalAdvance(QStringLiteral("WWWWWWWWWWWWWW")) + 8;
    const QStringList headings = {QStringLiteral("年"),   QStringLiteral("組"), QStringLiteral("番"),
                                  QStringLiteral("氏名"), QStringLiteral("性"), QStringLiteral("指定")};
    for (int c = 0; c < 6; ++c) {
        mGrid->setColWidth(c, c == 3 ? wide : narrow);
        mGrid->setColAlignment(c, c == 3 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        mGrid->setTextMatrix(0, c, headings.at(c));
    }
    for (int s = 1; s <= count; ++s) {
        mGrid->setTextMatrix(s, 0, QString::number(gd.currentGrade));
        mGrid->setTextMatrix(s, 1, gd.classLabel(gd.studentClass[s]));
        mGrid->setTextMatrix(s, 2, QString::number(gd.studentNumber[s]));
        mGrid->setTextMatrix(s, 3, gd.studentName[s]);
        mGrid->setTextMatrix(s, 4, gd.studentSex[s] == 1 ? QStringLiteral("男") : QStringLiteral("女"));
        mGrid->setTextMatrix(s, MarkCol, gd.studentSelected[s] ? kMark : QString());
    }
    if (count > 0) {
        mGrid->setRow(1);
        mGrid->setCol(MarkCol);
    }
}

void PupilPicker::toggleSelectedRows()
{
    const int first = mGrid->Row();
    const int last = mGrid->RowSel();
    if (first < 1 || first >= mGrid->Rows()) return;
    // The marks follow the current row's old mark. A selection drawn upwards from the
    // current row is not a range this command works on; say so with a beep.
    if (last < first) {
        Beep();
        return;
    }
    const QString mark = mGrid->TextMatrix(first, MarkCol).isEmpty() ? kMark : QString();
    for (int r = first; r <= last && r < mGrid->Rows(); ++r)
        mGrid->setTextMatrix(r, MarkCol, mark);
}

void PupilPicker::onGridDoubleClick()
{
    toggleSelectedRows();
}

void PupilPicker::onGridKeyPress(int keyAscii)
{
    if (keyAscii == 32) toggleSelectedRows();
}

void PupilPicker::onGridWheel(int direction)
{
    const int lastRow = qMax(1, mGrid->Rows() - 1);
    if (direction > 0)
        mGrid->setTopRow(qMax(1, mGrid->TopRow() - 2));
    else if (direction < 0)
        mGrid->setTopRow(qMin(lastRow, mGrid->TopRow() + 2));
}

void PupilPicker::onSetClicked()
{
    GradeData& gd = mSession.gd;
    const int count = qMin(qBound(0, gd.studentCount, int(Limits::Students)), mGrid->Rows() - 1);
    for (int s = 1; s <= count; ++s)
        gd.studentSelected[s] = mGrid->TextMatrix(s, MarkCol) == kMark;
    accept();
}

void PupilPicker::onCancelClicked()
{
    reject();
}

} // namespace seiran
