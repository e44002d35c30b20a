// seiran-grade --data DIR --grade G --status [--user NAME]
// Who uses a grade now, from the registry of its lock folder.
#include "GradeCommand.h"
#include "ToolkitEnvironment.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    seiran::PrepareToolkitEnvironment();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunGradeCommand(app.arguments(), out, err);
}
