// seiran-entry --data DIR --grade G SCREEN [--subject K --tests LIST] (--export | --import FILE)
// The entry screens without a window: the grid a screen shows, as Tab-separated text, and the
// same text read back into the screen's cells and saved as its finish button saves.
#include "EntryCommand.h"
#include "RosterCsvImport.h"
#include "ToolkitEnvironment.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[])
{
    seiran::PrepareToolkitEnvironment();
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The export's CR LF line ends go out as they are.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    seiran::RegisterRosterEntryScreen();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunEntryCommand(app.arguments(), QCoreApplication::applicationDirPath(), out, err);
}
