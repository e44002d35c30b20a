#pragma once

#include "HostIdentity.h"
#include "Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTextStream;

namespace seiran {

class INotice;

// Several PCs use one grade through the school's file server. What they share lives in a folder
// "seiranNN" beside the grade files; the grade files themselves keep their layout.
//
// Network folders decide the design:
// - byte-range locks are unreliable over SMB and NFS, but creating a file that must not exist yet
//   (QIODevice::NewOnly, O_EXCL) is atomic, so the guard is a file created exclusively;
// - SMB clients cache listings and attributes for about ten seconds, so who holds what is read
//   from the content of one file (the registry) under the guard, never from a listing, exists()
//   or a file time;
// - the PCs' clocks differ, so the age of another PC's entry is judged against the file server's
//   clock (the time of the guard this process has just created) or by watching it not change for
//   a while on our own monotonic clock;
// - replacing a file that another PC or a virus scanner holds open fails for a moment, so every
//   replacement is retried (5 times over about a second), and nothing is deleted first.
// QLockFile is not used: it judges other PCs' locks by file time against the local clock.

// What the lock needs from the system; tests give their own clock, host and process probe.
class LockEnvironment
{
public:
    virtual ~LockEnvironment() = default;
    virtual HostIdentity self() const { return CurrentHostIdentity(); }
    // Whether a process of this PC still runs one of our programs.
    virtual bool processRuns(qint64 pid) const { return SeiranProcessRuns(pid); }
    // The local clock, in UTC (written as "since" and "beat_at"; never compared with another PC's).
    virtual QDateTime utcNow() const { return QDateTime::currentDateTimeUtc(); }
    // Milliseconds of a clock that only goes forward, for "seen unchanged for so long".
    virtual qint64 monotonicMs() const;
    virtual void sleepMs(int ms) const;
    // The server's clock: the modification time of a file just written there.
    virtual QDateTime fileTime(const QString& path) const;

    // The environment of the whole process (the system's unless a test set another).
    static LockEnvironment& current();
    static void setCurrent(LockEnvironment* environment); // nullptr: the system's again
};

enum class LockMode {
    Shared,   // S: the entry screens; goes with other S holders
    Exclusive // X: commands and editors that change how pupils, tests or schools are addressed
};

// One line of the registry.
struct LockHolder
{
    QString id;
    LockMode mode = LockMode::Shared;
    QString user;
    QString host;
    QString machine; // may be empty
    QString boot;    // may be empty
    qint64 pid = 0;
    QDateTime since; // UTC
    qint64 beat = 0;
    QDateTime beatAt; // UTC, the holder's clock
    QString screen;   // what it is doing: 「点数の入力（テスト別）」, "seiran-entry naishin --import"
    QString fields;   // what it writes: "slots 6-14", "naishin", "choices", "all"

    QChar modeLetter() const { return mode == LockMode::Exclusive ? u'X' : u'S'; }
    // 名前（PC）「画面」HH:MM から (the start in local time), as the windows list a holder.
    QString describe() const;
    // "名前（PC）" alone.
    QString who() const;
};

// seiranNN/lock.txt: UTF-8, LF, Tab-separated.
//   seiran-lock <TAB> 1 <TAB> generation
//   holder <TAB> id mode user host machine boot pid since beat beat_at screen fields
struct LockRegistry
{
    qint64 generation = 0;
    QList<LockHolder> holders;

