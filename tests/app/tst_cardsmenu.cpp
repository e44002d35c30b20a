// The report cards from the main window's page "懇談資料": the buttons open the real windows on
// the grade's lists, and opening the test report card empties the main window's test choice.
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "NotificationCardWindow.h"
#include "ReportCardWindow.h"
#include "Screens.h"
#include "SettingsStore.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace seiran;

namespace {
// Runs `action` on the next modal window of type T, then closes it.
template <typename T> class CloseModal
{
public:
    explicit CloseModal(std::function<void(T*)> action) : mAction(std::move(action))
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                mTimer.stop();
                mAction(window);
                window->reject();
                mSeen = true;
            }
        });
        mTimer.start();
    }
    bool seen() const { return mSeen; }

private:
    std::function<void(T*)> mAction;
    QTimer mTimer;
    bool mSeen = false;
};
} // namespace

class CardsMenuTest : public QObject
{
    Q_OBJECT
private slots:
    void buttonsOpenTheCardWindows()
    {
        QVERIFY(ScreenAvailable(Screen::ReportCard));
        QVERIFY(ScreenAvailable(Screen::NotificationCard));
        QCOMPARE(FindScreen(Screen::ReportCard)->preparation, Preparation::Grade);
        QCOMPARE(FindScreen(Screen::NotificationCard)->preparation, Preparation::Grade);

        test::GradeFixture fx(1, 2);
        fx.writeStandard({{1, 1, QStringLiteral("青木一郎"), 1, {60, 70, 80, 90, 100}, 1},
                          {2, 5, QStringLiteral("山田花子"), 2, {50, 50, 50, 50, 50}, 1}});
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        settings.setValue(QStringLiteral("Data_dir"), fx.folder());
        settings.sync();
        ScriptedMessages messages;
        MainWindow w(dir.path(), settings);
        QVERIFY(w.mReportCardButton->isEnabled());
        QVERIFY(w.mNotificationCardButton->isEnabled());
        QCOMPARE(w.mReportCardButton->text(), QStringLiteral("テスト成績表作成"));
        QCOMPARE(w.mNotificationCardButton->text(), QStringLiteral("テスト成績表（通知票）"));
        w.onTalkMenuClicked();
        // A picture of the page for a person to look at, when SEIRAN_SCREENSHOTS names a folder.
        if (const QString shots = qEnvironmentVariable("SEIRAN_SCREENSHOTS"); !shots.isEmpty()) {
            w.show();
            QCoreApplication::processEvents();
            w.grab().save(shots + QStringLiteral("/talkpage.png"));
        }
        w.mGradeCombo->setCurrentIndex(0);
        w.mTestCombo->addItem(QStringLiteral("1学期中間"));

        int tests = -1;
        int classes = -1;
        {
            CloseModal<ReportCardWindow> close([&](ReportCardWindow* window) {
                tests = window->mTestList->count();
                classes = window->mClassList->count();
            });
            w.onReportCardClicked();
            QVERIFY(close.seen());
        }
        QCOMPARE(tests, 3);
        QCOMPARE(classes, 2);
        QCOMPARE(w.mTestCombo->count(), 0);

        int rows = -1;
        {
            CloseModal<NotificationCardWindow> close(
                [&](NotificationCardWindow* window) { rows = window->testRows().size(); });
            w.onNotificationCardClicked();
            QVERIFY(close.seen());
        }
        QCOMPARE(rows, 3);
    }
};

QTEST_MAIN(CardsMenuTest)
#include "tst_cardsmenu.moc"
