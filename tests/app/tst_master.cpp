#include "Beep.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "Startup.h"
#include "TestSupport.h"
#include "frmInputGrade.h"
#include "frmMaster.h"
#include "frmNewMeibo.h"
#include "frmSelectDir.h"
#include "frmSelectTest.h"
#include "frmSelectTest2.h"

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
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QtTest>

using namespace seiran;

namespace {

// Answers the next modal window of type T from inside its own event loop.
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

// A program folder, a Settings file and a lock of the test's own.
struct Program
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("program"));
    QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));
    QString lockPath = dir.filePath(QStringLiteral("seiran.lock"));
    std::vector<std::unique_ptr<SettingsStore>> stores; // one per window, alive as long as the test
    QList<Screen> opened;

    Program() { QDir().mkpath(folder); }

    void setStored(const QString& key, const QString& value)
    {
        SettingsStore s(settingsPath);
        s.setValue(key, value);
        s.sync();
    }
    QString stored(const QString& key) const
    {
        return SettingsStore(settingsPath).value(key, QStringLiteral("<none>"));
    }
    void writeIni(const QByteArray& text)
    {
        test::WriteFileBytes(QDir(folder).filePath(QStringLiteral("seiran.ini")), text);
    }

    std::unique_ptr<frmMaster> start()
    {
        stores.push_back(std::make_unique<SettingsStore>(settingsPath));
        auto w = std::make_unique<frmMaster>(folder, *stores.back());
        w->setScreenRunner([this](Screen s) { opened.append(s); });
        return w;
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
    void testChoiceLoadsAndAggregates();
    void subjectTestsChoiceOpensEntryBySubject();
    void unavailableScreensAreMarked();
    void newRosterWindowIsModelessAndSetsTheGrade();
    void progressAndNotices();
    void singleInstance();
    void helpCommand();
    void folderDialog();
    void translationOfQtDialogs();
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
    QCOMPARE(w->Text_data_dir->text(), w->gd().dataFolder);
    QCOMPARE(w->gd().classLabels, QStringLiteral("123456789"));
    QCOMPARE(w->gd().currentGrade, 0);
    QCOMPARE(w->gd().printMarginLeft, 5);
    QCOMPARE(w->gd().printMarginTop, 3);
    QCOMPARE(w->Combo_nen->currentIndex(), -1);
    QCOMPARE(w->Combo_nen->count(), 3);
    QCOMPARE(w->Combo_nen->itemText(0), QStringLiteral("１年"));
    QCOMPARE(w->Combo_class_mode->currentText(), QStringLiteral("1,2,3型"));
    QCOMPARE(w->Combo_graph_mode->currentText(), QStringLiteral("横型"));
    QCOMPARE(w->Combo_beep_mode->currentText(), QStringLiteral("なし"));
    QCOMPARE(w->Combo_beep_mode->count(), 3);
    QCOMPARE(w->currentPage(), 0);
    QVERIFY(!w->ProgressBar1->isVisible());
    QVERIFY(!w->comTest->isEnabled());
    QCOMPARE(w->SSPanel1->text(), QStringLiteral("成績処理せいらん　２００５　for Ｗｉｎｄｏｗs"));
    QCOMPARE(w->Frame1->title(), QStringLiteral("現在の処理設定"));
    QCOMPARE(w->Frame2->title(), QStringLiteral("現在の環境設定"));
    QCOMPARE(w->session().beepMode(), 0);
    w->Combo_beep_mode->setCurrentIndex(2);
    QCOMPARE(w->session().beepMode(), 2);
    w->Combo_class_mode->setCurrentIndex(1);
    QCOMPARE(w->gd().classLabels, QStringLiteral("ABCDEFGHI"));

    // "終了" writes the four Settings, the folder under the key "Data_dir".
    w->Command8_Click();
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
    QCOMPARE(w->Combo_beep_mode->currentText(), QStringLiteral("なし"));
    QCOMPARE(w->Combo_class_mode->currentIndex(), 0);
    QCOMPARE(w->Combo_graph_mode->currentIndex(), 0);
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

    w->Text_data_dir->setText(QStringLiteral(" /srv/new "));
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/srv/DATA/")); // not before the field is left
    w->Text_data_dir_LostFocus();
    QCOMPARE(w->Text_data_dir->text(), QStringLiteral("/srv/new/"));
    QCOMPARE(w->gd().dataFolder, QStringLiteral("/srv/new/"));

    // An empty field is refused with a beep and shows the folder in use again.
    ResetBeepCount();
    w->Text_data_dir->setText(QString());
    w->Text_data_dir_LostFocus();
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(w->Text_data_dir->text(), QStringLiteral("/srv/new/"));

    // Leaving the field by the focus runs the same rule.
    w->activateWindow();
    w->Text_data_dir->setFocus();
    QTRY_VERIFY(w->Text_data_dir->hasFocus());
    w->Text_data_dir->setText(QStringLiteral("/srv/focus"));
    w->Combo_beep_mode->setFocus();
    QTRY_COMPARE(w->gd().dataFolder, QStringLiteral("/srv/focus/"));

    // A folder typed but not yet left is still what is saved at the end.
    w->Text_data_dir->setFocus();
    QTest::keyClicks(w->Text_data_dir, QStringLiteral("2"));
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
    QCOMPARE(w->SSTab1->count(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(w->pageTitles.at(i)->text(), titles.at(i));

    const QList<QPair<QPushButton*, QPair<int, QPushButton*>>> roads = {{w->Command3, {1, w->Command14}},
                                                                        {w->Command5, {3, w->Command21}},
                                                                        {w->Command6, {4, w->Command25}},
                                                                        {w->Command4, {5, w->Command23}},
                                                                        {w->Command34, {6, w->Command33}}};
    for (const auto& [forward, target] : roads) {
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(w->currentPage(), target.first);
        QVERIFY(!w->Combo_class_mode->isEnabled());
        QVERIFY(!w->Text_data_dir->isEnabled());
        QVERIFY(w->Combo_beep_mode->isEnabled());
        QVERIFY(w->Command24->isVisible());
        QVERIFY(target.second->isVisible());
        QCOMPARE(target.second->text(), QStringLiteral("マスターメニューに戻る"));
        QTest::mouseClick(target.second, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 0);
        QVERIFY(w->Combo_class_mode->isEnabled());
        QVERIFY(w->Text_data_dir->isEnabled());
    }

    // Any page change follows the rule, not only the buttons.
    w->SSTab1->setCurrentIndex(2);
    QVERIFY(!w->Combo_class_mode->isEnabled());
    w->SSTab1->setCurrentIndex(0);
    QVERIFY(w->Text_data_dir->isEnabled());
}

void TestMaster::returnToMasterResetsTheGrade()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    w->Combo_nen->setCurrentIndex(1);
    QCOMPARE(w->gd().currentGrade, 2);
    w->Command6_Click();
    QCOMPARE(w->gd().currentGrade, 2); // moving among the pages keeps the grade
    w->Command25->click();
    QCOMPARE(w->gd().currentGrade, 0);
    QCOMPARE(w->Combo_nen->currentIndex(), -1);

    // The next command asks for the grade again.
    w->Command6_Click();
    ModalAnswer<frmInputGrade> closeIt([](frmInputGrade* d) { d->reject(); });
    w->Command26_Click();
    QVERIFY(closeIt.answered());
    QCOMPARE(w->gd().currentGrade, 0);
}

void TestMaster::commandAbandonedWithoutGrade()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    using Handler = void (frmMaster::*)();
    const QList<Handler> handlers = {
        &frmMaster::Command10_Click, &frmMaster::Command9_Click,  &frmMaster::Command11_Click,
        &frmMaster::Command20_Click, &frmMaster::Command12_Click, &frmMaster::Command7_Click,
        &frmMaster::Command26_Click, &frmMaster::Command35_Click, &frmMaster::Command27_Click,
        &frmMaster::Command30_Click, &frmMaster::Command29_Click};
    for (Handler handler : handlers) {
        ModalAnswer<frmInputGrade> closeIt([](frmInputGrade* d) { d->close(); });
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

    ModalAnswer<frmInputGrade> second([](frmInputGrade* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("学年の設定"));
        QCOMPARE(d->Label1->text(), QStringLiteral("学年を選んでください。"));
        d->Command2_Click();
    });
    w->Command26_Click();
    QVERIFY(second.answered());
    QCOMPARE(w->gd().currentGrade, 2);
    QCOMPARE(w->Combo_nen->currentIndex(), 1);
    QCOMPARE(p.opened.size(), 0);
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QVERIFY2(messages.asked().at(0).text.contains(QStringLiteral("test02.seq")),
             qPrintable(messages.asked().at(0).text));
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("名簿ファイルの新規作成")));

    // A data folder that does not exist is named as such.
    messages.clear();
    w->Text_data_dir->setText(data.filePath(QStringLiteral("nowhere")));
    w->Text_data_dir_LostFocus();
    w->Command26_Click();
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
    w->Command31_Click();
    w->Command1_Click();
    w->Command15_Click();
    w->Command18_Click();
    w->Command19_Click();
    w->Command32_Click();
    QCOMPARE(p.opened, QList<Screen>({Screen::frmEditSinro, Screen::frmPrintSoten, Screen::frmPrintAverage,
                                      Screen::frmPrintJun, Screen::frmPrintGraph, Screen::frmPrintGraph2}));
    QCOMPARE(w->gd().currentGrade, 0);
    p.opened.clear();

    w->Combo_nen->setCurrentIndex(0);
    w->Command26_Click();
    QCOMPARE(p.opened, QList<Screen>{Screen::frmEditMeibo});
    QCOMPARE(w->gd().testCount, 3);
    QCOMPARE(w->gd().subjectCount, 9);
    QCOMPARE(w->gd().classCount, 2);
    QCOMPARE(w->list_class_max->text(), QStringLiteral("2"));

    p.opened.clear();
    w->Command12_Click();
    QCOMPARE(w->gd().studentCount, 2);
    w->Command7_Click();
    // The data folder has no high-school list yet: the standard one is taken, with a notice.
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QVERIFY(w->gd().highSchoolCount > 1);
    w->Command13_Click();
    w->Command17_Click();
    w->Command35_Click();
    w->Command27_Click();
    w->Command28_Click();
    w->Command36_Click();
    w->Command30_Click();
    w->Command29_Click();
    QCOMPARE(p.opened,
             QList<Screen>({Screen::frmInputNaisin, Screen::frmInputSinro, Screen::frmPrintSibo, Screen::frmPrintSinro,
                            Screen::frmEditUpMeibo, Screen::frmPrintTest, Screen::frmPrintSuii, Screen::frmPrintTest2,
                            Screen::frmEditKyoka, Screen::frmEditTest}));

    // The evaluation opens only when its setup chose tests in this run.
    p.opened.clear();
    w->gd().selectedItemCount = 2;
    w->Command20_Click();
    QCOMPARE(p.opened, QList<Screen>{Screen::frmSelectTest3});
    w->setScreenRunner([&](Screen s) {
        p.opened.append(s);
        if (s == Screen::frmSelectTest3) w->gd().selectedItemCount = 1;
    });
    w->Command20_Click();
    QCOMPARE(p.opened, QList<Screen>({Screen::frmSelectTest3, Screen::frmSelectTest3, Screen::frmHyoka}));
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
    w->Combo_nen->setCurrentIndex(0);
    w->Command3_Click();

    // Cancelled: no entry screen.
    {
        ModalAnswer<frmSelectTest> cancel([](frmSelectTest* d) { d->Command1_Click(); });
        w->Command10_Click();
        QVERIFY(cancel.answered());
        QCOMPARE(w->gd().currentTest, -1);
        QCOMPARE(p.opened.size(), 0);
    }
    // Chosen: the test is loaded and aggregated before the entry screen opens.
    {
        ModalAnswer<frmSelectTest> first([](frmSelectTest* d) { d->Command2_Click(); });
        w->Command10_Click();
        QVERIFY(first.answered());
        QCOMPARE(w->gd().currentTest, 1);
        QCOMPARE(w->comTest->count(), 3);
        QCOMPARE(w->comTest->currentIndex(), 0);
        QCOMPARE(w->gd().studentCount, 2);
        QCOMPARE(w->gd().scores(3, 1), 80);
        QCOMPARE(w->gd().scores(6, 1), 400); // five-subject total
        QCOMPARE(p.opened, QList<Screen>{Screen::frmDatainput});
    }

    // The test-summary page: the grade is fixed, the test list is open.
    {
        ModalAnswer<frmSelectTest> third([](frmSelectTest* d) {
            d->List_test_name->setCurrentRow(2);
            d->Command2_Click();
        });
        w->Command11_Click();
        QVERIFY(third.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    QCOMPARE(w->gd().currentTest, 3);
    QVERIFY(!w->Combo_nen->isEnabled());
    QVERIFY(w->comTest->isEnabled());
    QCOMPARE(w->gd().scores(1, 1), -5); // test 3 has no scores yet
    w->comTest->setCurrentIndex(0);
    QCOMPARE(w->gd().currentTest, 1);
    QCOMPARE(w->gd().scores(1, 1), 60);
    w->Command2_Click();
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->Combo_nen->isEnabled());
    QVERIFY(!w->comTest->isEnabled());
    QCOMPARE(messages.asked().size(), 0);

    // A test that cannot be loaded on the summary page: told, and the page is left, so that
    // no report runs on it.
    {
        ModalAnswer<frmSelectTest> again([](frmSelectTest* d) { d->Command2_Click(); });
        w->Command11_Click();
        QVERIFY(again.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    // A folder where the roster should be can be neither read nor made.
    QVERIFY(QFile::remove(fx.rosterPath()));
    QVERIFY(QDir().mkpath(fx.rosterPath()));
    w->comTest->setCurrentIndex(1);
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Warning);
    QCOMPARE(w->gd().currentTest, -1);
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->Combo_nen->isEnabled());
    QVERIFY(!w->comTest->isEnabled());
}

