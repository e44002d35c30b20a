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
// (--dump), a PDF file (--pdf FILE) on the report's sheet, or a printer of the system (--printer
// NAME, "default" for the default printer; --copies N) on the printer's own paper, except where
// the report's sheet sets the size or turns it, as the windows' 印刷 does.
struct SheetOutput
{
    bool dump = false;
    QString pdf;
    QString printer;
    int copies = 1;
    bool copiesGiven = false;
    QString documentName = QStringLiteral("せいらん"); // the job's title in the printer's queue
    QPageLayout paper = StandardPaperLayout();
    // Told when the report draws no sheet; no file is written then.
    QString nothingDrawn = QStringLiteral("描くページがありません。");
};

// Reads args[i] when it is an output option (--pdf FILE, --dump, --printer NAME, --copies N): true
// then, with `i` on its value; `problem` tells a missing or wrong value.
bool ReadSheetOutputOption(const QStringList& args, qsizetype& i, SheetOutput& output, QString& problem);
// The output options of a line read against ReportCommonOptions(); returns the problem or "".
QString ReadSheetOutputOptions(const ParsedCommandLine& line, SheetOutput& output);
// Exactly one output must be chosen (`otherChosen` counts a report's other outputs, named in
// `otherNames`, such as "--csv FILE"), and --copies goes with --printer. Returns the problem or "".
QString SheetOutputProblem(const SheetOutput& output, int otherChosen = 0, const QString& otherNames = QString());

// Draws the sheets on the dump, the PDF file or the printer. `draw` returns the sheets it drew. Returns the
// exit status: 0, or 2 after telling the problem on `err`.
int WriteReportSheets(const SheetOutput& output, const GradeData& gd, const std::function<int(PageCanvas&)>& draw,
                      QTextStream& out, QTextStream& err);

// The options every report of seiran-report takes: --data DIR, --grade G, --pdf FILE, --dump,
// --printer NAME, --copies N.
QList<CommandOption> ReportCommonOptions();
// The data folder of a report command as the program keeps it: absolute, with a final separator.
QString ReportDataFolder(const QString& path);

// The line that follows a problem with the command line: where the help is.
QString ReportUsageHint();

// Tells a problem of seiran-report on `err` and returns its exit status, 2.
int ReportCommandFailure(QTextStream& err, const QString& message);

} // namespace seiran
