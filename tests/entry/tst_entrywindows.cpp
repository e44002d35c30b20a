#include "Beep.h"
#include "CareerChoiceEntryWindow.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ImportPreviewDialog.h"
#include "MessageBox.h"
#include "NaishinEntryWindow.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "Session.h"
#include "SubjectScoreEntryWindow.h"
#include "TestSupport.h"
#include "WindowSize.h"
#include "support/GridChecks.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// Two classes: class 1 numbers 1..12, class 2 numbers 1..30. Standard subjects and tests (5, 9
// and 5 subjects). Pupil 1 holds odd stored values.
struct Env
{
    test::GradeFixture fx{3, 2};
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};

    Env()
    {
        QList<test::FixturePupil> pupils;
        for (int n = 1; n <= 12; ++n)
            pupils << test::FixturePupil{
                1, n, QStringLiteral("一組%1").arg(n), n % 2 ? 1 : 2, {}, StudentRecord::InUse};
        for (int n = 1; n <= 30; ++n)
            pupils << test::FixturePupil{2, n, QStringLiteral("二組%1").arg(n), 1, {}, StudentRecord::InUse};
        fx.writeStandard(pupils);
        StudentRecord rec = fx.readRecord(1);
        rec.setNaishinSlot(1, -2);
        rec.setNaishinSlot(2, 4);
        rec.setNaishinSlot(3, 25);
        rec.setChoice(1, 3);
        rec.setChoice(2, 40);
        rec.setScoreSlot(2, -3);   // test 1, subject 2
        rec.setScoreSlot(7, 71);   // test 2, subject 2
        rec.setScoreSlot(16, -55); // test 3, subject 2
        fx.writeRecord(1, rec);
        if (!fx.loadLists()) qFatal("lists");
    }

    void loadNaishin() { QVERIFY(LoadNaishin(fx.gd(), progress)); }
    void loadChoices(int schools = 16)
    {
        QVERIFY(LoadCareerChoices(fx.gd(), progress));
        GradeData& gd = fx.gd();
        gd.highSchoolCount = schools;
        for (int k = 1; k <= schools; ++k)
            gd.highSchoolShortNames[k] = k == schools ? QStringLiteral("その他") : QStringLiteral("高%1").arg(k);
    }
    void chooseSubjectTests(int subject, const QList<int>& tests)
    {
        GradeData& gd = fx.gd();
        gd.evalSubject = subject;
        gd.selectedItemCount = int(tests.size());
        for (int t = 1; t <= tests.size(); ++t)
            gd.selectedItems[t] = tests.at(t - 1);
    }
};

void select(FlexGrid* grid, int row, int col, int rowSel, int colSel)
{
    grid->setRow(row);
    grid->setCol(col);
    grid->setRowSel(rowSel);
    grid->setColSel(colSel);
}

void typeKeys(QWidget* grid, const QString& keys)
{
    for (QChar ch : keys) {
        if (ch == u'\n')
            QTest::keyClick(grid, Qt::Key_Return);
        else if (ch == u'\b')
            QTest::keyClick(grid, Qt::Key_Backspace);
        else if (ch == u' ')
            QTest::keyClick(grid, Qt::Key_Space);
        else
            QTest::keyClick(grid, ch.toLatin1());
    }
}

template <typename Window> std::unique_ptr<Window> openWindow(Env& env)
{
    auto w = std::make_unique<Window>(env.session);
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get())) qWarning("window not active");
    return w;
}

// Records of the roster that differ.
QList<int> changedRecords(const QByteArray& before, const QByteArray& after)
{
    QList<int> records;
    for (qsizetype r = 0; r * StudentRecord::Size < qMax(before.size(), after.size()); ++r)
        if (before.mid(r * StudentRecord::Size, StudentRecord::Size) !=
            after.mid(r * StudentRecord::Size, StudentRecord::Size))
            records << int(r + 1);
    return records;
}

bool finishReadOnly(Env& env, ScoreGridWindow* w)
{
    // With a read-only roster any write fails: finishing succeeds only when nothing is written.
    QFile::setPermissions(env.fx.rosterPath(), QFile::ReadOwner);
    ScriptedMessages answers;
    w->mFinishButton->click();
    QFile::setPermissions(env.fx.rosterPath(), QFile::ReadOwner | QFile::WriteOwner);
    return answers.asked().isEmpty() && !w->isVisible();
}

} // namespace

class TestEntryWindows : public QObject
{
    Q_OBJECT
private slots:
    void init() { ResetBeepCount(); }

