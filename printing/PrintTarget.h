#pragma once

#include "Result.h"

#include <QString>
#include <functional>
#include <memory>

class QPageLayout;
class QPdfWriter;
class QPrinter;
class QWidget;

namespace seiran {

class PageCanvas;
struct GradeData;

// A printer that writes a PDF file on sheets of the given layout (A4 portrait, the geometry of
// StandardPaperLayout, unless a report asks for another).
std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName);
std::unique_ptr<QPrinter> MakePdfPrinter(const QString& fileName, const QPageLayout& layout);
// The same sheets written by a PDF writer, for a file the program writes without asking: a
// printer would first load the print system's plugin and its libraries to learn the default
// printer, only to write a file.
std::unique_ptr<QPdfWriter> MakePdfWriter(const QString& fileName, const QPageLayout& layout);

// A PDF file is written under a temporary name beside its target and renamed into place only
// once it is complete, because QPainter::end() does not report the PDF engine's write errors: a
// full disk would otherwise leave an empty or cut file that looks like a success.
QString PartialPdfPath(const QString& target);
// Checks that the PDF at `written` is whole (its cross-reference table stands where its trailer
// says, and the end-of-file mark follows) and renames it onto `target`. On failure the partial
// file is removed, an older `target` stays as it was, and the message names the file.
Result FinishPdfFile(const QString& written, const QString& target);
// The canvas's message about a PDF job that failed, naming `target` (not the temporary file) and
// giving the reason when the file could not even be created. The temporary file is removed.
QString FailedPdfText(const QString& canvasError, const QString& target);

// A PDF job of the command-line tools: `draw` prints on a printer it makes for `path` (the
// temporary name), sets `failure` to the canvas's error if any and returns the sheets drawn. The
// file takes its name only once checked whole; a job of no sheets leaves no file.
struct PdfJob
{
    int sheets = 0;
    QString error;
};
PdfJob WritePdfJob(const QString& target, const std::function<int(const QString& path, QString& failure)>& draw);

// The print dialog: a printer and the number of copies, or a PDF file. With no printer on the
// system the dialog still offers the PDF file, on sheets of `pdfLayout`; with one, the printer
// starts on its own paper except where `pdfLayout` sets the size or turns the sheet
// (ApplyReportPaper), and a size of the report's own is kept after the dialog. nullptr when the
// user cancels.
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
// that fails shows what went wrong; a finished job shows "印刷が終了しました". A PDF file is
// checked as FinishPdfFile says before the job counts as finished.
PrintOutcome RunPrintJob(QPrinter& printer, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                         QWidget* parent);

} // namespace seiran
