#pragma once

#include <QHash>
#include <QStringList>
#include <functional>

class QTextStream;

namespace seiran {

class PageCanvas;
struct GradeData;

// The report command for schools that print in batches:
//   seiran-report --data DIR --grade G --test T REPORT [--class C] [--item I] (--pdf FILE | --dump)
// It loads the grade and the test as the main window does, draws the same sheets as the
// report window's print run on an A4 portrait sheet, and writes a PDF file or, with --dump, one
// line per drawing operation. Returns the exit status: 0 done, 2 for any error (told on `err`).
// `args` starts with the program name. Needs a QGuiApplication and MapReportFonts().
int RunReportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The reports the command knows, with a caption each (for --help).
QStringList ReportCommandNames();

// Reports another library adds to the command (the career lists). The command parses the
// options, checks the data folder and the grade, and writes the dump or the PDF file; the
// extension loads what its report needs and draws it.
struct ReportRequest
{
    QString report;
    int classNo = 0;                // --class, 0 when not given
    QHash<QString, QString> extras; // the extension's own options as given ("" for a flag)
};
struct ReportExtension
{
    QStringList reports;      // the REPORT names it serves
    QStringList helpLines;    // one per report, for --help
    QStringList optionHelp;   // lines for its options, for --help
    QStringList valueOptions; // options followed by a value ("--tests")
    QStringList flagOptions;  // options without a value ("--second")
    // Loads the grade (dataFolder and currentGrade are set) and returns the drawing of the
    // sheets as a print run that ends its job; or leaves it empty and sets `problem`. Notices of
    // the loads go to `err`.
    std::function<std::function<int(PageCanvas&)>(const ReportRequest&, GradeData&, QTextStream& err, QString& problem)>
        prepare;
};
// Adds the extension's reports to every following RunReportCommand.
void AddReportExtension(const ReportExtension& extension);

} // namespace seiran
