#include "CareerListWindow.h"

#include "CareerList.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridWindow.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "RosterFile.h"
#include "Session.h"
#include "WindowSize.h"

#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

namespace seiran {

namespace {
constexpr int MinWidthTwips = 9000;
constexpr int MinHeightTwips = 4500;
} // namespace

CareerListWindow::CareerListWindow(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("進路希望・内申点一覧表"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    mGrid = new FlexGrid(this);
    mCopyButton = new QPushButton(QStringLiteral("コピー"), this);
    mCopyWithNamesButton = new QPushButton(QStringLiteral("氏名・項目付コピー"), this);
    mMinSizeLabel = new QLabel(QStringLiteral("MinSize"), this);
    mMinSizeLabel->setVisible(false);
    mMinSizeLabel->move(MinWidthTwips / TwipsPerPixel, MinHeightTwips / TwipsPerPixel);
    setMinimumSize(mMinSizeLabel->x(), mMinSizeLabel->y());

    connect(mCopyButton, &QPushButton::clicked, this, &CareerListWindow::onCopyClicked);
    connect(mCopyWithNamesButton, &QPushButton::clicked, this, &CareerListWindow::onCopyWithNamesClicked);
    connect(mGrid, &FlexGrid::wheel, this, &CareerListWindow::onGridWheel);

    load();
    fill();
    ResizeToOpen(this, contentSize());
    layoutControls();
}

void CareerListWindow::load()
{
    GradeData& gd = mSession.gd;
    Result r = LoadHighSchoolList(gd, mSession.programFolder, mSession.notice);
    if (r) r = LoadCareerChoices(gd, mSession.progress);
    if (r) r = LoadNaishin(gd, mSession.progress);
    if (!r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        gd.studentCount = 0;
    }
}

void CareerListWindow::fill()
{
    const GradeData& gd = mSession.gd;
    const CareerListTable table = BuildCareerList(gd);
    mGrid->setCols(CareerListColumn::Count);
    mGrid->setRows(1 + int(table.rows.size()));
    mGrid->setFixedRows(1);
    mGrid->setFixedCols(0);
    for (int c = 0; c < CareerListColumn::Count; ++c)
        mGrid->setTextMatrix(0, c, table.header.at(c));
    for (int r = 0; r < table.rows.size(); ++r)
        for (int c = 0; c < CareerListColumn::Count; ++c)
            mGrid->setTextMatrix(r + 1, c, table.rows.at(r).at(c));

    // School and course columns are a tenth wider than the widest name of the list.
    int school = 0;
    int course = 0;
    for (int h = 1; h <= qBound(0, gd.highSchoolCount, int(Limits::HighSchools)); ++h) {
        school = qMax(school, MeasuredColWidth(mGrid, gd.highSchoolNames[h].trimmed()));
        course = qMax(course, MeasuredColWidth(mGrid, gd.highSchoolCourses[h].trimmed()));
    }
    mGrid->setColWidth(CareerListColumn::Number, MeasuredColWidth(mGrid, QStringLiteral("12345")));
    mGrid->setColWidth(CareerListColumn::Name, MeasuredColWidth(mGrid, QStringLiteral("12345678901234")));
    for (int k = 0; k < 3; ++k) {
        mGrid->setColWidth(CareerListColumn::FirstSchool + 2 * k, qMax(school * 11 / 10, 40));
        mGrid->setColWidth(CareerListColumn::FirstSchool + 2 * k + 1, qMax(course * 11 / 10, 40));
    }
    for (int c = CareerListColumn::FirstPoint; c < CareerListColumn::Count; ++c) {
        mGrid->setColWidth(c, MeasuredColWidth(mGrid, QStringLiteral("12345")));
        mGrid->setColAlignment(c, Qt::AlignCenter);
    }
    // No fixed columns, so that a selection can take the pupil number and the name.
    mGrid->setTopRow(1);
    if (mGrid->Rows() > 1) {
        mGrid->setRow(1);
        mGrid->setCol(0);
    }
}

void CareerListWindow::onCopyClicked()
{
    PutOnClipboard(SelectionCopyText(mGrid));
    mGrid->setFocus();
}

void CareerListWindow::onCopyWithNamesClicked()
{
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    PutOnClipboard(BuildCareerCopyWithNames([this](int r, int c) { return mGrid->TextMatrix(r, c); }, range));
    mGrid->setFocus();
}

void CareerListWindow::onGridWheel(int direction)
{
    if (mGrid->Rows() <= 1) return;
    const int top = mGrid->TopRow();
    const int next = direction > 0 ? qMax(1, top - 2) : qMin(mGrid->Rows() - 1, top + 2);
    if (next != top) mGrid->setTopRow(next);
}

void CareerListWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (width() < mMinSizeLabel->x() || height() < mMinSizeLabel->y()) {
        resize(qMax(width(), mMinSizeLabel->x()), qMax(height(), mMinSizeLabel->y()));
        return;
    }
    layoutControls();
}

int CareerListWindow::copyButtonWidth() const
{
    return qMax(100, mCopyButton->sizeHint().width());
}

int CareerListWindow::copyWithNamesButtonWidth() const
{
    return qMax(160, mCopyWithNamesButton->sizeHint().width());
}

QSize CareerListWindow::contentSize() const
{
    constexpr int m = WindowMargin;
    const QSize grid = mGrid->sizeHint();
    const int buttons = copyButtonWidth() + m + copyWithNamesButtonWidth();
    return {qMax(grid.width(), buttons) + 2 * m, grid.height() + mCopyButton->sizeHint().height() + 3 * m};
}

void CareerListWindow::layoutControls()
{
    constexpr int m = WindowMargin;
    const int buttonHeight = mCopyButton->sizeHint().height();
    const int buttonTop = height() - m - buttonHeight;
    mGrid->setGeometry(m, m, qMax(0, width() - 2 * m), qMax(0, buttonTop - 2 * m));
    const int copyWidth = copyButtonWidth();
    mCopyButton->setGeometry(m, buttonTop, copyWidth, buttonHeight);
    mCopyWithNamesButton->setGeometry(m + copyWidth + m, buttonTop, copyWithNamesButtonWidth(), buttonHeight);
}

} // namespace seiran
