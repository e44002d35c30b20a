#include "NotificationCardWindow.h"

#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "PupilPicker.h"
#include "Session.h"
#include "TestSeries.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
const QString kMark = QStringLiteral("○");
}

NotificationCardWindow::NotificationCardWindow(Session& session, QWidget* parent)
    : CardPrintWindow(session, QStringLiteral("テスト成績表(通知票用)"), parent)
{
    const GradeData& gd = mSession.gd;
    const int tests = qBound(0, gd.testCount, int(Limits::Tests));

    mGrid = new FlexGrid(this);
    mGrid->setCols(4);
    mGrid->setRows(tests + 1);
    mGrid->setFixedRows(1);
    mGrid->setFixedCols(0);
    mGrid->setTextMatrix(0, PrintCol, QStringLiteral("印刷"));
    mGrid->setTextMatrix(0, GraphCol, QStringLiteral("グラフ"));
    for (int t = 1; t <= tests; ++t) {
        mGrid->setTextMatrix(t, 0, QString::number(t));
        mGrid->setTextMatrix(t, 1, gd.testNames[t]);
    }
    const QFontMetrics fm(mGrid->font());
    mGrid->setColWidth(0, fm.horizontalAdvance(QStringLiteral("AAA")) + 8);
    mGrid->setColWidth(1, fm.horizontalAdvance(QString(17, u'W')) + 8);
    mGrid->setColWidth(PrintCol, fm.horizontalAdvance(QStringLiteral("AAAAA")) + 8);
    mGrid->setColWidth(GraphCol, fm.horizontalAdvance(QStringLiteral("AAAAA")) + 8);
    mGrid->setColAlignment(0, Qt::AlignCenter);
    mGrid->setColAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    mGrid->setColAlignment(PrintCol, Qt::AlignCenter);
    mGrid->setColAlignment(GraphCol, Qt::AlignCenter);
    if (tests > 0) {
        mGrid->setRow(1);
        mGrid->setCol(PrintCol);
    }
    int gridWidth = 0;
    for (int c = 0; c < mGrid->Cols(); ++c)
        gridWidth += mGrid->ColWidth(c);
    mGrid->setMinimumWidth(gridWidth + 24);
    mGrid->setMaximumWidth(gridWidth + 24);

    mPupilCheck = new QCheckBox(QStringLiteral("生徒指定"), this);

    QGridLayout* lists = buildListsLayout(QStringLiteral("ダブルクリックまたはスペースキーで○を付けます。"), mGrid);
    lists->addWidget(mPupilCheck, 2, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mPrintButton);
    buttons->addWidget(mCloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(mProgressBar);
    layout->addLayout(buttons);
    resize(gridWidth + 260, 520);

    choosePupils = [this] {
        PupilPicker picker(mSession, this);
        picker.exec();
    };

    connect(mGrid, &FlexGrid::doubleClicked, this, &NotificationCardWindow::onGridDoubleClicked);
    connect(mGrid, &FlexGrid::keyPress, this, &NotificationCardWindow::onGridKeyPress);
    connect(mUpButton, &QPushButton::clicked, this, &NotificationCardWindow::onUpClicked);
    connect(mDownButton, &QPushButton::clicked, this, &NotificationCardWindow::onDownClicked);
    connect(mPupilCheck, &QCheckBox::toggled, this, &NotificationCardWindow::onPupilCheckToggled);
    connect(mPrintButton, &QPushButton::clicked, this, &NotificationCardWindow::onPrintClicked);
    mGrid->setFocus();
}

QList<NotificationTestRow> NotificationCardWindow::testRows() const
{
    QList<NotificationTestRow> rows;
    for (int r = 1; r < mGrid->Rows(); ++r)
        rows.append({mGrid->TextMatrix(r, 0).toInt(), mGrid->TextMatrix(r, PrintCol) == kMark,
                     mGrid->TextMatrix(r, GraphCol) == kMark});
    return rows;
}

void NotificationCardWindow::toggleMark()
{
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    if (row < 1 || row >= mGrid->Rows() || (col != PrintCol && col != GraphCol)) return;
    mGrid->setTextMatrix(row, col, mGrid->TextMatrix(row, col) == kMark ? QString() : kMark);
}

void NotificationCardWindow::onGridDoubleClicked()
{
    toggleMark();
}

void NotificationCardWindow::onGridKeyPress(int keyAscii)
{
    if (keyAscii == 32) toggleMark();
}

void NotificationCardWindow::moveRow(int step)
{
    const int from = mGrid->Row();
    const int to = from + step;
    if (from < 1 || to < 1 || to >= mGrid->Rows()) return;
    for (int c = 0; c < mGrid->Cols(); ++c) {
        const QString text = mGrid->TextMatrix(from, c);
        mGrid->setTextMatrix(from, c, mGrid->TextMatrix(to, c));
        mGrid->setTextMatrix(to, c, text);
    }
    mGrid->setRow(to);
    mGrid->setRowSel(to);
}

void NotificationCardWindow::onUpClicked()
{
    moveRow(-1);
}

void NotificationCardWindow::onDownClicked()
{
    moveRow(1);
}

void NotificationCardWindow::onPupilCheckToggled(bool checked)
{
    if (checked) choosePupils();
    mClassList->setEnabled(!checked);
}

void NotificationCardWindow::onPrintClicked()
{
    GradeData& gd = mSession.gd;
    QList<int> tests;
    QList<int> graphed;
    SplitNotificationRows(testRows(), tests, graphed);
    const bool byPupil = mPupilCheck->isChecked();
    CardPupils pupils;
    pupils.classes = selectedClasses();
    if (tests.isEmpty() || (!byPupil && pupils.classes.isEmpty())) return;
    if (byPupil) {
        pupils.chosenOnly = true;
        for (int s = 1; s <= qBound(0, gd.studentCount, int(Limits::Students)); ++s)
            if (gd.studentSelected[s]) pupils.chosen.insert(CardPupils::seat(gd.studentClass[s], gd.studentNumber[s]));
        if (pupils.chosen.isEmpty()) {
            ShowMessage(QStringLiteral("印刷する生徒が選ばれていません。"), MsgButtons::Ok, MsgIcon::Information, 1,
                        QString(), this);
            return;
        }
    }
    CardJob job;
    job.documentName = QStringLiteral("テスト成績表(通知票用)");
    job.tests = tests;
    job.paper = QPageSize::JisB5;
    job.fitProblem = [&](QSizeF sheet) {
        return NotificationCardFitProblem(sheet, int(tests.size()), int(graphed.size()));
    };
    job.print = [&](PageCanvas& canvas, const TestSeries& series) {
        return PrintNotificationCards(canvas, gd, series, graphed, pupils, [this](int p) { showProgress(p); });
    };
    if (runCardJob(job)) accept();
}

} // namespace seiran
