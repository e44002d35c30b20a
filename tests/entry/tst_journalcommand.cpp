#include "Cp932.h"
#include "EntryCommand.h"
#include "GradeLock.h"
#include "InputJournal.h"
#include "JournalCommand.h"
#include "ListFiles.h"
#include "SampleGrade.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {

using Run = test::CommandRun;

// A sample grade 2 of three classes, with a school list of its own.
struct Grade
{
    QTemporaryDir dir;
    QTemporaryDir inputs;
    QString folder;

    Grade()
    {
        folder = dir.path() + u'/';
        SampleOptions options;
        options.grade = 2;
        options.classes = 3;
        options.pupils = 12;
        options.seed = 11;
        if (!WriteSampleGrade(folder, options)) qFatal("sample");
        QString list = QStringLiteral(" 3 \r\n");
        for (const char* name : {"第1高", "2工", "青嵐"})
            list += QStringLiteral("\"%1\",\"県立%1高等学校\",\"普通科\", 0 \r\n").arg(QString::fromUtf8(name));
        test::WriteFileBytes(PathIgnoringCase(folder, QStringLiteral("hischool.txt")), Cp932::encode(list));
    }

    QStringList args(const QStringList& screen) const
    {
        return QStringList{QStringLiteral("--data"), folder, QStringLiteral("--grade"), QStringLiteral("2")} + screen;
    }
    Run run(const QStringList& screen, const QStringList& action, const QByteArray& input = {}) const
    {
        QBuffer in;
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        SetEntryCommandInput(&in);
        const Run r =
            test::RunCommand([](const QStringList& argv, QTextStream& out,
                                QTextStream& err) { return RunEntryCommand(argv, test::StdFilesFolder(), out, err); },
                             QStringLiteral("seiran-entry"), args(screen) + action);
        SetEntryCommandInput(nullptr);
        return r;
    }
    // Row `row` (from 1) of the exported grid, split.
    QStringList exported(const QStringList& screen, int row) const
    {
        return run(screen, {QStringLiteral("--export")}).out.split(QStringLiteral("\r\n")).value(row).split(u'\t');
    }
    QString journalFolder() const { return JournalFolder(folder, 2); }
    QStringList journals() const
    {
        return QDir(journalFolder()).entryList({QStringLiteral("*.jnl")}, QDir::Files, QDir::Name);
    }
    QString onlyJournal() const
    {
        const QStringList names = journals();
        return names.size() == 1 ? journalFolder() + names.first() : QString();
    }
    QByteArray roster() const { return test::ReadFileBytes(folder + QStringLiteral("dtfile02.rnd")); }
};

const QStringList TestScreen{QStringLiteral("test"), QStringLiteral("--test"), QStringLiteral("2")};

QByteArray line(const QStringList& row, const QString& text)
{
    return QStringList{row.at(0), row.at(1), QString(), text}.join(u'\t').toUtf8();
}

// The edit line "組 TAB 番 TAB header TAB text" for pupil row `row` of the grid.
QByteArray editLine(const Grade& g, const QStringList& screen, int row, int col, const QString& text)
{
    const QStringList header = g.exported(screen, 0);
    const QStringList pupil = g.exported(screen, row);
    return QStringList{pupil.at(0), pupil.at(1), header.at(col), text}.join(u'\t').toUtf8() + '\n';
}

// Rewrites a journal after `change` (its CRCs made again), as another version of the screen
// would have written it.
void rewriteJournal(const QString& path, const std::function<void(JournalContents&)>& change)
{
    JournalContents contents;
    QVERIFY(ReadJournal(path, contents));
    change(contents);
    QByteArray bytes = JournalHeaderLine(contents.header);
    for (const JournalEntry& e : contents.entries)
        bytes += JournalEntryLine(e);
    test::WriteFileBytes(path, bytes);
}

} // namespace

class TestJournalCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void editAnswersEveryLineOnce();
    void editSavesOrDiscards();
    void everyScreenRecoversItsJournal_data();
    void everyScreenRecoversItsJournal();
    void remappedColumnsAndReplacedPupilsAreRefused();
    void severalOrphansAreListed();
    void killedEditIsRecoveredWithItsClash();
};

void TestJournalCommand::editAnswersEveryLineOnce()
{
    Grade g;
    const QByteArray before = g.roster();
    const QStringList first = g.exported(TestScreen, 1);
    const QString second = g.exported(TestScreen, 2).at(5) == QLatin1String("8") ? "9" : "8";
    const QByteArray input = editLine(g, TestScreen, 1, 4, QStringLiteral("77")) + // taken
                             editLine(g, TestScreen, 1, 4, QStringLiteral("77")) + // changes nothing
                             editLine(g, TestScreen, 2, 5, second) + "9\t9\t" +
                             g.exported(TestScreen, 0).at(4).toUtf8() + "\t5\n" +   // nobody
                             line(first, QStringLiteral("5")) + "\n" +              // no such column
                             editLine(g, TestScreen, 1, 4, QStringLiteral("4.5")) + // not a score
                             "only\tthree\tfields\n" + "\n" +
                             editLine(g, TestScreen, 3, 4, QStringLiteral("-")); // last line without LF
    const Run r = g.run(TestScreen, {QStringLiteral("--edit")}, input.chopped(1));
    QCOMPARE(r.status, 2); // the input ended without #save
    const QStringList answers = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(answers.size(), 9);
    const QStringList expected{"ok", "ok", "ok", "refused", "refused", "refused", "refused", "refused", "ok"};
    for (int i = 0; i < answers.size(); ++i)
        QCOMPARE(answers.at(i).section(u'\t', 0, 0), expected.at(i));
    QVERIFY(answers.at(3).contains(QStringLiteral("9組 9番")));
    QCOMPARE(g.roster(), before); // nothing is saved without #save

    JournalContents journal;
    QVERIFY(ReadJournal(g.onlyJournal(), journal));
    QCOMPARE(journal.entries.size(), 3);
    QCOMPARE(journal.header.screen, QStringLiteral("test"));
    QCOMPARE(journal.header.scope, QStringLiteral("test 2"));
    QCOMPARE(journal.entries.first().text, QStringLiteral("77"));
    QCOMPARE(journal.entries.first().name, first.at(2).trimmed());
    QCOMPARE(journal.entries.last().text, QStringLiteral("-"));

    // The orphan now stands in the way of a new edit of the same test, not of another test.
    const Run again = g.run(TestScreen, {QStringLiteral("--edit")}, editLine(g, TestScreen, 1, 4, "1"));
    QCOMPARE(again.status, 2);
    QVERIFY(again.out.isEmpty());
    QVERIFY(again.err.contains(QStringLiteral("--recover")));
    const QStringList otherTest{QStringLiteral("test"), QStringLiteral("--test"), QStringLiteral("1")};
    QCOMPARE(g.run(otherTest, {QStringLiteral("--edit")}, "#discard\n").status, 0);
}

void TestJournalCommand::editSavesOrDiscards()
{
    Grade g;
    const QByteArray before = g.roster();
    const QByteArray change = editLine(g, TestScreen, 2, 4, QStringLiteral("64"));

    Run r = g.run(TestScreen, {QStringLiteral("--edit")}, change + "#discard\n" + change);
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("ok\nok\n")); // nothing is read after #discard
    QVERIFY(g.journals().isEmpty());
    QCOMPARE(g.roster(), before);

    r = g.run(TestScreen, {QStringLiteral("--edit")}, change + "#save\n");
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QStringLiteral("ok\nok\n"));
    QVERIFY(g.journals().isEmpty());
    QCOMPARE(g.exported(TestScreen, 2).at(4), QStringLiteral("64"));
}