    // Reads the text; lines that are not a holder are dropped and named in `problems`. A missing
    // or unreadable header is false (the caller starts a new registry).
    static bool parse(const QByteArray& bytes, LockRegistry& registry, QStringList& problems);
    QByteArray serialize() const;
    int indexOf(const QString& id) const;
};

// Times of the registry: "YYYY-MM-DDThh:mm:ssZ".
QString LockTimeText(const QDateTime& utc);
QDateTime ParseLockTime(const QString& text);

// Whether a holder may join the others: S goes with S; X with nothing.
bool LockModesCompatible(LockMode a, LockMode b);

// Why a registered holder is no longer live, or "" when it is. `serverNow` is the server's clock
// (invalid when not known); `watch` remembers, per holder, when this process first saw its beat
// at the current value (monotonic milliseconds).
class BeatWatch
{
public:
    // Records the holder's beat; returns how long (ms) it has been seen unchanged.
    qint64 observe(const QString& holderId, qint64 beat, qint64 nowMs);
    void forget(const QString& holderId);

private:
    struct Seen
    {
        QString id;
        qint64 beat = 0;
        qint64 since = 0;
    };
    QList<Seen> mSeen;
};
QString StaleHolderReason(const LockHolder& holder, const HostIdentity& self, const LockEnvironment& env,
                          const QDateTime& serverNow, qint64 unchangedMs);

// How long the rules wait.
namespace LockTiming {
constexpr int BeatIntervalMs = 30 * 1000;            // each holder raises its beat this often
constexpr qint64 OtherPcBeatStaleMs = 90 * 1000;     // another PC's beat seen unchanged this long
constexpr qint64 OtherPcAgeStaleSecs = 24 * 60 * 60; // another PC's beat_at this far behind the server
constexpr qint64 GuardStaleMs = 120 * 1000;          // the same guard token seen this long
constexpr int GuardWaitMs = 150 * 1000;              // how long a writer waits for the guard
constexpr int ReplaceTries = 5;                      // a replacement held open elsewhere is tried again
constexpr int HolderPollMs = 5 * 1000;               // a refused holder that waits looks again this often
} // namespace LockTiming

// How a process waits for the guard: `onWait` is called between tries with the guard's holder
// ("名前（PC）") and the time waited; returning false cancels. The windows show a cancellable wait;
// commands print once and wait.
struct GuardWaitPolicy
{
    int timeoutMs = LockTiming::GuardWaitMs;
    std::function<bool(const QString& holder, int waitedMs)> onWait;
};
void SetGuardWaitPolicy(const GuardWaitPolicy& policy);
GuardWaitPolicy CurrentGuardWaitPolicy();

// The user's name written in the registry and the conflict log: the setting "User_name" in the
// windows, --user in the commands, the login name otherwise.
void SetLockUserName(const QString& name);
QString LockUserName();

// Stale holders removed by this process are told here (standard error for the commands, the
// main window's notice otherwise); nullptr: nobody.
void SetLockNotice(INotice* notice);
// Tells `text` where the lock's notices go.
void NoticeOfLock(const QString& text);

// The lock settings of one run of a command: the user's name (--user, the login name when empty),
// stale holders and a wait for the guard told once on `err` as "PROGRAM: …". Everything is put
// back when the scope ends (the tests run the commands in their own process).
class CommandLockSettings
{
public:
    CommandLockSettings(const QString& program, const QString& user, QTextStream& err);
    ~CommandLockSettings();
    CommandLockSettings(const CommandLockSettings&) = delete;
    CommandLockSettings& operator=(const CommandLockSettings&) = delete;

private:
    class StreamNotice;
    std::unique_ptr<StreamNotice> mNotice;
    QString mUser;
};

// The lock folder of a grade: "<data>/seiranNN/".
QString GradeLockFolder(const QString& dataFolder, int grade);
// "seiranNN" alone.
QString GradeLockFolderName(int grade);

// The guard of a grade, held while the registry changes or grade files are written (at most
// seconds), never while a question is open. It is taken again without waiting by the process that
// holds it (each scope counts), and released when the outermost scope ends.
class GradeGuard
{
public:
    GradeGuard(const QString& dataFolder, int grade);
    ~GradeGuard();
    GradeGuard(const GradeGuard&) = delete;
    GradeGuard& operator=(const GradeGuard&) = delete;

    // Whether the guard is held; otherwise why not (waited too long, cancelled, folder not writable).
    const Result& result() const { return mResult; }
    explicit operator bool() const { return mResult.ok; }

