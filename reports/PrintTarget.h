#pragma once

#include <QString>
#include <functional>
#include <memory>

class QPageLayout;
class QPrinter;
class QWidget;

namespace seiran {

class PageCanvas;
struct GradeData;

// A printer that writes a PDF file on sheets of the given layout (A4 portrait, the geometry of
// StandardPaperLayout, unless a report asks for another).
std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName);
std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName, const QPageLayout& layout);

// The print dialog: a printer and the number of copies, or a PDF file. With no printer on the
// system the dialog still offers the PDF file, on sheets of `pdfLayout`. nullptr when the user
// cancels.
std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& documentName);
std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& documentName, const QPageLayout& pdfLayout);

// Tests: while one lives, ChoosePrinter asks this function instead of showing the dialog.
using PrinterChooser = std::function<std::unique_ptr<QPrinter>(const QString& documentName)>;
class ScopedPrinterChooser
{
public:
    explicit ScopedPrinterChooser(PrinterChooser chooser);
    ~ScopedPrinterChooser();
    ScopedPrinterChooser(const ScopedPrinterChooser&) = delete;
    ScopedPrinterChooser& operator=(const ScopedPrinterChooser&) = delete;

private:
    PrinterChooser mPrevious;
};

enum class PrintOutcome { NothingPrinted, Failed, Completed };

// Runs one print job on `printer`: `draw` draws the sheets on a canvas that starts in the
// printer font of start-up and ends the job itself (returning the number of sheets). A job
// that fails shows what went wrong; a finished job shows "印刷が終了しました".
PrintOutcome RunPrintJob(QPrinter& printer, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                         QWidget* parent);

} // namespace seiran
