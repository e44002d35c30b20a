// seiran-entry --data DIR --grade G SCREEN [--subject K --tests LIST] (--export | --import FILE)
// The entry screens without a window: the grid a screen shows, as Tab-separated text, and the
// same text read back into the screen's cells and saved as its finish button saves.
#include "EntryCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunEntryCommand(app.arguments(), QCoreApplication::applicationDirPath(), out, err);
}
