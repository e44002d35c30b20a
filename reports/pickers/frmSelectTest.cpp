#include "frmSelectTest.h"

#include "Beep.h"
#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace seiran {

namespace {

// Draws a test row as two columns, the name and "(n科目)", so that the counts line up in a
// proportional font; the row's text stays as it is.
class TestRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        const qsizetype split = text.lastIndexOf(QLatin1Char('('));
        if (split < 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect r = opt.rect.adjusted(4, 0, -4, 0);
        const int countLeft = r.left() + opt.fontMetrics.horizontalAdvance(QString(14, QChar(0x3000)));
        painter->save();
        painter->setPen(opt.palette.color(
            QPalette::Normal, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(r.left(), r.top(), countLeft - r.left(), r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          opt.fontMetrics.elidedText(text.left(split).trimmed(), Qt::ElideRight, countLeft - r.left()));
        painter->drawText(QRect(countLeft, r.top(), r.right() - countLeft, r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text.mid(split));
        painter->restore();
    }
};

} // namespace

QString TestPickerName(const QString& name)
{
    return name.left(20).leftJustified(20, QLatin1Char(' '));
}

QString TestPickerRow(const QString& name, int subjectCount)
{
    return TestPickerName(name) + QStringLiteral("(") + QString::number(subjectCount) + QStringLiteral("科目)");
}

frmSelectTest::frmSelectTest(Session& session, QComboBox* comTest, QWidget* parent)
    : QDialog(parent), mSession(session), mComTest(comTest)
{
    setWindowTitle(QStringLiteral("テストの選択"));

    Label1 = PickerHeading(QStringLiteral("テスト名を選んでください"), this);
    List_test_name = new QListWidget(this);
    List_test_name->setSelectionMode(QAbstractItemView::SingleSelection);
    List_test_name->setItemDelegate(new TestRowDelegate(List_test_name));
    Command2 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Command1 = new QPushButton(QStringLiteral("中止"), this);
    Command2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(List_test_name, 1);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(Command2, &QPushButton::clicked, this, &frmSelectTest::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSelectTest::Command1_Click);
    connect(List_test_name, &QListWidget::itemDoubleClicked, this, &frmSelectTest::Command2_Click);

    const GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.testCount, int(Limits::Tests));
    {
        // Filling the main window's list must not choose a test: only "ＯＫ" does.
        const QSignalBlocker blocker(mComTest);
        mComTest->clear();
        for (int t = 1; t <= count; ++t)
            mComTest->addItem(gd.testNames[t]);
        mComTest->setCurrentIndex(-1);
    }
    for (int t = 1; t <= count; ++t)
        List_test_name->addItem(TestPickerRow(gd.testNames[t], gd.testSubjectCount[t]));
    if (count > 0) List_test_name->setCurrentRow(0);
}

void frmSelectTest::Command2_Click()
{
    const int row = List_test_name->currentRow();
    if (row < 0 || row >= mComTest->count()) {
        Beep();
        return;
    }
    mComTest->setCurrentIndex(row);
    accept();
}

void frmSelectTest::Command1_Click()
{
    reject();
}

void frmSelectTest::reject()
{
    // Closing the window by its frame is a cancel too, so no earlier test stays chosen.
    mSession.gd.currentTest = -1;
    QDialog::reject();
}

} // namespace seiran
