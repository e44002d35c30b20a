#include "ReportOutput.h"

#include "GradeData.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "RecordingCanvas.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>
#include <memory>

namespace seiran {

QList<CommandOption> ReportCommonOptions()
{
    return {{QStringLiteral("--data"), QStringLiteral("DIR"), QStringLiteral("データフォルダ")},
            {QStringLiteral("--grade"), QStringLiteral("G"), QStringLiteral("学年 (1～3)")},
            {QStringLiteral("--pdf"), QStringLiteral("FILE"), QStringLiteral("PDF ファイルに書く")},
            {QStringLiteral("--dump"), QString(), QStringLiteral("描画の一つ一つをタブ区切りで標準出力に書く")}};
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

int WriteReportSheets(const SheetOutput& output, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                      QTextStream& out, QTextStream& err)
{
    if (output.dump) {
        RecordingCanvas canvas(output.paper, PrinterStartFont(gd));
        if (draw(canvas) == 0) return ReportCommandFailure(err, output.nothingDrawn);
        for (const QString& line : canvas.dump())
            out << line << '\n';
        out.flush();
        return 0;
    }
    const PdfJob job = WritePdfJob(output.pdf, [&](const QString& path, QString& failure) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(path, output.paper);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        const int sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
        return sheets;
    });
    if (!job.error.isEmpty()) return ReportCommandFailure(err, job.error);
    if (job.sheets == 0) return ReportCommandFailure(err, output.nothingDrawn);
    return 0;
}

} // namespace seiran
