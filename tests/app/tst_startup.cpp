// What the settings file beside the program proposes at start-up, compared with the stored
// Settings as the program uses them.
#include "Startup.h"

#include <QDir>
#include <QTest>

using namespace seiran;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void proposalComparesFoldersAsUsed_data();
    void proposalComparesFoldersAsUsed();
    void versionAndHelpInsteadOfTheWindow_data();
    void versionAndHelpInsteadOfTheWindow();
};

void TestStartup::proposalComparesFoldersAsUsed_data()
{
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("differs");

    QTest::newRow("no final separator in the file") << "/srv/DATA"
                                                    << "/srv/DATA" + sep << false;
    QTest::newRow("blanks in the file") << "  /srv/DATA  "
                                        << "/srv/DATA" + sep << false;
    QTest::newRow("no final separator stored") << "/srv/DATA/"
                                               << "/srv/DATA" << false;
    QTest::newRow("another folder") << "/srv/other"
                                    << "/srv/DATA" + sep << true;
    QTest::newRow("a parent is another folder") << "/srv"
                                                << "/srv/DATA" + sep << true;
    QTest::newRow("empty is the default folder") << "" << DefaultDataFolder() << false;
    QTest::newRow("not proposed") << "*"
                                  << "/srv/DATA" + sep << false;
}

void TestStartup::proposalComparesFoldersAsUsed()
{
    QFETCH(QString, proposed);
    QFETCH(QString, stored);
    QFETCH(bool, differs);

    IniProposal proposal;
    proposal.dataDir = proposed;
    StartupSettings settings;
    settings.dataFolder = stored;
    QCOMPARE(proposal.differsFrom(settings), differs);

    // Once taken, the proposal never asks again: the start-up question comes at most once.
    proposal.applyTo(settings);
    QVERIFY(!proposal.differsFrom(settings));
    QCOMPARE(settings.dataFolder, EffectiveDataFolder(settings.dataFolder));

    // The class labelling compares by its number.
    proposal.classMode = QStringLiteral(" 1 ");
    QVERIFY(proposal.differsFrom(settings));
    proposal.applyTo(settings);
    QCOMPARE(settings.classMode, 1);
    QVERIFY(!proposal.differsFrom(settings));
}

void TestStartup::versionAndHelpInsteadOfTheWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    const QString version = QStringLiteral("せいらん %1\n").arg(QStringLiteral(SEIRAN_VERSION));
    QTest::newRow("version") << QStringList{"seiran", "--version"} << version;
    QTest::newRow("help") << QStringList{"seiran", "--help"} << ProgramHelpText();
    QTest::newRow("short help") << QStringList{"seiran", "-h"} << ProgramHelpText();
    QTest::newRow("after settings") << QStringList{"seiran", "--settings", "s.ini", "--version"} << version;
    // A settings file named like an option is a file; a window opens.
    QTest::newRow("settings file --help") << QStringList{"seiran", "--settings", "--help"} << QString();
    QTest::newRow("window") << QStringList{"seiran"} << QString();
    QTest::newRow("program name only") << QStringList{"--version"} << QString();
}

void TestStartup::versionAndHelpInsteadOfTheWindow()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(ProgramInfoRequest(args), expected);
    // The help names every option the program takes and the commands beside it.
    for (const char* word : {"--settings", "--version", "--help", "seiran-report", "seiran-entry", "使い方"})
        QVERIFY2(ProgramHelpText().contains(QString::fromUtf8(word)), word);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
