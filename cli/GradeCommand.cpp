#include "GradeCommand.h"

#include "CommandTable.h"
#include "GradeLock.h"
#include "Notice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace seiran {

namespace {

constexpr int ExitError = 2;
const QString Program = QStringLiteral("seiran-grade");

CommandDescription description()
{
    CommandDescription d;
    d.program = Program;
    d.synopsis = QStringLiteral("--data DIR --grade G --status [--user NAME]");
    d.heading = QStringLiteral("ACTION");
    d.noun = QStringLiteral("動作");
    d.common = {{QStringLiteral("--data"), QStringLiteral("DIR"), QStringLiteral("データフォルダ")},
                {QStringLiteral("--grade"), QStringLiteral("G"), QStringLiteral("学年 (1～3)")}};
    d.footer = QStringLiteral("出力はタブ区切りで、1行目が「generation 世代」、続いて使用中の人ごとに\n"
                              "「holder id mode user host pid since screen live|stale」です。"
                              "stale の人は一覧から取り除きます。\n");
    return d;
}

CommandEntry statusEntry()
{
    return {QStringLiteral("--status"),
            QStringLiteral("学年を使用中の人と世代を表示する"),
            {{QStringLiteral("--user"), QStringLiteral("NAME"), QStringLiteral("使用者名 (既定 ログイン名)")}},
            {}};
}

int fail(QTextStream& err, const QString& message)
{
    err << Program << ": " << message << '\n';
    err.flush();
    return ExitError;
}

class ErrorNotice final : public INotice
{
public:
    explicit ErrorNotice(QTextStream& err) : mErr(err) {}
    void notice(const QString& text) override
    {
        mErr << Program << ": " << text << '\n';
        mErr.flush();
    }

private:
    QTextStream& mErr;
};

// The user's name and the notices for this run, put back afterwards (the tests run the command in
// their own process).
struct LockSettings
{
    LockSettings(const QString& user, QTextStream& err) : notice(err), previousUser(LockUserName())
    {
        if (!user.isEmpty()) SetLockUserName(user);
        SetLockNotice(&notice);
    }
    ~LockSettings()
    {
        SetLockNotice(nullptr);
        SetLockUserName(previousUser);
    }
    LockSettings(const LockSettings&) = delete;
    LockSettings& operator=(const LockSettings&) = delete;

    ErrorNotice notice;
    QString previousUser;
};

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

int RunGradeCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CommandDescription command = description();
    const CommandEntry status = statusEntry();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << CommandEntryHelpText(command, status);
        out.flush();
        return 0;
    }
    ParsedCommandLine line;
    if (const QString problem = ParseCommandLine(
            args, command.common + status.options + QList<CommandOption>{{status.name, {}, {}}}, command.noun, line);
        !problem.isEmpty())
        return fail(err, problem + QStringLiteral("\n「%1 --help」で使い方を表示します。").arg(Program));
    if (!line.entry.isEmpty()) return fail(err, QStringLiteral("「%1」は知らない指定です。").arg(line.entry));
    if (!line.has(QStringLiteral("--data")) || !line.has(QStringLiteral("--grade")) || !line.has(status.name))
        return fail(
            err,
            QStringLiteral("--data、--grade と --status が要ります。\n使い方: %1 %2").arg(Program, command.synopsis));
    bool ok = false;
    const int grade = line.value(QStringLiteral("--grade")).toInt(&ok);
    if (!ok || grade < 1 || grade > 3)
        return fail(err, QStringLiteral("学年「%1」はありません（1～3）。").arg(line.value(QStringLiteral("--grade"))));
    const QString data = line.value(QStringLiteral("--data"));
    if (!QFileInfo(data).isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(data));

    // A grade nobody has used with the lock has no lock folder, and none is made just to look.
    const QString folder = GradeLockFolder(data, grade);
    if (!QFileInfo(folder).isDir()) {
        out << "generation\t0\n";
        out.flush();
        return 0;
    }
    LockSettings settings(line.value(QStringLiteral("--user")), err);
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
    out.flush();
    return 0;
}

} // namespace seiran
