#pragma once

#include "Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace seiran {

// Teachers type a whole test in one sitting and save once at the end. What an entry screen has
// typed since its load is appended, cell by cell, to a journal in the grade's lock folder
// ("seiranNN/journal/<screen>-<holder id>.jnl"), so that a crash, a power cut or a PC switched
// off mid-sitting loses nothing: the next time that screen is opened, the input is offered back.
//
// The file is UTF-8 text, one Tab-separated line each, written with one write() per line so that
// a kill leaves at most the last line torn:
//   seiran-journal 1 screen scope holder-id user host pid started generation columns
//   seq record field 組 番 name base text crc
// `columns` maps each data column of the screen (its header) to the field it shows,
// "国語=slot:3;数学=slot:4"; `field` is "slot:U", "naishin:K" or "choice:K"; `base` is the value at
// load (what the three-way save merges from); `crc` is the CRC-32 of the line before its last Tab.

struct JournalHeader
{
    QString screen;   // "test", "kyoka", "naishin", "sinro"
    QString scope;    // which part of the screen: "test 3", "subject 2 tests 1,3"
    QString holderId; // the registration of the window or command that writes it
    QString user;
    QString host;
    qint64 pid = 0;
    QDateTime started; // UTC
    qint64 generation = 0;
    QString columns;
};

struct JournalEntry
{
    qint64 seq = 0;
    int record = 0;    // record of the pupil in the roster file
    QString field;     // "slot:3"
    QString classText; // 組, 番 and name as the grid showed them, to name a refused entry
    QString numberText;
    QString name;
    int base = 0;
    QString text; // the cell's text
};

// What a journal file holds.
struct JournalContents
{
    JournalHeader header;
    QList<JournalEntry> entries;
    // Why reading stopped before the end of the file (a torn last line, a damaged line), "" when
    // every line was read.
    QString notice;

    // The last entry of each cell, in the order the cells were first typed.
    QList<JournalEntry> lastPerCell() const;
};

// The lines, each with its LF.
QByteArray JournalHeaderLine(const JournalHeader& header);
QByteArray JournalEntryLine(const JournalEntry& entry);

// Reads the text of a journal. A header that is not a journal's is a failure; a line without its
// LF or with a wrong CRC ends the journal there, told in `notice`.
Result ParseJournal(const QByteArray& bytes, JournalContents& contents);
Result ReadJournal(const QString& path, JournalContents& contents);

// "<screen>-<holder id>.jnl"
QString JournalFileName(const QString& screen, const QString& holderId);
// Where the journals of a grade are written: "<data>/seiranNN/journal/".
QString JournalFolder(const QString& dataFolder, int grade);
// Where a window keeps its journal when the data folder cannot be written: a folder of the
// user's local application data, one per data folder and grade.
QString LocalJournalFolder(const QString& dataFolder, int grade);

// Appends the lines of one journal. Each line is one write() on an unbuffered file; the file is
// synced to the disk at most every two seconds (sync() is called again when the input pauses).
class JournalWriter
{
public:
    JournalWriter() = default;
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Creates the file (it must not exist yet; its folder is made) and writes the header, synced.
    Result create(const QString& path, const JournalHeader& header);
    // Writes `lines` (a header and entries written elsewhere) to a new file, synced, and goes on
    // appending there: a journal moved to another folder.
    Result createWith(const QString& path, const QByteArray& lines);
    // Appends one entry (its seq is given here).
    Result append(JournalEntry entry);
    // Syncs what was written since the last sync.
    Result sync();
    bool syncPending() const { return mUnsynced; }
    // Closes and deletes the file.
    Result remove();
    void close();

    bool isOpen() const { return mFile.isOpen(); }
    QString path() const { return mFile.fileName(); }
    qint64 lastSeq() const { return mSeq; }
    // Every line written so far, header first (to move the journal elsewhere).
    const QByteArray& written() const { return mWritten; }

    // The least time between two syncs.
    static constexpr int SyncIntervalMs = 2000;

private:
    Result writeLine(const QByteArray& line);
    QFile mFile;
    qint64 mSeq = 0;
    QByteArray mWritten;
    QElapsedTimer mSinceSync;
    bool mUnsynced = false;
};

// A journal found beside a grade, judged against the registry.
struct FoundJournal
{
    QString path;
    bool local = false; // in the user's local application data
    bool live = false;  // its holder is registered and not stale
    JournalContents contents;
    QString problem; // the file could not be read as a journal ("" when it was)
};

// Every journal of the grade, in the lock folder and in this user's local copy. Under the grade's
// guard, the registry (stale holders removed) says which are live; a journal whose holder is
// absent from it is an orphan. A folder without journals gives an empty list.
Result FindJournals(const QString& dataFolder, int grade, QList<FoundJournal>& journals);
// The orphans of one screen and scope.
QList<FoundJournal> OrphanJournals(const QList<FoundJournal>& journals, const QString& screen, const QString& scope);
// The orphans of one screen and scope with input to offer back. An orphan that holds none is
// removed on the way.
QList<FoundJournal> OrphansToOffer(const QList<FoundJournal>& journals, const QString& screen, const QString& scope);
// Deletes a journal; the message names it when it cannot.
Result RemoveJournal(const QString& path);

// "名前、PC、日時、N か所" as the restore question names a journal (local time).
QString JournalSummary(const JournalContents& contents);

} // namespace seiran
