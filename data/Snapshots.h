#pragma once

#include "Result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace seiran {

// Dated copies of a grade's files, taken before every command that can destroy input, so that one
// command or one button brings the grade back: seiranNN/snapshots/YYYYMMDD-hhmmss-REASON/ holds the
// four grade files (names kept), the high-school files when present, and manifest.txt (reason, user,
// PC, time; per file its name, size and SHA-256). A snapshot is built in a ".partial-" folder under
// the grade's guard and renamed when complete, so a listed snapshot is always whole.
//
// Reasons: "daily" (before the first write of the day to the grade, from any PC), "new-roster",
// "roster", "promotion", "next-year", "subjects", "tests", "high-schools", "restore" (the state a
// restore replaces) and "manual". The newest 10 daily and 20 others are kept.

struct SnapshotFile
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; // hex
};

struct SnapshotInfo
{
    QString name; // the folder's name
    QString reason;
    QDateTime time; // UTC
    QString user;
    QString host;
    QList<SnapshotFile> files;

    // The reason as the window lists it: 毎日, 新しい名簿, …
    QString reasonText() const;
};

namespace SnapshotKeep {
constexpr int Daily = 10;
constexpr int Others = 20;
} // namespace SnapshotKeep

// The folder of a grade's snapshots.
QString SnapshotFolder(const QString& dataFolder, int grade);

// Takes a snapshot of the grade now (under its guard, taken here when this process does not hold
// it). A grade without any file has nothing to keep: success, `name` empty.
Result TakeSnapshot(const QString& dataFolder, int grade, const QString& reason, QString* name = nullptr);

// Before the first write of the day (local time) to the grade: a "daily" snapshot, judged by the
// record seiranNN/last-daily read under the guard (never by settings or a listing). A failure only
// warns, through the lock notice.
void TakeDailySnapshotIfDue(const QString& dataFolder, int grade);

// The grade's complete snapshots, newest first.
Result ListSnapshots(const QString& dataFolder, int grade, QList<SnapshotInfo>& snapshots);

// Brings the grade back to snapshot `name`: checks every file against the manifest, takes a
// "restore" snapshot of the state it replaces, replaces the grade files all or none (the
// high-school files only with `highSchools`) and raises the generation. The caller holds the grade
// exclusively. `restoreName` receives the name of the snapshot of the replaced state.
Result RestoreSnapshot(const QString& dataFolder, int grade, const QString& name, bool highSchools,
                       QString* restoreName = nullptr);

// Test seam: the local time used for the names and the daily rule (invalid: the clock).
void SetSnapshotClock(const QDateTime& localNow);

} // namespace seiran
