// Every window with a grid opens on a sample grade at a size that shows all of its columns and
// controls, on a screen of the common 1920 x 1080 and inside it. The test makes that screen
// itself (the offscreen platform's screen is 800 x 800 otherwise). With SEIRAN_SCREENSHOTS set to
// a folder, each window is saved there as a PNG.
#include "CareerChoiceEntryWindow.h"
#include "CareerListWindow.h"
#include "EvaluationSetupWindow.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "HighSchoolEditorWindow.h"
#include "HyoteiWindow.h"
#include "ListFiles.h"
#include "NaishinEntryWindow.h"
#include "Notice.h"
#include "NotificationCardWindow.h"
#include "Progress.h"
#include "PromotionWindow.h"
#include "PupilPicker.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "ScoreEntryWindow.h"
#include "ScreenFont.h"
#include "Session.h"
#include "SubjectEditorWindow.h"
#include "SubjectScoreEntryWindow.h"
#include "TestEditorWindow.h"
#include "TestSupport.h"
#include "WindowSize.h"
#include "support/GridChecks.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace seiran;

namespace {

constexpr QSize ScreenSize(1920, 1080);

void grab(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (!dir.isEmpty()) w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace

class TestWindowSizes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void gridWindowsShowEveryColumn_data();
    void gridWindowsShowEveryColumn();

private:
    QTemporaryDir mDir;
    std::unique_ptr<GradeData> mGd;
    std::unique_ptr<Session> mSession;
    SilentNotice mNotice;
};

void TestWindowSizes::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->size(), ScreenSize);
    SampleOptions options;
    options.grade = 3;
    options.classes = 4;
    QVERIFY(WriteSampleGrade(mDir.path(), options).ok);
}

void TestWindowSizes::init()
{
    // What the menu loads before each screen, all at once.
    mGd = std::make_unique<GradeData>();
    mGd->dataFolder = mDir.path() + u'/';
    mGd->currentGrade = 3;
    QVERIFY(LoadTestList(*mGd).ok);
    QVERIFY(LoadSubjectList(*mGd).ok);
    QVERIFY(LoadCareerChoices(*mGd, NullProgress::instance()).ok);
    QVERIFY(LoadHighSchoolList(*mGd, test::StdFilesFolder(), mNotice).ok);
    QVERIFY(LoadNaishin(*mGd, NullProgress::instance()).ok);
    mGd->currentTest = 1;
    QVERIFY(LoadTestScores(*mGd, NullProgress::instance()).ok);
    // A subject with every test that covers it, weighted 1, for 教科別 and 評定.
    mGd->evalSubject = 1;
    mGd->selectedItemCount = 0;
    for (int t = 1; t <= mGd->testCount; ++t) {
        if (mGd->testSubjectCount[t] < 1) continue;
        const int k = ++mGd->selectedItemCount;
        mGd->selectedItems[k] = t;
        mGd->evalWeights[k] = 1.0;
    }
    for (int c = 1; c <= Limits::Classes; ++c)
        mGd->evalClassSelected[c] = c <= mGd->classCount ? 1 : 0;
    mSession = std::make_unique<Session>(Session{*mGd, NullProgress::instance(), mNotice, test::StdFilesFolder()});
}

using WindowFactory = std::function<std::unique_ptr<QWidget>(Session&)>;
Q_DECLARE_METATYPE(WindowFactory)

template <typename W> WindowFactory make()
{
    return [](Session& s) -> std::unique_ptr<QWidget> { return std::make_unique<W>(s); };
}

void TestWindowSizes::gridWindowsShowEveryColumn_data()
{
    QTest::addColumn<WindowFactory>("open");
    QTest::newRow("subject-editor") << make<SubjectEditorWindow>();
    QTest::newRow("test-editor") << make<TestEditorWindow>();
    QTest::newRow("high-school-editor") << make<HighSchoolEditorWindow>();
    QTest::newRow("roster-editor") << make<RosterEditorWindow>();
    QTest::newRow("promotion") << make<PromotionWindow>();
    QTest::newRow("score-entry") << make<ScoreEntryWindow>();
    QTest::newRow("subject-score-entry") << make<SubjectScoreEntryWindow>();
    QTest::newRow("naishin-entry") << make<NaishinEntryWindow>();
    QTest::newRow("career-entry") << make<CareerChoiceEntryWindow>();
    QTest::newRow("career-list") << make<CareerListWindow>();
    QTest::newRow("evaluation-setup") << make<EvaluationSetupWindow>();
    QTest::newRow("hyotei") << make<HyoteiWindow>();
    QTest::newRow("pupil-picker") << make<PupilPicker>();
    QTest::newRow("notification-card") << make<NotificationCardWindow>();
}

void TestWindowSizes::gridWindowsShowEveryColumn()
{
    QFETCH(WindowFactory, open);
    std::unique_ptr<QWidget> w = open(*mSession);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QSize room = ScreenRoom(w.get());
    QVERIFY2(w->width() <= room.width() && w->height() <= room.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(w->width()).arg(w->height())));
    int grids = 0;
    for (FlexGrid* grid : w->findChildren<FlexGrid*>()) {
        if (!grid->isVisible() || grid->Cols() == 0) continue;
        ++grids;
        QVERIFY2(test::ColumnsCut(grid).isEmpty(), qPrintable(test::ColumnsCut(grid)));
    }
    QVERIFY(grids > 0);
    // Every button and box whole inside the window.
    for (QWidget* child : w->findChildren<QWidget*>()) {
        if (!child->isVisible() || child->isWindow() || child->parentWidget() != w.get()) continue;
        const QRect inWindow(child->mapTo(w.get(), QPoint(0, 0)), child->size());
        QVERIFY2(w->rect().contains(inWindow), qPrintable(child->metaObject()->className()));
    }
    grab(w.get(), QStringLiteral("size-") + QString::fromLatin1(QTest::currentDataTag()));
}

int main(int argc, char** argv)
{
    // The offscreen platform reads its screens from a file named on the platform's line.
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(QStringLiteral("{\"screens\": [{\"name\": \"school\", \"x\": 0, \"y\": 0, \"width\": %1, "
                              "\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(ScreenSize.width())
                   .arg(ScreenSize.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + config).toUtf8());
    QApplication app(argc, argv);
    // The windows are measured in the font the program shows them in.
    UseScreenFont();
    TestWindowSizes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowsizes.moc"
