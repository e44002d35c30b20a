#include "SubjectTestsPicker.h"

#include "GradeData.h"
#include "PickerLayout.h"
#include "Session.h"
#include "TestPicker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
constexpr int kMaxTestRows = 50;
}

SubjectTestsPicker::SubjectTestsPicker(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("テストの選択"));

    mPromptLabel = PickerHeading(QStringLiteral("教科とテスト名を選んでください(テスト名と複数選択可）"), this);
    mSubjectList = new QListWidget(this);
    mSubjectList->setSelectionMode(QAbstractItemView::SingleSelection);
    mTestList = new QListWidget(this);
    mTestList->setSelectionMode(QAbstractItemView::MultiSelection);
    mOkButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    mOkButton->setDefault(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(mSubjectList, 1);
    lists->addWidget(mTestList, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mPromptLabel);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(mSubjectList, &QListWidget::currentRowChanged, this, &SubjectTestsPicker::onSubjectClicked);
    connect(mOkButton, &QPushButton::clicked, this, &SubjectTestsPicker::onOkClicked);

    // A choice left from an earlier opening must not open score entry when this one is closed.
    GradeData& gd = mSession.gd;
    gd.selectedItemCount = 0;
    const int subjects = qBound(0, gd.subjectCount, int(Limits::Subjects));
    for (int k = 1; k <= subjects; ++k)
        mSubjectList->addItem(gd.subjectNames[k]);
    if (subjects > 0) mSubjectList->setCurrentRow(0);
}

void SubjectTestsPicker::onSubjectClicked()
{
    const GradeData& gd = mSession.gd;
    const int k = mSubjectList->currentRow() + 1;
    mTestList->clear();
    mRowTest.clear();
    if (k < 1) return;
    const int tests = qBound(0, gd.testCount, int(Limits::Tests));
    for (int t = 1; t <= tests && mRowTest.size() < kMaxTestRows; ++t) {
        if (gd.testSubjectCount[t] >= k) {
            mTestList->addItem(TestPickerName(gd.testNames[t]));
            mRowTest.append(t);
        }
    }
    if (!mRowTest.isEmpty()) mTestList->setCurrentRow(0);
}

void SubjectTestsPicker::onOkClicked()
{
    GradeData& gd = mSession.gd;
    gd.selectedItemCount = 0;
    for (int r = 0; r < mTestList->count() && r < mRowTest.size(); ++r) {
        if (!mTestList->item(r)->isSelected() || gd.selectedItemCount >= Limits::Tests) continue;
        ++gd.selectedItemCount;
        gd.selectedItems[gd.selectedItemCount] = mRowTest.at(r);
    }
    gd.evalSubject = mSubjectList->currentRow() + 1;
    accept();
}

} // namespace seiran
