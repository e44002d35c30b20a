// The three entry screens on a sample grade, as a teacher uses them: open, type, finish, and
// the roster file holds exactly what was typed, nothing else; the entry command then exports
// what the windows show.
#include "CareerChoiceEntryWindow.h"
#include "EntryCommand.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "NaishinEntryWindow.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "SubjectScoreEntryWindow.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {

void putInt16(QByteArray& bytes, int record, int offset, int value)
{
    const qsizetype at = qsizetype(record - 1) * StudentRecord::Size + offset;
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char((value >> 8) & 0xff);
}

QString exportGrid(const QString& folder, const QStringList& screen)
{
    const test::CommandRun run =
        test::RunCommand([](const QStringList& argv, QTextStream& out,
                            QTextStream& err) { return RunEntryCommand(argv, test::StdFilesFolder(), out, err); },
                         QStringLiteral("seiran-entry"),
                         QStringList{QStringLiteral("--data"), folder, QStringLiteral("--grade"), QStringLiteral("2")} +
                             screen + QStringList{QStringLiteral("--export")});
    if (run.status != 0) qWarning() << run.err;
    return run.out;
}

} // namespace

class TestEntryRoad : public QObject
{
    Q_OBJECT
private slots:
    void typeFinishReload();
};

void TestEntryRoad::typeFinishReload()
{
    QTemporaryDir dir;
    SampleOptions options;
    options.grade = 2;
    options.classes = 3;
    options.pupils = 30;
    options.seed = 5;
    QVERIFY(WriteSampleGrade(dir.path(), options).ok);
    const QString folder = dir.path() + QLatin1Char('/');

    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = folder;
    gd->currentGrade = 2;
    RecordingProgress progress;
    SilentNotice notice;
    Session session{*gd, progress, notice, test::StdFilesFolder(), [] { return 0; }};
    QVERIFY(LoadTestList(*gd).ok);
    QVERIFY(LoadSubjectList(*gd).ok);
    const QString path = RosterFile::pathFor(*gd);
    QByteArray expected = test::ReadFileBytes(path);

    // 1. 内申点: with "自動移動", nine keys fill the second pupil's row.
    QVERIFY(LoadNaishin(*gd, progress));
    const int second = RosterFile::recordNumber(gd->studentClass[2], gd->studentNumber[2]);
    {
        NaishinEntryWindow w(session);
        w.show();
        w.mAutoMoveCheck->click();
        w.mGrid->setRow(2);
        w.mGrid->setCol(4);
        for (const char key : QByteArray("345678901"))
            QTest::keyClick(w.mGrid, key);
        QCOMPARE(w.mGrid->Row(), 3);
        w.mFinishButton->click();
    }
    const int points[] = {3, 4, 5, 6, 7, 8, 9, 10, 1};
    for (int j = 1; j <= 9; ++j)
        putInt16(expected, second, 16 + 2 * gd->naishinSlot[j], points[j - 1]);
    QCOMPARE(test::ReadFileBytes(path), expected);

    // 2. 進路希望: a number typed for the first pupil, a school picked for the second choice.
    QVERIFY(LoadCareerChoices(*gd, progress));
    QVERIFY(LoadHighSchoolList(*gd, test::StdFilesFolder(), notice));
    const int first = RosterFile::recordNumber(gd->studentClass[1], gd->studentNumber[1]);
    {
        CareerChoiceEntryWindow w(session);
        w.show();
        QTest::keyClick(w.mGrid, '4');
        QTest::keyClick(w.mGrid, Qt::Key_Return);
        w.mSchoolGrid->setRow(1);
        w.mSchoolGrid->setCol(0);
        w.onSchoolGridDoubleClicked();
        w.mFinishButton->click();
    }
    putInt16(expected, first, 40 + 2, 4);
    putInt16(expected, first, 40 + 4, 2);
    QCOMPARE(test::ReadFileBytes(path), expected);

    // 3. Scores by subject: 数学 of tests 1 and 3, two cells of the first pupil.
    gd->evalSubject = 3;
    gd->selectedItemCount = 2;
    gd->selectedItems[1] = 1;
    gd->selectedItems[2] = 3;
    {
        SubjectScoreEntryWindow w(session);
        w.show();
        QTest::keyClicks(w.mGrid, QStringLiteral("77"));
        QTest::keyClick(w.mGrid, Qt::Key_Return);
        QTest::keyClick(w.mGrid, '-');
        QTest::keyClick(w.mGrid, Qt::Key_Return);
        w.mFinishButton->click();
    }
    putInt16(expected, first, 48 + 2 * (gd->testFirstSlot[1] + 2), 77);
    putInt16(expected, first, 48 + 2 * (gd->testFirstSlot[3] + 2), -1);
    QCOMPARE(test::ReadFileBytes(path), expected);

    // The score entry by test shows the edit once the test is loaded again.
    gd->currentTest = 3;
    QVERIFY(LoadTestScores(*gd, progress));
    {
        ScoreEntryWindow w(session);
        QCOMPARE(w.mGrid->TextMatrix(1, 6), QStringLiteral("-"));
    }

    // The entry command exports what the windows showed.
    const QStringList naishin = exportGrid(folder, {QStringLiteral("naishin")}).split(QStringLiteral("\r\n"));
    QCOMPARE(naishin.at(2).split(u'\t').mid(4), (QStringList{"3", "4", "5", "6", "7", "8", "9", "10", "1"}));
    const QStringList sinro = exportGrid(folder, {QStringLiteral("sinro")}).split(QStringLiteral("\r\n"));
    QCOMPARE(sinro.at(1).split(u'\t').mid(4, 2),
             (QStringList{gd->highSchoolShortNames[4], gd->highSchoolShortNames[2]}));
    const QStringList kyoka =
        exportGrid(folder, {QStringLiteral("kyoka"), QStringLiteral("--subject"), QStringLiteral("3"),
                            QStringLiteral("--tests"), QStringLiteral("1,3")})
            .split(QStringLiteral("\r\n"));
    QCOMPARE(kyoka.at(1).split(u'\t').mid(4), (QStringList{"77", "-"}));
}

QTEST_MAIN(TestEntryRoad)
#include "tst_entryroad.moc"