    void subjectWindowShowsOneSubjectOverTheTests();
    void subjectWindowSavesOnlyWhatChanged();
    void subjectWindowWithLetterLabels();
    void subjectWindowRefusesATestWithoutTheSubject();

    void naishinWindowLayout();
    void naishinKeys();
    void naishinAutoMoveFillsARow();
    void naishinPaste();
    void naishinFinishWritesOnlyChanges();
    void naishinColumnWithoutSubject();
    void naishinPositionsBeyondTheSubjects();

    void careerWindowLayout();
    void careerTypingAndLeaving();
    void careerDeleteStoresZero();
    void careerPickingInTheSchoolList();
    void careerCurrentCellIsYellow();
    void careerCloseBoxRestoresTheChoices();
    void careerFinishWritesTheChoices();
    void careerHundredSchools();

    void windowsOpenShowingEveryColumn();
    void findBarFitsTheNarrowestWindow();
    void csvSaveProposesANameAndAddsTheExtension_data();
    void csvSaveProposesANameAndAddsTheExtension();
    void csvImportInTheNaishinWindowIsOneStep();
    void csvImportInTheCareerWindowStoresTheChoices();
    void csvImportInTheSubjectWindowByTestNames();
};

// ---------------------------------------------------------------------------------------------
// Window sizes, the find field and "CSVファイルに保存…"

void TestEntryWindows::windowsOpenShowingEveryColumn()
{
    Env env;
    env.loadNaishin();
    env.loadChoices(40);
    env.chooseSubjectTests(2, {1, 2, 3});
    std::vector<std::unique_ptr<ScoreGridWindow>> windows;
    windows.push_back(openWindow<SubjectScoreEntryWindow>(env));
    windows.push_back(openWindow<NaishinEntryWindow>(env));
    windows.push_back(openWindow<CareerChoiceEntryWindow>(env));
    for (const auto& w : windows) {
        QVERIFY2(test::ColumnsCut(w->mGrid).isEmpty(), qPrintable(w->windowTitle()));
        QVERIFY(w->mGrid->visibleRows() >= 10);
    }
    // The school list is as wide as the whole window can be (its ten columns take more than this
    // 800-pixel screen; the window-size test looks at it on a full-size screen).
    auto* career = static_cast<CareerChoiceEntryWindow*>(windows.back().get());
    QCOMPARE(career->width(), qMin(career->contentSize().width(), ScreenRoom(career).width()));
}

void TestEntryWindows::findBarFitsTheNarrowestWindow()
{
    // 教科別 is the narrowest window with the find field (440 pixels).
    Env env;
    env.chooseSubjectTests(2, {1});
    auto w = openWindow<SubjectScoreEntryWindow>(env);
    w->resize(w->minimumSize());
    w->openFind();
    FindBar* bar = w->mFindBar;
    QVERIFY(bar->isVisible());
    QVERIFY2(bar->minimumSizeHint().width() <= bar->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(bar->minimumSizeHint().width()).arg(bar->width())));
    // Both labels whole and inside the bar; the field has room to type.
    for (QLabel* label : {bar->mPromptLabel, bar->mHintLabel}) {
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->geometry().right() < bar->width());
    }
    QVERIFY(bar->mFindEdit->width() >=
            bar->mFindEdit->fontMetrics().horizontalAdvance(QStringLiteral("さとう　はなこ")));
    // The tooltip says what the short texts leave out.
    QVERIFY(bar->mFindEdit->toolTip().contains(QStringLiteral("氏名・ふりがなの一部")));
    QVERIFY(bar->mHintLabel->toolTip().contains(QStringLiteral("Enter")));
    if (const QString shots = qEnvironmentVariable("SEIRAN_SCREENSHOTS"); !shots.isEmpty())
        w->grab().save(shots + QStringLiteral("/find-bar-narrowest.png"));
}

void TestEntryWindows::csvSaveProposesANameAndAddsTheExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "naishin"
                                  << "naishin.csv";
    QTest::newRow("csv") << "naishin.csv"
                         << "naishin.csv";
    QTest::newRow("other extension kept") << "naishin.txt"
                                          << "naishin.txt";
    QTest::newRow("a final dot") << "naishin."
                                 << "naishin.csv";
    QTest::newRow("dot in the folder only") << "sub.d/naishin"
                                            << "sub.d/naishin.csv";
}

