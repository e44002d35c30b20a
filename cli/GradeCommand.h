#pragma once

#include <QStringList>

class QTextStream;

namespace seiran {

// seiran-grade --data DIR --grade G --status [--user NAME]: who uses a grade. Prints Tab-separated
// lines, each led by its word: "generation G", then one line per registered holder
//   holder id mode user host pid since screen live|stale
// (times as the registry writes them); stale holders are removed as they are listed. Then one line
// per journal of unsaved input: journal file screen scope user host started entries live|orphan. A folder
// without the grade's lock folder has generation 0 and no holder. Returns 0, or 2 with the
// problem in words on `err`. `args` starts with the program name.
//
// The snapshots of the grade: --snapshot takes one now ("snapshot NAME"); --snapshots lists them,
// newest first, one Tab-separated line each: NAME reason time user host files (comma-separated);
// --restore NAME [--high-schools] [--wait SECONDS] holds the grade alone, keeps the state it replaces
// as a "restore" snapshot and brings the grade back ("restored NAME", then "snapshot NAME" of the
// replaced state).
int RunGradeCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace seiran
