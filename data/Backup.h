#pragma once

#include "Result.h"

#include <QList>
#include <QString>

namespace seiran {

// The first free name of "NAME.bak", "NAME.bak2", "NAME.bak3" … beside `path`.
QString FreeBackupPath(const QString& path);

// Copies the file at `path` to the first free of NAME.bak, NAME.bak2, … , so that a backup
// never replaces an older one. `backupPath` (when given) receives the copy's name. The copy is
// complete or absent: it is written through a temporary file whose every byte is checked.
Result KeepNumberedBackup(const QString& path, QString* backupPath = nullptr);

// After a command gave up and the files are back as they were: removes each backup
// (backups[i] of originals[i]; an empty name is skipped) whose file still holds exactly what the
// backup holds, so a failed command leaves no copies behind. A backup of a file that changed stays.
void RemoveBackupsOfUnchangedFiles(const QStringList& originals, const QStringList& backups);

// One file of a set: the finished new content at `source` takes the place of `target`.
struct FileReplacement
{
    QString source;
    QString target;
};

// Renames every source onto its target, in order, each in one step. When one fails, the
// renames already done are undone (the old targets come back, targets that did not exist are
// removed), so the folder ends as it was; sources not yet used stay for the caller to remove.
// A set of more than one file first records its plan (with `backups`, the caller's copies made for
// this replacement) in one small synced file, so that a replacement cut short by a kill or a power
// cut is undone when the folder is next used (RecoverInterruptedReplacements), never left mixed.
Result ReplaceFiles(const QList<FileReplacement>& files, const QStringList& backups = {});

// Where the plan of a replacement whose first target is `target` is kept: the grade's lock
// folder for grade files, the target's folder otherwise.
QString ReplacementPlanPath(const QString& target);
// Undoes a replacement cut short whose plan is at `planPath`: the old files come back, new files
// that had no old one go, and the leftover temporaries, kept old files and the plan's backups are
// removed. Nothing to do when there is no plan. `undone` (when given) is set when one was undone.
Result RecoverInterruptedReplacement(const QString& planPath, bool* undone = nullptr);
// Undoes the replacements cut short in a grade's folder: its grade files' plan and the folder's own
// (the high-school lists); each one undone is told through the lock notice.
void RecoverInterruptedReplacements(const QString& dataFolder, int grade);
// Test seam: a pause (ms) before each rename of ReplaceFiles, so that a test can kill it midway; also
// set from the environment variable SEIRAN_TEST_WRITE_PAUSE_MS for child processes.
void SetReplacePause(int ms);

} // namespace seiran
