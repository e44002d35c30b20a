// The report cards from the main window's page "懇談資料": the buttons open the real windows on
// the grade's lists, and opening the test report card empties the main window's test choice.
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "NotificationCardWindow.h"
#include "ProgramFixture.h"
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
        test::ProgramFixture p;
        p.setStored(QStringLiteral("Data_dir"), fx.folder());
        ScriptedMessages messages;
        const auto window = p.start();
        MainWindow& w = *window;
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
            test::ModalAnswer<ReportCardWindow> close([&](ReportCardWindow* window) {
                tests = window->mTestList->count();
                classes = window->mClassList->count();
                window->reject();
            });
            w.onReportCardClicked();
            QVERIFY(close.answered());
        }
        QCOMPARE(tests, 3);
        QCOMPARE(classes, 2);
        QCOMPARE(w.mTestCombo->count(), 0);

        int rows = -1;
        {
            test::ModalAnswer<NotificationCardWindow> close([&](NotificationCardWindow* window) {
                rows = window->testRows().size();
                window->reject();
            });
            w.onNotificationCardClicked();
            QVERIFY(close.answered());
        }
        QCOMPARE(rows, 3);
    }
};

QTEST_MAIN(CardsMenuTest)
#include "tst_cardsmenu.moc"