void TestMaster::subjectTestsChoiceOpensEntryBySubject()
{
    test::GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("青木一郎"), 1, {60, 70, 80, 90, 100}, StudentRecord::InUse}});
    Program p;
    p.setStored(QStringLiteral("Data_dir"), fx.folder());
    ScriptedMessages messages;
    auto w = p.start();
    w->Combo_nen->setCurrentIndex(0);
    {
        ModalAnswer<frmSelectTest2> choose([](frmSelectTest2* d) {
            d->List1->setCurrentRow(6); // the seventh subject is only in the second test
            d->Command2_Click();
        });
        w->Command9_Click();
        QVERIFY(choose.answered());
    }
    QCOMPARE(w->gd().selectedItemCount, 1);
    QCOMPARE(w->gd().selectedItems[1], 2);
    QCOMPARE(w->gd().evalSubject, 7);
    QCOMPARE(p.opened, QList<Screen>{Screen::frmDatainput1});

    // Closed by its frame: the earlier choice does not open the entry screen again.
    {
        ModalAnswer<frmSelectTest2> close([](frmSelectTest2* d) { d->close(); });
        w->Command9_Click();
        QVERIFY(close.answered());
    }
    QCOMPARE(p.opened.size(), 1);
}

void TestMaster::unavailableScreensAreMarked()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    const QList<QPushButton*> leaves = {w->Command10, w->Command9,  w->Command1,  w->Command15, w->Command18,
                                        w->Command19, w->Command32, w->Command20, w->Command12, w->Command7,
                                        w->Command13, w->Command17, w->Command26, w->Command35, w->Command27,
                                        w->Command28, w->Command36, w->Command30, w->Command29, w->Command31};
    for (QPushButton* b : leaves) {
        if (!b->isEnabled())
            QCOMPARE(b->toolTip(), QStringLiteral("準備中"));
        else
            QVERIFY(b->toolTip().isEmpty());
    }
    QVERIFY(w->Command22->isEnabled());
    QCOMPARE(w->Command10->isEnabled(), ScreenAvailable(Screen::frmDatainput));
    QCOMPARE(w->Command26->isEnabled(), ScreenAvailable(Screen::frmEditMeibo));
    QCOMPARE(ScreenName(Screen::frmEditSinro), QStringLiteral("frmEditSinro"));
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
    w->Command6_Click();
    w->Command22_Click();
    auto* dialog = qobject_cast<frmNewMeibo*>(w->newRosterWindow());
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    w->Command22_Click();
    QCOMPARE(w->newRosterWindow(), dialog); // one at a time

    dialog->Combo1->setCurrentIndex(2);
    dialog->Combo2->setCurrentIndex(3);
    dialog->OKButton_Click();
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(w->Combo_nen->currentIndex(), 2);
    QCOMPARE(w->gd().currentGrade, 3);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("dtfile03.rnd")));
    QTRY_VERIFY(!w->newRosterWindow());

    // The new grade is ready for the next command without asking.
    p.opened.clear();
    w->Command26_Click();
    QCOMPARE(p.opened, QList<Screen>{Screen::frmEditMeibo});
    QCOMPARE(w->gd().classCount, 4);
    QCOMPARE(w->list_class_max->text(), QStringLiteral("4"));

    // Re-made with 2 classes while the summary page shows a test of that grade: the class count
    // shown follows, and the page of the old test is left.
    {
        ModalAnswer<frmSelectTest> choose([](frmSelectTest* d) { d->Command2_Click(); });
        w->Command11_Click();
        QVERIFY(choose.answered());
    }
    QCOMPARE(w->currentPage(), 2);
    w->Command22_Click();
    dialog = qobject_cast<frmNewMeibo*>(w->newRosterWindow());
    QVERIFY(dialog);
    dialog->Combo1->setCurrentIndex(2);
    dialog->Combo2->setCurrentIndex(1);
    messages.queue(MsgAnswer::Yes);
    dialog->OKButton_Click();
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(w->gd().currentGrade, 3);
    QCOMPARE(w->gd().classCount, 2);
    QCOMPARE(w->list_class_max->text(), QStringLiteral("2"));
    QCOMPARE(w->currentPage(), 1);
    QVERIFY(w->Combo_nen->isEnabled());
    QVERIFY(!w->comTest->isEnabled());
}

