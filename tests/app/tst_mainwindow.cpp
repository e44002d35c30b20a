#include "Beep.h"
#include "DataFolderDialog.h"
#include "FolderBrowser.h"
#include "GradeData.h"
#include "GradeDialog.h"
#include "GradeLock.h"
#include "HelpViewer.h"
#include "HostIdentity.h"
#include "MainWindow.h"
#include "MenuPages.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "NewRosterWindow.h"
#include "ProgramFixture.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "SubjectTestsPicker.h"
#include "TestPicker.h"
#include "TestSupport.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QtTest>
#ifdef Q_OS_LINUX
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace seiran;

namespace {

// The shared program fixture, its windows' screens recorded instead of opened.
struct Program : test::ProgramFixture
{
    QList<Screen> opened;

    // The window with every screen of the menu present (what each command prepares is the
    // same whether its screen is built yet or not), or with the program's own screen table.
    std::unique_ptr<MainWindow> start(bool everyScreen = true)
    {
        auto w = ProgramFixture::start();
        if (everyScreen) w->setScreenTable(EveryScreen());
        w->setScreenRunner([this](Screen s) { opened.append(s); });
        return w;
    }

    // What each menu command prepares before its screen opens.
    static QList<ScreenLine> EveryScreen()
    {
        return {{Screen::ScoreEntry, Preparation::GradeAndTest, nullptr},
                {Screen::SubjectScoreEntry, Preparation::GradeAndSubjectTests, nullptr},
                {Screen::RawScoreReport, Preparation::None, nullptr},
                {Screen::AveragesReport, Preparation::None, nullptr},
                {Screen::RankTable, Preparation::None, nullptr},
                {Screen::DeviationReport, Preparation::None, nullptr},
                {Screen::DistributionGraph, Preparation::None, nullptr},
                {Screen::TestSummary, Preparation::None, nullptr},
                {Screen::EvaluationSetup, Preparation::Grade, nullptr},
                {Screen::Hyotei, Preparation::EvaluationChosen, nullptr},
                {Screen::NaishinEntry, Preparation::GradeAndNaishin, nullptr},
                {Screen::CareerChoiceEntry, Preparation::GradeAndChoices, nullptr},
                {Screen::TargetSchoolList, Preparation::GradeChoicesNaishin, nullptr},
                {Screen::CareerGuidance, Preparation::GradeChoicesNaishin, nullptr},
                {Screen::RosterEditor, Preparation::Grade, nullptr},
                {Screen::Promotion, Preparation::Grade, nullptr},
                {Screen::ReportCard, Preparation::Grade, nullptr},
                {Screen::TrendGraph, Preparation::Grade, nullptr},
                {Screen::NotificationCard, Preparation::Grade, nullptr},
                {Screen::SubjectEditor, Preparation::GradeChosen, nullptr},
                {Screen::TestEditor, Preparation::GradeChosen, nullptr},
                {Screen::HighSchoolEditor, Preparation::None, nullptr},
                {Screen::SnapshotRestore, Preparation::GradeChosen, nullptr}};
    }
};

const QString kIniQuestion = QStringLiteral("標準の初期設定ファイルがあります\r\n\r\n設定しますか？");

} // namespace

class TestMaster : public QObject
{
    Q_OBJECT

private slots:
    void startUpWithNothingStored();
    void iniQuestion_data();
    void iniQuestion();
    void storedValuesAreClamped();
    void finalSeparatorRule_data();
    void finalSeparatorRule();
    void dataFolderField();
    void pagesAndEnablingRules();
    void returnToMasterResetsTheGrade();
    void commandAbandonedWithoutGrade();
    void missingGradeFilesAreExplained();
    void commandsPrepareTheirData();
    void entryScreensNeedPupils();
    void dataFolderFieldConfirmsOnlyWhenLeft();
    void testChoiceLoadsAndAggregates();
    void subjectTestsChoiceOpensEntryBySubject();
    void unavailableScreensAreMarked();
    void newRosterWindowIsModelessAndSetsTheGrade();
    void progressAndNotices();
    void singleInstance();
    void singleInstanceSocket();
    void helpCommand();
    void folderDialog();
    void translationOfQtDialogs();
    void userNameAndOtherUsersOfTheGrade();
};

void TestMaster::startUpWithNothingStored()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    QCOMPARE(w->windowTitle(), QStringLiteral("中学校総合成績処理せいらん Ver.1.0.36"));
    QVERIFY(w->isVisible());
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(w->gd().dataFolder, QDir::homePath() + QStringLiteral("/DATA/"));
    QCOMPARE(w->mDataFolderEdit->text(), w->gd().dataFolder);
    QCOMPARE(w->gd().classLabels, QStringLiteral("123456789"));
    QCOMPARE(w->gd().currentGrade, 0);
    QCOMPARE(w->gd().printMarginLeft, 5);
    QCOMPARE(w->gd().printMarginTop, 3);
    QCOMPARE(w->mGradeCombo->currentIndex(), -1);
    QCOMPARE(w->mGradeCombo->count(), 3);
    QCOMPARE(w->mGradeCombo->itemText(0), QStringLiteral("１年"));
    QCOMPARE(w->mClassModeCombo->currentText(), QStringLiteral("1,2,3型"));
    QCOMPARE(w->mGraphModeCombo->currentText(), QStringLiteral("横型"));
    QCOMPARE(w->mBeepModeCombo->currentText(), QStringLiteral("なし"));
    QCOMPARE(w->mBeepModeCombo->count(), 3);
    QCOMPARE(w->currentPage(), 0);
    QVERIFY(!w->mProgressBar->isVisible());
    QVERIFY(!w->mTestCombo->isEnabled());
    QCOMPARE(w->mBanner->text(), QStringLiteral("成績処理せいらん　２００５　for Ｗｉｎｄｏｗs"));
    QCOMPARE(w->mSelectionFrame->title(), QStringLiteral("現在の処理設定"));
    QCOMPARE(w->mEnvironmentFrame->title(), QStringLiteral("現在の環境設定"));
    // Made smaller than its design size, the window keeps every control readable.
    w->resize(400, 300);
    QCOMPARE(w->size(), QSize(860, 610));
    QVERIFY(w->mBanner->width() >= w->mBanner->sizeHint().width());
    QVERIFY(w->mQuitButton->height() >= 46);
    QCOMPARE(w->session().beepMode(), 0);
    w->mBeepModeCombo->setCurrentIndex(2);
    QCOMPARE(w->session().beepMode(), 2);
    w->mClassModeCombo->setCurrentIndex(1);
    QCOMPARE(w->gd().classLabels, QStringLiteral("ABCDEFGHI"));

    // "終了" writes the four Settings, the folder under the key "Data_dir".
    w->onQuitClicked();
    QVERIFY(!w->isVisible());
    QSettings raw(p.settingsPath, QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("Startup"));
    QVERIFY(raw.childKeys().contains(QStringLiteral("Data_dir")));
    QCOMPARE(p.stored(QStringLiteral("data_dir")), QDir::homePath() + QStringLiteral("/DATA/"));
    QCOMPARE(p.stored(QStringLiteral("Class_mode")), QStringLiteral("1"));
    QCOMPARE(p.stored(QStringLiteral("Graph_mode")), QStringLiteral("0"));
    QCOMPARE(p.stored(QStringLiteral("Beep_mode")), QStringLiteral("2"));
}

