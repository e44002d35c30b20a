#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace seiran {

// The entry screens without a window, for spreadsheets and for batch work:
//   seiran-entry --data DIR --grade G SCREEN [screen options] ACTION
// SCREEN is one of EntryScreenNames(); each prepares the grade as the main menu does before
// opening the screen. ACTION --export writes the screen's whole grid (Tab-separated, CR LF,
// UTF-8) on `out`; --import FILE gives a file of that layout to the grid's cells as the screen
// takes them and saves as its finish button does. Returns the exit status: 0 done, 2 for any
// error or refused field (told on `err`; nothing is written then). `args` starts with the
// program name; `programFolder` holds the standard lists.
int RunEntryCommand(const QStringList& args, const QString& programFolder, QTextStream& out, QTextStream& err);

// The screens the command knows, a line each with its caption (for --help).
QStringList EntryScreenNames();

} // namespace seiran
