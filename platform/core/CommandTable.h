#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;

namespace seiran {

// One option of a command line: its name ("--tests"), the name of its value ("LIST"; empty for a
// flag) and a line of help.
struct CommandOption
{
    QString name;
    QString value;
    QString help;
};

// One thing a command does (a report of seiran-report, a screen of seiran-entry), registered once:
// the name given on the command line, a line that says what it is, the options it takes besides
// the command's common ones, and what runs it. `run` gets the whole command line (the program's
// name first) and returns the exit status.
struct CommandEntry
{
    QString name;
    QString description;
    QList<CommandOption> options;
    std::function<int(const QStringList& args, QTextStream& out, QTextStream& err)> run;
};

// What a command says about itself besides its entries.
struct CommandDescription
{
    QString program;             // "seiran-report"
    QString synopsis;            // "--data DIR --grade G REPORT [options] (--pdf FILE | --dump)"
    QString heading;             // what an entry is called on the command line ("REPORT")
    QString noun;                // and in messages ("帳票")
    QList<CommandOption> common; // options every entry takes
    QString footer;              // notes after the options (how a list is written)
};

// The command's help, made from its table: the synopsis, every entry on one line, the common
// options, then every other option once with the entries that take it, all aligned.
QString CommandHelpText(const CommandDescription& command, const QList<CommandEntry>& entries);
// One entry's help: its synopsis and its options alone.
QString CommandEntryHelpText(const CommandDescription& command, const CommandEntry& entry);

// The entry a command line names: the first word that is neither an option nor the value of one
// (options with a value are known from the common options and the entries'). Empty when none.
QString CommandEntryName(const QStringList& args, const CommandDescription& command,
                         const QList<CommandEntry>& entries);

// Runs a command from its table. "--help" prints the help (with an entry's name, that entry's);
// a missing or unknown entry is refused with the names the command knows (exit 2); otherwise the
// entry runs with the whole command line.
int RunCommandTable(const CommandDescription& command, const QList<CommandEntry>& entries, const QStringList& args,
                    QTextStream& out, QTextStream& err);

// A command line read against the options an entry takes.
struct ParsedCommandLine
{
    QString entry;                 // the one word that is not an option
    QMap<QString, QString> values; // each option given, with its value ("" for a flag)

    bool has(const QString& name) const { return values.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};
// Reads `args` (the program's name first). Returns the problem ("不明なオプション --x", an option
// given twice, a value missing, two entries named), or an empty text.
QString ParseCommandLine(const QStringList& args, const QList<CommandOption>& options, const QString& noun,
                         ParsedCommandLine& parsed);

} // namespace seiran