void TestMaster::iniQuestion_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("answer"); // 1 Yes, 0 No
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("labels");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("savedClassMode");

    const QByteArray same = "[Startup]\r\ndata_dir=/srv/DATA/\r\nClass_mode=1\r\n";
    QTest::newRow("class mode differs, Yes") << same << 1 << true << "ABCDEFGHI"
                                             << "/srv/DATA/"
                                             << "1";
    QTest::newRow("class mode differs, No") << same << 0 << true << "123456789"
                                            << "/srv/DATA/"
                                            << "0";
    QTest::newRow("folder differs, Yes") << QByteArray("[startup]\r\nDATA_DIR=/srv/other/\r\n") << 1 << true
                                         << "123456789"
                                         << "/srv/other/"
                                         << "0";
    QTest::newRow("nothing differs") << QByteArray("[Startup]\r\ndata_dir=/srv/DATA/\r\nClass_mode=0\r\n") << 1 << false
                                     << "123456789"
                                     << "/srv/DATA/"
                                     << "0";
    QTest::newRow("no Startup section") << QByteArray("[Other]\r\ndata_dir=/x/\r\nClass_mode=1\r\n") << 1 << false
                                        << "123456789"
                                        << "/srv/DATA/"
                                        << "0";
    QTest::newRow("comments only") << QByteArray("[Startup]\r\n;data_dir=C:\\DATA\\\r\n") << 1 << false << "123456789"
                                   << "/srv/DATA/"
                                   << "0";
}

void TestMaster::iniQuestion()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QString, labels);
    QFETCH(QString, folder);
    QFETCH(QString, savedClassMode);

    Program p;
    p.setStored(QStringLiteral("Data_dir"), QStringLiteral("/srv/DATA/"));
    p.setStored(QStringLiteral("Class_mode"), QStringLiteral("0"));
    p.writeIni(ini);
    ScriptedMessages messages;
    messages.queue(answer ? MsgAnswer::Yes : MsgAnswer::No);
    auto w = p.start();
    QCOMPARE(messages.asked().size(), asked ? 1 : 0);
    if (asked) {
        const MessageQuestion q = messages.asked().at(0);
        QCOMPARE(q.text, kIniQuestion);
        QCOMPARE(q.title, QStringLiteral("成績処理せいらん"));
        QCOMPARE(q.buttons, MsgButtons::YesNo);
        QCOMPARE(q.icon, MsgIcon::Question);
    }
    QCOMPARE(w->gd().classLabels, labels);
    QCOMPARE(w->gd().dataFolder, folder);
    QCOMPARE(w->GetIniString(QStringLiteral("Startup"), QStringLiteral("nothing"),
                             QDir(p.folder).filePath(QStringLiteral("seiran.ini"))),
             QStringLiteral("*"));
    w->close();
    QCOMPARE(p.stored(QStringLiteral("Class_mode")), savedClassMode);
    QCOMPARE(p.stored(QStringLiteral("data_dir")), folder);
}

void TestMaster::storedValuesAreClamped()
{
    Program p;
    p.setStored(QStringLiteral("DATA_DIR"), QStringLiteral("  /srv/school  "));
    p.setStored(QStringLiteral("Class_mode"), QStringLiteral("3"));
    p.setStored(QStringLiteral("Graph_mode"), QStringLiteral("abc"));
    p.setStored(QStringLiteral("Beep_mode"), QStringLiteral("5"));
    ScriptedMessages messages;
    auto w = p.start();
    QCOMPARE(w->mBeepModeCombo->currentText(), QStringLiteral("なし"));
    QCOMPARE(w->mClassModeCombo->currentIndex(), 0);
    QCOMPARE(w->mGraphModeCombo->currentIndex(), 0);
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/srv/school/"));
    w->close();
    QCOMPARE(p.stored(QStringLiteral("Beep_mode")), QStringLiteral("0"));
    QCOMPARE(p.stored(QStringLiteral("Class_mode")), QStringLiteral("0"));
    QCOMPARE(p.stored(QStringLiteral("Graph_mode")), QStringLiteral("0"));
    QCOMPARE(p.stored(QStringLiteral("Data_dir")), QStringLiteral("/srv/school/"));

    QCOMPARE(ClampListIndex(-1, 2), 0);
    QCOMPARE(ClampListIndex(2, 2), 2);
    QCOMPARE(IniInteger(QStringLiteral(" 1 ")), 1);
    QCOMPARE(IniInteger(QStringLiteral("1x")), 1);
    QCOMPARE(IniInteger(QStringLiteral("x")), 0);
}

void TestMaster::finalSeparatorRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folder");
    const QString sep = QDir::separator();
    QTest::newRow("separator added") << "/home/t/DATA"
                                     << "/home/t/DATA" + sep;
    QTest::newRow("blanks removed") << "  /home/t/DATA  "
                                    << "/home/t/DATA" + sep;
    QTest::newRow("already final") << "/home/t/DATA/"
                                   << "/home/t/DATA/";
    QTest::newRow("backslash is final") << "C:\\DATA\\"
                                        << "C:\\DATA\\";
    QTest::newRow("empty stays empty") << "   "
                                       << "";
}

void TestMaster::finalSeparatorRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, folder);
    QCOMPARE(WithFinalSeparator(typed), folder);
}

