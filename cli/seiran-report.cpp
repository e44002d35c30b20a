// seiran-report --data DIR --grade G [--test T] REPORT [options] (--pdf FILE | --dump)
// Draws the test reports and the career lists of a grade without a window: PDF files for printing in batches, or a
// list of the drawing operations.
#include "CareerReportCommand.h"
#include "ReportCommand.h"
#include "ReportFonts.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Fonts and PDF output need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    seiran::MapReportFonts();
    seiran::AddCareerReports();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunReportCommand(app.arguments(), out, err);
}
