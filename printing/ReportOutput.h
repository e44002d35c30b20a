#pragma once

#include "CommandTable.h"
#include "ReportCommon.h"

#include <QPageLayout>
#include <QString>
#include <functional>

class QTextStream;

namespace seiran {

class PageCanvas;
struct GradeData;

// Where a report of the command line goes: a list of every drawing operation on standard output
// (--dump) or a PDF file (--pdf FILE), on the report's sheet.
struct SheetOutput
{
    bool dump = false;
    QString pdf;
    QPageLayout paper = StandardPaperLayout();
    // Told when the report draws no sheet; no file is written then.
    QString nothingDrawn = QStringLiteral("描くページがありません。");
};

// Draws the sheets on the dump or the PDF file. `draw` returns the sheets it drew. Returns the
// exit status: 0, or 2 after telling the problem on `err`.
int WriteReportSheets(const SheetOutput& output, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                      QTextStream& out, QTextStream& err);

// The options every report of seiran-report takes: --data DIR, --grade G, --pdf FILE, --dump.
QList<CommandOption> ReportCommonOptions();
// The data folder of a report command as the program keeps it: absolute, with a final separator.
QString ReportDataFolder(const QString& path);

// The line that follows a problem with the command line: where the help is.
QString ReportUsageHint();

// Tells a problem of seiran-report on `err` and returns its exit status, 2.
int ReportCommandFailure(QTextStream& err, const QString& message);

} // namespace seiran