void TestMaster::dataFolderField()
{
    Program p;
    p.setStored(QStringLiteral("Data_dir"), QStringLiteral("/srv/DATA/"));
    ScriptedMessages messages;
    auto w = p.start();

    w->mDataFolderEdit->setText(QStringLiteral(" /srv/new "));
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/srv/DATA/")); // not before the field is left
    w->onDataFolderLeft();
    QCOMPARE(w->mDataFolderEdit->text(), QStringLiteral("/srv/new/"));
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/srv/new/"));

    // An empty field is refused with a beep and shows the folder in use again.
    ResetBeepCount();
    w->mDataFolderEdit->setText(QString());
    w->onDataFolderLeft();
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(w->mDataFolderEdit->text(), QStringLiteral("/srv/new/"));

    // Leaving the field by the focus runs the same rule.
    w->activateWindow();
    w->mDataFolderEdit->setFocus();
    QTRY_VERIFY(w->mDataFolderEdit->hasFocus());
    w->mDataFolderEdit->setText(QStringLiteral("/srv/focus"));
    w->mBeepModeCombo->setFocus();
    QTRY_COMPARE(w->gd().dataFolder, QStringLiteral("/srv/focus/"));

    // A folder typed but not yet left is still what is saved at the end.
    w->mDataFolderEdit->setFocus();
    QTest::keyClicks(w->mDataFolderEdit, QStringLiteral("2"));
    w->close();
    QCOMPARE(p.stored(QStringLiteral("Data_dir")), QStringLiteral("/srv/focus/2/"));
}

void TestMaster::pagesAndEnablingRules()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    const QStringList titles = {QStringLiteral("マスターメニュー"), QStringLiteral("テスト処理"),
                                QStringLiteral("テスト別集計資料"), QStringLiteral("評定・進路の処理"),
                                QStringLiteral("名簿の管理"),       QStringLiteral("懇談資料"),
                                QStringLiteral("基本情報の管理")};
    QCOMPARE(w->mPages->count(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(w->mPages->title(i), titles.at(i));
    // Only the page on screen is laid out at start-up; the others when first shown.
    QVERIFY(w->mPages->titleLabel(0)->isVisible());
    for (int i = 1; i < 7; ++i)
        QVERIFY(!w->mPages->titleLabel(i));

    const QList<QPair<QPushButton*, QPair<int, QPushButton*>>> roads = {
        {w->mTestMenuButton, {1, w->mTestBackButton}},
        {w->mEvaluationMenuButton, {3, w->mEvaluationBackButton}},
        {w->mRosterMenuButton, {4, w->mRosterBackButton}},
        {w->mTalkMenuButton, {5, w->mTalkBackButton}},
        {w->mBasicInfoMenuButton, {6, w->mBasicInfoBackButton}}};
    for (const auto& [forward, target] : roads) {
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(w->currentPage(), target.first);
        QVERIFY(!w->mClassModeCombo->isEnabled());
        QVERIFY(!w->mDataFolderEdit->isEnabled());
        QVERIFY(w->mBeepModeCombo->isEnabled());
        QVERIFY(w->mManualButton->isVisible());
        QVERIFY(target.second->isVisible());
        QCOMPARE(target.second->text(), QStringLiteral("マスターメニューに戻る"));
        QLabel* title = w->mPages->titleLabel(target.first);
        QVERIFY(title && title->isVisible());
        QCOMPARE(title->text(), titles.at(target.first));
        // Laid out under its title, inside the page.
        QVERIFY(target.second->geometry().top() > title->geometry().bottom());
        QVERIFY(w->mPages->widget(target.first)->rect().contains(target.second->geometry()));
        QTest::mouseClick(target.second, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 0);
        QVERIFY(w->mClassModeCombo->isEnabled());
        QVERIFY(w->mDataFolderEdit->isEnabled());
    }

    // Any page change follows the rule, not only the buttons; a page reached that way is laid
    // out as it appears.
    w->mPages->setCurrentIndex(2);
    QVERIFY(!w->mClassModeCombo->isEnabled());
    QVERIFY(w->mPages->titleLabel(2) && w->mPages->titleLabel(2)->isVisible());
    QVERIFY(w->mRawScoreButton->isVisible());
    QVERIFY(w->mRawScoreButton->geometry().top() > w->mPages->titleLabel(2)->geometry().bottom());
    w->mPages->setCurrentIndex(0);
    QVERIFY(w->mDataFolderEdit->isEnabled());
}

void TestMaster::returnToMasterResetsTheGrade()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    w->mGradeCombo->setCurrentIndex(1);
    QCOMPARE(w->gd().currentGrade, 2);
    w->onRosterMenuClicked();
    QCOMPARE(w->gd().currentGrade, 2); // moving among the pages keeps the grade
    w->mRosterBackButton->click();
    QCOMPARE(w->gd().currentGrade, 0);
    QCOMPARE(w->mGradeCombo->currentIndex(), -1);

    // The next command asks for the grade again.
    w->onRosterMenuClicked();
    test::ModalAnswer<GradeDialog> closeIt([](GradeDialog* d) { d->reject(); });
    w->onRosterEditorClicked();
    QVERIFY(closeIt.answered());
    QCOMPARE(w->gd().currentGrade, 0);
}

void TestMaster::commandAbandonedWithoutGrade()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    using Handler = void (MainWindow::*)();
    const QList<Handler> handlers = {&MainWindow::onScoreEntryClicked,   &MainWindow::onSubjectScoreEntryClicked,
                                     &MainWindow::onTestReportsClicked,  &MainWindow::onHyoteiClicked,
                                     &MainWindow::onNaishinEntryClicked, &MainWindow::onCareerChoiceEntryClicked,
                                     &MainWindow::onRosterEditorClicked, &MainWindow::onPromotionClicked,
                                     &MainWindow::onReportCardClicked,   &MainWindow::onSubjectEditorClicked,
                                     &MainWindow::onTestEditorClicked};
    for (Handler handler : handlers) {
        test::ModalAnswer<GradeDialog> closeIt([](GradeDialog* d) { d->close(); });
        (w.get()->*handler)();
        QVERIFY(closeIt.answered());
    }
    QCOMPARE(p.opened.size(), 0);
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(w->currentPage(), 0);
}

