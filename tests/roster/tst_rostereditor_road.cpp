// The typical road on a sample grade: a teacher enrols a pupil in the roster editor, chooses a
// test, types scores for the whole grade's columns in the score entry window, finishes with
// "入力終了", and the roster file holds exactly what was typed, nothing else.
#include "Aggregate.h"
#include "CellEditBox.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

void putInt16(QByteArray& bytes, qsizetype offset, int value)
{
    bytes[offset] = char(value & 0xff);
    bytes[offset + 1] = char((value >> 8) & 0xff);
}

} // namespace

class TestRoad : public QObject
{
    Q_OBJECT

private slots:
    void enrolTypeSaveReload();
};

void TestRoad::enrolTypeSaveReload()
{
    QTemporaryDir dir;
    SampleOptions options;
    options.grade = 2;
    options.classes = 3;
    options.pupils = 30;
    options.seed = 11;
    QVERIFY(WriteSampleGrade(dir.path(), options).ok);

    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = dir.path() + QLatin1Char('/');
    gd->currentGrade = 2;
    RecordingProgress progress;
    SilentNotice notice;
    Session session{*gd, progress, notice, QString(), [] { return 2; }};
    QVERIFY(LoadTestList(*gd).ok);
    QVERIFY(LoadSubjectList(*gd).ok);
    QCOMPARE(gd->classCount, 3);
    const QString path = RosterFile::pathFor(*gd);
    ScriptedMessages answers;

    // 1. The roster: a new pupil on the first free seat of class 2.
    int seat = 0;
    {
        RosterEditorWindow meibo(session);
        meibo.show();
        meibo.onNextClicked();
        FlexGrid* g = meibo.frontGrid();
        for (int r = 1; r <= 60 && seat == 0; ++r) {
            if (g->TextMatrix(r, 4) == QStringLiteral("未登録")) seat = r;
        }
        QVERIFY(seat > 0);
        g->setRow(seat);
        g->setCol(1);
        QTest::keyClick(g, Qt::Key_Return);
        meibo.mNameEditor->setText(QStringLiteral("転入 花子"));
        QTest::keyClick(meibo.mNameEditor, Qt::Key_Return);
        g->setCol(2);
        QTest::keyClick(g, Qt::Key_2);
        g->setCol(3);
        QTest::keyClick(g, Qt::Key_Return);
        meibo.mNameEditor->setText(QStringLiteral("てんにゅう はなこ"));
        QTest::keyClick(meibo.mNameEditor, Qt::Key_Return);
        answers.queue(MsgAnswer::Yes);
        QVERIFY(meibo.close());
    }
    const StudentRecord enrolled = [&] {
        RosterFile file(path);
        StudentRecord rec;
        file.openReadOnly();
        file.read(RosterFile::recordNumber(2, seat), rec);
        return rec;
    }();
    QCOMPARE(enrolled.flag(), 1);
    QCOMPARE(enrolled.sex(), 2);
    QCOMPARE(enrolled.name().trimmed(), QStringLiteral("転入 花子"));
    QCOMPARE(enrolled.scoreSlot(1), -5);

    // 2. The test: its scores and aggregates as the main window prepares them.
    gd->currentTest = 1;
    QVERIFY(LoadTestScores(*gd, progress).ok);
    AggregateTest(*gd);
    const int subjects = gd->currentTestSubjectCount();
    QVERIFY(subjects >= 5);
    int pupil = 0;
    for (int s = 1; s <= gd->studentCount; ++s) {
        if (gd->studentClass[s] == 2 && gd->studentNumber[s] == seat) pupil = s;
    }
    QVERIFY(pupil > 0);
    const QByteArray before = test::ReadFileBytes(path);

    // 3. Scores typed row by row: the new pupil's whole row, and a correction for pupil 1.
    QList<int> typed;
    {
        ScoreEntryWindow input(session);
        input.show();
        FlexGrid* g = input.mGrid;
        QCOMPARE(g->TextMatrix(pupil, 2), QStringLiteral("転入 花子"));
        QCOMPARE(g->TextMatrix(pupil, 3), QStringLiteral("女"));
        g->setRow(pupil);
        g->setCol(4);
        for (int j = 1; j <= subjects; ++j) {
            const QString text = j == 2   ? QStringLiteral("-")
                                 : j == 3 ? QStringLiteral("-12")
                                          : QString::number(40 + j);
            for (QChar ch : text)
                QTest::keyClick(g, ch.toLatin1());
            QTest::keyClick(g, Qt::Key_Return);
            typed << (j == 2 ? -1 : j == 3 ? -22 : 40 + j);
        }
        QCOMPARE(g->Row(), qMin(pupil + 1, gd->studentCount));
        QCOMPARE(g->Col(), 4);
        g->setRow(1);
        g->setCol(4);
        QTest::keyClick(g, '9');
        QTest::keyClick(g, '9');
        QTest::mouseClick(input.mFinishButton, Qt::LeftButton);
        QVERIFY(!input.isVisible());
    }

    // 4. Reload and compare: the file is the old file with exactly those slots changed.
    QByteArray expected = before;
    const int first = gd->testFirstSlot[1];
    const qsizetype newRecord = qsizetype(RosterFile::recordNumber(2, seat) - 1) * StudentRecord::Size;
    for (int j = 1; j <= subjects; ++j)
        putInt16(expected, newRecord + 48 + 2 * (first + j - 1), typed.at(j - 1));
    const qsizetype firstRecord =
        qsizetype(RosterFile::recordNumber(gd->studentClass[1], gd->studentNumber[1]) - 1) * StudentRecord::Size;
    putInt16(expected, firstRecord + 48 + 2 * first, 99);
    QCOMPARE(test::ReadFileBytes(path), expected);

    QVERIFY(LoadTestScores(*gd, progress).ok);
    for (int j = 1; j <= subjects; ++j)
        QCOMPARE(gd->scores(j, pupil), typed.at(j - 1));
    QCOMPARE(gd->scores(1, 1), 99);
    ScoreEntryWindow again(session);
    QCOMPARE(again.mGrid->TextMatrix(pupil, 6), QStringLiteral("-12"));
    QCOMPARE(again.mGrid->TextMatrix(pupil, 5), QStringLiteral("-"));
}

QTEST_MAIN(TestRoad)
#include "tst_rostereditor_road.moc"
