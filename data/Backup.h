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
Result ReplaceFiles(const QList<FileReplacement>& files);

} // namespace seiran