void TestJournalCommand::everyScreenRecoversItsJournal_data()
{
    QTest::addColumn<QStringList>("screen");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::newRow("test") << TestScreen << 6 << QStringLiteral("-0");
    QTest::newRow("kyoka") << QStringList{"kyoka", "--subject", "2", "--tests", "1,3"} << 5 << QStringLiteral("93");
    QTest::newRow("naishin") << QStringList{"naishin"} << 4 << QStringLiteral("10");
    QTest::newRow("sinro") << QStringList{"sinro"} << 5 << QStringLiteral("青嵐");
}

void TestJournalCommand::everyScreenRecoversItsJournal()
{
    QFETCH(QStringList, screen);
    QFETCH(int, col);
    QFETCH(QString, text);
    Grade g;
    QCOMPARE(g.run(screen, {QStringLiteral("--edit")}, editLine(g, screen, 4, col, text)).status, 2);
    QCOMPARE(g.journals().size(), 1);
    QVERIFY(g.journals().first().startsWith(screen.first() + u'-'));
    QCOMPARE(g.exported(screen, 4).at(col) == text, false);

    const Run r = g.run(screen, {QStringLiteral("--recover")});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    QCOMPARE(g.exported(screen, 4).at(col), text);
    QVERIFY(g.journals().isEmpty());
    // Nothing is left to recover.
    QCOMPARE(g.run(screen, {QStringLiteral("--recover")}).status, 2);
}

void TestJournalCommand::remappedColumnsAndReplacedPupilsAreRefused()
{
    Grade g;
    const QByteArray edits =
        editLine(g, TestScreen, 1, 4, QStringLiteral("11")) + editLine(g, TestScreen, 2, 4, QStringLiteral("22"));
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--edit")}, edits).status, 2);
    const QString path = g.onlyJournal();
    const QByteArray before = g.roster();

    // The tests were changed since: the columns map other slots now, and nothing is restored.
    const QByteArray original = test::ReadFileBytes(path);
    rewriteJournal(
        path, [](JournalContents& j) { j.header.columns.replace(QStringLiteral("slot:"), QStringLiteral("slot:1")); });
    Run r = g.run(TestScreen, {QStringLiteral("--recover")});
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("列の並びが変わった")));
    QCOMPARE(g.roster(), before);
    QVERIFY(QFile::exists(path));

    // The first pupil's record now holds another pupil: that entry is named and left, the rest is saved.
    test::WriteFileBytes(path, original);
    rewriteJournal(path, [](JournalContents& j) { j.entries.first().name = QStringLiteral("転出した生徒"); });
    r = g.run(TestScreen, {QStringLiteral("--recover")});
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.contains(QStringLiteral("転出した生徒")));
    QVERIFY(r.err.contains(QStringLiteral("別の生徒")));
    QVERIFY(g.exported(TestScreen, 1).at(4) != QLatin1String("11"));
    QCOMPARE(g.exported(TestScreen, 2).at(4), QStringLiteral("22"));
    QVERIFY(g.journals().isEmpty());
}

void TestJournalCommand::severalOrphansAreListed()
{
    Grade g;
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--edit")}, editLine(g, TestScreen, 1, 4, "31")).status, 2);
    const QString first = g.onlyJournal();
    // A second orphan of the same test (another PC's run, say): written aside, then put back.
    QVERIFY(QFile::rename(first, first + QStringLiteral(".aside")));
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--edit")}, editLine(g, TestScreen, 1, 4, "32")).status, 2);
    QVERIFY(QFile::rename(first + QStringLiteral(".aside"), first));
    QCOMPARE(g.journals().size(), 2);

    Run r = g.run(TestScreen, {QStringLiteral("--recover")});
    QCOMPARE(r.status, 2);
    for (const QString& name : g.journals())
        QVERIFY2(r.err.contains(name), qPrintable(r.err));
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--discard"), QStringLiteral("--journal"), first}).status, 0);
    QVERIFY(!QFile::exists(first));
    r = g.run(TestScreen, {QStringLiteral("--recover"), QStringLiteral("--journal"), g.journals().first()});
    QCOMPARE(r.status, 0);
    QCOMPARE(g.exported(TestScreen, 1).at(4), QStringLiteral("32"));
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--discard"), QStringLiteral("--journal"), first}).status, 2);
}

