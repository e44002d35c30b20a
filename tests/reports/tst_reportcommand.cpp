// seiran-report: loading a grade from its files, the dump, PDF files and the errors.
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {
using Run = test::CommandRun;

Run report(const QStringList& args)
{
    return test::RunCommand(RunSeiranReport, QStringLiteral("seiran-report"), args);
}

int countKind(const QStringList& lines, const QString& kind)
{
    int n = 0;
    for (const QString& line : lines)
        if (line.startsWith(kind + u'\t')) ++n;
    return n;
}
} // namespace

class ReportCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        QVERIFY(mDir.isValid());
        mFolder = mDir.filePath(QStringLiteral("grade"));
        const Result r = test::WriteSample(mFolder, 1, 4, 30);
        QVERIFY2(r.ok, qPrintable(r.message));
    }
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void helpListsTheReports()
    {
        const Run r = report({QStringLiteral("--help")});
        QCOMPARE(r.status, 0);
        for (const char* name : {"soten", "average", "jun", "--dump", "--pdf", "--printer NAME", "--copies N"})
            QVERIFY2(r.out.contains(QLatin1String(name)), name);
    }

    // The help is made from the tables every library registers its reports in: each report on
    // one line of the list, each option on one line, a report's own help with its options alone.
    void helpComesFromTheReportTable()
    {
        const QList<CommandEntry> entries = SeiranReportEntries();
        const Run all = report({QStringLiteral("--help")});
        QCOMPARE(all.status, 0);
        const QStringList lines = all.out.split(u'\n');
        const qsizetype optionsAt = lines.indexOf(QStringLiteral("オプション:"));
        QVERIFY(optionsAt > 0);
        qsizetype descriptionColumn = -1;
        QHash<QString, QString> valueOf; // an option means one kind of value in every report
        for (const CommandEntry& e : entries) {
            int listed = 0;
            for (qsizetype i = 0; i < optionsAt; ++i) {
                if (!lines.at(i).startsWith(QStringLiteral("  %1 ").arg(e.name))) continue;
                ++listed;
                const qsizetype column = lines.at(i).indexOf(e.description);
                QVERIFY2(column > 0, qPrintable(e.name));
                QVERIFY2(descriptionColumn < 0 || column == descriptionColumn, qPrintable(e.name));
                descriptionColumn = column;
            }
            QVERIFY2(listed == 1, qPrintable(e.name));
            for (const CommandOption& o : e.options) {
                QVERIFY2(!valueOf.contains(o.name) || valueOf.value(o.name) == o.value, qPrintable(o.name));
                valueOf.insert(o.name, o.value);
            }
        }
        for (auto it = valueOf.cbegin(); it != valueOf.cend(); ++it) {
            int listed = 0;
            for (qsizetype i = optionsAt; i < lines.size(); ++i)
                if (lines.at(i).startsWith(QStringLiteral("  %1 ").arg(it.key()))) ++listed;
            QVERIFY2(listed == 1, qPrintable(it.key()));
        }

        for (const CommandEntry& e : entries) {
            const Run own = report({e.name, QStringLiteral("--help")});
            QCOMPARE(own.status, 0);
            for (const CommandOption& o : e.options)
                QVERIFY2(own.out.contains(QStringLiteral("\n  %1 ").arg(o.name)), qPrintable(e.name + u' ' + o.name));
            for (auto it = valueOf.cbegin(); it != valueOf.cend(); ++it) {
                const bool takes = std::any_of(e.options.begin(), e.options.end(),
                                               [&it](const CommandOption& o) { return o.name == it.key(); });
                QVERIFY2(takes || !own.out.contains(QStringLiteral("\n  %1 ").arg(it.key())),
                         qPrintable(e.name + u' ' + it.key()));
            }
        }

        // A report's name after an option's value is still found; an unknown one is refused.
        QCOMPARE(
            CommandEntryName({"x", "--tests", "1,2", "--second", "sinro-grade"}, SeiranReportDescription(), entries),
            QStringLiteral("sinro-grade"));
        const Run unknown = report({QStringLiteral("--grade"), QStringLiteral("1"), QStringLiteral("graph")});
        QCOMPARE(unknown.status, 2);
        QVERIFY(unknown.err.contains(QStringLiteral("「graph」")) &&
                unknown.err.contains(QStringLiteral("sinro-school")));
        const Run none = report({QStringLiteral("--grade"), QStringLiteral("1")});
        QCOMPARE(none.status, 2);
        QVERIFY(none.err.contains(QStringLiteral("帳票の名前がありません")));
    }

    // Every report reads the printer options through the one registry: two outputs at once,
    // --copies without a printer or out of range, and a printer the system does not have.
    void printerOptionsOfEveryReport_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        const QString grade = QStringLiteral("--grade");
        const QString one = QStringLiteral("どれか一つ");
        QTest::newRow("table") << QStringList{grade, "1", "--test", "1", "soten", "--printer", "p", "--csv", "x.csv"}
                               << one;
        QTest::newRow("cards") << QStringList{grade, "1", "tsuchi", "--tests", "1", "--printer", "p", "--dump"} << one;
        QTest::newRow("graphs") << QStringList{grade, "1", "--test", "1", "dosu", "--printer", "p", "--pdf", "x.pdf"}
                                << one;
        QTest::newRow("hyotei") << QStringList{grade,       "1", "hyotei",    "--subject", "1",
                                               "--weights", "1", "--printer", "p",         "--tsv"}
                                << one;
        QTest::newRow("career") << QStringList{grade, "1", "sibo-class", "--printer", "p", "--dump"} << one;
        QTest::newRow("copies without printer")
            << QStringList{grade, "1", "--test", "1", "jun", "--copies", "2", "--dump"} << "--copies は --printer";
        QTest::newRow("career copies without printer")
            << QStringList{grade, "1", "sinro-grade", "--copies", "2", "--pdf", "x.pdf"} << "--copies は --printer";
        QTest::newRow("no copies") << QStringList{grade, "1", "--test", "1", "soten", "--copies", "0", "--printer", "p"}
                                   << "1～99";
        QTest::newRow("copies not a number")
            << QStringList{grade, "1", "matome", "--test", "1", "--copies", "two", "--printer", "p"} << "「two」";
        QTest::newRow("printer without a name")
            << QStringList{grade, "1", "--test", "1", "soten", "--printer"} << "--printer の後に値がありません";
        QTest::newRow("no such printer")
            << QStringList{grade, "1", "--test", "1", "soten", "--printer", "no_such_printer_here"}
            << "プリンタ「no_such_printer_here」がありません";
    }
    void printerOptionsOfEveryReport()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = report(QStringList{QStringLiteral("--data"), mFolder} + args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void errorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        const QString grade = QStringLiteral("--grade");
        QTest::newRow("unknown report") << QStringList{grade, "1", "--test", "1", "graph", "--dump"} << "graph";
        QTest::newRow("no such test") << QStringList{grade, "1", "--test", "99", "soten", "--dump"} << "99";
        QTest::newRow("no such class") << QStringList{grade, "1", "--test", "1", "soten", "--class", "9", "--dump"}
                                       << "9組";
        QTest::newRow("no such item") << QStringList{grade, "1", "--test", "1", "jun", "--item", "30", "--dump"}
                                      << "30";
        QTest::newRow("no such grade") << QStringList{grade, "4", "--test", "1", "soten", "--dump"} << "4";
        QTest::newRow("grade without files") << QStringList{grade, "2", "--test", "1", "soten", "--dump"} << "02";
        QTest::newRow("pdf and dump") << QStringList{grade, "1", "--test", "1", "soten", "--dump", "--pdf", "x.pdf"}
                                      << "--pdf";
        QTest::newRow("neither") << QStringList{grade, "1", "--test", "1", "average"} << "--dump";
        QTest::newRow("class for averages")
            << QStringList{grade, "1", "--test", "1", "average", "--class", "1", "--dump"} << "--class";
        QTest::newRow("not a number") << QStringList{grade, "one", "--test", "1", "soten", "--dump"} << "one";
        QTest::newRow("unknown option") << QStringList{grade, "1", "--test", "1", "soten", "--dump", "--fast"}
                                        << "--fast";
    }
    void errorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = report(QStringList{QStringLiteral("--data"), mFolder} + args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());

        const Run missing = report({QStringLiteral("--data"), mDir.filePath(QStringLiteral("nowhere")),
                                    QStringLiteral("--grade"), QStringLiteral("1"), QStringLiteral("--test"),
                                    QStringLiteral("1"), QStringLiteral("soten"), QStringLiteral("--dump")});
        QCOMPARE(missing.status, 2);
        QVERIFY(missing.err.contains(QStringLiteral("nowhere")));
    }

    void dumpOfTheRawScoreTable()
    {
        const QStringList common{QStringLiteral("--data"),  mFolder,
                                 QStringLiteral("--grade"), QStringLiteral("1"),
                                 QStringLiteral("--test"),  QStringLiteral("2"),
                                 QStringLiteral("soten"),   QStringLiteral("--dump")};
        const Run all = report(common);
        QCOMPARE(all.status, 0);
        const QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(countKind(lines, QStringLiteral("N")), 3); // four classes, one sheet each
        QVERIFY(lines.first().startsWith(QStringLiteral("T\t1\t0.00\t0.00\tＭＳ 明朝\t10\t素点一覧表     ")));
        QVERIFY(lines.first().endsWith(QStringLiteral(" 1 年 1 組")));
        for (const QString& line : lines) {
            const QStringList f = line.split(u'\t');
            if (f.first() == QLatin1String("T"))
                QCOMPARE(f.size(), 7);
            else if (f.first() == QLatin1String("L"))
                QCOMPARE(f.size(), 8);
            else
                QCOMPARE(f.first(), QStringLiteral("N"));
        }
        QVERIFY(lines.contains(QStringLiteral("T\t1\t0.00\t1.00\tＭＳ 明朝\t10\tNo.氏名")));
        // A test of nine subjects: rules 75 columns long.
        QVERIFY(lines.contains(QStringLiteral("L\t1\t0.00\t0.90\t75.00\t0.90\t1\t0")));

        const Run one = report(common + QStringList{QStringLiteral("--class"), QStringLiteral("3")});
        QCOMPARE(one.status, 0);
        QVERIFY(one.out.startsWith(QStringLiteral("T\t1\t0.00\t0.00\tＭＳ 明朝\t10\t素点一覧表")));
        QCOMPARE(countKind(one.out.split(u'\n'), QStringLiteral("N")), 0);
        QVERIFY(one.out.section(u'\n', 0, 0).endsWith(QStringLiteral(" 3 組")));
    }

    void pdfFiles()
    {
        const QStringList common{QStringLiteral("--data"),  mFolder,
                                 QStringLiteral("--grade"), QStringLiteral("1"),
                                 QStringLiteral("--test"),  QStringLiteral("1")};
        const QString jun = mDir.filePath(QStringLiteral("jun.pdf"));
        const Run r = report(common + QStringList{QStringLiteral("jun"), QStringLiteral("--item"), QStringLiteral("1"),
                                                  QStringLiteral("--pdf"), jun});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo(jun).size() > 0);
        // The same sheets as the dump.
        const Run dump = report(common + QStringList{QStringLiteral("jun"), QStringLiteral("--item"),
                                                     QStringLiteral("1"), QStringLiteral("--dump")});
        if (test::PdfPages(jun) >= 0)
            QCOMPARE(test::PdfPages(jun), countKind(dump.out.split(u'\n'), QStringLiteral("N")) + 1);

        const QString unwritable = QStringLiteral("/nonexistent-folder/average.pdf");
        const Run bad = report(common + QStringList{QStringLiteral("average"), QStringLiteral("--pdf"), unwritable});
        QCOMPARE(bad.status, 2);
        QVERIFY(bad.err.contains(unwritable));

        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        const QString text = test::PdfText(jun);
        QVERIFY2(text.contains(QStringLiteral("教科別順位表")), qPrintable(text.left(300)));
        QVERIFY(text.contains(QStringLiteral("５教科合計")));
    }

    void nineClassRawScorePdfStaysSmall()
    {
        QTemporaryDir dir;
        SampleOptions options;
        options.grade = 3;
        options.classes = 9;
        options.pupils = 44;
        QVERIFY(WriteSampleGrade(dir.path(), options).ok);
        const QString pdf = dir.filePath(QStringLiteral("soten.pdf"));
        const Run r = report({QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("3"),
                              QStringLiteral("--test"), QStringLiteral("2"), QStringLiteral("soten"),
                              QStringLiteral("--pdf"), pdf});
        QCOMPARE(r.status, 0);
        const qint64 size = QFileInfo(pdf).size();
        QVERIFY2(size > 0 && size < 1024 * 1024, qPrintable(QString::number(size)));
        if (test::PdfPages(pdf) >= 0) QCOMPARE(test::PdfPages(pdf), 9);
        if (test::HavePdfText()) QVERIFY(test::PdfText(pdf).contains(QStringLiteral("学年")));
    }

private:
    QTemporaryDir mDir;
    QString mFolder;
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(ReportCommandTest)
#include "tst_reportcommand.moc"