void TestMaster::missingGradeFilesAreExplained()
{
    Program p;
    QTemporaryDir data;
    p.setStored(QStringLiteral("Data_dir"), data.path() + QLatin1Char('/'));
    ScriptedMessages messages;
    auto w = p.start();

    test::ModalAnswer<GradeDialog> second([](GradeDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("学年の設定"));
        QCOMPARE(d->mPromptLabel->text(), QStringLiteral("学年を選んでください。"));
        d->onSecondGradeClicked();
    });
    w->onRosterEditorClicked();
    QVERIFY(second.answered());
    QCOMPARE(w->gd().currentGrade, 2);
    QCOMPARE(w->mGradeCombo->currentIndex(), 1);
    QCOMPARE(p.opened.size(), 0);
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QVERIFY2(messages.asked().at(0).text.contains(QStringLiteral("test02.seq")),
             qPrintable(messages.asked().at(0).text));
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("名簿ファイルの新規作成")));

    // A data folder that does not exist is named as such.
    messages.clear();
    w->mDataFolderEdit->setText(data.filePath(QStringLiteral("nowhere")));
    w->onDataFolderLeft();
    w->onRosterEditorClicked();
    QCOMPARE(messages.asked().size(), 1);
    QVERIFY(messages.asked().at(0).text.startsWith(QStringLiteral("データフォルダ")));
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("名簿ファイルの新規作成")));
    QCOMPARE(p.opened.size(), 0);
}

void TestMaster::commandsPrepareTheirData()
{
    test::GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("青木一郎"), 1, {60, 70, 80, 90, 100}, StudentRecord::InUse},
                      {2, 5, QStringLiteral("山田花子"), 2, {50, 50, 50, 50, 50}, StudentRecord::InUse}});
    Program p;
    QVERIFY(QFile::copy(test::StdFilesFolder() + QStringLiteral("/hischool.seq"),
                        QDir(p.folder).filePath(QStringLiteral("hischool.seq"))));
    p.setStored(QStringLiteral("Data_dir"), fx.folder());
    ScriptedMessages messages;
    auto w = p.start();

    // Commands that need no grade.
    w->onHighSchoolEditorClicked();
    w->onRawScoreClicked();
    w->onAveragesClicked();
    w->onRankTableClicked();
    w->onDeviationClicked();
    w->onDistributionGraphClicked();
    w->onTestSummaryClicked();
    QCOMPARE(p.opened,
             QList<Screen>({Screen::HighSchoolEditor, Screen::RawScoreReport, Screen::AveragesReport, Screen::RankTable,
                            Screen::DeviationReport, Screen::DistributionGraph, Screen::TestSummary}));
    QCOMPARE(w->gd().currentGrade, 0);
    p.opened.clear();

    w->mGradeCombo->setCurrentIndex(0);
    w->onRosterEditorClicked();
    QCOMPARE(p.opened, QList<Screen>{Screen::RosterEditor});
    QCOMPARE(w->gd().testCount, 3);
    QCOMPARE(w->gd().subjectCount, 9);
    QCOMPARE(w->gd().classCount, 2);
    QCOMPARE(w->mClassCountEdit->text(), QStringLiteral("2"));

    p.opened.clear();
    w->onNaishinEntryClicked();
    QCOMPARE(w->gd().studentCount, 2);
    w->onCareerChoiceEntryClicked();
    // The data folder has no high-school list yet: the standard one is taken, with a notice.
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QVERIFY(w->gd().highSchoolCount > 1);
    w->onTargetSchoolListClicked();
    w->onCareerGuidanceClicked();
    w->onPromotionClicked();
    w->onReportCardClicked();
    w->onTrendGraphClicked();
    w->onNotificationCardClicked();
    w->onSubjectEditorClicked();
    w->onTestEditorClicked();
    QCOMPARE(p.opened, QList<Screen>({Screen::NaishinEntry, Screen::CareerChoiceEntry, Screen::TargetSchoolList,
                                      Screen::CareerGuidance, Screen::Promotion, Screen::ReportCard, Screen::TrendGraph,
                                      Screen::NotificationCard, Screen::SubjectEditor, Screen::TestEditor}));

    // The evaluation opens only when its setup chose tests in this run.
    p.opened.clear();
    w->gd().selectedItemCount = 2;
    w->onHyoteiClicked();
    QCOMPARE(p.opened, QList<Screen>{Screen::EvaluationSetup});
    w->setScreenRunner([&](Screen s) {
        p.opened.append(s);
        if (s == Screen::EvaluationSetup) w->gd().selectedItemCount = 1;
    });
    w->onHyoteiClicked();
    QCOMPARE(p.opened, QList<Screen>({Screen::EvaluationSetup, Screen::EvaluationSetup, Screen::Hyotei}));
}

void TestMaster::entryScreensNeedPupils()
{
    test::GradeFixture fx(1, 2);
    fx.writeStandard({});
    Program p;
    p.setStored(QStringLiteral("Data_dir"), fx.folder());
    ScriptedMessages messages;
    auto w = p.start();
    w->mGradeCombo->setCurrentIndex(0);
    const QString text =
        QStringLiteral("この学年には生徒が登録されていません。「名簿の管理」→「名簿の入力・編集」で生徒を"
                       "登録してください。");
    w->onNaishinEntryClicked();
    test::ModalAnswer<SubjectTestsPicker> choose([](SubjectTestsPicker* d) {
        d->mTestList->item(0)->setSelected(true);
        d->onOkClicked();
    });
    w->onSubjectScoreEntryClicked();
    QVERIFY(choose.answered());
    QCOMPARE(p.opened.size(), 0);
    QCOMPARE(messages.asked().size(), 2);
    for (const auto& asked : messages.asked())
        QCOMPARE(asked.text, text);
    // The roster editor is where the pupils are registered: it opens.
    w->onRosterEditorClicked();
    QCOMPARE(p.opened, QList<Screen>{Screen::RosterEditor});
}

