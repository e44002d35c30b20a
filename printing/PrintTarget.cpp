#include "PrintTarget.h"

#include "MessageBox.h"
#include "PainterCanvas.h"
#include "ReportCommon.h"
#include "SystemPrinter.h"

#include "Backup.h"
#include "FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <cerrno>

namespace seiran {

namespace {
PrinterChooser& chooserForTests()
{
    static PrinterChooser chooser;
    return chooser;
}
} // namespace

std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName)
{
    return MakePdfPrinter(fileName, StandardPaperLayout());
}

std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName, const QPageLayout& layout)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageLayout(layout);
    printer->setFullPage(false);
    return printer;
}

std::unique_ptr<QPdfWriter> MakePdfWriter(const QString& fileName, const QPageLayout& layout)
{
    auto writer = std::make_unique<QPdfWriter>(fileName);
    writer->setResolution(1200); // as a printer's high resolution
    writer->setPageLayout(layout);
    return writer;
}

QString PartialPdfPath(const QString& target)
{
    return target + QStringLiteral(".part");
}

namespace {

// True when the PDF's trailer points at its cross-reference table and the file ends after it:
// a write that failed anywhere moves or cuts what follows.
bool pdfIsWhole(const QByteArray& pdf)
{
    if (!pdf.trimmed().endsWith("%%EOF")) return false;
    const qsizetype mark = pdf.lastIndexOf("startxref");
    if (mark < 0) return false;
    bool ok = false;
    const qint64 offset = pdf.mid(mark + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    return ok && offset > 0 && offset < mark && pdf.mid(offset, 4) == "xref";
}

// The reason a PDF could not be finished, asked while the partial file still takes its space.
QString pdfWriteReason(const QString& partial)
{
    const QStorageInfo storage(QFileInfo(partial).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < 1024 * 1024) return QStringLiteral("容量不足です");
    return QStringLiteral("書き込みに失敗しました");
}

} // namespace

Result FinishPdfFile(const QString& written, const QString& target)
{
    const QString shown = QDir::toNativeSeparators(target);
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("PDF ファイル %1 を作成できませんでした。%2")
                                   .arg(shown, FileErrorReason(file, FileAccess::Write)));
    const QByteArray pdf = file.readAll();
    file.close();
    if (!pdfIsWhole(pdf)) {
        const QString reason = pdfWriteReason(written);
        QFile::remove(written);
        return Result::failure(QStringLiteral("PDF ファイル %1 を最後まで書き込めませんでした。%2").arg(shown, reason));
    }
    if (Result r = ReplaceFiles({{written, target}}); !r) {
        QFile::remove(written);
        return r;
    }
    return Result::success();
}

PdfJob WritePdfJob(const QString& target, const std::function<int(const QString& path, QString& failure)>& draw)
{
    const QString partial = PartialPdfPath(target);
    QString failure;
    const int sheets = draw(partial, failure);
    if (!failure.isEmpty()) return {0, FailedPdfText(failure, target)};
    if (sheets == 0) {
        QFile::remove(partial);
        return {0, QString()};
    }
    if (Result r = FinishPdfFile(partial, target); !r) return {sheets, r.message};
    return {sheets, QString()};
}

QString FailedPdfText(const QString& canvasError, const QString& target)
{
    const QString partial = PartialPdfPath(target);
    const QString shown = QDir::toNativeSeparators(target);
    QString text = canvasError;
    text.replace(partial, shown);
    QString reason;
    if (!QFileInfo::exists(partial)) {
        // The engine does not say why the file could not be made; trying it once more does.
        QFile probe(partial);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            reason = FileErrorReason(probe, FileAccess::Write, errno);
    } else {
        // The job broke off in the middle (a page that could not be started or ended).
        reason = pdfWriteReason(partial);
    }
    QFile::remove(partial);
    if (!text.contains(shown)) text = QStringLiteral("PDF ファイル %1 を書き込めませんでした。").arg(shown) + text;
    return text + reason;
}

std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& documentName)
{
    return ChoosePrinter(parent, documentName, StandardPaperLayout());
}

std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& documentName, const QPageLayout& pdfLayout)
{
    if (chooserForTests()) return chooserForTests()(documentName);

    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(documentName);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // No printer here: offer a PDF file in the documents folder (or the home folder).
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageLayout(pdfLayout);
        printer->setOutputFileName(QDir(folder).filePath(documentName + QStringLiteral(".pdf")));
    } else {
        // The dialog opens on the sheet the report asks for (JIS B5 cards, a turned sheet).
        ApplyReportPaper(*printer, pdfLayout);
    }
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    // Every report prints all the sheets it was asked for: a page range would be ignored, so
    // the dialog does not offer one.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    // The toolkit's dialog puts a system printer back on the paper its queue is set to (the size
    // sits in its 「プロパティ」 page); a report with a sheet of its own keeps that sheet.
    if (printer->outputFormat() == QPrinter::NativeFormat && pdfLayout.pageSize().id() != QPageSize::A4)
        printer->setPageSize(pdfLayout.pageSize());
    return printer;
}

ScopedPrinterChooser::ScopedPrinterChooser(PrinterChooser chooser) : mPrevious(chooserForTests())
{
    chooserForTests() = std::move(chooser);
}

ScopedPrinterChooser::~ScopedPrinterChooser()
{
    chooserForTests() = mPrevious;
}

PrintOutcome RunPrintJob(QPrinter& printer, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                         QWidget* parent)
{
    // A PDF goes to a temporary name first (see FinishPdfFile); the printer keeps its own name.
    const QString pdfTarget = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    if (!pdfTarget.isEmpty()) printer.setOutputFileName(PartialPdfPath(pdfTarget));
    int sheets = 0;
    QString failure;
    {
        PainterCanvas canvas(&printer, PrinterStartFont(gd));
        sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
    }
    if (!pdfTarget.isEmpty()) {
        printer.setOutputFileName(pdfTarget);
        if (!failure.isEmpty())
            failure = FailedPdfText(failure, pdfTarget);
        else if (sheets == 0)
            QFile::remove(PartialPdfPath(pdfTarget));
        else if (Result r = FinishPdfFile(PartialPdfPath(pdfTarget), pdfTarget); !r)
            failure = r.message;
    }
    if (!failure.isEmpty()) {
        ShowMessage(failure + QStringLiteral("\n印刷できませんでした。"), MsgButtons::Ok, MsgIcon::Critical, 1,
                    QString(), parent);
        return PrintOutcome::Failed;
    }
    if (sheets == 0) return PrintOutcome::NothingPrinted;
    ShowMessage(QString::fromUtf16(PrintCompletedText), MsgButtons::Ok, MsgIcon::None, 1, QString(), parent);
    return PrintOutcome::Completed;
}

} // namespace seiran
