#include "GradeLock.h"

#include "FileErrors.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Snapshots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace seiran {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Environment

qint64 LockEnvironment::monotonicMs() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void LockEnvironment::sleepMs(int ms) const
{
    QThread::msleep(ulong(ms));
}

QDateTime LockEnvironment::fileTime(const QString& path) const
{
    return QFileInfo(path).lastModified().toUTC();
}

namespace {

LockEnvironment*& currentEnvironment()
{
    static LockEnvironment* environment = nullptr;
    return environment;
}

struct ProcessState
{
    GuardWaitPolicy waitPolicy;
    QString userName;
    INotice* notice = nullptr;
    BeatWatch beats;
    // Guards held by this process, by lock folder.
    struct Held
    {
        QString token;
        int depth = 0;
        QDateTime serverTime;
    };
    QHash<QString, Held> guards;
    // Registrations of this process, beaten while it waits for another.
    QList<GradeLock*> locks;
    qint64 lastBeat = 0;
};

ProcessState& state()
{
    static ProcessState s;
    return s;
}

QString randomToken()
{
    const quint64 a = QRandomGenerator::global()->generate64();
    return QString::number(a, 16).rightJustified(16, u'0');
}

const QString GuardName = QStringLiteral("guard");
const QString RegistryName = QStringLiteral("lock.txt");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool samePc(const QString& host, const QString& machine, const HostIdentity& self)
{
    if (host != self.host) return false;
    return machine.isEmpty() || self.machineId.isEmpty() || machine == self.machineId;
}

// Replaces `target` by `source` in one step, trying again while another PC or a scanner holds the
// target open; never removes the target first.
bool replaceWithRetries(const QString& source, const QString& target, const LockEnvironment& env, int& error)
{
    for (int attempt = 1;; ++attempt) {
        std::error_code ec;
        fs::rename(fs::path(source.toStdString()), fs::path(target.toStdString()), ec);
        if (!ec) return true;
        error = ec.value();
        if (attempt >= LockTiming::ReplaceTries) return false;
        env.sleepMs(200);
    }
}

// Writes `bytes` to a new temporary file beside `path`, synced, then renames it over `path`.
Result replaceFile(const QString& path, const QByteArray& bytes, const LockEnvironment& env)
{
    const QString temporary = path + QStringLiteral(".tmp-") + randomToken();
    QFile file(temporary);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Result::failure(QStringLiteral("ファイル %1 を作成できません。%2")
                                   .arg(shown(temporary), FileErrorReason(file, FileAccess::Write, errno)));
    // Not synced: syncing would cost every screen that opens several milliseconds. A registry torn
    // by a power cut reads as damaged and is rebuilt with a generation no screen has seen; one lost
    // whole starts again at 0, and the saves still check the list hashes and each seat's pupil.
    errno = 0;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    int error = errno;
    file.close();
    if (!written) {
        QFile::remove(temporary);
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。%2")
                                   .arg(shown(path), FileErrorReason(error, FileAccess::Write)));
    }
    if (!replaceWithRetries(temporary, path, env, error)) {
        QFile::remove(temporary);
        return Result::failure(QStringLiteral("ファイル %1 を置き換えられません。%2")
                                   .arg(shown(path), FileErrorReason(error, FileAccess::Write)));
    }
    return Result::success();
}

// The guard's content: who holds it.
struct GuardContent
{
    QString token;
    qint64 pid = 0;
    QString host;
    QString machine;
    QString boot;
    QString user;
    bool valid = false;
};

QByteArray guardBytes(const QString& token, const HostIdentity& self, const QDateTime& now)
{
    const QStringList fields{QStringLiteral("seiran-guard"),
                             QStringLiteral("1"),
                             token,
                             QString::number(self.pid),
                             self.host,
                             self.machineId,
                             self.bootId,
                             LockTimeText(now),
                             LockUserName()};
    return fields.join(u'\t').toUtf8() + '\n';
}

