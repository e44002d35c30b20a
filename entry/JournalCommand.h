#pragma once

#include "JournalLayout.h"

#include <QString>
#include <functional>

class QIODevice;
class QTextStream;

namespace seiran {

class EntrySheet;
struct GradeData;

// What seiran-entry's journal actions work with: the loaded sheet, its layout, this run's
// registration on the grade, and the save of the sheet as --import saves it (returns the exit
// status; clashes printed as 競合 lines with line 0).
struct JournalRun
{
    GradeData& gd;
    EntrySheet& sheet;
    JournalLayout layout;
    QString holderId;
    qint64 generation = 0;
    std::function<int()> save;
    std::function<void()> beat; // keeps the registration live while --edit waits for input
    QTextStream& err;
    QString journalOption; // --journal FILE, "" when not given
};

// --edit: reads lines "組 TAB 番 TAB column-header TAB text" from `in`, each taken as an import
// field and put in the journal before "ok" is printed; "refused TAB reason" otherwise. "#save"
// saves and ends, "#discard" deletes the journal and ends; the end of input keeps the journal
// and returns 2. Refused when an orphan journal of the screen and scope exists.
int RunJournalEdit(JournalRun& run, QIODevice& in, QTextStream& out);
// --recover: restores the orphan journal of the screen and scope into the sheet (its base as the
// value the save merges from) and saves; the journal is removed after a successful save and kept
// otherwise.
int RunJournalRecover(JournalRun& run);
// --discard: deletes the orphan journal of the screen and scope.
int RunJournalDiscard(JournalRun& run);

// Where --edit reads its lines: standard input unless a test gives another device (nullptr:
// standard input again).
void SetEntryCommandInput(QIODevice* device);
QIODevice& EntryCommandInput();

} // namespace seiran
