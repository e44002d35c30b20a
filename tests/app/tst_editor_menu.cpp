// The editors and the promotion opened from the main menu on a sample grade, as a teacher opens
// them: the menu buttons are enabled, each screen opens on the grade chosen, and leaving it
// without saving changes no file.
#include "FlexGrid.h"
#include "GradeDialog.h"
#include "HighSchoolEditorWindow.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "ProgramFixture.h"
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

    test::ProgramFixture p;
    QVERIFY(p.useSample(1, 4, SampleOptions().pupils, QStringLiteral("DATA")));
    const QString data = p.data;
    ScriptedMessages messages;
    const auto window = p.start();
    MainWindow& w = *window;
    w.session().programFolder = test::StdFilesFolder();
    w.show();
    QVERIFY(w.mSubjectEditorButton->isEnabled());
    QVERIFY(w.mPromotionButton->isEnabled());
    const QMap<QString, QByteArray> before = test::FolderFiles(data);

    // The high-school list needs no grade.
    w.onBasicInfoMenuClicked();
    grab(&w, QStringLiteral("menu-basic-info"));
    test::ModalAnswer<HighSchoolEditorWindow> school([](HighSchoolEditorWindow* d) {
        QCOMPARE(d->mGrid->TextMatrix(0, 1), QStringLiteral("高校略称"));
        QVERIFY(d->table().schoolCount() > 0);
        grab(d, QStringLiteral("menu-highschool-editor"));
        d->mCancelButton->click(); // the question is answered Yes, its default
    });
    w.onHighSchoolEditorClicked();
    QVERIFY(school.answered());
    QCOMPARE(w.gd().currentGrade, 0);

    // The subject editor asks for the grade first.
    test::ModalAnswer<GradeDialog> grade([](GradeDialog* d) { d->mFirstGradeButton->click(); });
    test::ModalAnswer<SubjectEditorWindow> subjects([](SubjectEditorWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("教科情報の変更 (1年)"));
        QCOMPARE(d->table().rowCount(), 9);
        grab(d, QStringLiteral("menu-subject-editor"));
        d->mCancelButton->click();
    });
    w.onSubjectEditorClicked();
    QVERIFY(grade.answered());
    QVERIFY(subjects.answered());

    test::ModalAnswer<TestEditorWindow> tests([](TestEditorWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("テスト情報の変更 (1年)"));
        QVERIFY(d->table().rowCount() > 0);
        grab(d, QStringLiteral("menu-test-editor"));
        d->mCancelButton->click();
    });
    w.onTestEditorClicked();
    QVERIFY(tests.answered());

    w.onRosterMenuClicked();
    test::ModalAnswer<PromotionWindow> promotion([](PromotionWindow* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("進級・クラス分け処理 新2年 (旧1年)"));
        QVERIFY(d->table().rowCount() > 100);
        d->resize(720, 640);
        grab(d, QStringLiteral("menu-promotion"));
        d->mCloseButton->click(); // nothing changed: no question
    });
    w.onPromotionClicked();
    QVERIFY(promotion.answered());
    QCOMPARE(test::FolderFiles(data), before);
}

QTEST_MAIN(TestEditorMenu)
#include "tst_editor_menu.moc"