void TestEntryWindows::csvSaveProposesANameAndAddsTheExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Env env;
    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    const QString folder = env.fx.gd().dataFolder;
    QCOMPARE(QFileInfo(w->proposedCsvPath()).absoluteFilePath(),
             QFileInfo(QDir(folder).filePath(QStringLiteral("内申点_3年.csv"))).absoluteFilePath());
    QVERIFY(QDir(folder).mkpath(QStringLiteral("sub.d")));
    w->chooseExportFile = [&] { return QDir(folder).filePath(typed); };
    w->onCsvExportClicked();
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(saved)));
    if (saved != typed) QVERIFY(!QFileInfo::exists(QDir(folder).filePath(typed)));
    QVERIFY(test::ReadFileBytes(QDir(folder).filePath(saved)).contains("一組1"));
    // Cancelling the dialog writes nothing.
    w->chooseExportFile = [] { return QString(); };
    w->onCsvExportClicked();

    QCOMPARE(ProposedCsvName(QStringLiteral("点数_1/2学期"), 2), QStringLiteral("点数_1_2学期_2年.csv"));
    QCOMPARE(WithCsvExtension(QString()), QString());
}

// ---------------------------------------------------------------------------------------------
// Score entry by subject

namespace {
// Runs CSV取込 of a window on a file of `text`; `accept` answers the preview. Returns the preview
// as the dialog showed it.
CsvImportPreview importCsvInto(GridWindow& w, Env& env, const QString& text, bool accept = true)
{
    const QString path = env.fx.folder() + QStringLiteral("import.csv");
    test::WriteFileBytes(path, text.toUtf8());
    CsvImportPreview shown;
    w.chooseImportFile = [&path] { return path; };
    w.runImportPreview = [&shown, accept](ImportPreviewDialog& dialog) {
        shown = dialog.preview();
        return accept;
    };
    w.onCsvImportClicked();
    return shown;
}
} // namespace

void TestEntryWindows::csvImportInTheNaishinWindowIsOneStep()
{
    Env env;
    env.loadNaishin();
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow<NaishinEntryWindow>(env);
    QVERIFY(w->mCsvImportButton->isVisibleTo(w.get()));
    FlexGrid* g = w->mGrid;
    const QString english = g->TextMatrix(2, 12);
    const QString csv = QStringLiteral("組,番,英語,国語\n1,2,10,７\n1,3,,1\n1,4,11,\n");

    // Declined: nothing changes.
    CsvImportPreview shown = importCsvInto(*w, env, csv, false);
    QCOMPARE(shown.refusedCount(), 1); // 11 is no 内申点
    QCOMPARE(g->TextMatrix(2, 4), QString());

    shown = importCsvInto(*w, env, csv);
    QCOMPARE(shown.count(CsvImportLine::Changed), 2);
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("7"));
    QCOMPARE(g->TextMatrix(2, 12), QStringLiteral("10"));
    QCOMPARE(g->TextMatrix(3, 4), QStringLiteral("1"));
    QCOMPARE(g->TextMatrix(4, 4), QString()); // the refused line takes nothing
    QCOMPARE(env.fx.rosterBytes(), before);   // nothing written before 入力終了

    // One undo takes the whole import back, one redo gives it again.
    w->onUndo();
    QCOMPARE(g->TextMatrix(2, 4), QString());
    QCOMPARE(g->TextMatrix(2, 12), english);
    QCOMPARE(g->TextMatrix(3, 4), QString());
    w->onRedo();
    QCOMPARE(g->TextMatrix(2, 12), QStringLiteral("10"));

    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{2, 3}));
    QCOMPARE(env.fx.readRecord(2).naishinSlot(1), 7);
    QCOMPARE(env.fx.readRecord(2).naishinSlot(5), 10);
}

void TestEntryWindows::csvImportInTheCareerWindowStoresTheChoices()
{
    Env env;
    env.loadChoices();
    GradeData& gd = env.fx.gd();
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    QVERIFY(w->mCsvImportButton->isVisibleTo(w.get()));
    // A short name, a number, "なし" clearing pupil 1's 第１志望; an empty field keeps its 40.
    const CsvImportPreview shown =
        importCsvInto(*w, env, QStringLiteral("組,番,第1志望,第2志望,推薦\n1,1,なし,,高2\n1,2,高7,16,\n"));
    QCOMPARE(shown.count(CsvImportLine::Changed), 2);
    QVERIFY2(shown.lines.at(0).detail.contains(QStringLiteral("第１志望 高3 → なし")),
             qPrintable(shown.lines.at(0).detail));
    QCOMPARE(gd.careerChoice(1, 1), 0);
    QCOMPARE(gd.careerChoice(2, 1), 40);
    QCOMPARE(gd.careerChoice(4, 1), 2);
    QCOMPARE(gd.careerChoice(1, 2), 7);
    QCOMPARE(w->mGrid->TextMatrix(2, 5), QStringLiteral("その他"));

    // Undo gives the stored choices back with the cells.
    w->onUndo();
    QCOMPARE(gd.careerChoice(1, 1), 3);
    QCOMPARE(gd.careerChoice(1, 2), 0);
    QCOMPARE(w->mGrid->TextMatrix(1, 4), QStringLiteral("高3"));
    w->onRedo();
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{1, 2}));
    QCOMPARE(env.fx.readRecord(1).choice(1), 0);
    QCOMPARE(env.fx.readRecord(1).choice(2), 40);
    QCOMPARE(env.fx.readRecord(2).choice(2), 16);
}

