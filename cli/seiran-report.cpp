// seiran-report --data DIR --grade G REPORT [options] (--pdf FILE | --dump)
// Draws the test reports, the evaluation lists and the career lists of a grade without a window:
// PDF files for printing in batches, or a list of the drawing operations. --help lists them.
#include "ReportFonts.h"
#include "SeiranReport.h"
#include "ToolkitEnvironment.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[])
{
    seiran::PrepareToolkitEnvironment();
    // Fonts and PDF output need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    seiran::MapReportFonts();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunSeiranReport(app.arguments(), out, err);
}
