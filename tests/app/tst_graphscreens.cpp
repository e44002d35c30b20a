// The graph screens opened from the main menu on a sample grade, as a teacher reaches them:
// the distribution graph and the handout on the test-summary page, the trend graph on its own.
// With SEIRAN_SCREENSHOTS set to a folder, each window is saved there as a PNG.
#include "DistributionGraphWindow.h"
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "PreviewPane.h"
#include "ProgramFixture.h"
#include "SampleGrade.h"
#include "SettingsStore.h"
#include "TestPicker.h"
#include "TestSummaryWindow.h"
#include "TrendGraphWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace seiran;

namespace {

void screenshot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
} // namespace

class GraphScreensTest : public QObject
{
    Q_OBJECT
private slots:
    void fromTheMenu()
    {
        test::ProgramFixture p;
        QVERIFY(p.useSample(1, 3, 30));
        ScriptedMessages messages;
        const auto window = p.start();
        MainWindow& w = *window;
        w.show();
        QVERIFY(w.mDistributionGraphButton->isEnabled());
        QVERIFY(w.mTestSummaryButton->isEnabled());
        QVERIFY(w.mTrendGraphButton->isEnabled());

        w.mGradeCombo->setCurrentIndex(0);
        w.onTestMenuClicked();
        {
            test::ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
            w.onTestReportsClicked();
            QVERIFY(first.answered());
        }
        QCOMPARE(w.gd().currentTest, 1);

        {
            test::ModalAnswer<DistributionGraphWindow> graph([](DistributionGraphWindow* g) {
                g->resize(1000, 760);
                QVERIFY(g->mItemCombo->count() >= 6);
                g->mItemCombo->setCurrentIndex(1);
                screenshot(g, QStringLiteral("distribution-graph"));
                g->reject();
            });
            QTest::mouseClick(w.mDistributionGraphButton, Qt::LeftButton);
            QVERIFY(graph.answered());
        }
        {
            test::ModalAnswer<TestSummaryWindow> summary([](TestSummaryWindow* t) {
                t->resize(1000, 760);
                screenshot(t, QStringLiteral("test-summary-portrait"));
                t->mLandscapeRadio->setChecked(true);
                screenshot(t, QStringLiteral("test-summary-landscape"));
                t->reject();
            });
            QTest::mouseClick(w.mTestSummaryButton, Qt::LeftButton);
            QVERIFY(summary.answered());
        }
        QCOMPARE(w.mTestCombo->count(), 8);

        // The trend graph reads its tests itself: the main window's test list is emptied.
        w.returnToTestMenu();
        int testsWhileOpen = -1;
        {
            test::ModalAnswer<TrendGraphWindow> trend([&](TrendGraphWindow* t) {
                testsWhileOpen = w.mTestCombo->count();
                t->mTestList->item(0)->setSelected(true);
                t->mTestList->item(1)->setSelected(true);
                screenshot(t, QStringLiteral("trend-graph"));
                t->reject();
            });
            w.onTrendGraphClicked();
            QVERIFY(trend.answered());
        }
        QCOMPARE(testsWhileOpen, 0);
        QVERIFY(messages.asked().isEmpty());
    }
};

QTEST_MAIN(GraphScreensTest)
#include "tst_graphscreens.moc"
