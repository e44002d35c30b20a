#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace seiran {

// The promotion without a window:
//   seiran-promote --data DIR --grade G [--assign FILE] [--sort old|number|kana [--by-sex N]]
//                  [--save] [--create DIR [--replace]] [--list]
// Loads the promotion table as the window does, applies FILE as typed cells, sorts (kana with
// the numbering), builds next year's files in DIR, saves the assignment into the grade's
// roster, and lists the table, in that order. Every check runs before the first byte is
// written. Returns 0 (warnings on `err`), or 2 for an error, told on `err`, with no file
// touched. `args` starts with the program name; the standard lists lie in `programFolder`.
int RunPromoteCommand(const QStringList& args, const QString& programFolder, QTextStream& out, QTextStream& err);

} // namespace seiran
