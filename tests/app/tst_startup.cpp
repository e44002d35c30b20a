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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