void TestEntryWindows::csvImportInTheSubjectWindowByTestNames()
{
    Env env;
    env.chooseSubjectTests(2, {1, 3});
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow<SubjectScoreEntryWindow>(env);
    QVERIFY(w->mCsvImportButton->isVisibleTo(w.get()));
    FlexGrid* g = w->mGrid;
    const QString first = g->TextMatrix(0, FirstDataCol);
    const QString third = g->TextMatrix(0, FirstDataCol + 1);
    const CsvImportPreview shown = importCsvInto(
        *w, env,
        QStringLiteral("組,番,氏名,%1,%2\n1,1,一組1,,欠\n1,2,一組2,88,-40\n1,3,一組9,50,\n").arg(third, first));
    QCOMPARE(shown.refusedCount(), 1); // the name is not the roster's
    QCOMPARE(g->TextMatrix(1, FirstDataCol), QStringLiteral("-"));
    QCOMPARE(g->TextMatrix(2, FirstDataCol + 1), QStringLiteral("88"));
    QCOMPARE(g->TextMatrix(2, FirstDataCol), QStringLiteral("-40"));
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{1, 2}));
    QCOMPARE(env.fx.readRecord(1).scoreSlot(2), -1);   // test 1, subject 2: absent
    QCOMPARE(env.fx.readRecord(1).scoreSlot(16), -55); // test 3 untouched by an empty field
    QCOMPARE(env.fx.readRecord(2).scoreSlot(16), 88);
}

void TestEntryWindows::subjectWindowShowsOneSubjectOverTheTests()
{
    Env env;
    env.chooseSubjectTests(2, {1, 2, 3});
    auto w = openWindow<SubjectScoreEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    QVERIFY(w->loadResult());
    QCOMPARE(w->windowTitle(), QStringLiteral("点数の入力（教科別）"));
    QCOMPARE(w->mHeadingLabel->text(), QStringLiteral("点数の入力（教科別）　3年 社会"));
    QCOMPARE(g->Cols(), 7);
    QCOMPARE(g->Rows(), 43);
    QCOMPARE(g->TextMatrix(0, 4), env.fx.gd().testShortNames[1]);
    QCOMPARE(g->TextMatrix(1, 4), QString()); // -3
    QCOMPARE(g->TextMatrix(1, 5), QStringLiteral("71"));
    QCOMPARE(g->TextMatrix(1, 6), QStringLiteral("-45"));
    QCOMPARE(g->TextMatrix(13, 0), QStringLiteral("2"));
    QCOMPARE(g->TextMatrix(13, 1), QStringLiteral("1"));
    QVERIFY(w->mMoveRightCheck->isChecked());
    QCOMPARE(w->minimumSize(), QSize(440, 336));
    QCOMPARE(w->mPasteButton->text(), QStringLiteral("張付"));
    QCOMPARE(w->mFinishButton->text(), QStringLiteral("入力終了"));
    QCOMPARE(env.progress.statusTexts.first(), QStringLiteral("データ読込中"));
    QCOMPARE(env.progress.lastMaximum, 120);
    // "次" and "前" go by the class of the top row.
    w->resize(w->minimumSize());
    w->mNextButton->click();
    QCOMPARE(g->TopRow(), 13);
    w->mPreviousButton->click();
    QCOMPARE(g->TopRow(), 1);
}