GuardContent parseGuard(const QByteArray& bytes)
{
    GuardContent g;
    const QStringList f = QString::fromUtf8(bytes).section(u'\n', 0, 0).split(u'\t');
    if (f.size() >= 8 && f.at(0) == QLatin1String("seiran-guard") && !f.at(2).isEmpty()) {
        g.token = f.at(2);
        g.pid = f.at(3).toLongLong();
        g.host = f.at(4);
        g.machine = f.at(5);
        g.boot = f.at(6);
        g.user = f.size() > 8 ? f.at(8) : QString();
        g.valid = true;
    } else {
        // A guard being written, or garbage: known only by its bytes, judged by the 120-s watch.
        g.token = QString::fromLatin1(bytes.toHex().left(64));
    }
    return g;
}

bool readFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    bytes = file.read(64 * 1024);
    return true;
}

// Breaks a stale guard so that two waiters never remove each other's new guard: the guard is
// renamed to a name of our own, and only removed when it still holds the stale token; otherwise
// it is put back.
void breakGuard(const QString& folder, const QString& staleToken)
{
    const QString path = folder + GuardName;
    const QString aside = folder + GuardName + QStringLiteral(".stale-") + randomToken();
    std::error_code ec;
    fs::rename(fs::path(path.toStdString()), fs::path(aside.toStdString()), ec);
    if (ec) return;
    QByteArray bytes;
    readFile(aside, bytes);
    if (parseGuard(bytes).token == staleToken) {
        QFile::remove(aside);
        return;
    }
    // Someone else's new guard: back under its name (QFile::rename never replaces a file).
    if (!QFile::rename(aside, path)) QFile::remove(aside);
}

void tell(const QString& text)
{
    if (INotice* notice = state().notice) notice->notice(text);
}

} // namespace

LockEnvironment& LockEnvironment::current()
{
    static LockEnvironment system;
    LockEnvironment* e = currentEnvironment();
    return e ? *e : system;
}

void LockEnvironment::setCurrent(LockEnvironment* environment)
{
    currentEnvironment() = environment;
}

void SetGuardWaitPolicy(const GuardWaitPolicy& policy)
{
    state().waitPolicy = policy;
}

GuardWaitPolicy CurrentGuardWaitPolicy()
{
    return state().waitPolicy;
}

void SetLockUserName(const QString& name)
{
    state().userName = name;
}

QString LockUserName()
{
    QString name = state().userName.trimmed();
    if (name.isEmpty()) name = LoginUserName();
    if (name.isEmpty()) name = QStringLiteral("(不明)");
    // The registry is Tab-separated, one holder a line.
    name.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return name;
}

void SetLockNotice(INotice* notice)
{
    state().notice = notice;
}

void NoticeOfLock(const QString& text)
{
    tell(text);
}

class CommandLockSettings::StreamNotice final : public INotice
{
public:
    StreamNotice(const QString& program, QTextStream& err) : mProgram(program), mErr(err) {}
    void notice(const QString& text) override
    {
        mErr << mProgram << ": " << text << '\n';
        mErr.flush();
    }

private:
    QString mProgram;
    QTextStream& mErr;
};

CommandLockSettings::CommandLockSettings(const QString& program, const QString& user, QTextStream& err)
    : mNotice(std::make_unique<StreamNotice>(program, err)), mUser(state().userName)
{
    if (!user.isEmpty()) SetLockUserName(user);
    SetLockNotice(mNotice.get());
    GuardWaitPolicy policy;
    auto told = std::make_shared<bool>(false);
    policy.onWait = [program, &err, told](const QString& holder, int) {
        if (!*told) {
            err << program << ": " << holder
                << QStringLiteral(" が学年のファイルを書き込み中です。終わるまで待ちます。") << '\n';
            err.flush();
            *told = true;
        }
        return true;
    };
    SetGuardWaitPolicy(policy);
}

CommandLockSettings::~CommandLockSettings()
{
    SetGuardWaitPolicy(GuardWaitPolicy{});
    SetLockNotice(nullptr);
    SetLockUserName(mUser);
}

// ---------------------------------------------------------------------------------------------
// Registry text

QString LockTimeText(const QDateTime& utc)
{
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + u'Z';
}

