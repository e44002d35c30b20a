#include "frmSelectTest2.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"
#include "frmSelectTest.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
constexpr int kMaxTestRows = 50;
}

frmSelectTest2::frmSelectTest2(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("テストの選択"));

    Label1 = PickerHeading(QStringLiteral("教科とテスト名を選んでください(テスト名と複数選択可）"), this);
    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List_test_name = new QListWidget(this);
    List_test_name->setSelectionMode(QAbstractItemView::MultiSelection);
    Command2 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Command2->setDefault(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(List1, 1);
    lists->addWidget(List_test_name, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(List1, &QListWidget::currentRowChanged, this, &frmSelectTest2::List1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectTest2::Command2_Click);

    // A choice left from an earlier opening must not open score entry when this one is closed.
    GradeData& gd = mSession.gd;
    gd.selectedItemCount = 0;
    const int subjects = qBound(0, gd.subjectCount, int(Limits::Subjects));
    for (int k = 1; k <= subjects; ++k)
        List1->addItem(gd.subjectNames[k]);
    if (subjects > 0) List1->setCurrentRow(0);
}

void frmSelectTest2::List1_Click()
{
    const GradeData& gd = mSession.gd;
    const int k = List1->currentRow() + 1;
    List_test_name->clear();
    mRowTest.clear();
    if (k < 1) return;
    const int tests = qBound(0, gd.testCount, int(Limits::Tests));
    for (int t = 1; t <= tests && mRowTest.size() < kMaxTestRows; ++t) {
        if (gd.testSubjectCount[t] >= k) {
            List_test_name->addItem(TestPickerName(gd.testNames[t]));
            mRowTest.append(t);
        }
    }
    if (!mRowTest.isEmpty()) List_test_name->setCurrentRow(0);
}

void frmSelectTest2::Command2_Click()
{
    GradeData& gd = mSession.gd;
    gd.selectedItemCount = 0;
    for (int r = 0; r < List_test_name->count() && r < mRowTest.size(); ++r) {
        if (!List_test_name->item(r)->isSelected() || gd.selectedItemCount >= Limits::Tests) continue;
        ++gd.selectedItemCount;
        gd.selectedItems[gd.selectedItemCount] = mRowTest.at(r);
    }
    gd.evalSubject = List1->currentRow() + 1;
    accept();
}

} // namespace seiran