void TestEntryWindows::subjectWindowSavesOnlyWhatChanged()
{
    Env env;
    env.chooseSubjectTests(2, {1, 3});
    const QByteArray before = env.fx.rosterBytes();
    {
        auto w = openWindow<SubjectScoreEntryWindow>(env);
        QVERIFY(finishReadOnly(env, w.get()));
    }
    QCOMPARE(env.fx.rosterBytes(), before);

    auto w = openWindow<SubjectScoreEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    select(g, 2, 4, 2, 4);
    typeKeys(g, QStringLiteral("-45\n-\n"));
    select(g, 3, 5, 3, 5);
    typeKeys(g, QStringLiteral("88\n"));
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{2, 3}));
    QCOMPARE(env.fx.readRecord(2).scoreSlot(2), -55);
    QCOMPARE(env.fx.readRecord(2).scoreSlot(16), -1);
    QCOMPARE(env.fx.readRecord(3).scoreSlot(16), 88);
    QCOMPARE(env.fx.readRecord(1).scoreSlot(2), -3);
    QVERIFY(env.progress.statusTexts.contains(QStringLiteral("データ保存中")));
}

void TestEntryWindows::subjectWindowWithLetterLabels()
{
    Env env;
    env.fx.gd().classLabels = QStringLiteral("ABCDEFGHI");
    env.chooseSubjectTests(1, {2});
    auto w = openWindow<SubjectScoreEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    QCOMPARE(g->TextMatrix(13, 0), QStringLiteral("B"));
    w->resize(w->minimumSize());
    w->mNextButton->click();
    QCOMPARE(g->TopRow(), 13);
    select(g, 14, 4, 14, 4);
    typeKeys(g, QStringLiteral("64\n"));
    const QByteArray before = env.fx.rosterBytes();
    w->mFinishButton->click();
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), QList<int>{RosterFile::recordNumber(2, 2)});
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(2, 2)).scoreSlot(6), 64);
}

void TestEntryWindows::subjectWindowRefusesATestWithoutTheSubject()
{
    Env env;
    env.chooseSubjectTests(7, {1});
    ScriptedMessages answers;
    OpenSubjectScoreEntry(env.session, nullptr);
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(answers.asked().first().icon, MsgIcon::Critical);
    QCOMPARE(env.fx.gd().studentCount, 0); // nothing was read
}

// ---------------------------------------------------------------------------------------------
// Naishin entry

void TestEntryWindows::naishinWindowLayout()
{
    Env env;
    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    QCOMPARE(w->windowTitle(), QStringLiteral("内申点の入力"));
    QCOMPARE(g->Cols(), 13);
    QCOMPARE(g->TextMatrix(0, 4), QStringLiteral("国語"));
    QCOMPARE(g->TextMatrix(0, 8), QStringLiteral("音楽"));
    QCOMPARE(g->TextMatrix(0, 12), QStringLiteral("英語"));
    QCOMPARE(g->TextMatrix(1, 1), QStringLiteral(" 1"));
    QCOMPARE(g->TextMatrix(12, 1), QStringLiteral("12"));
    QCOMPARE(g->TextMatrix(1, 4), QString()); // -2
    QCOMPARE(g->TextMatrix(1, 5), QStringLiteral("4"));
    QCOMPARE(g->TextMatrix(1, 6), QStringLiteral("25"));
    QVERIFY(w->mMoveRightCheck->isChecked());
    QVERIFY(!w->mAutoMoveCheck->isChecked());
    QCOMPARE(w->mAutoMoveCheck->text(), QStringLiteral("自動移動"));
    QCOMPARE(w->minimumSize(), QSize(456, 352));
    QCOMPARE(g->ColAlignment(4) & Qt::AlignHCenter, Qt::AlignHCenter);
}

void TestEntryWindows::naishinKeys()
{
    Env env;
    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    select(g, 2, 4, 2, 4);
    typeKeys(g, QStringLiteral("0"));
    QCOMPARE(g->Text(), QStringLiteral("10"));
    typeKeys(g, QStringLiteral("3"));
    QCOMPARE(g->Text(), QStringLiteral("3"));
    typeKeys(g, QStringLiteral("10"));
    QCOMPARE(g->Text(), QStringLiteral("10"));
    typeKeys(g, QStringLiteral("\b-a"));
    QTest::keyClick(g, Qt::Key_Delete);
    QCOMPARE(g->Text(), QStringLiteral("10"));
    typeKeys(g, QStringLiteral(" "));
    QCOMPARE(g->Text(), QString());
    typeKeys(g, QStringLiteral("7\n"));
    QCOMPARE(g->Row(), 2);
    QCOMPARE(g->Col(), 5);
    QCOMPARE(BeepCount(), 0);
}

