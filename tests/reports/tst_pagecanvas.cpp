// The page canvas: text flow, lines and pages on the recorder and on real pictures, number
// columns, the print stamp and print jobs that fail.
#include "Helpers.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "RawScoreReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportFonts.h"
#include "ReportTestData.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace seiran;

namespace {
const CanvasFont Mincho12{QStringLiteral("ＭＳ 明朝"), 12.0, false};

QImage makePicture(int columns, int rows)
{
    QImage image(columns * 8, rows * 16, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dpi: a cell is 8 x 16 pixels
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    return image;
}

// Rows of pixels holding anything darker than light grey.
QPair<int, int> inkRows(const QImage& image, const QRect& area)
{
    int top = -1;
    int bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (top < 0) top = y;
                bottom = y;
            }
    return {top, bottom};
}
} // namespace

class PageCanvasTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void textFlow()
    {
        RecordingCanvas c(120, 60, Mincho12);
        c.PrintAt(QStringLiteral("AB"), 3, 4);
        // Without a line end the position moves right by the text's width and stays on the row.
        QCOMPARE(c.CurrentY(), 4.0);
        QCOMPARE(c.CurrentX(), 5.0); // two half-width characters of 12 points: 2 columns
        c.Print(QStringLiteral("あい"));
        QCOMPARE(c.CurrentX(), 9.0);
        QCOMPARE(c.CurrentY(), 4.0);
        QCOMPARE(c.texts().at(1).x1, 5.0);
        QCOMPARE(c.texts().at(1).y1, 4.0);

        // A line end returns to column 0 of the next row; the next text starts there.
        c.PrintLine(QStringLiteral("X"));
        QCOMPARE(c.CurrentX(), 0.0);
        QCOMPARE(c.CurrentY(), 5.0);
        c.Print(QStringLiteral("Y"));
        QCOMPARE(c.texts().last().x1, 0.0);
        QCOMPARE(c.texts().last().y1, 5.0);

        // A print with nothing only ends the line.
        const int before = int(c.ops().size());
        c.PrintLine();
        QCOMPARE(c.ops().size(), before);
        QCOMPARE(c.CurrentY(), 6.0);

        // Up to 12 points a line is exactly one row (ruled tables keep their rows); a larger
        // font needs its own height.
        c.SetFontSize(10);
        c.PrintLine();
        QCOMPARE(c.CurrentY(), 7.0);
        c.SetFontSize(18);
        c.PrintLine();
        QCOMPARE(c.CurrentY(), 8.5);
        QCOMPARE(c.TextWidth(QStringLiteral("ｺﾋﾟｰ")), 6.0); // half-width kana: half an em each
    }

    void linesPointsAndCircles()
    {
        RecordingCanvas c(120, 60, Mincho12);
        c.Line(1, 2, 3, 4);
        QCOMPARE(c.CurrentX(), 3.0);
        QCOMPARE(c.CurrentY(), 4.0);
        c.LineTo(5, 4);     // from the drawing position
        c.LineStepTo(0, 2); // relative, from the drawing position
        c.LineStep(10, 10, 2, -1, LineShape::Box);
        c.SetDrawWidth(2);
        c.SetDrawStyle(LinePattern::Dot);
        c.Line(0, 0, 1, 1, LineShape::FilledBox);
        c.PSet(7, 8);
        QCOMPARE(c.CurrentX(), 7.0);
        c.LineTo(9, 8);
        c.SetFillStyle(FillPattern::DownwardDiagonal);
        c.Circle(20, 30, 1.5);

        const QStringList dump = c.dump();
        const QStringList expected{
            QStringLiteral("L\t1\t1.00\t2.00\t3.00\t4.00\t1\t0"),
            QStringLiteral("L\t1\t3.00\t4.00\t5.00\t4.00\t1\t0"),
            QStringLiteral("L\t1\t5.00\t4.00\t5.00\t6.00\t1\t0"),
            QStringLiteral("B\t1\t10.00\t10.00\t12.00\t9.00\t1\t0"),
            QStringLiteral("F\t1\t0.00\t0.00\t1.00\t1.00\t2\t2"),
            QStringLiteral("P\t1\t7.00\t8.00"),
            QStringLiteral("L\t1\t7.00\t8.00\t9.00\t8.00\t2\t2"),
            QStringLiteral("C\t1\t20.00\t30.00\t1.50\t2\t2"),
        };
        QCOMPARE(dump, expected);
        QCOMPARE(c.ops().last().fillStyle, FillPattern::DownwardDiagonal);
    }

    void pagesBelongToPrinters()
    {
        RecordingCanvas preview(120, 60, Mincho12);
        preview.NewPage();
        preview.Cls();
        QCOMPARE(preview.page(), 1);
        QVERIFY(preview.dump().isEmpty());

        RecordingCanvas paper(StandardPaperLayout(), Mincho12);
        // A4 portrait: 210 mm wide, 297 mm high, in 1/12 and 1/6 inch.
        QVERIFY(qAbs(paper.ScaleWidth() - 210 / 25.4 * 12) < 0.01);
        QVERIFY(qAbs(paper.ScaleHeight() - 297 / 25.4 * 6) < 0.01);
        paper.PrintAt(QStringLiteral("一"), 1, 1);
        paper.NewPage();
        QCOMPARE(paper.CurrentX(), paper.ScaleLeft());
        paper.PrintAt(QStringLiteral("二"), 1, 1);
        paper.Cls(); // nothing on paper
        paper.EndDoc();
        QCOMPARE(paper.dump(),
                 (QStringList{QStringLiteral("T\t1\t1.00\t1.00\tＭＳ 明朝\t12\t一"), QStringLiteral("N\t2"),
                              QStringLiteral("T\t2\t1.00\t1.00\tＭＳ 明朝\t12\t二")}));
        paper.SetOrientation(QPageLayout::Landscape);
        QVERIFY(paper.ScaleWidth() > paper.ScaleHeight() * 2);
    }

    void numberColumns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rank with space") << "###0 " << 12.0 << 5 << "  12 ";
        QTest::newRow("number with space") << "#0 " << 7.0 << 3 << " 7 ";
        QTest::newRow("number zero") << "##" << 0.0 << 2 << "  ";
        QTest::newRow("score") << "###0" << 85.0 << 4 << "  85";
        QTest::newRow("total in five") << "###0" << 412.0 << 5 << "  412";
        QTest::newRow("average") << "##0.0" << 72.25 << 4 << "72.3";
        QTest::newRow("maximum in four") << "####0" << 100.0 << 4 << " 100";
        // A number wider than its column keeps its digits instead of losing the leading ones.
        QTest::newRow("average 100") << "##0.0" << 100.0 << 4 << "100.0";
        QTest::newRow("wide score") << "###0" << 12345.0 << 4 << "12345";
    }
    void numberColumns()
    {
        QFETCH(QString, pattern);
        QFETCH(double, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(RightAlignedNumber(pattern, value, width), expected);
        // Where the number fits, the column is exactly what FormatRightAligned gives.
        if (width == pattern.size() && expected.size() == width) QCOMPARE(FormatRightAligned(pattern, value), expected);

        RecordingCanvas c(120, 60, Mincho12);
        PrintRightAligned(c, 10, 2, width, pattern, value);
        QCOMPARE(c.texts().first().text, expected);
        // An over-long number ends where the column ends.
        QCOMPARE(c.texts().first().x1, 10.0 - (expected.size() - width));
    }

    void printStamp()
    {
        const QDateTime when(QDate(2005, 4, 1), QTime(13, 5, 9));
        QCOMPARE(PrintStampText(StampWording::Bracketed, when), QStringLiteral("　　（印刷日時04-01-2005 13:05:09)"));
        QCOMPARE(PrintStampText(StampWording::Plain, when), QStringLiteral("印刷日時　04-01-2005 13:05:09"));
        ScopedReportClock clock(when);
        QCOMPARE(ReportClockNow(), when);
    }

    void fontsAreMapped()
    {
        QCOMPARE(ResolvedFontFamily(QStringLiteral("ＭＳ 明朝")), QStringLiteral("IPAMincho"));
        QCOMPARE(ResolvedFontFamily(QStringLiteral("ＭＳ ゴシック")), QStringLiteral("IPAGothic"));
        QCOMPARE(ResolvedFontFamily(QStringLiteral("ＭＳ Ｐ明朝")), QStringLiteral("IPAPMincho"));
        QCOMPARE(ResolvedFontFamily(QStringLiteral("ＭＳ Ｐゴシック")), QStringLiteral("IPAPGothic"));
    }

    void pictureTextSitsInItsRow()
    {
        QImage image = makePicture(40, 10);
        PainterCanvas c(&image, CanvasFont{QStringLiteral("ＭＳ ゴシック"), 12.0, false});
        QCOMPARE(c.ScaleWidth(), 40.0);
        QCOMPARE(c.ScaleHeight(), 10.0);
        // The fixed-pitch fonts measure as the recorder counts.
        QVERIFY(qAbs(c.TextWidth(QStringLiteral("AB漢")) - 4.0) < 0.1);
        c.SetFontSize(10); // the printer font of start-up
        c.PrintAt(QStringLiteral("■漢gj"), 2, 3);
        c.Line(0, 4.9, 40, 4.9);
        c.finish();
        const QPair<int, int> text = inkRows(image, QRect(0, 0, image.width(), 4 * 16 + 8));
        QVERIFY2(text.first >= 3 * 16 && text.second < 4 * 16,
                 qPrintable(QStringLiteral("ink rows %1..%2").arg(text.first).arg(text.second)));
        const QPair<int, int> rule = inkRows(image, QRect(0, 4 * 16 + 8, image.width(), 16));
        QVERIFY(qAbs(rule.first - 4.9 * 16) <= 1.0);
    }

    void redrawIsTheSameAsTheFirstDrawing()
    {
        // A preview is drawn again after its painter was closed to show it (next class, next
        // item): the new painter must get the report's fonts again.
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 4, 5, 77));
        ScopedReportClock clock(test::FixedStampTime());
        QImage image = makePicture(80, 30);
        PainterCanvas c(&image, CanvasFont{QStringLiteral("ＭＳ ゴシック"), 9.0, false});
        c.SetCharacterCells();
        DrawRawScorePage(c, *gd, 1);
        c.finish();
        const QImage first = image.copy();
        c.Cls();
        c.SetCharacterCells();
        DrawRawScorePage(c, *gd, 1);
        c.finish();
        QCOMPARE(image, first);
    }

    void paperIsThePreviewShiftedByTheMargins()
    {
        auto gd = test::MakeReportGrade(
            1, 5,
            {{1, 1, QStringLiteral("青木"), 1, {80, 70, 60, 50, 40}}, {1, 2, QStringLiteral("井上"), 2, {-1, 70}}});
        ScopedReportClock clock(test::FixedStampTime());
        QImage screen = makePicture(80, 30);
        QImage paper = makePicture(80, 30);
        PainterCanvas onScreen(&screen, PrinterStartFont(*gd));
        PainterCanvas onPaper(&paper, PrinterStartFont(*gd));
        onScreen.SetCharacterCells();
        onPaper.SetCharacterCells();
        SetPaperOrigin(onPaper, *gd);
        DrawRawScorePage(onScreen, *gd, 1);
        DrawRawScorePage(onPaper, *gd, 1);
        onScreen.finish();
        onPaper.finish();
        const int dx = 5 * 8;
        const int dy = 3 * 16;
        QCOMPARE(paper.copy(dx, dy, 80 * 8 - dx, 30 * 16 - dy), screen.copy(0, 0, 80 * 8 - dx, 30 * 16 - dy));
        QVERIFY(inkRows(paper, QRect(0, 0, paper.width(), dy)).first < 0); // the top margin is empty
        QVERIFY(inkRows(screen, QRect(0, 0, screen.width(), 16)).first >= 0);
    }

    void textsMeasureAndDrawAsThePainterWould_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("text");
        const QStringList texts{
            QStringLiteral("山田　太郎"), QStringLiteral("  87"),        QStringLiteral("45.5 "),
            QStringLiteral("ｺﾋﾟｰ①Ａa"),   QStringLiteral("長谷川 紗希"), QStringLiteral("（印刷日時)"),
            QStringLiteral(" ")};
        for (const QString& font : {QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ Ｐゴシック")})
            for (const QString& text : texts) {
                QTest::addRow("%s %s", qPrintable(font), qPrintable(text)) << font << 10.0 << false << text;
                QTest::addRow("%s %s bold 8.5", qPrintable(font), qPrintable(text)) << font << 8.5 << true << text;
            }
    }

    void textsMeasureAndDrawAsThePainterWould()
    {
        // A text is shaped once and drawn from that shape: its width and its ink must be what
        // measuring and drawing it through the painter give.
        QFETCH(QString, font);
        QFETCH(double, size);
        QFETCH(bool, bold);
        QFETCH(QString, text);
        QImage image = makePicture(40, 4);
        QImage reference = image.copy();
        PainterCanvas c(&image, CanvasFont{font, size, bold});
        QFont qfont(font);
        qfont.setPointSizeF(size);
        qfont.setBold(bold);
        const QFontMetricsF metrics(qfont, &image);
        QCOMPARE(c.TextWidth(text), metrics.horizontalAdvance(text) / 8.0);
        c.PrintAt(text, 2.5, 1);
        c.PrintAt(text, 2.5, 2); // the second time from the shape kept
        c.finish();
        {
            QPainter p(&reference);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setFont(QFont(qfont, &reference));
            p.setPen(Qt::black);
            p.drawText(QPointF(20.0, 16.0 + metrics.ascent()), text);
            p.drawText(QPointF(20.0, 32.0 + metrics.ascent()), text);
        }
        QCOMPARE(image, reference);
    }

    void drawingKeepsItsOrder()
    {
        // Texts wait to be drawn together; a box drawn after a text still covers it, and a
        // cleared picture does not get the texts drawn before the clearing.
        QImage image = makePicture(40, 6);
        PainterCanvas c(&image, Mincho12);
        c.PrintAt(QStringLiteral("■■■■"), 1, 1);
        c.Line(0, 1, 20, 2, LineShape::FilledBox, Qt::white);
        c.PrintAt(QStringLiteral("■■■■"), 1, 3);
        c.finish();
        QCOMPARE(inkRows(image, QRect(0, 16, image.width(), 16)).first, -1);
        QVERIFY(inkRows(image, QRect(0, 48, image.width(), 16)).first >= 48);

        c.PrintAt(QStringLiteral("■■■■"), 1, 4);
        c.Cls();
        c.finish();
        QCOMPARE(inkRows(image, image.rect()).first, -1);
    }

    void pdfPagesLookAsTheToolkitDrawsTheTexts()
    {
        // The canvas draws texts from their shapes and sends those of one line to the PDF as one
        // run. The page must still look, to the pixel, as the toolkit draws each text itself: a
        // run started at a position the PDF keeps only to nine digits would place the glyphs
        // after it, by steps, a hair left of where they belong, and at the edge of a quarter
        // pixel that changes pixels.
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty()) QSKIP("pdftoppm is not installed");
        // At 1200 dots an inch a column is 100 dots, a row 200, and a quarter pixel at 100 dpi
        // 3 dots. Each row starts with a number at 1000.016 dots and more (a position the PDF
        // cannot keep whole) and goes on with numbers at multiples of 3 dots, on the edge of a
        // quarter pixel; then with numbers at positions of every kind.
        QList<std::tuple<double, int, QString>> texts;
        for (int row = 0; row < 60; ++row) {
            const double start = 10.0 + row * 0.75;
            texts.append({start + 0.00016, 2 + row, QStringLiteral("1")});
            texts.append({start + 2.0, 2 + row, QStringLiteral("0")});
            texts.append({start + 3.5, 2 + row, QStringLiteral("408")});
            for (int k = 0; k < 8; ++k)
                texts.append({start + 6.0 + k * 6.0 + row * 0.0123 + k * 0.0071, 2 + row,
                              QString::number(100 + (row * 13 + k * 7) % 900)});
        }
        QTemporaryDir dir;
        const auto render = [&](const QString& name) {
            QProcess process;
            process.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
                                     dir.filePath(name + QStringLiteral(".pdf")), dir.filePath(name)});
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitCode(), 0);
        };
        const auto startPrinter = [&](QPrinter& printer, const QString& name) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(name + QStringLiteral(".pdf")));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setFullPage(true); // dots from the sheet's corner, as the reports draw
        };
        {
            QPrinter printer(QPrinter::HighResolution);
            startPrinter(printer, QStringLiteral("canvas"));
            PainterCanvas c(&printer, CanvasFont{QStringLiteral("ＭＳ 明朝"), 10.0, false});
            c.SetCharacterCells();
            for (const auto& [x, row, text] : texts)
                c.PrintAt(text, x, row);
            c.EndDoc();
            QVERIFY(c.errorText().isEmpty());
        }
        {
            QPrinter printer(QPrinter::HighResolution);
            startPrinter(printer, QStringLiteral("toolkit"));
            QFont font(QStringLiteral("ＭＳ 明朝"));
            font.setPointSizeF(10.0);
            const double ascent = QFontMetricsF(font, &printer).ascent();
            QPainter p(&printer);
            p.setFont(font);
            p.setPen(Qt::black);
            for (const auto& [x, row, text] : texts)
                p.drawText(QPointF(x * 100.0, row * 200.0 + ascent), text);
        }
        render(QStringLiteral("canvas"));
        render(QStringLiteral("toolkit"));
        const auto bytes = [&](const QString& name) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QVERIFY(!bytes(QStringLiteral("canvas-1.pgm")).isEmpty());
        QVERIFY(bytes(QStringLiteral("canvas-1.pgm")) == bytes(QStringLiteral("toolkit-1.pgm")));
    }

    void failedJobsAreReported()
    {
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 3, 5));
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(QStringLiteral("/nonexistent-folder/x/soten.pdf"));
        ScriptedMessages messages;
        const PrintOutcome outcome = RunPrintJob(
            *printer, *gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, {1}); }, nullptr);
        QCOMPARE(outcome, PrintOutcome::Failed);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().icon, MsgIcon::Critical);
        QVERIFY(messages.asked().first().text.contains(QStringLiteral("soten.pdf")));

        // A job that works ends with the completion message.
        QTemporaryDir dir;
        messages.clear();
        std::unique_ptr<QPrinter> good = MakePdfPrinter(dir.filePath(QStringLiteral("ok.pdf")));
        QCOMPARE(RunPrintJob(
                     *good, *gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, {1}); }, nullptr),
                 PrintOutcome::Completed);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(messages.asked().first().buttons, MsgButtons::Ok);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("ok.pdf"))).size() > 0);

        // No class chosen: no job, no message.
        messages.clear();
        std::unique_ptr<QPrinter> unused = MakePdfPrinter(dir.filePath(QStringLiteral("none.pdf")));
        QCOMPARE(RunPrintJob(
                     *unused, *gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, {}); }, nullptr),
                 PrintOutcome::NothingPrinted);
        QVERIFY(messages.asked().isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("none.pdf"))));
    }
};

QTEST_MAIN(PageCanvasTest)
#include "tst_pagecanvas.moc"
