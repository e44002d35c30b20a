#include "ReportOutput.h"

#include "GradeData.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "RecordingCanvas.h"
#include "SystemPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextStream>
#include <memory>

namespace seiran {

QList<CommandOption> ReportCommonOptions()
{
    return {{QStringLiteral("--data"), QStringLiteral("DIR"), QStringLiteral("データフォルダ")},
            {QStringLiteral("--grade"), QStringLiteral("G"), QStringLiteral("学年 (1～3)")},
            {QStringLiteral("--pdf"), QStringLiteral("FILE"), QStringLiteral("PDF ファイルに書く")},
            {QStringLiteral("--dump"), QString(), QStringLiteral("描画の一つ一つをタブ区切りで標準出力に書く")},
            {QStringLiteral("--printer"), QStringLiteral("NAME"),
             QStringLiteral("プリンタで印刷する (default は既定のプリンタ)")},
            {QStringLiteral("--copies"), QStringLiteral("N"), QStringLiteral("--printer で印刷する部数 (既定 1)")}};
}

namespace {
constexpr int MaxCopies = 99;

QString readCopies(const QString& text, SheetOutput& output)
{
    bool ok = false;
    const int copies = text.toInt(&ok);
    if (!ok || copies < 1 || copies > MaxCopies)
        return QStringLiteral("--copies の値「%1」は 1～%2 の部数ではありません。").arg(text).arg(MaxCopies);
    output.copies = copies;
    output.copiesGiven = true;
    return QString();
}
} // namespace

bool ReadSheetOutputOption(const QStringList& args, qsizetype& i, SheetOutput& output, QString& problem)
{
    const QString& a = args.at(i);
    if (a == QLatin1String("--dump")) {
        output.dump = true;
        return true;
    }
    if (a != QLatin1String("--pdf") && a != QLatin1String("--printer") && a != QLatin1String("--copies")) return false;
    if (i + 1 >= args.size()) {
        problem = QStringLiteral("%1 の後に値がありません。").arg(a);
        return true;
    }
    const QString value = args.at(++i);
    if (a == QLatin1String("--pdf"))
        output.pdf = value;
    else if (a == QLatin1String("--printer"))
        output.printer = value;
    else
        problem = readCopies(value, output);
    return true;
}

QString ReadSheetOutputOptions(const ParsedCommandLine& line, SheetOutput& output)
{
    output.dump = line.has(QStringLiteral("--dump"));
    output.pdf = line.value(QStringLiteral("--pdf"));
    output.printer = line.value(QStringLiteral("--printer"));
    if (line.has(QStringLiteral("--copies"))) return readCopies(line.value(QStringLiteral("--copies")), output);
    return QString();
}

QString SheetOutputProblem(const SheetOutput& output, int otherChosen, const QString& otherNames)
{
    const int chosen = int(output.dump) + int(!output.pdf.isEmpty()) + int(!output.printer.isEmpty()) + otherChosen;
    if (chosen != 1) {
        QString names = QStringLiteral("--pdf FILE、--dump、--printer NAME");
        if (!otherNames.isEmpty()) names += QStringLiteral("、") + otherNames;
        return QStringLiteral("%1 のどれか一つを指定してください。").arg(names);
    }
    if (output.copiesGiven && output.printer.isEmpty()) return QStringLiteral("--copies は --printer と使います。");
    return QString();
}

QString ReportDataFolder(const QString& path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return folder;
}

QString ReportUsageHint()
{
    return QStringLiteral(
        "「seiran-report --help」で使い方を、「seiran-report 帳票 --help」で帳票ごとのオプションを表示します。");
}

int ReportCommandFailure(QTextStream& err, const QString& message)
{
    err << "seiran-report: " << message << '\n';
    err.flush();
    return 2;
}

namespace {
// The sheets on a printer of the system, through the same canvas as the windows' 印刷.
int printSheets(const SheetOutput& output, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                QTextStream& err)
{
    QPrinterInfo info;
    if (Result r = FindSystemPrinter(output.printer, info); !r) return ReportCommandFailure(err, r.message);
    const QString name = info.printerName();
    if (const QString refused = PrinterRefusalReason(name); !refused.isEmpty())
        return ReportCommandFailure(err, refused);
    QPrinter printer(info, QPrinter::HighResolution);
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != name || !printer.isValid())
        return ReportCommandFailure(err, QStringLiteral("プリンタ「%1」を使えません。").arg(name));
    printer.setDocName(output.documentName);
    printer.setCopyCount(output.copies);
    printer.setFullPage(false);
    ApplyReportPaper(printer, output.paper);

    const int before = NewestPrintJob(name);
    int sheets = 0;
    QString failure;
    {
        PainterCanvas canvas(&printer, PrinterStartFont(gd));
        sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
    }
    if (!failure.isEmpty()) return ReportCommandFailure(err, failure);
    if (sheets == 0) return ReportCommandFailure(err, output.nothingDrawn);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return ReportCommandFailure(err, QStringLiteral("プリンタ「%1」で印刷できませんでした。").arg(name));
    // The toolkit hands the job over without telling whether the print system took it.
    if (const int after = NewestPrintJob(name); before >= 0 && after >= 0 && after <= before)
        return ReportCommandFailure(err, QStringLiteral("プリンタ「%1」が印刷を受け付けませんでした。").arg(name));
    return 0;
}
} // namespace

int WriteReportSheets(const SheetOutput& output, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                      QTextStream& out, QTextStream& err)
{
    if (!output.printer.isEmpty()) return printSheets(output, gd, draw, err);
    if (output.dump) {
        RecordingCanvas canvas(output.paper, PrinterStartFont(gd));
        if (draw(canvas) == 0) return ReportCommandFailure(err, output.nothingDrawn);
        for (const QString& line : canvas.dump())
            out << line << '\n';
        out.flush();
        return 0;
    }
    const PdfJob job = WritePdfJob(output.pdf, [&](const QString& path, QString& failure) {
        std::unique_ptr<QPdfWriter> writer = MakePdfWriter(path, output.paper);
        PainterCanvas canvas(writer.get(), path, PrinterStartFont(gd));
        const int sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
        return sheets;
    });
    if (!job.error.isEmpty()) return ReportCommandFailure(err, job.error);
    if (job.sheets == 0) return ReportCommandFailure(err, output.nothingDrawn);
    return 0;
}

} // namespace seiran
