#pragma once

#include "Result.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTextStream;

namespace seiran {

class EntrySheet;
struct GradeData;

// The entry screens without a window, for spreadsheets and for batch work:
//   seiran-entry --data DIR --grade G SCREEN [screen options] ACTION
// SCREEN is one of EntryScreenNames(); each prepares the grade as the main menu does before
// opening the screen. ACTION --export writes the screen's whole grid (Tab-separated, CR LF,
// UTF-8) on `out`; --export-csv FILE writes it as a CSV file for spreadsheets ("-" standard
// output); --import-csv FILE reads a CSV file (class lists, scores, 内申点, choices) by its
// column headers, shows or applies the preview and saves as the screen's finish does; --import FILE gives a file of
// that layout to the grid's cells as the screen takes them and saves as its finish button does. Returns the exit
// status: 0 done, 2 for any error or refused field (told on `err`; nothing is written then). `args` starts with the
// program name; `programFolder` holds the standard lists.
int RunEntryCommand(const QStringList& args, const QString& programFolder, QTextStream& out, QTextStream& err);

// The names of the screens the command knows.
QStringList EntryScreenNames();

// A screen served by another library (the roster editor's "meibo"): its name, caption, the
// options it takes besides the common ones, and how it prepares its sheet over the loaded
// lists (`values` holds every option given, "" for a flag).
struct EntryScreenExtension
{
    QString name;
    QString caption;
    QStringList options;
    std::function<Result(GradeData& gd, const QMap<QString, QString>& values, QTextStream& err,
                         std::unique_ptr<EntrySheet>& sheet)>
        open;
    bool importsCsv = false; // takes --import-csv
    // Its save changes how pupils are addressed: it runs only when nobody else uses the grade.
    bool exclusive = false;
};
// Adds the screen to every following RunEntryCommand.
void AddEntryScreen(const EntryScreenExtension& screen);

} // namespace seiran
