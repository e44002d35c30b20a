// seiran-sample DIR [--grade G] [--classes N] [--pupils M] [--seed S]
// Writes a complete, plausible grade into DIR, for trying the program, tests and benchmarks.
#include "SampleGrade.h"
#include "ToolkitEnvironment.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    seiran::PrepareToolkitEnvironment();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunSampleCommand(app.arguments(), out, err);
}