// The whole road headless: a child typing through --edit is killed; another saves the same cell
// meanwhile; --recover meets that as a clash and keeps the journal until told whose value holds.
void TestJournalCommand::killedEditIsRecoveredWithItsClash()
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/seiran-entry");
    if (!QFile::exists(program)) QSKIP("seiran-entry is not built");
    Grade g;
    const QStringList header = g.exported(TestScreen, 0);
    const QString loaded = g.exported(TestScreen, 3).at(5);
    const QString mine = loaded == QLatin1String("41") ? QStringLiteral("42") : QStringLiteral("41");

    QProcess child;
    child.start(program, g.args(TestScreen) +
                             QStringList{QStringLiteral("--edit"), QStringLiteral("--user"), QStringLiteral("佐藤")});
    QVERIFY(child.waitForStarted());
    child.write(editLine(g, TestScreen, 3, 5, mine) + editLine(g, TestScreen, 5, 6, QStringLiteral("17")));
    QByteArray answers;
    while (answers.count('\n') < 2 && child.waitForReadyRead(20000))
        answers += child.readAllStandardOutput();
    QCOMPARE(answers, QByteArray("ok\nok\n"));
    child.kill();
    QVERIFY(child.waitForFinished());
    const QString path = g.onlyJournal();
    QVERIFY(!path.isEmpty());
    const QByteArray journal = test::ReadFileBytes(path);

    // Someone else saves the same cell before the recovery.
    QByteArray grid = g.run(TestScreen, {QStringLiteral("--export")}).out.toUtf8();
    QStringList lines = QString::fromUtf8(grid).split(QStringLiteral("\r\n"));
    QStringList fields = lines[3].split(u'\t');
    fields[5] = QStringLiteral("5");
    lines[3] = fields.join(u'\t');
    const QString importPath = g.inputs.filePath(QStringLiteral("theirs.tsv"));
    test::WriteFileBytes(importPath, lines.join(QStringLiteral("\r\n")).toUtf8());
    QCOMPARE(g.run(TestScreen, {QStringLiteral("--import"), importPath}).status, 0);

    // The clash: nothing written, its line printed (line 0), the journal kept as it was.
    const QByteArray saved = g.roster();
    Run r = g.run(TestScreen, {QStringLiteral("--recover")});
    QCOMPARE(r.status, 2);
    const QStringList row3 = g.exported(TestScreen, 3);
    const QString clash =
        QStringList{
            QStringLiteral("競合"), QStringLiteral("0"), row3.at(0), row3.at(1), header.at(5), loaded, mine, "5"}
            .join(u'\t');
    QVERIFY2(r.err.contains(clash), qPrintable(r.err));
    QCOMPARE(g.roster(), saved);
    QCOMPARE(test::ReadFileBytes(path), journal);

    r = g.run(TestScreen, {QStringLiteral("--recover"), QStringLiteral("--on-conflict"), QStringLiteral("mine")});
    QCOMPARE(r.status, 0);
    QCOMPARE(g.exported(TestScreen, 3).at(5), mine);
    QCOMPARE(g.exported(TestScreen, 5).at(6), QStringLiteral("17"));
    QVERIFY(g.journals().isEmpty());
    // The killed child's registration is gone too.
    const QByteArray registry = test::ReadFileBytes(GradeLockFolder(g.folder, 2) + QStringLiteral("lock.txt"));
    QVERIFY2(!registry.contains("--edit"), registry.constData());
}

QTEST_GUILESS_MAIN(TestJournalCommand)
#include "tst_journalcommand.moc"
