#include "frmSelectTest.h"

#include "Beep.h"
#include "GradeData.h"
#include "Session.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace seiran {

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

    Label1 = new QLabel(QStringLiteral("テスト名を選んでください"), this);
    Label1->setFrameShape(QFrame::Panel);
    Label1->setFrameShadow(QFrame::Raised);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumHeight(32);
    List_test_name = new QListWidget(this);
    List_test_name->setSelectionMode(QAbstractItemView::SingleSelection);
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
