#pragma once

#include "CsvImport.h"

#include <QList>
#include <QStringList>

namespace seiran {

class RosterEditModel;

// Class lists from the school office into the roster editor's seats: merged, never removing a
// pupil; an empty field changes nothing. `classLabels` are the grade's labels, `grade` the
// current grade (lines of another grade are skipped).
CsvImportPreview PreviewRosterCsv(const RosterEditModel& model, const QList<CsvRecord>& records,
                                  const CsvLayout& layout, const QString& classLabels, int grade);
// Gives every new or changed line of the preview to its seat.
void ApplyRosterCsv(RosterEditModel& model, const CsvImportPreview& preview);

// Every seat of every class as 組, 番, 氏名, 性別, ふりがな, 備考, header first.
QList<QStringList> RosterCsvRows(const RosterEditModel& model, const QString& classLabels);

} // namespace seiran

namespace seiran {

// Adds "meibo" (the roster editor's seats) to the entry command.
void RegisterRosterEntryScreen();

} // namespace seiran
