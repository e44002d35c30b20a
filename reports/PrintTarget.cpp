#include "PrintTarget.h"

#include "MessageBox.h"
#include "PainterCanvas.h"
#include "ReportCommon.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

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
    }
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    // Every report prints all the sheets it was asked for: a page range would be ignored, so
    // the dialog does not offer one.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
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
    PainterCanvas canvas(&printer, PrinterStartFont(gd));
    const int sheets = draw(canvas);
    if (canvas.failed()) {
        ShowMessage(canvas.errorText() + QStringLiteral("\n印刷できませんでした。"), MsgButtons::Ok, MsgIcon::Critical,
                    1, QString(), parent);
        return PrintOutcome::Failed;
    }
    if (sheets == 0) return PrintOutcome::NothingPrinted;
    ShowMessage(QString::fromUtf16(PrintCompletedText), MsgButtons::Ok, MsgIcon::None, 1, QString(), parent);
    return PrintOutcome::Completed;
}

} // namespace seiran
