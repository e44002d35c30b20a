#pragma once

#include <QStringList>

class QTextStream;

namespace seiran {

// seiran-grade --data DIR --grade G --status [--user NAME]: who uses a grade. Prints Tab-separated
// lines, each led by its word: "generation G", then one line per registered holder
//   holder id mode user host pid since screen live|stale
// (times as the registry writes them); stale holders are removed as they are listed. A folder
// without the grade's lock folder has generation 0 and no holder. Returns 0, or 2 with the
// problem in words on `err`. `args` starts with the program name.
int RunGradeCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace seiran