    // Under the guard: the registry as it is now, stale holders removed (and told).
    Result readRegistry(LockRegistry& registry);
    // Under the guard: rewrites the registry whole (temporary file and rename).
    Result writeRegistry(const LockRegistry& registry);
    // Under the guard: the generation raised by one (X holders after writing grade files).
    Result raiseGeneration();
    // The server's clock when the guard was created (invalid when taken again in the process).
    QDateTime serverTime() const;
    // Appends lines to a file of the lock folder (the conflict log), under the guard.
    Result appendLog(const QString& fileName, const QString& lines);
    // Whether this process already held the guard (an outer scope speaks for the write).
    bool nested() const { return mNested; }

private:
    QString mFolder;
    Result mResult;
    bool mNested = false;
};

// A write of grade files that may change how pupils, test slots or schools are addressed (the
// roster editor, promotion, the list editors, a new roster, next year's files): each grade's guard
// for the write, taken in grade order, and each grade's generation raised when the scope ends,
// whether or not every file was written, so that an entry screen opened before refuses to save.
//
// With a `snapshotReason` ("roster", "tests", …), a snapshot of each grade is taken under the guard
// before anything is written; when it cannot be taken, the write is refused with the reason. Inside
// an outer AddressingWrite of the same grade, the outer one's snapshot stands for it.
class AddressingWrite
{
public:
    AddressingWrite(const QString& dataFolder, const QList<int>& grades, const QString& snapshotReason = {});
    AddressingWrite(const QString& dataFolder, int grade, const QString& snapshotReason = {})
        : AddressingWrite(dataFolder, QList<int>{grade}, snapshotReason)
    {
    }
    // The grade of a grade file by its name ("dtfile03.rnd", "kyoka02.seq", "test01.seq",
    // "tannin03.seq"); a file of no grade takes nothing.
    explicit AddressingWrite(const QString& gradeFilePath, const QString& snapshotReason = {});
    ~AddressingWrite();
    AddressingWrite(const AddressingWrite&) = delete;
    AddressingWrite& operator=(const AddressingWrite&) = delete;

    const Result& result() const { return mResult; }
    explicit operator bool() const { return mResult.ok; }

private:
    QList<GradeGuard*> mGuards;
    Result mResult;
};

// The grade of a grade file by its name, 0 for none.
int GradeOfGradeFile(const QString& path);

// The current generation of a grade (0 for a folder without a registry), read without the guard:
// the registry is replaced whole by a rename, so a reader sees one version or the other.
qint64 ReadGradeGeneration(const QString& dataFolder, int grade);

// One registration of a holder of a grade. A window keeps one while it is open and calls beat()
// every 30 s; a command for its run. Destroying it releases the registration.
class GradeLock
{
public:
    GradeLock(const QString& dataFolder, int grade);
    ~GradeLock();
    GradeLock(const GradeLock&) = delete;
    GradeLock& operator=(const GradeLock&) = delete;

    // Registers as `mode`. Refused (false, `refusedBy` the incompatible live holders) when another
    // holder is incompatible; a holder whose fields overlap ours is put in `overlapping` (S with S
    // goes on; the caller says so once). Fails (Result) when the folder cannot be written.
    struct Outcome
    {
        Result result;
        bool granted = false;
        QList<LockHolder> refusedBy;
        QList<LockHolder> overlapping;
    };
    Outcome acquire(LockMode mode, const QString& screen, const QString& fields);
    // acquire() repeated every 5 s while refused, for up to `waitMs` (0: once); `keepWaiting` may
    // cancel between tries.
    Outcome acquireWaiting(LockMode mode, const QString& screen, const QString& fields, int waitMs,
                           const std::function<bool(const Outcome&)>& keepWaiting = {});

    bool held() const { return !mId.isEmpty(); }
    QString holderId() const { return mId; }
    LockMode mode() const { return mMode; }
    // The generation when the registration was granted.
    qint64 generationAtStart() const { return mGeneration; }

    // Raises this holder's beat. A registration removed by another PC (judged stale) is put back
    // when it still goes with the others; otherwise the result says it was lost.
    Result beat();
    // Removes the registration (also done by the destructor).
    Result release();
    // Who else holds the grade now (stale ones removed): for the main window's 使用中 line.
    Result others(QList<LockHolder>& holders);

    QString dataFolder() const { return mDataFolder; }
    int grade() const { return mGrade; }

private:
    QString mDataFolder;
    int mGrade = 0;
    QString mId;
    LockMode mMode = LockMode::Shared;
    QString mScreen;
    QString mFields;
    qint64 mBeat = 0;
    qint64 mGeneration = 0;
};

// The fields of two holders overlap ("all" overlaps everything; "slots 3-8" and "slots 6,12"
// share slot 6).
bool LockFieldsOverlap(const QString& a, const QString& b);

} // namespace seiran
