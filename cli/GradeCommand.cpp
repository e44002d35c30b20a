#include "GradeCommand.h"

#include "CommandTable.h"
#include "GradeLock.h"
#include "InputJournal.h"
#include "Notice.h"
#include "Snapshots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

namespace seiran {

namespace {

constexpr int ExitError = 2;
const QString Program = QStringLiteral("seiran-grade");

CommandDescription description()
{
    CommandDescription d;
    d.program = Program;
    d.synopsis = QStringLiteral("--data DIR --grade G (--status | --snapshot | --snapshots | --restore NAME "
                                "[--high-schools]) [--user NAME] [--wait SECONDS]");
    d.heading = QStringLiteral("ACTION");
    d.noun = QStringLiteral("動作");
    d.common = {{QStringLiteral("--data"), QStringLiteral("DIR"), QStringLiteral("データフォルダ")},
                {QStringLiteral("--grade"), QStringLiteral("G"), QStringLiteral("学年 (1～3)")}};
    d.footer = QStringLiteral("出力はタブ区切りで、1行目が「generation 世代」、続いて使用中の人ごとに\n"
                              "「holder id mode user host pid since screen live|stale」です。"
                              "stale の人は一覧から取り除きます。\n"
                              "続いて保存されていない入力の記録ごとに「journal file screen scope user host started "
                              "entries live|orphan」です。\n"
                              "--snapshots は新しい順に「NAME reason time user host files」を1行ずつ書きます。\n"
                              "--restore で戻す前の状態は、理由 restore のスナップショットとして残ります。\n");
    return d;
}

CommandOption userOption()
{
    return {QStringLiteral("--user"), QStringLiteral("NAME"), QStringLiteral("使用者名 (既定 ログイン名)")};
}

CommandEntry statusEntry()
{
    return {QStringLiteral("--status"), QStringLiteral("学年を使用中の人と世代を表示する"), {userOption()}, {}};
}

// The snapshot actions: one of them, or --status, on every run.
QList<CommandEntry> snapshotEntries()
{
    return {
        {QStringLiteral("--snapshot"),
         QStringLiteral("今の状態のスナップショットを取る (理由 manual)"),
         {userOption()},
         {}},
        {QStringLiteral("--snapshots"),
         QStringLiteral("スナップショットの一覧 (新しい順、NAME reason time user host files)"),
         {},
         {}},
        {QStringLiteral("--restore"),
         QStringLiteral("NAME のスナップショットに戻す (今の状態は restore として残る)"),
         {{QStringLiteral("--high-schools"), QString(), QStringLiteral("高校名のファイルも戻す")},
          userOption(),
          {QStringLiteral("--wait"), QStringLiteral("SECONDS"),
           QStringLiteral("使用中の人が終えるまで待つ秒数 (既定 0)")}},
         {}},
    };
}

int fail(QTextStream& err, const QString& message)
{
    err << Program << ": " << message << '\n';
    err.flush();
    return ExitError;
}

QString holderLine(const LockHolder& h, bool live)
{
    QStringList fields{QStringLiteral("holder"),
                       h.id,
                       QString(h.modeLetter()),
                       h.user,
                       h.host,
                       QString::number(h.pid),
                       LockTimeText(h.since),
                       h.screen,
                       live ? QStringLiteral("live") : QStringLiteral("stale")};
    for (QString& f : fields)
        f.replace(u'\t', u' ').replace(u'\n', u' ');
    return fields.join(u'\t') + u'\n';
}

} // namespace

namespace {

QString snapshotLine(const SnapshotInfo& s)
{
    QStringList files;
    for (const SnapshotFile& f : s.files)
        files << f.name;
    QStringList fields{s.name, s.reason, LockTimeText(s.time), s.user, s.host, files.join(u',')};
    for (QString& f : fields)
        f.replace(u'\t', u' ').replace(u'\n', u' ');
    return fields.join(u'\t') + u'\n';
}

// --snapshot, --snapshots and --restore NAME.
int runSnapshots(const ParsedCommandLine& line, const QString& data, int grade, QTextStream& out, QTextStream& err)
{
    if (line.has(QStringLiteral("--snapshots"))) {
        QList<SnapshotInfo> list;
        if (Result r = ListSnapshots(data, grade, list); !r) return fail(err, r.message);
        for (const SnapshotInfo& s : list)
            out << snapshotLine(s);
        out.flush();
        return 0;
    }
    CommandLockSettings settings(Program, line.value(QStringLiteral("--user")), err);
    if (line.has(QStringLiteral("--snapshot"))) {
        QString name;
        if (Result r = TakeSnapshot(data, grade, QStringLiteral("manual"), &name); !r) return fail(err, r.message);
        if (name.isEmpty())
            return fail(err,
                        QStringLiteral("%1年のファイルがないため、スナップショットは取りませんでした。").arg(grade));
        out << "snapshot\t" << name << '\n';
        out.flush();
        return 0;
    }
    // --restore: nobody may be entering into the grade while its files are replaced.
    int wait = 0;
    if (line.has(QStringLiteral("--wait"))) {
        bool ok = false;
        wait = line.value(QStringLiteral("--wait")).toInt(&ok);
        if (!ok || wait < 0)
            return fail(
                err,
                QStringLiteral("--wait の値「%1」は秒数ではありません。").arg(line.value(QStringLiteral("--wait"))));
    }
    GradeLock lock(data, grade);
    const GradeLock::Outcome outcome = lock.acquireWaiting(
        LockMode::Exclusive, QStringLiteral("seiran-grade --restore"), QStringLiteral("all"), wait * 1000);
    if (!outcome.result) return fail(err, outcome.result.message);
    if (!outcome.granted) {
        QStringList who;
        for (const LockHolder& h : outcome.refusedBy)
            who << h.describe();
        return fail(err, QStringLiteral("%1年を使用中の人がいるため、戻せません: %2")
                             .arg(grade)
                             .arg(who.join(QStringLiteral("、"))));
    }
    QString kept;
    const QString name = line.value(QStringLiteral("--restore"));
    if (Result r = RestoreSnapshot(data, grade, name, line.has(QStringLiteral("--high-schools")), &kept); !r)
        return fail(err, r.message);
    out << "restored\t" << name << '\n';
    if (!kept.isEmpty()) out << "snapshot\t" << kept << '\n';
    out.flush();
    return 0;
}

} // namespace

int RunGradeCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CommandDescription command = description();
    const CommandEntry status = statusEntry();
    QList<CommandEntry> entries{status};
    entries += snapshotEntries();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << CommandHelpText(command, entries);
        out.flush();
        return 0;
    }
    QList<CommandOption> options = command.common;
    QStringList actions;
    for (const CommandEntry& e : entries) {
        actions << e.name;
        options.append({e.name, e.name == QLatin1String("--restore") ? QStringLiteral("NAME") : QString(), {}});
        for (const CommandOption& o : e.options)
            if (!std::any_of(options.begin(), options.end(), [&o](const CommandOption& k) { return k.name == o.name; }))
                options.append(o);
    }
    ParsedCommandLine line;
    if (const QString problem = ParseCommandLine(args, options, command.noun, line); !problem.isEmpty())
        return fail(err, problem + QStringLiteral("\n「%1 --help」で使い方を表示します。").arg(Program));
    if (!line.entry.isEmpty()) return fail(err, QStringLiteral("「%1」は知らない指定です。").arg(line.entry));
    QStringList given;
    for (const QString& a : actions)
        if (line.has(a)) given << a;
    if (!line.has(QStringLiteral("--data")) || !line.has(QStringLiteral("--grade")) || given.size() != 1)
        return fail(err, QStringLiteral("--data、--grade と、%1 のどれか一つが要ります。\n使い方: %2 %3")
                             .arg(actions.join(QStringLiteral("、")), Program, command.synopsis));
    const QString action = given.first();
    // Each action takes only its own options.
    for (auto it = line.values.cbegin(); it != line.values.cend(); ++it) {
        if (it.key() == action || it.key() == QLatin1String("--data") || it.key() == QLatin1String("--grade")) continue;
        const CommandEntry& e = *std::find_if(entries.begin(), entries.end(),
                                              [&action](const CommandEntry& x) { return x.name == action; });
        if (!std::any_of(e.options.begin(), e.options.end(),
                         [&it](const CommandOption& o) { return o.name == it.key(); }))
            return fail(err, QStringLiteral("%1 は %2 と一緒には使えません。").arg(it.key(), action));
    }
    bool ok = false;
    const int grade = line.value(QStringLiteral("--grade")).toInt(&ok);
    if (!ok || grade < 1 || grade > 3)
        return fail(err, QStringLiteral("学年「%1」はありません（1～3）。").arg(line.value(QStringLiteral("--grade"))));
    const QString data = line.value(QStringLiteral("--data"));
    if (!QFileInfo(data).isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(data));
    if (action != status.name) return runSnapshots(line, data, grade, out, err);

    // A grade nobody has used with the lock has no lock folder, and none is made just to look.
    const QString folder = GradeLockFolder(data, grade);
    if (!QFileInfo(folder).isDir()) {
        out << "generation\t0\n";
        out.flush();
        return 0;
    }
    CommandLockSettings settings(Program, line.value(QStringLiteral("--user")), err);
    GradeGuard guard(data, grade);
    if (!guard) return fail(err, guard.result().message);
    // The registry as written, then as the lock keeps it: whoever it removed was stale.
    LockRegistry written;
    QFile file(folder + QStringLiteral("lock.txt"));
    if (file.open(QIODevice::ReadOnly)) {
        QStringList problems;
        LockRegistry::parse(file.readAll(), written, problems);
        file.close();
    }
    LockRegistry kept;
    if (Result r = guard.readRegistry(kept); !r) return fail(err, r.message);
    out << "generation\t" << kept.generation << '\n';
    for (const LockHolder& h : written.holders)
        out << holderLine(h, kept.indexOf(h.id) >= 0);
    // The journals of unsaved input: live while their holder is, orphan when it is gone.
    QList<FoundJournal> journals;
    if (Result r = FindJournals(data, grade, journals); !r) return fail(err, r.message);
    for (const FoundJournal& j : journals) {
        if (!j.problem.isEmpty()) continue;
        const JournalHeader& h = j.contents.header;
        QStringList fields{QStringLiteral("journal"),
                           QDir::toNativeSeparators(j.path),
                           h.screen,
                           h.scope,
                           h.user,
                           h.host,
                           LockTimeText(h.started),
                           QString::number(j.contents.lastPerCell().size()),
                           j.live ? QStringLiteral("live") : QStringLiteral("orphan")};
        for (QString& f : fields)
            f.replace(u'\t', u' ').replace(u'\n', u' ');
        out << fields.join(u'\t') << '\n';
    }
    out.flush();
    return 0;
}

} // namespace seiran