QDateTime ParseLockTime(const QString& text)
{
    if (!text.endsWith(u'Z')) return {};
    QDateTime t = QDateTime::fromString(text.chopped(1), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!t.isValid()) return {};
    t.setTimeSpec(Qt::UTC);
    return t;
}

QString LockHolder::who() const
{
    return QStringLiteral("%1（%2）").arg(user, host);
}

QString LockHolder::describe() const
{
    return QStringLiteral("%1「%2」%3 から").arg(who(), screen, since.toLocalTime().toString(QStringLiteral("HH:mm")));
}

namespace {

QString clean(QString text)
{
    return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

} // namespace

bool LockRegistry::parse(const QByteArray& bytes, LockRegistry& registry, QStringList& problems)
{
    registry = LockRegistry{};
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    const QStringList head = lines.value(0).split(u'\t');
    bool ok = false;
    if (head.size() == 3 && head.at(0) == QLatin1String("seiran-lock") && head.at(1) == QLatin1String("1"))
        registry.generation = head.at(2).toLongLong(&ok);
    if (!ok || registry.generation < 0) {
        registry.generation = 0;
        problems << QStringLiteral("1行目が使用者の一覧の見出しではありません");
        return false;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty()) continue;
        const QStringList f = line.split(u'\t');
        LockHolder h;
        bool pidOk = false;
        bool beatOk = false;
        if (f.size() == 13 && f.at(0) == QLatin1String("holder")) {
            h.id = f.at(1);
            h.user = f.at(3);
            h.host = f.at(4);
            h.machine = f.at(5);
            h.boot = f.at(6);
            h.pid = f.at(7).toLongLong(&pidOk);
            h.since = ParseLockTime(f.at(8));
            h.beat = f.at(9).toLongLong(&beatOk);
            h.beatAt = ParseLockTime(f.at(10));
            h.screen = f.at(11);
            h.fields = f.at(12);
        }
        const bool modeOk = f.size() == 13 && (f.at(2) == QLatin1String("S") || f.at(2) == QLatin1String("X"));
        if (!modeOk || h.id.isEmpty() || !pidOk || !beatOk || !h.since.isValid() || !h.beatAt.isValid() ||
            registry.indexOf(h.id) >= 0) {
            problems << QStringLiteral("%1行目を読めません").arg(i + 1);
            continue;
        }
        h.mode = f.at(2) == QLatin1String("X") ? LockMode::Exclusive : LockMode::Shared;
        registry.holders.append(h);
    }
    return true;
}

QByteArray LockRegistry::serialize() const
{
    QString text = QStringLiteral("seiran-lock\t1\t%1\n").arg(generation);
    for (const LockHolder& h : holders) {
        const QStringList f{QStringLiteral("holder"),
                            clean(h.id),
                            QString(h.modeLetter()),
                            clean(h.user),
                            clean(h.host),
                            clean(h.machine),
                            clean(h.boot),
                            QString::number(h.pid),
                            LockTimeText(h.since),
                            QString::number(h.beat),
                            LockTimeText(h.beatAt),
                            clean(h.screen),
                            clean(h.fields)};
        text += f.join(u'\t') + u'\n';
    }
    return text.toUtf8();
}

int LockRegistry::indexOf(const QString& id) const
{
    for (int i = 0; i < int(holders.size()); ++i)
        if (holders.at(i).id == id) return i;
    return -1;
}

bool LockModesCompatible(LockMode a, LockMode b)
{
    return a == LockMode::Shared && b == LockMode::Shared;
}

namespace {

// "slots 3-8,12" → {3..8, 12}; anything else is a name compared whole.
bool slotSet(const QString& fields, QList<int>& numbers)
{
    if (!fields.startsWith(QLatin1String("slots "))) return false;
    for (const QString& part : fields.mid(6).split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        bool okA = false;
        bool okB = true;
        const int a = ends.value(0).trimmed().toInt(&okA);
        const int b = ends.size() > 1 ? ends.value(1).trimmed().toInt(&okB) : a;
        if (!okA || !okB || b < a || b - a > 1000) return false;
        for (int s = a; s <= b; ++s)
            numbers.append(s);
    }
    return true;
}

} // namespace

