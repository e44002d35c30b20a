// The graph screens opened from the main menu on a sample grade, as a teacher reaches them:
// the distribution graph and the handout on the test-summary page, the trend graph on its own.
// With SEIRAN_SCREENSHOTS set to a folder, each window is saved there as a PNG.
#include "DistributionGraphWindow.h"
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PreviewPane.h"
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

// Acts on the next modal window of type T from inside its own event loop.
template <typename T> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(T*)> action) : mAction(std::move(action))
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                mTimer.stop();
                mAnswered = true;
                mAction(window);
            }
        });
        mTimer.start();
    }
    bool answered() const { return mAnswered; }

private:
    std::function<void(T*)> mAction;
    QTimer mTimer;
    bool mAnswered = false;
};

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
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(data));
        SampleOptions options;
        options.grade = 1;
        options.classes = 3;
        options.pupils = 30;
        QVERIFY(WriteSampleGrade(data, options).ok);
        const QString program = dir.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(program));
        const QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));
        {
            SettingsStore s(settingsPath);
            s.setValue(QStringLiteral("Data_dir"), data + u'/');
            s.sync();
        }
        SettingsStore settings(settingsPath);
        ScriptedMessages messages;
        MainWindow w(program, settings);
        w.show();
        QVERIFY(w.mDistributionGraphButton->isEnabled());
        QVERIFY(w.mTestSummaryButton->isEnabled());
        QVERIFY(w.mTrendGraphButton->isEnabled());

        w.mGradeCombo->setCurrentIndex(0);
        w.onTestMenuClicked();
        {
            ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
            w.onTestReportsClicked();
            QVERIFY(first.answered());
        }
        QCOMPARE(w.gd().currentTest, 1);

        {
            ModalAnswer<DistributionGraphWindow> graph([](DistributionGraphWindow* g) {
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
            ModalAnswer<TestSummaryWindow> summary([](TestSummaryWindow* t) {
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
            ModalAnswer<TrendGraphWindow> trend([&](TrendGraphWindow* t) {
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
