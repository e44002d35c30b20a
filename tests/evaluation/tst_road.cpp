// From the menu button to the evaluation screen in the real main window, on a sample grade.
#include "EvaluationSetupWindow.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "HyoteiWindow.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "ProgramFixture.h"
#include "ReportFonts.h"
#include "SampleGrade.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace seiran;

class RoadTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void fromTheMenuToTheLevels()
    {
        test::ProgramFixture p;
        QVERIFY(p.useSample(2, 3, 30));
        ScriptedMessages messages;
        const auto window = p.start();
        MainWindow& w = *window;
        w.mGradeCombo->setCurrentIndex(1);
        QVERIFY(w.mHyoteiButton->isEnabled());

        // Left without a choice: no evaluation screen.
        messages.queue(MsgAnswer::Yes);
        test::ModalAnswer<EvaluationSetupWindow> cancel([](EvaluationSetupWindow* s) { s->mCancelButton->click(); });
        w.mHyoteiButton->click();
        QVERIFY(cancel.answered());
        QCOMPARE(w.gd().selectedItemCount, 0);

        int pupils = 0;
        QString firstLevel;
        test::ModalAnswer<EvaluationSetupWindow> setup([](EvaluationSetupWindow* s) {
            s->mSubjectList->setCurrentRow(2);
            s->mTestGrid->setTextMatrix(1, 1, QStringLiteral("1"));
            s->mTestGrid->setTextMatrix(2, 1, QStringLiteral("0.5"));
            s->mComputeButton->click();
        });
        test::ModalAnswer<HyoteiWindow> evaluation([&](HyoteiWindow* h) {
            pupils = h->run()->pupilCount;
            firstLevel = h->mGrid->TextMatrix(2, 4);
            h->mCloseButton->click();
        });
        w.mHyoteiButton->click();
        QVERIFY(setup.answered());
        QVERIFY(evaluation.answered());
        QCOMPARE(w.gd().evalSubject, 3);
        QCOMPARE(w.gd().selectedItemCount, 2);
        QVERIFY(pupils > 60);
        QCOMPARE(w.gd().studentCount, pupils);
        QCOMPARE(firstLevel, QStringLiteral("5"));
    }
};

QTEST_MAIN(RoadTest)
#include "tst_road.moc"