bool LockFieldsOverlap(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty()) return false;
    if (a == QLatin1String("all") || b == QLatin1String("all")) return true;
    QList<int> sa;
    QList<int> sb;
    if (slotSet(a, sa) && slotSet(b, sb)) {
        for (int s : sa)
            if (sb.contains(s)) return true;
        return false;
    }
    return a == b;
}

qint64 BeatWatch::observe(const QString& holderId, qint64 beat, qint64 nowMs)
{
    for (Seen& s : mSeen) {
        if (s.id != holderId) continue;
        if (s.beat != beat) {
            s.beat = beat;
            s.since = nowMs;
        }
        return nowMs - s.since;
    }
    mSeen.append({holderId, beat, nowMs});
    return 0;
}

void BeatWatch::forget(const QString& holderId)
{
    mSeen.removeIf([&holderId](const Seen& s) { return s.id == holderId; });
}

QString StaleHolderReason(const LockHolder& holder, const HostIdentity& self, const LockEnvironment& env,
                          const QDateTime& serverNow, qint64 unchangedMs)
{
    if (samePc(holder.host, holder.machine, self)) {
        if (!holder.boot.isEmpty() && !self.bootId.isEmpty() && holder.boot != self.bootId)
            return QStringLiteral("PC が起動し直されています");
        if (!env.processRuns(holder.pid)) return QStringLiteral("プログラムが終わっています");
        return QString();
    }
    if (serverNow.isValid() && holder.beatAt.isValid() &&
        holder.beatAt.secsTo(serverNow) > LockTiming::OtherPcAgeStaleSecs)
        return QStringLiteral("24時間以上応答がありません");
    if (unchangedMs >= LockTiming::OtherPcBeatStaleMs) return QStringLiteral("90秒以上応答がありません");
    return QString();
}

QString GradeLockFolderName(int grade)
{
    return QStringLiteral("seiran") + QString::number(grade + 1000).right(2);
}

QString GradeLockFolder(const QString& dataFolder, int grade)
{
    QString folder = QDir::cleanPath(QDir::fromNativeSeparators(dataFolder)) + u'/' + GradeLockFolderName(grade);
    return folder + u'/';
}

qint64 ReadGradeGeneration(const QString& dataFolder, int grade)
{
    QByteArray bytes;
    if (!readFile(GradeLockFolder(dataFolder, grade) + RegistryName, bytes)) return 0;
    LockRegistry registry;
    QStringList problems;
    LockRegistry::parse(bytes, registry, problems);
    return registry.generation;
}

// ---------------------------------------------------------------------------------------------
// Guard

