// PDF files are complete or absent: a full disk is reported and leaves an older file as it was.
#include "FailingDisk.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "RawScoreReport.h"
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "SystemPrinter.h"
#include "TestSupport.h"

#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;
using seiran::test::ReadFileBytes;
using seiran::test::WriteFileBytes;

namespace {

int runReport(const QStringList& args, QString& err)
{
    QString out;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = RunSeiranReport(QStringList{QStringLiteral("seiran-report")} + args, outStream, errStream);
    errStream.flush();
    return status;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class PdfFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        MapReportFonts();
        mGrade = mDir.filePath(QStringLiteral("grade"));
        SampleOptions options;
        options.classes = 2;
        options.pupils = 20;
        const Result r = WriteSampleGrade(mGrade, options);
        QVERIFY2(r.ok, qPrintable(r.message));
    }

    void commandOnAFullDiskExitsWithTwo()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("soten.pdf"));
        const QStringList args{QStringLiteral("--data"),
                               mGrade,
                               QStringLiteral("--grade"),
                               QStringLiteral("1"),
                               QStringLiteral("--test"),
                               QStringLiteral("1"),
                               QStringLiteral("soten"),
                               QStringLiteral("--pdf"),
                               pdf};
        QString err;
        QCOMPARE(runReport(args, err), 0);
        const QByteArray good = ReadFileBytes(pdf);
        QVERIFY(good.startsWith("%PDF") && good.size() > 4000);
        QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("soten.pdf")});

        int status = 0;
        err.clear();
        {
            test::FileSizeLimit limit(4000);
            status = runReport(args, err);
        }
        QCOMPARE(status, 2);
        QVERIFY2(err.contains(QStringLiteral("soten.pdf")) &&
                     err.contains(QStringLiteral("最後まで書き込めませんでした")) &&
                     !err.contains(QStringLiteral(".part")),
                 qPrintable(err));
        QCOMPARE(ReadFileBytes(pdf), good); // the older file is untouched
        QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("soten.pdf")});

        // A folder that does not exist says so in Japanese.
        err.clear();
        QStringList missing = args;
        missing.last() = out.filePath(QStringLiteral("none/soten.pdf"));
        QCOMPARE(runReport(missing, err), 2);
        QVERIFY2(err.contains(QStringLiteral("見つかりません")) && !err.contains(QStringLiteral(".part")),
                 qPrintable(err));
    }

    void windowPrintToPdfOnAFullDiskFails()
    {
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 30, 5));
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("soten.pdf"));
        WriteFileBytes(pdf, "older");
        ScriptedMessages messages;
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(pdf);
        PrintOutcome outcome = PrintOutcome::Completed;
        {
            test::FileSizeLimit limit(3000);
            outcome = RunPrintJob(
                *printer, *gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, {1}); }, nullptr);
        }
        QCOMPARE(outcome, PrintOutcome::Failed);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().icon, MsgIcon::Critical);
        QVERIFY2(messages.asked().first().text.contains(QStringLiteral("soten.pdf")),
                 qPrintable(messages.asked().first().text));
        QCOMPARE(ReadFileBytes(pdf), QByteArray("older"));
        QCOMPARE(printer->outputFileName(), pdf);
        QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("soten.pdf")});

        messages.clear();
        QCOMPARE(
            RunPrintJob(
                *printer, *gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, {1}); }, nullptr),
            PrintOutcome::Completed);
        QVERIFY(ReadFileBytes(pdf).startsWith("%PDF"));
        QCOMPARE(filesIn(out.path()), QStringList{QStringLiteral("soten.pdf")});
    }

    void cutOrDamagedPdfIsRefused()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("a.pdf"));
        {
            auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 10, 5));
            std::unique_ptr<QPrinter> printer = MakePdfPrinter(PartialPdfPath(pdf));
            PainterCanvas canvas(printer.get(), PrinterStartFont(*gd));
            QCOMPARE(PrintRawScoreClasses(canvas, *gd, {1}), 1);
        }
        const QByteArray whole = ReadFileBytes(PartialPdfPath(pdf));
        const QByteArray cut = whole.left(whole.size() - 40);
        QByteArray gap = whole;
        gap.remove(whole.size() / 2, 512); // a lost buffer in the middle
        for (const QByteArray& bad : {QByteArray(), cut, gap}) {
            WriteFileBytes(PartialPdfPath(pdf), bad);
            QVERIFY(!FinishPdfFile(PartialPdfPath(pdf), pdf).ok);
            QVERIFY(!QFile::exists(pdf));
            QVERIFY(!QFile::exists(PartialPdfPath(pdf)));
        }
        WriteFileBytes(PartialPdfPath(pdf), whole);
        QVERIFY(FinishPdfFile(PartialPdfPath(pdf), pdf).ok);
        QCOMPARE(ReadFileBytes(pdf), whole);
    }

    // The sheet a report asks for reaches the printer: JIS B5 (not ISO B5) for the cards, a turned
    // sheet; an A4 report leaves the printer's own paper.
    void reportPaperGoesToThePrinter()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        ApplyReportPaper(printer, StandardPaperLayout());
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::Letter);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);

        ApplyReportPaper(printer, PrintableAreaPaperLayout(QPageLayout::Portrait, QPageSize::JisB5));
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::JisB5);
        const QSizeF mm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        QCOMPARE(mm, QSizeF(182, 257));

        ApplyReportPaper(printer, PrintableAreaPaperLayout(QPageLayout::Landscape));
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    }

private:
    QTemporaryDir mDir;
    QString mGrade;
};

QTEST_MAIN(PdfFilesTest)
#include "tst_pdffiles.moc"