void TestEntryWindows::naishinAutoMoveFillsARow()
{
    Env env;
    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    w->mAutoMoveCheck->click();
    select(g, 3, 4, 3, 4);
    typeKeys(g, QStringLiteral("123456789"));
    QCOMPARE(g->Row(), 4);
    QCOMPARE(g->Col(), 4);
    for (int j = 1; j <= 9; ++j)
        QCOMPARE(g->TextMatrix(3, 3 + j), QString::number(j));
    // Without "右移動" each digit moves down.
    w->mMoveRightCheck->click();
    typeKeys(g, QStringLiteral("50"));
    QCOMPARE(g->TextMatrix(4, 4), QStringLiteral("5"));
    QCOMPARE(g->TextMatrix(5, 4), QStringLiteral("10"));
    QCOMPARE(g->Row(), 6);
}

void TestEntryWindows::naishinPaste()
{
    Env env;
    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    g->setTextMatrix(2, 4, QStringLiteral("3"));
    g->setTextMatrix(2, 5, QStringLiteral("3"));
    g->setTextMatrix(2, 6, QStringLiteral("3"));
    select(g, 2, 4, 2, 6);
    QGuiApplication::clipboard()->setText(QStringLiteral("25\t\t7\r\n"));
    w->mPasteButton->click();
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("3"));
    QCOMPARE(g->TextMatrix(2, 5), QString());
    QCOMPARE(g->TextMatrix(2, 6), QStringLiteral("7"));
}

void TestEntryWindows::naishinFinishWritesOnlyChanges()
{
    Env env;
    env.loadNaishin();
    const QByteArray before = env.fx.rosterBytes();
    {
        auto w = openWindow<NaishinEntryWindow>(env);
        QVERIFY(finishReadOnly(env, w.get()));
    }
    QCOMPARE(env.fx.rosterBytes(), before);
    QCOMPARE(env.fx.gd().naishin(1, 1), -2);

    env.loadNaishin();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    select(g, 1, 5, 1, 5);
    typeKeys(g, QStringLiteral(" ")); // 4 emptied: 0
    select(g, 2, 12, 2, 12);          // 英語, naishin slot 5
    typeKeys(g, QStringLiteral("0"));
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{1, 2}));
    QCOMPARE(env.fx.readRecord(1).naishinSlot(1), -2); // untouched
    QCOMPARE(env.fx.readRecord(1).naishinSlot(2), 0);
    QCOMPARE(env.fx.readRecord(1).naishinSlot(3), 25);
    QCOMPARE(env.fx.readRecord(2).naishinSlot(5), 10);
}

void TestEntryWindows::naishinColumnWithoutSubject()
{
    Env env;
    env.loadNaishin();
    env.fx.gd().naishinSlot[9] = 0;
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    QCOMPARE(g->TextMatrix(0, 12), QString());
    select(g, 2, 12, 2, 12);
    typeKeys(g, QStringLiteral("4"));
    QCOMPARE(g->Text(), QString());
    QCOMPARE(BeepCount(), 1);
}

void TestEntryWindows::naishinPositionsBeyondTheSubjects()
{
    // Five subjects in the default naishin order: positions 5..8 name subjects 6..9, which do not
    // exist. They are locked as a position without a subject is, whatever their slots hold.
    Env env;
    StudentRecord rec = env.fx.readRecord(1);
    rec.setNaishinSlot(6, 7);
    env.fx.writeRecord(1, rec);
    env.loadNaishin();
    GradeData& gd = env.fx.gd();
    gd.subjectCount = 5;
    for (int k = 6; k <= 9; ++k)
        gd.subjectNames[k].clear();
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow<NaishinEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    for (int col = 8; col <= 11; ++col) {
        QCOMPARE(g->TextMatrix(0, col), QString());
        QCOMPARE(g->TextMatrix(1, col), QString());
    }
    QCOMPARE(g->TextMatrix(0, 12), QStringLiteral("英語"));

    // No key.
    select(g, 1, 9, 1, 9);
    typeKeys(g, QStringLiteral("4 "));
    QCOMPARE(g->Text(), QString());
    QCOMPARE(BeepCount(), 2);
    // No paste: the positions with a subject take theirs, the locked ones nothing, with a beep.
    select(g, 2, 7, 2, 9);
    QGuiApplication::clipboard()->setText(QStringLiteral("6\t6\t6\r\n"));
    w->mPasteButton->click();
    QCOMPARE(BeepCount(), 3);
    QCOMPARE(g->TextMatrix(2, 7), QStringLiteral("6"));
    QCOMPARE(g->TextMatrix(2, 8), QString());
    QCOMPARE(g->TextMatrix(2, 9), QString());
    // Never saved, even a cell set behind the keys' back: slot 6 keeps its 7.
    g->setTextMatrix(1, 9, QString());
    g->setTextMatrix(3, 10, QStringLiteral("5"));
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{2}));
    QCOMPARE(env.fx.readRecord(1).naishinSlot(6), 7);
    QCOMPARE(env.fx.readRecord(3).naishinSlot(7), 0);
    QCOMPARE(env.fx.readRecord(2).naishinSlot(4), 6);
}