void TestMaster::testChoiceLoadsAndAggregates()
{
    test::GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("青木一郎"), 1, {60, 70, 80, 90, 100}, StudentRecord::InUse},
                      {2, 5, QStringLiteral("山田花子"), 2, {50, 50, 50, 50, 50}, StudentRecord::InUse}});
    Program p;
    p.setStored(QStringLiteral("Data_dir"), fx.folder());
    ScriptedMessages messages;
    auto w = p.start();
    w->mGradeCombo->setCurrentIndex(0);
    w->onTestMenuClicked();

    // Cancelled: no entry screen.
    {
        test::ModalAnswer<TestPicker> cancel([](TestPicker* d) { d->onCancelClicked(); });
        w->onScoreEntryClicked();
        QVERIFY(cancel.answered());
        QCOMPARE(w->gd().currentTest, -1);
        QCOMPARE(p.opened.size(), 0);
    }
    // Chosen: the test is loaded and aggregated before the entry screen opens.
    {
        test::ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
        w->onScoreEntryClicked();
        QVERIFY(first.answered());
        QCOMPARE(w->gd().currentTest, 1);
        QCOMPARE(w->mTestCombo->count(), 3);
        QCOMPARE(w->mTestCombo->currentIndex(), 0);
        QCOMPARE(w->gd().studentCount, 2);
        QCOMPARE(w->gd().scores(3, 1), 80);
        QCOMPARE(w->gd().scores(6, 1), 400); // five-subject total
        QCOMPARE(p.opened, QList<Screen>{Screen::ScoreEntry});
    }

    // The test-summary page: the grade is fixed, the test list is open.
    {
        test::ModalAnswer<TestPicker> third([](TestPicker* d) {
            d->mTestList->setCurrentRow(2);
            d->onOkClicked();
        });
        w->onTestReportsClicked();
        QVERIFY(third.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    QCOMPARE(w->gd().currentTest, 3);
    QVERIFY(!w->mGradeCombo->isEnabled());
    QVERIFY(w->mTestCombo->isEnabled());
    QCOMPARE(w->gd().scores(1, 1), -5); // test 3 has no scores yet
    w->mTestCombo->setCurrentIndex(0);
    QCOMPARE(w->gd().currentTest, 1);
    QCOMPARE(w->gd().scores(1, 1), 60);
    w->returnToTestMenu();
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->mGradeCombo->isEnabled());
    QVERIFY(!w->mTestCombo->isEnabled());
    QCOMPARE(messages.asked().size(), 0);

    // A test that cannot be loaded on the summary page: told, and the page is left, so that
    // no report runs on it.
    {
        test::ModalAnswer<TestPicker> again([](TestPicker* d) { d->onOkClicked(); });
        w->onTestReportsClicked();
        QVERIFY(again.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    // A folder where the roster should be can be neither read nor made.
    QVERIFY(QFile::remove(fx.rosterPath()));
    QVERIFY(QDir().mkpath(fx.rosterPath()));
    w->mTestCombo->setCurrentIndex(1);
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QCOMPARE(w->gd().currentTest, -1);
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->mGradeCombo->isEnabled());
    QVERIFY(!w->mTestCombo->isEnabled());

    // テスト名 belongs to one grade of one data folder: another grade or folder clears it.
    {
        test::ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
        QVERIFY(QDir().rmdir(fx.rosterPath()));
        w->onScoreEntryClicked();
    }
    QCOMPARE(w->mTestCombo->count(), 3);
    w->mGradeCombo->setCurrentIndex(1);
    QCOMPARE(w->mTestCombo->count(), 0);
    QCOMPARE(w->gd().currentTest, 0);
    w->mGradeCombo->setCurrentIndex(0);
    {
        test::ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
        w->onScoreEntryClicked();
    }
    QCOMPARE(w->mTestCombo->count(), 3);
    w->returnToMasterMenu();
    QCOMPARE(w->mTestCombo->count(), 0);
    {
        test::ModalAnswer<TestPicker> first([](TestPicker* d) { d->onOkClicked(); });
        w->mGradeCombo->setCurrentIndex(0);
        w->onScoreEntryClicked();
    }
    QCOMPARE(w->mTestCombo->count(), 3);
    w->mDataFolderEdit->setText(QDir::tempPath());
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w->mDataFolderEdit, &out);
    QCOMPARE(w->mTestCombo->count(), 0);
    QCOMPARE(w->gd().currentTest, 0);
}

void TestMaster::dataFolderFieldConfirmsOnlyWhenLeft()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    const QString before = w->gd().dataFolder;
    w->mDataFolderEdit->setText(QStringLiteral("/home/t/DA"));
    // Another program takes the focus, or the field's context menu opens: the typing stays as it is.
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(w->mDataFolderEdit, &out);
        QCOMPARE(w->mDataFolderEdit->text(), QStringLiteral("/home/t/DA"));
        QCOMPARE(w->gd().dataFolder, before);
    }
    // Another control of the window takes it: the folder is confirmed with its final separator.
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(w->mDataFolderEdit, &out);
    QCOMPARE(w->mDataFolderEdit->text(), QStringLiteral("/home/t/DA/"));
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/home/t/DA/"));
}

void TestMaster::subjectTestsChoiceOpensEntryBySubject()
{
    test::GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("青木一郎"), 1, {60, 70, 80, 90, 100}, StudentRecord::InUse}});
    Program p;
    p.setStored(QStringLiteral("Data_dir"), fx.folder());
    ScriptedMessages messages;
    auto w = p.start();
    w->mGradeCombo->setCurrentIndex(0);
    {
        test::ModalAnswer<SubjectTestsPicker> choose([](SubjectTestsPicker* d) {
            d->mSubjectList->setCurrentRow(6); // the seventh subject is only in the second test
            d->onOkClicked();
        });
        w->onSubjectScoreEntryClicked();
        QVERIFY(choose.answered());
    }
    QCOMPARE(w->gd().selectedItemCount, 1);
    QCOMPARE(w->gd().selectedItems[1], 2);
    QCOMPARE(w->gd().evalSubject, 7);
    QCOMPARE(p.opened, QList<Screen>{Screen::SubjectScoreEntry});

    // Closed by its frame: the earlier choice does not open the entry screen again.
    {
        test::ModalAnswer<SubjectTestsPicker> close([](SubjectTestsPicker* d) { d->close(); });
        w->onSubjectScoreEntryClicked();
        QVERIFY(close.answered());
    }
    QCOMPARE(p.opened.size(), 1);
}

