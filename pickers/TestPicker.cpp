#include "TestPicker.h"

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

TestPicker::TestPicker(Session& session, QComboBox* testCombo, QWidget* parent)
    : QDialog(parent), mSession(session), mTestCombo(testCombo)
{
    setWindowTitle(QStringLiteral("テストの選択"));

    mPromptLabel = PickerHeading(QStringLiteral("テスト名を選んでください"), this);
    mTestList = new QListWidget(this);
    mTestList->setSelectionMode(QAbstractItemView::SingleSelection);
    mTestList->setItemDelegate(new TestRowDelegate(mTestList));
    mOkButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);
    mOkButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mPromptLabel);
    layout->addWidget(mTestList, 1);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(mOkButton, &QPushButton::clicked, this, &TestPicker::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &TestPicker::onCancelClicked);
    connect(mTestList, &QListWidget::itemDoubleClicked, this, &TestPicker::onOkClicked);

    const GradeData& gd = mSession.gd;
    const int count = qBound(0, gd.testCount, int(Limits::Tests));
    {
        // Filling the main window's list must not choose a test: only "ＯＫ" does.
        const QSignalBlocker blocker(mTestCombo);
        mTestCombo->clear();
        for (int t = 1; t <= count; ++t)
            mTestCombo->addItem(gd.testNames[t]);
        mTestCombo->setCurrentIndex(-1);
    }
    for (int t = 1; t <= count; ++t)
        mTestList->addItem(TestPickerRow(gd.testNames[t], gd.testSubjectCount[t]));
    if (count > 0) mTestList->setCurrentRow(0);
}

void TestPicker::onOkClicked()
{
    const int row = mTestList->currentRow();
    if (row < 0 || row >= mTestCombo->count()) {
        Beep();
        return;
    }
    mTestCombo->setCurrentIndex(row);
    accept();
}

void TestPicker::onCancelClicked()
{
    reject();
}

void TestPicker::reject()
{
    // Closing the window by its frame is a cancel too, so no earlier test stays chosen.
    mSession.gd.currentTest = -1;
    QDialog::reject();
}

} // namespace seiran