// ---------------------------------------------------------------------------------------------
// Career choice entry

void TestEntryWindows::careerWindowLayout()
{
    Env env;
    env.loadChoices();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    FlexGrid* list = w->mSchoolGrid;
    QCOMPARE(w->windowTitle(), QStringLiteral("進路希望の入力"));
    QCOMPARE(w->mFinishButton->text(), QStringLiteral("終了"));
    QVERIFY(w->mPasteButton->isHidden());
    QCOMPARE(g->Cols(), 8);
    QCOMPARE(g->TextMatrix(0, 4), QStringLiteral("第１志望"));
    QCOMPARE(g->TextMatrix(0, 7), QStringLiteral("推　　薦"));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("高3"));
    QCOMPARE(g->TextMatrix(1, 5), QString()); // 40 with 16 schools
    QCOMPARE(list->Rows(), 10);
    QCOMPARE(list->Cols(), 10);
    QCOMPARE(list->TextMatrix(0, 0), QStringLiteral("  1 高1"));
    QCOMPARE(list->TextMatrix(0, 1), QStringLiteral(" 11 高11"));
    QCOMPARE(list->TextMatrix(5, 1), QStringLiteral(" 16 その他"));
    QCOMPARE(list->TextMatrix(6, 1), QStringLiteral("  0 なし"));
    QCOMPARE(w->minimumSize(), QSize(488, 384));
    // The school list lies below the choices, both inside the window, at the minimum size too.
    for (const QSize size : {w->size(), w->minimumSize()}) {
        w->resize(size);
        QVERIFY(g->geometry().bottom() < list->geometry().top());
        QVERIFY(list->geometry().bottom() < w->height());
        QVERIFY(g->height() > 3 * g->RowHeight());
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("5\r\n"));
    select(g, 2, 4, 2, 4);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g->TextMatrix(2, 4), QString());
}

void TestEntryWindows::careerTypingAndLeaving()
{
    Env env;
    env.loadChoices();
    GradeData& gd = env.fx.gd();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    select(g, 2, 4, 2, 4);
    typeKeys(g, QStringLiteral("3\n"));
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("高3"));
    QCOMPARE(gd.careerChoice(1, 2), 3);
    QCOMPARE(g->Col(), 5);
    typeKeys(g, QStringLiteral("12\b4\n"));
    QCOMPARE(gd.careerChoice(2, 2), 14);
    // "0" clears, and so does Space then leaving.
    select(g, 2, 4, 2, 4);
    typeKeys(g, QStringLiteral("0\n"));
    QCOMPARE(g->TextMatrix(2, 4), QString());
    QCOMPARE(gd.careerChoice(1, 2), 0);
    select(g, 2, 5, 2, 5);
    typeKeys(g, QStringLiteral(" "));
    QCOMPARE(g->Text(), QStringLiteral(" "));
    select(g, 3, 5, 3, 5);
    QCOMPARE(g->TextMatrix(2, 5), QString());
    QCOMPARE(gd.careerChoice(2, 2), 0);
    // Above the list: a beep, the digits stay, the choice too.
    select(g, 1, 4, 1, 4);
    typeKeys(g, QStringLiteral("17\n"));
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("17"));
    QCOMPARE(gd.careerChoice(1, 1), 3);
    // "-" means nothing here.
    select(g, 4, 4, 4, 4);
    typeKeys(g, QStringLiteral("-"));
    QCOMPARE(g->Text(), QString());
}

void TestEntryWindows::careerDeleteStoresZero()
{
    Env env;
    env.loadChoices();
    GradeData& gd = env.fx.gd();
    gd.careerChoice(3, 2) = 5;
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    select(g, 2, 6, 1, 4); // dragged upwards
    QTest::keyClick(g, Qt::Key_Delete);
    QCOMPARE(gd.careerChoice(1, 1), 0);
    QCOMPARE(gd.careerChoice(2, 1), 0); // the 40 too
    QCOMPARE(gd.careerChoice(3, 2), 0);
    QCOMPARE(g->TextMatrix(1, 4), QString());
}

