// The editors and the promotion opened from the main menu on a sample grade, as a teacher opens
// them: the menu buttons are enabled, each screen opens on the grade chosen, and leaving it
// without saving changes no file.
#include "FlexGrid.h"
#include "GradeDialog.h"
#include "HighSchoolEditorWindow.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PromotionWindow.h"
#include "SampleGrade.h"
#include "Screens.h"
#include "Session.h"
#include "SettingsStore.h"
#include "SubjectEditorWindow.h"
#include "TestEditorWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace seiran;

namespace {

// Acts on the next modal window of type T from inside its own event loop.
template <typename T> class ModalAction
{
public:
    explicit ModalAction(std::function<void(T*)> action) : mAction(std::move(action))
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                mTimer.stop();
                mDone = true;
                mAction(window);
            }
        });
        mTimer.start();
    }
    bool done() const { return mDone; }

private:
    std::function<void(T*)> mAction;
    QTimer mTimer;
    bool mDone = false;
};

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QFileInfo(path).fileName(), test::ReadFileBytes(path));
    }
    return files;
}

void grab(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QTest::qWait(50);
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestEditorMenu : public QObject
{
    Q_OBJECT

private slots:
    void screensOpenFromTheMenu();
};

void TestEditorMenu::screensOpenFromTheMenu()
{
    for (Screen s : {Screen::SubjectEditor, Screen::TestEditor, Screen::HighSchoolEditor, Screen::Promotion})
        QVERIFY2(ScreenAvailable(s), qPrintable(ScreenName(s)));

    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("DATA"));
    SampleOptions options;
    options.grade = 1;
    options.classes = 4;
    QVERIFY(WriteSampleGrade(data, options).ok);
    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    store.setValue(QStringLiteral("Data_dir"), data + QLatin1Char('/'));
    store.sync();
    ScriptedMessages messages;
    MainWindow w(program, store);
    w.session().programFolder = test::StdFilesFolder();
    w.show();
    QVERIFY(w.mSubjectEditorButton->isEnabled());
    QVERIFY(w.mPromotionButton->isEnabled());
    const QMap<QString, QByteArray> before = snapshot(data);

    // The high-school list needs no grade.
    w.onBasicInfoMenuClicked();
    grab(&w, QStringLiteral("menu-basic-info"));
    ModalAction<HighSchoolEditorWindow> school([](HighSchoolEditorWindow* d) {
        QCOMPARE(d->mGrid->TextMatrix(0, 1), QStringLiteral("高校略称"));
        QVERIFY(d->table().schoolCount() > 0);
        grab(d, QStringLiteral("menu-highschool-editor"));
        d->mCancelButton->click(); // the question is answered Yes, its default
    });
    w.onHighSchoolEditorClicked();
    QVERIFY(school.done());
    QCOMPARE(w.gd().currentGrade, 0);

    // The subject editor asks for the grade first.
    ModalAction<GradeDialog> grade([](GradeDialog* d) { d->mFirstGradeButton->click(); });
    ModalAction<SubjectEditorWindow> subjects([](SubjectEditorWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("教科情報の変更 (1年)"));
        QCOMPARE(d->table().rowCount(), 9);
        grab(d, QStringLiteral("menu-subject-editor"));
        d->mCancelButton->click();
    });
    w.onSubjectEditorClicked();
    QVERIFY(grade.done());
    QVERIFY(subjects.done());

    ModalAction<TestEditorWindow> tests([](TestEditorWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("テスト情報の変更 (1年)"));
        QVERIFY(d->table().rowCount() > 0);
        grab(d, QStringLiteral("menu-test-editor"));
        d->mCancelButton->click();
    });
    w.onTestEditorClicked();
    QVERIFY(tests.done());

    w.onRosterMenuClicked();
    ModalAction<PromotionWindow> promotion([](PromotionWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("進級・クラス分け処理新2年 (旧1年)"));
        QVERIFY(d->table().rowCount() > 100);
        d->resize(720, 640);
        grab(d, QStringLiteral("menu-promotion"));
        d->mCloseButton->click(); // nothing changed: no question
    });
    w.onPromotionClicked();
    QVERIFY(promotion.done());
    QCOMPARE(snapshot(data), before);
}

QTEST_MAIN(TestEditorMenu)
#include "tst_editor_menu.moc"
