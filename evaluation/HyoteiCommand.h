#pragma once

#include "CommandTable.h"

#include <QList>
#include <QStringList>

class QTextStream;

namespace seiran {

// The evaluation without a window:
//   seiran-report --data DIR --grade G hyotei --subject S --weights T=W[,T=W...]
//       [--classes C[,C...] | --classes none] [--sex 0|1|2] [--method 0|1|2]
//       [--counts L=N[,L=N...]] [--levels C-N=L[,...]] [--marks C-N=M[,...]]
//       (--tsv [--view score|number|distribution] [--names] | --dump [--print DIGITS]
//        | --pdf FILE [--print DIGITS])
// It runs the same setup, calculation, hand edits, copy texts and printouts as the evaluation
// screens. Returns 0 when done, 2 for any error (told on `err`, nothing written).
int RunHyoteiCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The evaluation's entry of seiran-report.
QList<CommandEntry> EvaluationReportCommands();

} // namespace seiran
