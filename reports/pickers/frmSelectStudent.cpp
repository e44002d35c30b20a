#include "frmSelectStudent.h"

#include "Beep.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "RosterFile.h"
#include "Session.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
const QString kMark = QStringLiteral("○");
}

frmSelectStudent::frmSelectStudent(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("生徒の指定"));

    Label1 = new QLabel(QStringLiteral("ダブルクリックまたはスペースキーで選択・非選択の切り替えができます。"), this);
    Label1->setWordWrap(true);
    Grid1 = new FlexGrid(this);
    Grid1->setWheelScrolls(false);
    Command1 = new QPushButton(QStringLiteral("設定"), this);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Grid1, 1);
    layout->addLayout(buttons);

    connect(Grid1, &FlexGrid::doubleClicked, this, &frmSelectStudent::Grid1_DblClick);
    connect(Grid1, &FlexGrid::keyPress, this, &frmSelectStudent::Grid1_KeyPress);
    connect(Grid1, &FlexGrid::wheel, this, &frmSelectStudent::ctlHookWheel1_Wheel);
    connect(Command1, &QPushButton::clicked, this, &frmSelectStudent::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectStudent::Command2_Click);

    // The marks start from the caller's current choice, on the roster as it is on disk now.
    const Result loaded = LoadRoster(mSession.gd, mSession.progress);
    if (!loaded) ShowMessage(loaded.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    fillGrid();

    int width = 0;
    for (int c = 0; c < Grid1->Cols(); ++c)
        width += Grid1->ColWidth(c);
    Grid1->setMinimumWidth(width + 24);
    resize(qMax(width + 48, 420), 520);
    Grid1->setFocus();
}

void frmSelectStudent::fillGrid()
{
    const GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.studentCount, int(Limits::Students));
    Grid1->setCols(6);
    Grid1->setRows(count + 1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(0);

    const QFontMetrics fm(Grid1->font());
    const int narrow = fm.horizontalAdvance(QStringLiteral("WWW")) + 8;
    const int wide = fm.horizontalAdvance(QStringLiteral("WWWWWWWWWWWWWW")) + 8;
    const QStringList headings = {QStringLiteral("年"),   QStringLiteral("組"), QStringLiteral("番"),
                                  QStringLiteral("氏名"), QStringLiteral("性"), QStringLiteral("指定")};
    for (int c = 0; c < 6; ++c) {
        Grid1->setColWidth(c, c == 3 ? wide : narrow);
        Grid1->setColAlignment(c, c == 3 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        Grid1->setTextMatrix(0, c, headings.at(c));
    }
    for (int s = 1; s <= count; ++s) {
        Grid1->setTextMatrix(s, 0, QString::number(gd.currentGrade));
        Grid1->setTextMatrix(s, 1, gd.classLabel(gd.studentClass[s]));
        Grid1->setTextMatrix(s, 2, QString::number(gd.studentNumber[s]));
        Grid1->setTextMatrix(s, 3, gd.studentName[s]);
        Grid1->setTextMatrix(s, 4, gd.studentSex[s] == 1 ? QStringLiteral("男") : QStringLiteral("女"));
        Grid1->setTextMatrix(s, MarkCol, gd.studentSelected[s] ? kMark : QString());
    }
    if (count > 0) {
        Grid1->setRow(1);
        Grid1->setCol(MarkCol);
    }
}

void frmSelectStudent::toggleSelectedRows()
{
    const int first = Grid1->Row();
    const int last = Grid1->RowSel();
    if (first < 1 || first >= Grid1->Rows()) return;
    // The marks follow the current row's old mark. A selection drawn upwards from the
    // current row is not a range this command works on; say so with a beep.
    if (last < first) {
        Beep();
        return;
    }
    const QString mark = Grid1->TextMatrix(first, MarkCol).isEmpty() ? kMark : QString();
    for (int r = first; r <= last && r < Grid1->Rows(); ++r)
        Grid1->setTextMatrix(r, MarkCol, mark);
}

void frmSelectStudent::Grid1_DblClick()
{
    toggleSelectedRows();
}

void frmSelectStudent::Grid1_KeyPress(int keyAscii)
{
    if (keyAscii == 32) toggleSelectedRows();
}

void frmSelectStudent::ctlHookWheel1_Wheel(int direction)
{
    const int lastRow = qMax(1, Grid1->Rows() - 1);
    if (direction > 0)
        Grid1->setTopRow(qMax(1, Grid1->TopRow() - 2));
    else if (direction < 0)
        Grid1->setTopRow(qMin(lastRow, Grid1->TopRow() + 2));
}

void frmSelectStudent::Command1_Click()
{
    GradeData& gd = mSession.gd;
    const int count = qMin(qBound(0, gd.studentCount, int(Limits::Students)), Grid1->Rows() - 1);
    for (int s = 1; s <= count; ++s)
        gd.studentSelected[s] = Grid1->TextMatrix(s, MarkCol) == kMark;
    accept();
}

void frmSelectStudent::Command2_Click()
{
    reject();
}

} // namespace seiran