void TestEntryWindows::careerPickingInTheSchoolList()
{
    Env env;
    env.loadChoices();
    GradeData& gd = env.fx.gd();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    FlexGrid* list = w->mSchoolGrid;
    select(g, 2, 4, 2, 4);
    // A double-click on school 12.
    list->setRow(1);
    list->setCol(1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->cellRect(1, 1).center());
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("高12"));
    QCOMPARE(gd.careerChoice(1, 2), 12);
    QCOMPARE(g->Col(), 5);
    QVERIFY(g->hasFocus());
    // An empty cell of the list stores nothing but still moves on.
    list->setRow(9);
    list->setCol(5);
    w->onSchoolGridDoubleClicked();
    QCOMPARE(gd.careerChoice(2, 2), 0);
    QCOMPARE(g->Col(), 6);
    // Enter in the list picks and keeps the focus there; Backspace goes back to the choices.
    list->setFocus();
    list->setRow(6);
    list->setCol(1); // "  0 なし"
    g->setTextMatrix(2, 6, QStringLiteral("高2"));
    gd.careerChoice(3, 2) = 2;
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(g->TextMatrix(2, 6), QString());
    QCOMPARE(gd.careerChoice(3, 2), 0);
    QCOMPARE(g->Col(), 7);
    QVERIFY(list->hasFocus());
    list->setRow(2);
    list->setCol(0);
    QTest::keyClick(list, Qt::Key_Return); // the last column: on to the next row
    QCOMPARE(gd.careerChoice(4, 2), 3);
    QCOMPARE(g->Row(), 3);
    QCOMPARE(g->Col(), 4);
    QTest::keyClick(list, Qt::Key_Backspace);
    QVERIFY(g->hasFocus());
    // A single click gives the focus to the choices.
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->cellRect(0, 0).center());
    QVERIFY(g->hasFocus());
    QCOMPARE(gd.careerChoice(1, 3), 0);
}

void TestEntryWindows::careerCurrentCellIsYellow()
{
    Env env;
    env.loadChoices();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* g = w->mGrid;
    const QColor yellow = g->CellBackColor(1, 4);
    QVERIFY(yellow.isValid());
    QCOMPARE(yellow, QColor(255, 255, 192));
    typeKeys(g, QStringLiteral("\n\n"));
    QCOMPARE(g->Col(), 6);
    int painted = 0;
    for (int r = 1; r < g->Rows(); ++r)
        for (int c = 4; c < g->Cols(); ++c)
            painted += g->CellBackColor(r, c) == yellow;
    QCOMPARE(painted, 1);
    QCOMPARE(g->CellBackColor(1, 6), yellow);
}

void TestEntryWindows::careerCloseBoxRestoresTheChoices()
{
    Env env;
    env.loadChoices();
    GradeData& gd = env.fx.gd();
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    typeKeys(w->mGrid, QStringLiteral("5\n"));
    QCOMPARE(gd.careerChoice(1, 1), 5);
    ScriptedMessages answers;
    answers.queue(MsgAnswer::No);
    QVERIFY(!w->close());
    QCOMPARE(gd.careerChoice(1, 1), 5);
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(gd.careerChoice(1, 1), 3);
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestEntryWindows::careerFinishWritesTheChoices()
{
    Env env;
    env.loadChoices();
    const QByteArray before = env.fx.rosterBytes();
    {
        auto w = openWindow<CareerChoiceEntryWindow>(env);
        QVERIFY(finishReadOnly(env, w.get()));
    }
    QCOMPARE(env.fx.rosterBytes(), before);
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    select(w->mGrid, 3, 7, 3, 7);
    typeKeys(w->mGrid, QStringLiteral("16\n"));
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), QList<int>{3});
    QCOMPARE(env.fx.readRecord(3).choice(4), 16);
    QCOMPARE(env.fx.readRecord(1).choice(2), 40); // shown empty, kept
}

void TestEntryWindows::careerHundredSchools()
{
    Env env;
    env.loadChoices(100);
    auto w = openWindow<CareerChoiceEntryWindow>(env);
    FlexGrid* list = w->mSchoolGrid;
    QCOMPARE(list->Cols(), 11);
    QCOMPARE(list->TextMatrix(0, 10), QStringLiteral("  0 なし"));
    QCOMPARE(list->TextMatrix(9, 9), QStringLiteral("100 その他"));
    select(w->mGrid, 1, 4, 1, 4);
    list->setRow(0);
    list->setCol(10);
    w->onSchoolGridDoubleClicked();
    QCOMPARE(env.fx.gd().careerChoice(1, 1), 0);
    QVERIFY(list->geometry().bottom() < w->height());
}

QTEST_MAIN(TestEntryWindows)
#include "tst_entrywindows.moc"