GradeGuard::GradeGuard(const QString& dataFolder, int grade) : mFolder(GradeLockFolder(dataFolder, grade))
{
    ProcessState& s = state();
    auto held = s.guards.find(mFolder);
    if (held != s.guards.end() && held->depth > 0) {
        ++held->depth;
        mNested = true;
        return;
    }
    const LockEnvironment& env = LockEnvironment::current();
    if (!QDir().mkpath(mFolder)) {
        mResult = Result::failure(
            QStringLiteral("フォルダ %1 を作成できないため、学年のファイルを書き込めません。").arg(shown(mFolder)));
        return;
    }
    const HostIdentity self = env.self();
    const QString token = randomToken();
    const QByteArray content = guardBytes(token, self, env.utcNow());
    const QString path = mFolder + GuardName;
    const GuardWaitPolicy policy = s.waitPolicy;
    const qint64 start = env.monotonicMs();
    QString watchedToken;
    qint64 watchedSince = 0;
    for (;;) {
        QFile file(path);
        errno = 0;
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            errno = 0;
            const bool written = file.write(content) == content.size() && file.flush();
            const int writeError = errno;
            file.close();
            if (!written) {
                QFile::remove(path);
                mResult = Result::failure(QStringLiteral("フォルダ %1 に書き込めません。%2")
                                              .arg(shown(mFolder), FileErrorReason(writeError, FileAccess::Write)));
                return;
            }
            s.guards.insert(mFolder, {token, 1, env.fileTime(path)});
            return;
        }
        const int error = errno;
        if (error != EEXIST) {
            if (error == ENOENT && QDir().mkpath(mFolder)) continue;
            mResult = Result::failure(QStringLiteral("フォルダ %1 に書き込めません。%2")
                                          .arg(shown(mFolder), FileErrorReason(error, FileAccess::Write)));
            return;
        }
        QByteArray bytes;
        if (!readFile(path, bytes)) continue; // released just now
        const GuardContent other = parseGuard(bytes);
        const qint64 now = env.monotonicMs();
        if (other.token != watchedToken) {
            watchedToken = other.token;
            watchedSince = now;
        }
        const bool deadHere = other.valid && samePc(other.host, other.machine, self) &&
                              ((!other.boot.isEmpty() && !self.bootId.isEmpty() && other.boot != self.bootId) ||
                               !env.processRuns(other.pid));
        if (deadHere || now - watchedSince >= LockTiming::GuardStaleMs) {
            breakGuard(mFolder, other.token);
            watchedToken.clear();
            continue;
        }
        const QString who =
            other.valid ? QStringLiteral("%1（%2）").arg(other.user, other.host) : QStringLiteral("(不明)");
        const int waited = int(now - start);
        if (waited >= policy.timeoutMs) {
            mResult = Result::failure(
                QStringLiteral("%1 が学年のファイルを書き込み中のため、%2 秒待っても書き込めませんでした。")
                    .arg(who)
                    .arg(policy.timeoutMs / 1000));
            return;
        }
        if (policy.onWait && !policy.onWait(who, waited)) {
            mResult = Result::failure(QStringLiteral("%1 の書き込みを待つのをやめました。").arg(who));
            return;
        }
        env.sleepMs(50 + int(QRandomGenerator::global()->bounded(201)));
    }
}

GradeGuard::~GradeGuard()
{
    if (!mResult.ok) return;
    ProcessState& s = state();
    auto held = s.guards.find(mFolder);
    if (held == s.guards.end()) return;
    if (--held->depth > 0) return;
    const QString token = held->token;
    s.guards.erase(held);
    const QString path = mFolder + GuardName;
    QByteArray bytes;
    // Only our own guard is removed: a guard broken as stale may have been taken by another since.
    if (readFile(path, bytes) && parseGuard(bytes).token == token) QFile::remove(path);
}

QDateTime GradeGuard::serverTime() const
{
    const auto held = state().guards.constFind(mFolder);
    return held == state().guards.cend() ? QDateTime() : held->serverTime;
}

Result GradeGuard::readRegistry(LockRegistry& registry)
{
    if (!mResult.ok) return mResult;
    const LockEnvironment& env = LockEnvironment::current();
    const QString path = mFolder + RegistryName;
    QByteArray bytes;
    bool rewrite = false;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        file.close();
        QStringList problems;
        if (!LockRegistry::parse(bytes, registry, problems)) {
            // A new registry whose generation no earlier load can have seen, so that a save of a
            // screen opened before refuses rather than trusting a lost count.
            registry.generation = qMax<qint64>(1, env.utcNow().toSecsSinceEpoch());
            tell(QStringLiteral("使用者の一覧 %1 が壊れていたため、作り直しました。").arg(shown(path)));
            rewrite = true;
        } else if (!problems.isEmpty()) {
            tell(QStringLiteral("使用者の一覧 %1 の読めない行を取り除きました（%2）。")
                     .arg(shown(path), problems.join(QStringLiteral("、"))));
            rewrite = true;
        }
    } else {
        registry = LockRegistry{};
    }
    const HostIdentity self = env.self();
    const QDateTime server = serverTime();
    const qint64 now = env.monotonicMs();
    for (qsizetype i = registry.holders.size() - 1; i >= 0; --i) {
        const LockHolder& h = registry.holders.at(i);
        const qint64 unchanged = state().beats.observe(h.id, h.beat, now);
        const QString why = StaleHolderReason(h, self, env, server, unchanged);
        if (why.isEmpty()) continue;
        tell(QStringLiteral("%1「%2」の使用の記録を取り除きました（%3）。").arg(h.who(), h.screen, why));
        state().beats.forget(h.id);
        registry.holders.removeAt(i);
        rewrite = true;
    }
    if (rewrite) return writeRegistry(registry);
    return Result::success();
}