void TestMaster::unavailableScreensAreMarked()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start(false);
    const QList<QPushButton*> leaves = {w->mScoreEntryButton,       w->mSubjectScoreEntryButton,
                                        w->mRawScoreButton,         w->mAveragesButton,
                                        w->mRankTableButton,        w->mDistributionGraphButton,
                                        w->mTestSummaryButton,      w->mHyoteiButton,
                                        w->mNaishinEntryButton,     w->mCareerChoiceEntryButton,
                                        w->mTargetSchoolListButton, w->mCareerGuidanceButton,
                                        w->mRosterEditorButton,     w->mPromotionButton,
                                        w->mReportCardButton,       w->mTrendGraphButton,
                                        w->mNotificationCardButton, w->mSubjectEditorButton,
                                        w->mTestEditorButton,       w->mHighSchoolEditorButton};
    for (QPushButton* b : leaves) {
        if (!b->isEnabled())
            QCOMPARE(b->toolTip(), QStringLiteral("準備中"));
        else
            QVERIFY(b->toolTip().isEmpty());
    }
    QVERIFY(w->mNewRosterButton->isEnabled());
    QCOMPARE(w->mScoreEntryButton->isEnabled(), ScreenAvailable(Screen::ScoreEntry));
    QCOMPARE(w->mRosterEditorButton->isEnabled(), ScreenAvailable(Screen::RosterEditor));
    QCOMPARE(ScreenName(Screen::HighSchoolEditor), QStringLiteral("HighSchoolEditorWindow"));

    // Every screen of the program's table prepares what its menu command needs.
    const QList<ScreenLine> every = Program::EveryScreen();
    for (const ScreenLine& line : ScreenTable()) {
        const auto expected =
            std::find_if(every.cbegin(), every.cend(), [&](const ScreenLine& e) { return e.screen == line.screen; });
        QVERIFY2(expected != every.cend(), qPrintable(ScreenName(line.screen)));
        QVERIFY2(expected->preparation == line.preparation, qPrintable(ScreenName(line.screen)));
        QVERIFY(line.open != nullptr);
    }
    // A screen missing from the table keeps its button disabled.
    w->setScreenTable({});
    QVERIFY(!w->mRosterEditorButton->isEnabled());
    QCOMPARE(w->mRosterEditorButton->toolTip(), QStringLiteral("準備中"));
    QVERIFY(w->mNewRosterButton->isEnabled());
}

void TestMaster::newRosterWindowIsModelessAndSetsTheGrade()
{
    Program p;
    QTemporaryDir data;
    const QString folder = data.filePath(QStringLiteral("school/"));
    p.setStored(QStringLiteral("Data_dir"), folder);
    ScriptedMessages messages;
    auto w = p.start();
    w->session().programFolder = test::StdFilesFolder();
    w->onRosterMenuClicked();
    w->onNewRosterClicked();
    auto* dialog = qobject_cast<NewRosterWindow*>(w->newRosterWindow());
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    w->onNewRosterClicked();
    QCOMPARE(w->newRosterWindow(), dialog); // one at a time

    dialog->mGradeCombo->setCurrentIndex(2);
    dialog->mClassCountCombo->setCurrentIndex(3);
    dialog->onOkClicked();
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(w->mGradeCombo->currentIndex(), 2);
    QCOMPARE(w->gd().currentGrade, 3);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("dtfile03.rnd")));
    QTRY_VERIFY(!w->newRosterWindow());

    // The new grade is ready for the next command without asking.
    p.opened.clear();
    w->onRosterEditorClicked();
    QCOMPARE(p.opened, QList<Screen>{Screen::RosterEditor});
    QCOMPARE(w->gd().classCount, 4);
    QCOMPARE(w->mClassCountEdit->text(), QStringLiteral("4"));

    // Re-made with 2 classes while the summary page shows a test of that grade: the class count
    // shown follows, and the page of the old test is left.
    {
        test::ModalAnswer<TestPicker> choose([](TestPicker* d) { d->onOkClicked(); });
        w->onTestReportsClicked();
        QVERIFY(choose.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    w->onNewRosterClicked();
    dialog = qobject_cast<NewRosterWindow*>(w->newRosterWindow());
    QVERIFY(dialog);
    dialog->mGradeCombo->setCurrentIndex(2);
    dialog->mClassCountCombo->setCurrentIndex(1);
    dialog->onOkClicked();
    QCOMPARE(messages.asked().size(), 0); // no pupil on the roster yet: nothing to lose, no question
    QCOMPARE(w->gd().currentGrade, 3);
    QCOMPARE(w->gd().classCount, 2);
    QCOMPARE(w->mClassCountEdit->text(), QStringLiteral("2"));
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->mGradeCombo->isEnabled());
    QVERIFY(!w->mTestCombo->isEnabled());
}

void TestMaster::progressAndNotices()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    IProgress& progress = w->progress();
    progress.setStatusText(QStringLiteral("データ読込中"));
    QCOMPARE(w->mStatusLabel->text(), QStringLiteral("データ読込中"));
    progress.setMaximum(240);
    progress.setValue(0);
    progress.setVisible(true);
    progress.setValue(120);
    QCOMPARE(w->mProgressBar->maximum(), 240);
    QCOMPARE(w->mProgressBar->value(), 120);
    QVERIFY(w->mProgressBar->isVisible());
    // The bar lies exactly over the second panel.
    QCOMPARE(w->mProgressBar->geometry(), w->mStatusPanel2->geometry());
    progress.setValue(999);
    QCOMPARE(w->mProgressBar->value(), 240);
    progress.setVisible(false);
    progress.setStatusText(QString());
    QVERIFY(!w->mProgressBar->isVisible());
    QVERIFY(w->isVisible()); // hiding the bar never hides the window

    w->notice(QStringLiteral("データフォルダに高校名がありません。標準高校名を読み込みます"));
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QCOMPARE(messages.asked().at(0).buttons, MsgButtons::Ok);
}

void TestMaster::singleInstance()
{
    Program p;
    ScriptedMessages messages;
    {
        // Another program holds the lock but does not answer: the user is told that it runs.
        QLockFile other(p.lockPath);
        QVERIFY(other.tryLock(0));
        auto w = p.start();
        QVERIFY(!w->checkSingleInstance(p.lockPath));
        QVERIFY(!w->isVisible());
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().at(0).text, QStringLiteral("せいらんはすでに起動しています。"));
        QCOMPARE(messages.asked().at(0).icon, MsgIcon::Information);
        // The second instance still saved its Settings on the way out.
        QCOMPARE(p.stored(QStringLiteral("Beep_mode")), QStringLiteral("0"));
    }
    messages.clear();
    auto w = p.start();
    QVERIFY(w->checkSingleInstance(p.lockPath));
    QVERIFY(w->isVisible());
    w->showMinimized();
    // A second start brings the first one's window to the front and says nothing. The first
    // answers from its event loop, so the second asks from a thread of its own.
    std::unique_ptr<SingleInstance> later = MainWindow::acquireInstance(p.lockPath);
    QVERIFY(!later->isFirst());
    bool answered = false;
    QThread* asker = QThread::create([&] { answered = later->askFirstToShow(5000); });
    asker->start();
    QTRY_VERIFY_WITH_TIMEOUT(asker->isFinished(), 10000);
    delete asker;
    QVERIFY(answered);
    QVERIFY(!w->isMinimized());
    QVERIFY(w->isVisible());
    QCOMPARE(messages.asked().size(), 0);
    later.reset();

    w->close();
    auto third = p.start();
    QVERIFY(third->checkSingleInstance(p.lockPath)); // the lock goes with the window
    third.reset();

    // The program takes the lock before it makes any window: a second instance never shows one.
    std::unique_ptr<SingleInstance> first = MainWindow::acquireInstance(p.lockPath);
    QVERIFY(first->isFirst());
    QVERIFY(!MainWindow::acquireInstance(p.lockPath)->isFirst());
    auto holder = p.start();
    holder->adoptInstance(std::move(first));
    QVERIFY(!MainWindow::acquireInstance(p.lockPath)->isFirst());
    holder.reset();
    QVERIFY(MainWindow::acquireInstance(p.lockPath)->isFirst());
}