void TestMaster::progressAndNotices()
{
    Program p;
    ScriptedMessages messages;
    auto w = p.start();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    IProgress& progress = w->progress();
    progress.setStatusText(QStringLiteral("データ読込中"));
    QCOMPARE(w->statusPanel1->text(), QStringLiteral("データ読込中"));
    progress.setMaximum(240);
    progress.setValue(0);
    progress.setVisible(true);
    progress.setValue(120);
    QCOMPARE(w->ProgressBar1->maximum(), 240);
    QCOMPARE(w->ProgressBar1->value(), 120);
    QVERIFY(w->ProgressBar1->isVisible());
    // The bar lies exactly over the second panel.
    QCOMPARE(w->ProgressBar1->geometry(), w->statusPanel2->geometry());
    progress.setValue(999);
    QCOMPARE(w->ProgressBar1->value(), 240);
    progress.setVisible(false);
    progress.setStatusText(QString());
    QVERIFY(!w->ProgressBar1->isVisible());
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
    QLockFile other(p.lockPath);
    QVERIFY(other.tryLock(0));
    {
        auto w = p.start();
        QVERIFY(!w->checkSingleInstance(p.lockPath));
        QVERIFY(!w->isVisible());
        QCOMPARE(messages.asked().size(), 0);
        // The second instance still saved its Settings on the way out.
        QCOMPARE(p.stored(QStringLiteral("Beep_mode")), QStringLiteral("0"));
    }
    other.unlock();
    messages.clear();
    auto w = p.start();
    QVERIFY(w->checkSingleInstance(p.lockPath));
    QVERIFY(w->isVisible());
    auto second = p.start();
    QVERIFY(!second->checkSingleInstance(p.lockPath));
    w->close();
    auto third = p.start();
    QVERIFY(third->checkSingleInstance(p.lockPath)); // the lock goes with the window
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
    QCOMPARE(w->Command24->text(), QStringLiteral("取扱説明書"));
    w->Command24_Click();
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Critical);
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("index.htm")));
    QCOMPARE(urls.size(), 0);

    const QString page = QDir(p.folder).filePath(QStringLiteral("help/index.htm"));
    QDir().mkpath(QFileInfo(page).path());
    test::WriteFileBytes(page, "<html></html>");
    w->Command24_Click();
    QCOMPARE(messages.asked().size(), 2);
    QCOMPARE(messages.asked().at(1).icon, MsgIcon::Critical);
    opens = true;
    w->Command24_Click();
    QCOMPARE(messages.asked().size(), 2);
    QCOMPARE(urls.last(), QUrl::fromLocalFile(page));
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
        frmSelectDir dlg(&field);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("データフォルダの選択"));
        QCOMPARE(dlg.currentFolder(), a);
        QVERIFY(dlg.Drive1->count() >= 1);
        dlg.setFolder(b);
        QCOMPARE(dlg.currentFolder(), b);
        dlg.Command1_Click();
        QCOMPARE(field.text(), QDir::toNativeSeparators(b));
    }
    {
        frmSelectDir dlg(&field);
        QCOMPARE(dlg.currentFolder(), b);
        dlg.setFolder(a);
        dlg.Command2_Click();
        QCOMPARE(field.text(), QDir::toNativeSeparators(b));
    }
    // A field that names no folder starts at the home folder; nothing breaks.
    field.setText(QStringLiteral("?? no such folder"));
    {
        frmSelectDir dlg(&field);
        QCOMPARE(dlg.currentFolder(), QDir::homePath());
    }
    QCOMPARE(FolderFieldText(QStringLiteral("/")), QDir::toNativeSeparators(QStringLiteral("/")));

    // Through the main window: "ＯＫ" changes the field; the folder in use follows when it is left.
    Program p;
    p.setStored(QStringLiteral("Data_dir"), a + QLatin1Char('/'));
    ScriptedMessages messages;
    auto w = p.start();
    {
        ModalAnswer<frmSelectDir> pick([&](frmSelectDir* d) {
            d->setFolder(b);
            d->Command1_Click();
        });
        w->Text_data_dir_DblClick();
        QVERIFY(pick.answered());
    }
    QCOMPARE(w->Text_data_dir->text(), QDir::toNativeSeparators(b));
    QCOMPARE(w->gd().dataFolder, a + QLatin1Char('/'));
    w->Text_data_dir_LostFocus();
    QCOMPARE(w->gd().dataFolder, b + QDir::separator());

    // A folder chosen in the dialog and the program closed at once: the choice is what is saved.
    {
        ModalAnswer<frmSelectDir> pick([&](frmSelectDir* d) {
            d->setFolder(a);
            d->Command1_Click();
        });
        w->Text_data_dir_DblClick();
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
#include "tst_master.moc"