Result GradeGuard::writeRegistry(const LockRegistry& registry)
{
    if (!mResult.ok) return mResult;
    return replaceFile(mFolder + RegistryName, registry.serialize(), LockEnvironment::current());
}

Result GradeGuard::raiseGeneration()
{
    LockRegistry registry;
    if (Result r = readRegistry(registry); !r) return r;
    ++registry.generation;
    return writeRegistry(registry);
}

Result GradeGuard::appendLog(const QString& fileName, const QString& lines)
{
    if (!mResult.ok) return mResult;
    QFile file(mFolder + fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。%2")
                                   .arg(shown(file.fileName()), FileErrorReason(file, FileAccess::Write, errno)));
    const QByteArray bytes = lines.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。").arg(shown(file.fileName())));
    return Result::success();
}

int GradeOfGradeFile(const QString& path)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:dtfile|kyoka|test|tannin)(\\d\\d)\\.(?:rnd|seq)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(QFileInfo(path).fileName());
    if (!m.hasMatch()) return 0;
    const int grade = m.captured(1).toInt();
    return grade >= 1 && grade <= 3 ? grade : 0;
}

AddressingWrite::AddressingWrite(const QString& dataFolder, const QList<int>& grades, const QString& snapshotReason)
{
    QList<int> sorted = grades;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (int grade : sorted) {
        if (grade < 1 || grade > 3) continue;
        auto* guard = new GradeGuard(dataFolder, grade);
        if (!*guard) {
            mResult = guard->result();
            delete guard;
            return;
        }
        mGuards.append(guard);
    }
    if (snapshotReason.isEmpty()) return;
    QList<int> taken;
    for (int grade : sorted)
        if (grade >= 1 && grade <= 3) taken.append(grade);
    for (qsizetype i = 0; i < taken.size(); ++i) {
        const int grade = taken.at(i);
        if (mGuards.at(i)->nested()) continue;
        if (Result r = TakeSnapshot(dataFolder, grade, snapshotReason); !r) {
            // Refused before anything was written: nothing to raise.
            mResult = r;
            while (!mGuards.isEmpty())
                delete mGuards.takeLast();
            return;
        }
    }
}

AddressingWrite::AddressingWrite(const QString& gradeFilePath, const QString& snapshotReason)
    : AddressingWrite(QFileInfo(gradeFilePath).absolutePath(),
                      GradeOfGradeFile(gradeFilePath) ? QList<int>{GradeOfGradeFile(gradeFilePath)} : QList<int>{},
                      snapshotReason)
{
}

AddressingWrite::~AddressingWrite()
{
    for (GradeGuard* guard : std::as_const(mGuards))
        guard->raiseGeneration();
    // Released in the reverse order of taking.
    while (!mGuards.isEmpty())
        delete mGuards.takeLast();
}

// ---------------------------------------------------------------------------------------------
// Registration

namespace {

// This process's line in the registry, starting now.
LockHolder ownHolder(const QString& id, LockMode mode, const QString& screen, const QString& fields, qint64 beat)
{
    const LockEnvironment& env = LockEnvironment::current();
    const HostIdentity self = env.self();
    LockHolder h;
    h.id = id;
    h.mode = mode;
    h.user = LockUserName();
    h.host = self.host;
    h.machine = self.machineId;
    h.boot = self.bootId;
    h.pid = self.pid;
    h.since = env.utcNow();
    h.beat = beat;
    h.beatAt = h.since;
    h.screen = screen;
    h.fields = fields;
    return h;
}

} // namespace

GradeLock::GradeLock(const QString& dataFolder, int grade) : mDataFolder(dataFolder), mGrade(grade)
{
    state().locks.append(this);
}

GradeLock::~GradeLock()
{
    state().locks.removeOne(this);
    release();
}