void TestMaster::singleInstanceSocket()
{
#ifndef Q_OS_LINUX
    QSKIP("the socket is Linux's");
#else
    QTemporaryDir dir;
    const QString lock = dir.filePath(QStringLiteral("seiran.lock"));
    const QString socketPath = SingleInstance::socketPath(lock);
    // A file left where the socket goes (a crash of an earlier start) does not keep the first
    // start from listening.
    {
        QFile stale(socketPath);
        QVERIFY(stale.open(QIODevice::WriteOnly));
    }
    auto first = std::make_unique<SingleInstance>(lock);
    QVERIFY(first->isFirst());
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(socketPath).constData(), &info), 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    QCOMPARE(int(info.st_mode & 0777), 0700); // the user's own
    int requests = 0;
    connect(first.get(), &SingleInstance::showRequested, this, [&] { ++requests; });

    // Anything but the one request is dropped unanswered, and the socket goes on listening.
    const auto send = [&](const QByteArray& bytes) {
        QByteArray answer;
        QThread* client = QThread::create([&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const QByteArray path = QFile::encodeName(socketPath);
            std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                (void)::write(fd, bytes.constData(), std::size_t(bytes.size()));
                char buffer[64];
                ssize_t got;
                while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
                    answer.append(buffer, got);
            }
            ::close(fd);
        });
        client->start();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(client->isFinished(), 10000); }();
        delete client;
        return answer;
    };
    QCOMPARE(send("hello, is anyone there?\n"), QByteArray());
    QCOMPARE(requests, 0);
    QCOMPARE(send("show\n"), QByteArray("shown\n"));
    QCOMPARE(requests, 1);

    // A later start reaches the first; once the first ends its socket goes with it.
    SingleInstance later(lock);
    QVERIFY(!later.isFirst());
    first.reset();
    QVERIFY(!QFile::exists(socketPath));
    QVERIFY(!later.askFirstToShow(500));
#endif
}

void TestMaster::helpCommand()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    QList<QUrl> urls;
    bool opens = false;
    w->setUrlOpener([&](const QUrl& url) {
        urls.append(url);
        return opens;
    });
    QCOMPARE(w->mManualButton->text(), QStringLiteral("取扱説明書"));
    w->onManualClicked();
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Critical);
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("index.htm")));
    // The path stands on its own line, so that a long one never breaks a word of the message.
    QVERIFY(messages.asked().at(0).text.startsWith(QStringLiteral("ヘルプファイルが見つかりません。\r\n")));
    QCOMPARE(urls.size(), 0);
    QVERIFY(!w->helpViewer());

    // The system has no browser: the manual opens in the program's own window, with its pictures
    // and links.
    const QString help = QDir(p.folder).filePath(QStringLiteral("help"));
    QDir().mkpath(help);
    test::WriteFileBytes(help + QStringLiteral("/index.htm"),
                         "<html><head><meta charset=\"utf-8\"><title>目次</title></head><body>"
                         "<p>はじめに</p><img src=\"shot.png\"><a href=\"entry.htm\">入力</a></body></html>");
    test::WriteFileBytes(help + QStringLiteral("/entry.htm"),
                         "<html><head><meta charset=\"utf-8\"><title>入力</title></head><body><p>点数の入力</p>"
                         "</body></html>");
    QImage shot(8, 6, QImage::Format_RGB32);
    shot.fill(Qt::red);
    QVERIFY(shot.save(help + QStringLiteral("/shot.png")));
    const QUrl page = QUrl::fromLocalFile(help + QStringLiteral("/index.htm"));
    w->onManualClicked();
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(urls.last(), page);
    HelpViewer* viewer = w->helpViewer();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("目次"));
    QVERIFY(viewer->mBrowser->toPlainText().contains(QStringLiteral("はじめに")));
    const QVariant picture = viewer->mBrowser->document()->resource(
        QTextDocument::ImageResource, QUrl::fromLocalFile(help + QStringLiteral("/shot.png")));
    QVERIFY(picture.isValid());
    QCOMPARE(picture.value<QImage>().size(), QSize(8, 6));
    // A link goes to the page; 戻る comes back, 目次 goes to the contents.
    QVERIFY(!viewer->mBackButton->isEnabled());
    viewer->mBrowser->setFocus();
    QTest::keyClick(viewer->mBrowser, Qt::Key_Tab);
    QTest::keyClick(viewer->mBrowser, Qt::Key_Return);
    QVERIFY(viewer->mBrowser->toPlainText().contains(QStringLiteral("点数の入力")));
    QCOMPARE(viewer->windowTitle(), QStringLiteral("入力"));
    QVERIFY(viewer->mBackButton->isEnabled());
    viewer->mBackButton->click();
    QCOMPARE(viewer->currentPage(), page);
    viewer->mForwardButton->click();
    viewer->mContentsButton->click();
    QCOMPARE(viewer->currentPage(), page);
    // Asked again, the same window comes to the front.
    w->onManualClicked();
    QCOMPARE(w->helpViewer(), viewer);

    // When the system shows the page, no window of our own opens.
    viewer->close();
    QTRY_VERIFY(!w->helpViewer());
    opens = true;
    w->onManualClicked();
    QCOMPARE(messages.asked().size(), 1);
    QVERIFY(!w->helpViewer());
}

