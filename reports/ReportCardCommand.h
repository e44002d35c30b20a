#pragma once

#include "CommandTable.h"

#include <QList>

namespace seiran {

// The report cards of seiran-report, for offices that print a whole grade at once:
//   seiseki --tests LIST [--classes LIST] [--graph]
//   tsuchi --tests LIST [--graph-tests LIST] [--classes LIST | --pupils LIST]
// `seiseki` is the test report card on A4 portrait, `tsuchi` the card for notification forms on
// JIS B5 portrait, both on the sheet less 5 mm on every side. Each run returns 0, or 2 after
// telling the problem on `err`.
QList<CommandEntry> ReportCardCommands();

} // namespace seiran
