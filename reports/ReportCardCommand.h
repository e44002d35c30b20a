#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace seiran {

// The report cards of seiran-report, for offices that print a whole grade at once:
//   seiran-report --data DIR --grade G seiseki --tests LIST [--classes LIST] [--graph] (--pdf FILE | --dump)
//   seiran-report --data DIR --grade G tsuchi --tests LIST [--graph-tests LIST]
//                 [--classes LIST | --pupils LIST] (--pdf FILE | --dump)
// `seiseki` is the test report card on A4 portrait, `tsuchi` the card for notification forms on
// JIS B5 portrait, both on the sheet less 5 mm on every side. Returns 0, or 2 after telling
// the problem on `err`.
int RunReportCardCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The card report named in the arguments ("seiseki" or "tsuchi"); empty when the arguments
// name another report.
QString ReportCardName(const QStringList& args);

// Lines of --help: the two reports, then their options.
QStringList ReportCardCommandNames();
QString ReportCardUsage();

} // namespace seiran
