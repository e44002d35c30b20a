#pragma once

#include "Result.h"

#include <QPageLayout>
#include <QString>

class QPrinter;
class QPrinterInfo;

namespace seiran {

// A printer of the system's print system by its name; "default" is the system's default printer.
// Fails, naming the printers there are, when there is no such printer.
Result FindSystemPrinter(const QString& name, QPrinterInfo& info);

// Why the print system would refuse a job for the printer now (the queue is stopped or does not
// accept jobs), or an empty text. Also empty when the print system cannot be asked.
QString PrinterRefusalReason(const QString& printerName);

// The highest job number the print system knows for the printer, finished jobs included; -1 when
// it cannot be asked. A job that reached the queue raises it.
int NewestPrintJob(const QString& printerName);

// Gives the printer what the report's sheet decides: a size other than A4 (the JIS B5 cards)
// and a turned sheet. Otherwise a printer of the system takes the paper its queue is set to;
// its margins stay its own.
void ApplyReportPaper(QPrinter& printer, const QPageLayout& paper);

} // namespace seiran