void TestMaster::folderDialog()
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath(QStringLiteral("a"));
    const QString b = tmp.filePath(QStringLiteral("a/b"));
    QDir().mkpath(b);
    test::WriteFileBytes(a + QStringLiteral("/dtfile01.rnd"), "x");

    QLineEdit field;
    field.setText(a + QLatin1Char('/'));
    {
        DataFolderDialog dlg(&field);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("データフォルダの選択"));
        QCOMPARE(dlg.currentFolder(), a);
        QVERIFY(dlg.mDriveCombo->count() >= 1);
        dlg.setFolder(b);
        QCOMPARE(dlg.currentFolder(), b);
        dlg.onOkClicked();
        QCOMPARE(field.text(), QDir::toNativeSeparators(b));
    }
    {
        DataFolderDialog dlg(&field);
        QCOMPARE(dlg.currentFolder(), b);
        dlg.setFolder(a);
        dlg.onCancelClicked();
        QCOMPARE(field.text(), QDir::toNativeSeparators(b));
    }
    // A field that names no folder starts at the home folder; nothing breaks.
    field.setText(QStringLiteral("?? no such folder"));
    {
        DataFolderDialog dlg(&field);
        QCOMPARE(dlg.currentFolder(), QDir::homePath());
    }
    QCOMPARE(FolderFieldText(QStringLiteral("/")), QDir::toNativeSeparators(QStringLiteral("/")));

    // Through the main window: "ＯＫ" changes the field; the folder in use follows when it is left.
    Program p;
    p.setStored(QStringLiteral("Data_dir"), a + QLatin1Char('/'));
    ScriptedMessages messages;
    auto w = p.start();
    {
        test::ModalAnswer<DataFolderDialog> pick([&](DataFolderDialog* d) {
            d->setFolder(b);
            d->onOkClicked();
        });
        w->onDataFolderDoubleClicked();
        QVERIFY(pick.answered());
    }
    QCOMPARE(w->mDataFolderEdit->text(), QDir::toNativeSeparators(b));
    QCOMPARE(w->gd().dataFolder, a + QLatin1Char('/'));
    w->onDataFolderLeft();
    QCOMPARE(w->gd().dataFolder, b + QDir::separator());

    // A folder chosen in the dialog and the program closed at once: the choice is what is saved.
    {
        test::ModalAnswer<DataFolderDialog> pick([&](DataFolderDialog* d) {
            d->setFolder(a);
            d->onOkClicked();
        });
        w->onDataFolderDoubleClicked();
        QVERIFY(pick.answered());
    }
    w->close();
    QCOMPARE(p.stored(QStringLiteral("Data_dir")), a + QDir::separator());
}

void TestMaster::translationOfQtDialogs()
{
    QTranslator translator;
    QVERIFY(!LoadQtJapanese(translator, {QString(), QDir::tempPath() + QStringLiteral("/no-such-folder")}));
    const QStringList folders = QtTranslationFolders(QStringLiteral("/opt/seiran"));
    QCOMPARE(folders.last(), QStringLiteral("/opt/seiran/translations"));
    if (!QFileInfo::exists(QDir(folders.first()).filePath(QStringLiteral("qtbase_ja.qm"))))
        QSKIP("Qt's Japanese translation is not installed here");
    QVERIFY(LoadQtJapanese(translator, folders));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    // A text of the standard dialogs.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestMaster)
void TestMaster::userNameAndOtherUsersOfTheGrade()
{
    Program p;
    QVERIFY(p.useSample(1, 2, 20));
    p.setStored(QStringLiteral("User_name"), QStringLiteral("  山田\t先生 "));
    ScriptedMessages messages;
    auto w = p.start();
    // The name other PCs see: blanks around it dropped, a Tab (the registry's separator) a space.
    QCOMPARE(w->mUserNameEdit->text(), QStringLiteral("山田 先生"));
    QCOMPARE(LockUserName(), QStringLiteral("山田 先生"));

    // Another PC entering scores, and a window of this very copy (not "someone else").
    const HostIdentity self = CurrentHostIdentity();
    auto holder = [](const QString& user, const QString& host, qint64 pid, const QString& screen) {
        LockHolder h;
        h.id = user + host;
        h.user = user;
        h.host = host;
        h.pid = pid;
        h.since = h.beatAt = QDateTime::currentDateTimeUtc();
        h.beat = 1;
        h.screen = screen;
        h.fields = QStringLiteral("naishin");
        return h;
    };
    const QString data = p.data + u'/';
    auto writeHolders = [&](const QList<LockHolder>& holders) {
        GradeGuard guard(data, 1);
        QVERIFY(guard);
        LockRegistry registry;
        registry.holders = holders;
        QVERIFY(guard.writeRegistry(registry));
    };
    writeHolders({holder(QStringLiteral("田中"), QStringLiteral("PC-2"), 4321, QStringLiteral("内申点の入力")),
                  holder(QStringLiteral("山田"), self.host, self.pid, QStringLiteral("進路希望の入力"))});

    QVERIFY(w->mUsersLabel->isHidden());
    w->mGradeCombo->setCurrentIndex(0);
    QVERIFY(!w->mUsersLabel->isHidden());
    QCOMPARE(w->mUsersLabel->text(), QStringLiteral("使用中: 田中（PC-2）「内申点の入力」"));
    // Grade 2 has never been shared: nothing is shown and no lock folder is made for it.
    w->mGradeCombo->setCurrentIndex(1);
    QVERIFY(w->mUsersLabel->isHidden());
    QVERIFY(!QFileInfo::exists(GradeLockFolder(data, 2)));
    w->mGradeCombo->setCurrentIndex(0);
    QVERIFY(!w->mUsersLabel->isHidden());
    writeHolders({});
    w->refreshUsers();
    QVERIFY(w->mUsersLabel->isHidden());

    // An emptied name is the login name again, and it is what is stored.
    w->mUserNameEdit->setText(QStringLiteral("  "));
    emit w->mUserNameEdit->editingFinished();
    QCOMPARE(w->mUserNameEdit->text(), LoginUserName());
    w->mUserNameEdit->setText(QStringLiteral("佐藤"));
    emit w->mUserNameEdit->editingFinished();
    QCOMPARE(LockUserName(), QStringLiteral("佐藤"));
    w->onQuitClicked();
    QCOMPARE(p.stored(QStringLiteral("User_name")), QStringLiteral("佐藤"));
    QVERIFY(messages.asked().isEmpty());
}

#include "tst_mainwindow.moc"