GradeLock::Outcome GradeLock::acquire(LockMode mode, const QString& screen, const QString& fields)
{
    Outcome outcome;
    GradeGuard guard(mDataFolder, mGrade);
    if (!guard) {
        outcome.result = guard.result();
        return outcome;
    }
    LockRegistry registry;
    if (Result r = guard.readRegistry(registry); !r) {
        outcome.result = r;
        return outcome;
    }
    for (const LockHolder& h : registry.holders) {
        if (h.id == mId) continue;
        if (!LockModesCompatible(h.mode, mode))
            outcome.refusedBy.append(h);
        else if (LockFieldsOverlap(h.fields, fields))
            outcome.overlapping.append(h);
    }
    if (!outcome.refusedBy.isEmpty()) return outcome;
    const LockHolder h = ownHolder(held() ? mId : randomToken(), mode, screen, fields, 1);
    if (const int i = registry.indexOf(h.id); i >= 0)
        registry.holders[i] = h;
    else
        registry.holders.append(h);
    if (Result r = guard.writeRegistry(registry); !r) {
        outcome.result = r;
        return outcome;
    }
    mId = h.id;
    mMode = mode;
    mScreen = screen;
    mFields = fields;
    mBeat = h.beat;
    mGeneration = registry.generation;
    outcome.granted = true;
    return outcome;
}

GradeLock::Outcome GradeLock::acquireWaiting(LockMode mode, const QString& screen, const QString& fields, int waitMs,
                                             const std::function<bool(const Outcome&)>& keepWaiting)
{
    const LockEnvironment& env = LockEnvironment::current();
    const qint64 start = env.monotonicMs();
    for (;;) {
        Outcome outcome = acquire(mode, screen, fields);
        if (outcome.granted || !outcome.result.ok) return outcome;
        const qint64 waited = env.monotonicMs() - start;
        if (waited >= waitMs) return outcome;
        if (keepWaiting && !keepWaiting(outcome)) return outcome;
        env.sleepMs(int(qMin<qint64>(LockTiming::HolderPollMs, waitMs - waited)));
        // A long wait must not make this process's other registrations look dead.
        if (env.monotonicMs() - state().lastBeat >= LockTiming::BeatIntervalMs) {
            state().lastBeat = env.monotonicMs();
            for (GradeLock* lock : std::as_const(state().locks))
                if (lock != this) lock->beat();
        }
    }
}

Result GradeLock::beat()
{
    if (!held()) return Result::success();
    GradeGuard guard(mDataFolder, mGrade);
    if (!guard) return guard.result();
    LockRegistry registry;
    if (Result r = guard.readRegistry(registry); !r) return r;
    const LockEnvironment& env = LockEnvironment::current();
    const int i = registry.indexOf(mId);
    if (i < 0) {
        // Judged stale by another PC (a long pause, a network cut): back in when it still fits.
        for (const LockHolder& h : registry.holders) {
            if (!LockModesCompatible(h.mode, mMode)) {
                mId.clear();
                return Result::failure(
                    QStringLiteral("この画面の使用の記録が消され、%1 が使い始めています。").arg(h.describe()));
            }
        }
        registry.holders.append(ownHolder(mId, mMode, mScreen, mFields, ++mBeat));
    } else {
        LockHolder& h = registry.holders[i];
        mBeat = qMax(mBeat, h.beat) + 1;
        h.beat = mBeat;
        h.beatAt = env.utcNow();
    }
    return guard.writeRegistry(registry);
}

Result GradeLock::release()
{
    if (!held()) return Result::success();
    const QString id = mId;
    mId.clear();
    GradeGuard guard(mDataFolder, mGrade);
    if (!guard) return guard.result();
    LockRegistry registry;
    if (Result r = guard.readRegistry(registry); !r) return r;
    const int i = registry.indexOf(id);
    if (i < 0) return Result::success();
    registry.holders.removeAt(i);
    return guard.writeRegistry(registry);
}

Result GradeLock::others(QList<LockHolder>& holders)
{
    holders.clear();
    GradeGuard guard(mDataFolder, mGrade);
    if (!guard) return guard.result();
    LockRegistry registry;
    if (Result r = guard.readRegistry(registry); !r) return r;
    for (const LockHolder& h : registry.holders)
        if (h.id != mId) holders.append(h);
    return Result::success();
}

} // namespace seiran
