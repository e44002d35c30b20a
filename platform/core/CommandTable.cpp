#include "CommandTable.h"

#include <QTextStream>
#include <algorithm>

namespace seiran {

namespace {
constexpr int ExitError = 2;

QString optionText(const CommandOption& o)
{
    return o.value.isEmpty() ? o.name : o.name + u' ' + o.value;
}

// Lines of two columns, the first padded so that every second column starts at one place.
QString alignedLines(const QList<QPair<QString, QString>>& rows)
{
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto& row : rows)
        text += QStringLiteral("  %1  %2\n").arg(row.first.leftJustified(width), row.second);
    return text;
}

bool isHelp(const QString& a)
{
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}

bool takesValue(const QString& option, const CommandDescription& command, const QList<CommandEntry>& entries)
{
    for (const CommandOption& o : command.common)
        if (o.name == option) return !o.value.isEmpty();
    for (const CommandEntry& e : entries)
        for (const CommandOption& o : e.options)
            if (o.name == option) return !o.value.isEmpty();
    return false;
}

const CommandEntry* findEntry(const QString& name, const QList<CommandEntry>& entries)
{
    for (const CommandEntry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

QString usageLine(const CommandDescription& command, const QString& synopsis)
{
    return QStringLiteral("使い方: %1 %2\n").arg(command.program, synopsis);
}
} // namespace

QString CommandHelpText(const CommandDescription& command, const QList<CommandEntry>& entries)
{
    QString text = usageLine(command, command.synopsis);
    text += QStringLiteral("%1:\n").arg(command.heading);
    QList<QPair<QString, QString>> rows;
    for (const CommandEntry& e : entries)
        rows.append({e.name, e.description});
    text += alignedLines(rows);

    // Every option once: the common ones, then the others in the order they first appear, each
    // with the entries that take it; an option that means something different to different
    // entries gets a line for each meaning, below its name.
    rows.clear();
    for (const CommandOption& o : command.common)
        rows.append({optionText(o), o.help});
    QStringList seen;
    for (const CommandEntry& e : entries) {
        for (const CommandOption& o : e.options) {
            if (seen.contains(o.name)) continue;
            seen.append(o.name);
            QList<QPair<QString, QStringList>> meanings; // help text, entries
            for (const CommandEntry& other : entries) {
                for (const CommandOption& p : other.options) {
                    if (p.name != o.name) continue;
                    auto it = std::find_if(meanings.begin(), meanings.end(),
                                           [&p](const auto& m) { return m.first == p.help; });
                    if (it == meanings.end())
                        meanings.append({p.help, {other.name}});
                    else
                        it->second.append(other.name);
                }
            }
            QString left = optionText(o);
            for (const auto& [help, takers] : meanings) {
                rows.append({left, QStringLiteral("%1: %2").arg(takers.join(u", "), help)});
                left.clear();
            }
        }
    }
    text += QStringLiteral("オプション:\n") + alignedLines(rows);
    text +=
        QStringLiteral("%1 ごとのオプションは「%2 %1 --help」で表示します。\n").arg(command.heading, command.program);
    if (!command.footer.isEmpty()) text += command.footer;
    return text;
}

QString CommandEntryHelpText(const CommandDescription& command, const CommandEntry& entry)
{
    QString synopsis = command.synopsis;
    synopsis.replace(command.heading, entry.name);
    QString text = usageLine(command, synopsis);
    text += QStringLiteral("  %1  %2\n").arg(entry.name, entry.description);
    QList<QPair<QString, QString>> rows;
    for (const CommandOption& o : command.common)
        rows.append({optionText(o), o.help});
    for (const CommandOption& o : entry.options)
        rows.append({optionText(o), o.help});
    text += QStringLiteral("オプション:\n") + alignedLines(rows);
    if (!command.footer.isEmpty()) text += command.footer;
    return text;
}

QString CommandEntryName(const QStringList& args, const CommandDescription& command, const QList<CommandEntry>& entries)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a.startsWith(u'-') && a.size() > 1) {
            if (takesValue(a, command, entries)) ++i;
            continue;
        }
        return a;
    }
    return QString();
}

QString ParseCommandLine(const QStringList& args, const QList<CommandOption>& options, const QString& noun,
                         ParsedCommandLine& parsed)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (isHelp(a)) continue;
        if (a.startsWith(u'-') && a.size() > 1) {
            const auto def =
                std::find_if(options.begin(), options.end(), [&a](const CommandOption& o) { return o.name == a; });
            if (def == options.end()) return QStringLiteral("不明なオプション %1").arg(a);
            if (parsed.has(a)) return QStringLiteral("%1 が二度指定されています。").arg(a);
            if (def->value.isEmpty()) {
                parsed.values.insert(a, QString());
            } else {
                if (i + 1 >= args.size()) return QStringLiteral("%1 の後に %2 がありません。").arg(a, def->value);
                parsed.values.insert(a, args.at(++i));
            }
            continue;
        }
        if (!parsed.entry.isEmpty())
            return QStringLiteral("%1は一つだけ指定してください（%2 と %3）。").arg(noun, parsed.entry, a);
        parsed.entry = a;
    }
    return QString();
}

int RunCommandTable(const CommandDescription& command, const QList<CommandEntry>& entries, const QStringList& args,
                    QTextStream& out, QTextStream& err)
{
    const QString name = CommandEntryName(args, command, entries);
    const CommandEntry* entry = findEntry(name, entries);
    if (std::any_of(args.begin() + std::min<qsizetype>(1, args.size()), args.end(), isHelp)) {
        out << (entry ? CommandEntryHelpText(command, *entry) : CommandHelpText(command, entries));
        out.flush();
        return 0;
    }
    if (!entry) {
        QStringList names;
        for (const CommandEntry& e : entries)
            names.append(e.name);
        const QString problem = name.isEmpty() ? QStringLiteral("%1の名前がありません。").arg(command.noun)
                                               : QStringLiteral("不明な%1「%2」です。").arg(command.noun, name);
        err << command.program << ": " << problem << QStringLiteral("使えるのは %1 です。").arg(names.join(u", "))
            << '\n'
            << QStringLiteral("「%1 --help」で使い方を表示します。").arg(command.program) << '\n';
        err.flush();
        return ExitError;
    }
    return entry->run(args, out, err);
}

} // namespace seiran
