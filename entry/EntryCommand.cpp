#include "EntryCommand.h"

#include "CommandTable.h"

#include "CsvFile.h"
#include "EntrySheet.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "TestListOption.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <memory>

namespace seiran {

namespace {
constexpr int ExitError = 2;
// An import file larger than this is no grid of one grade.
constexpr qint64 ImportFileLimit = 16 * 1024 * 1024;

using OptionDef = CommandOption;

QList<OptionDef> optionDefs()
{
    return {
        {QStringLiteral("--data"), QStringLiteral("DIR"), QStringLiteral("データフォルダ")},
        {QStringLiteral("--grade"), QStringLiteral("G"), QStringLiteral("学年 (1～3)")},
        {QStringLiteral("--subject"), QStringLiteral("K"), QStringLiteral("教科 (テストの何番目の教科か、1から)")},
        {QStringLiteral("--tests"), QStringLiteral("LIST"),
         QStringLiteral("テストの番号をコンマで区切って (例 1,2,5)")},
        {QStringLiteral("--export"), QString(), QStringLiteral("画面の表を標準出力に書く (タブ区切り、UTF-8)")},
        {QStringLiteral("--import"), QStringLiteral("FILE"),
         QStringLiteral("--export と同じ形のファイルを画面に入力して保存する")},
        {QStringLiteral("--test"), QStringLiteral("T"), QStringLiteral("テストの番号 (1から)")},
        {QStringLiteral("--export-csv"), QStringLiteral("FILE"),
         QStringLiteral("画面の表を CSV ファイルに書く (UTF-8、BOM付き; - は標準出力)")},
        {QStringLiteral("--import-csv"), QStringLiteral("FILE"),
         QStringLiteral("CSV ファイル (名簿、点数、内申点、進路希望) を見出しで取り込んで保存する")},
        {QStringLiteral("--encoding"), QStringLiteral("ENC"),
         QStringLiteral("--import-csv の文字コード auto|utf-8|utf-16|cp932 (既定 auto)")},
        {QStringLiteral("--columns"), QStringLiteral("MAP"),
         QStringLiteral("--import-csv の列の役割 (例 組=1,番=2,氏名=3 / class=1,number=2,name=3)")},
        {QStringLiteral("--no-header"), QString(),
         QStringLiteral("--import-csv のファイルに見出しの行がない (--columns で列を指定)")},
        {QStringLiteral("--skip-refused"), QString(), QStringLiteral("--import-csv で取り込めない行を除いて取り込む")},
        {QStringLiteral("--dry-run"), QString(),
         QStringLiteral("--import-csv の取り込みの予定を表示するだけで保存しない")},
    };
}

// The parsed command line: the screen and every option given with its value ("" for a flag).
struct Arguments
{
    QString screen;
    QMap<QString, QString> values;
    bool help = false;

    bool has(const QString& name) const { return values.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// What a screen's preparation works with.
struct Context
{
    GradeData& gd;
    const Arguments& args;
    QString programFolder;
    QTextStream& err;
};

// A screen of the command: the options it takes besides the common ones, and how it prepares
// its grid. Adding a screen is one entry in screenCommands().
struct ScreenCommand
{
    QString name;
    QString caption;
    QStringList options;
    std::function<Result(Context&, std::unique_ptr<EntrySheet>&)> open;
    bool importsCsv = false; // takes --import-csv
};

// An action on a prepared grid: one of them is given on every run, with the options it takes
// besides its own.
struct ActionCommand
{
    QString option;
    QStringList options;
    std::function<int(Context&, EntrySheet&, QTextStream& out)> run;
};

// Options every screen takes.
QStringList commonOptions()
{
    return {QStringLiteral("--data"), QStringLiteral("--grade")};
}

int fail(QTextStream& err, const QString& message)
{
    err << "seiran-entry: " << message << '\n';
    err.flush();
    return ExitError;
}

// The fall-back notice of the high-school list goes to standard error.
class ErrorStreamNotice final : public INotice
{
public:
    explicit ErrorStreamNotice(QTextStream& err) : mErr(err) {}
    void notice(const QString& text) override
    {
        mErr << "seiran-entry: " << text << '\n';
        mErr.flush();
    }

private:
    QTextStream& mErr;
};

Result intOption(const Arguments& args, const QString& name, int& out)
{
    bool ok = false;
    out = args.value(name).toInt(&ok);
    if (!ok) return Result::failure(QStringLiteral("%1 の値「%2」は数ではありません。").arg(name, args.value(name)));
    return Result::success();
}

// Subject and tests of the score entry by subject, as the subject-and-test picker gives them:
// the tests in the order of the test list, each once, each holding the subject.
Result chosenSubjectTests(const Context& c, int& subject, QList<int>& tests)
{
    if (!c.args.has(QStringLiteral("--subject")) || !c.args.has(QStringLiteral("--tests")))
        return Result::failure(QStringLiteral("kyoka には --subject K と --tests LIST が要ります。"));
    if (Result r = intOption(c.args, QStringLiteral("--subject"), subject); !r) return r;
    if (subject < 1 || subject > Limits::TestSubjects)
        return Result::failure(
            QStringLiteral("教科 %1 はありません（1～%2）。").arg(subject).arg(Limits::TestSubjects));
    tests.clear();
    for (const QString& part : c.args.value(QStringLiteral("--tests")).split(u',')) {
        bool ok = false;
        const int test = part.trimmed().toInt(&ok);
        if (!ok) return Result::failure(QStringLiteral("--tests の「%1」は数ではありません。").arg(part));
        if (test < 1 || test > c.gd.testCount)
            return Result::failure(c.gd.testCount == 0
                                       ? QStringLiteral("%1年のテスト一覧にテストがありません。").arg(c.gd.currentGrade)
                                       : QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
                                             .arg(test)
                                             .arg(c.gd.currentGrade)
                                             .arg(c.gd.testCount));
        if (c.gd.testSubjectCount[test] < subject)
            return Result::failure(QStringLiteral("テスト %1「%2」は %3 教科なので、教科 %4 はありません。")
                                       .arg(test)
                                       .arg(c.gd.testNames[test])
                                       .arg(c.gd.testSubjectCount[test])
                                       .arg(subject));
        tests.append(test);
    }
    if (const QString repeated = RepeatedTestProblem(tests); !repeated.isEmpty()) return Result::failure(repeated);
    std::sort(tests.begin(), tests.end());
    return Result::success();
}

QList<EntryScreenExtension>& screenExtensions()
{
    static QList<EntryScreenExtension> extensions;
    return extensions;
}

QList<ScreenCommand> screenCommands()
{
    QList<ScreenCommand> screens{
        {QStringLiteral("naishin"),
         QStringLiteral("内申点の入力"),
         {},
         [](Context& c, std::unique_ptr<EntrySheet>& sheet) {
             if (Result r = LoadNaishin(c.gd, NullProgress::instance()); !r) return r;
             sheet = MakeNaishinSheet(c.gd);
             return Result::success();
         },
         true},
        {QStringLiteral("sinro"),
         QStringLiteral("進路希望の入力"),
         {},
         [](Context& c, std::unique_ptr<EntrySheet>& sheet) {
             if (Result r = LoadCareerChoices(c.gd, NullProgress::instance()); !r) return r;
             ErrorStreamNotice notice(c.err);
             if (Result r = LoadHighSchoolList(c.gd, c.programFolder, notice); !r) return r;
             sheet = MakeCareerSheet(c.gd);
             return Result::success();
         },
         true},
        {QStringLiteral("kyoka"),
         QStringLiteral("点数の入力（教科別）"),
         {QStringLiteral("--subject"), QStringLiteral("--tests")},
         [](Context& c, std::unique_ptr<EntrySheet>& sheet) {
             int subject = 0;
             QList<int> tests;
             if (Result r = chosenSubjectTests(c, subject, tests); !r) return r;
             c.gd.evalSubject = subject;
             return MakeSubjectScoreSheet(c.gd, subject, tests, NullProgress::instance(), sheet);
         },
         true},
        {QStringLiteral("test"),
         QStringLiteral("点数の入力（テスト別）"),
         {QStringLiteral("--test")},
         [](Context& c, std::unique_ptr<EntrySheet>& sheet) {
             if (!c.args.has(QStringLiteral("--test")))
                 return Result::failure(QStringLiteral("test には --test T が要ります。"));
             int test = 0;
             if (Result r = intOption(c.args, QStringLiteral("--test"), test); !r) return r;
             if (test < 1 || test > c.gd.testCount)
                 return Result::failure(
                     c.gd.testCount == 0
                         ? QStringLiteral("%1年のテスト一覧にテストがありません。").arg(c.gd.currentGrade)
                         : QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
                               .arg(test)
                               .arg(c.gd.currentGrade)
                               .arg(c.gd.testCount));
             return MakeTestScoreSheet(c.gd, test, NullProgress::instance(), sheet);
         },
         true},
    };
    for (const EntryScreenExtension& e : screenExtensions()) {
        screens.append(
            {e.name, e.caption, e.options,
             [e](Context& c, std::unique_ptr<EntrySheet>& sheet) { return e.open(c.gd, c.args.values, c.err, sheet); },
             e.importsCsv});
    }
    return screens;
}

int exportGrid(Context&, EntrySheet& sheet, QTextStream& out)
{
    out << sheet.exportText();
    out.flush();
    return 0;
}

int importGrid(Context& c, EntrySheet& sheet, QTextStream&)
{
    const QString path = c.args.value(QStringLiteral("--import"));
    const QFileInfo info(path);
    if (!info.exists()) return fail(c.err, QStringLiteral("ファイル「%1」が見つかりません。").arg(path));
    if (!info.isFile()) return fail(c.err, QStringLiteral("「%1」は普通のファイルではありません。").arg(path));
    if (info.size() > ImportFileLimit) return fail(c.err, QStringLiteral("ファイル「%1」が大きすぎます。").arg(path));
    QByteArray bytes;
    if (Result r = ReadWholeFile(path, bytes); !r) return fail(c.err, r.message);

    const ImportOutcome outcome = ImportSheetText(sheet, bytes);
    if (!outcome.fault.isEmpty()) return fail(c.err, QStringLiteral("%1: %2").arg(path, outcome.fault));
    if (!outcome.refused.isEmpty()) {
        for (const ImportProblem& problem : outcome.refused)
            c.err << "seiran-entry: " << path << ": " << problem.describe() << '\n';
        return fail(
            c.err,
            QStringLiteral("取り込めない値が %1 個あるため、何も保存していません。").arg(outcome.refused.size()));
    }
    if (Result r = sheet.save(NullProgress::instance()); !r) return fail(c.err, r.message);
    return 0;
}

int exportCsv(Context& c, EntrySheet& sheet, QTextStream& out)
{
    const QString path = c.args.value(QStringLiteral("--export-csv"));
    const QList<QStringList> rows = sheet.csvRows();
    if (path == QLatin1String("-")) {
        out << QChar(QChar::ByteOrderMark) << QString::fromUtf8(CsvBytes(rows).mid(3));
        out.flush();
        return 0;
    }
    if (Result r = SaveCsvFile(path, rows); !r) return fail(c.err, r.message);
    return 0;
}

// The columns of an import file: found by the header, changed by --columns, or given wholly by
// --columns for a file without a header.
Result csvLayout(const Context& c, const EntrySheet& sheet, const QList<CsvRecord>& records, CsvLayout& layout)
{
    const QStringList subjects = sheet.csvSubjectNames();
    const QString columns = c.args.value(QStringLiteral("--columns"));
    if (c.args.has(QStringLiteral("--no-header"))) {
        if (columns.isEmpty()) return Result::failure(QStringLiteral("--no-header には --columns が要ります。"));
        layout = CsvLayout{};
    } else if (Result r = DetectCsvLayout(records, subjects, sheet.csvNeedsName(), layout); !r) {
        if (columns.isEmpty()) return r;
        // --columns may name what the header does not: the first line is the header then.
        layout = CsvLayout{};
        layout.headerRecord = records.isEmpty() ? -1 : 0;
    }
    if (!columns.isEmpty()) {
        if (Result r = ApplyCsvColumnOption(columns, subjects, layout); !r) return r;
    }
    return CheckCsvLayout(layout, subjects, sheet.csvNeedsName());
}

int importCsv(Context& c, EntrySheet& sheet, QTextStream& out)
{
    if (!sheet.takesCsv())
        return fail(c.err, QStringLiteral("%1 は CSV ファイルを取り込めません。").arg(c.args.screen));
    CsvEncoding encoding = CsvEncoding::Auto;
    if (c.args.has(QStringLiteral("--encoding")) &&
        !ParseCsvEncoding(c.args.value(QStringLiteral("--encoding")), encoding))
        return fail(c.err, QStringLiteral("文字コード「%1」は使えません（auto、utf-8、utf-16、cp932）。")
                               .arg(c.args.value(QStringLiteral("--encoding"))));
    const QString path = c.args.value(QStringLiteral("--import-csv"));
    QList<CsvRecord> records;
    CsvEncoding used = encoding;
    if (Result r = ReadCsvFile(path, encoding, records, used); !r) return fail(c.err, r.message);
    CsvLayout layout;
    if (Result r = csvLayout(c, sheet, records, layout); !r)
        return fail(c.err, QStringLiteral("%1: %2").arg(path, r.message));

    const CsvImportPreview preview = sheet.previewCsv(records, layout);
    for (const CsvImportLine& line : preview.lines) {
        if (line.outcome == CsvImportLine::Refused) continue;
        for (const QString& notice : line.cutNotices)
            c.err << "seiran-entry: " << path << ": " << line.describe().section(u':', 0, 0) << ": " << notice << '\n';
    }
    if (c.args.has(QStringLiteral("--dry-run"))) {
        out << QStringLiteral("文字コード: %1\n").arg(CsvEncodingName(used));
        for (const CsvImportLine& line : preview.lines) {
            out << QStringLiteral("%1行目\t%2\t%3\t%4\t%5\n")
                       .arg(line.line)
                       .arg(line.classText, line.numberText, line.outcomeText(), line.detail);
        }
        out << preview.countsText() << '\n';
        out.flush();
        c.err.flush();
        return 0;
    }
    if (preview.refusedCount() > 0) {
        for (const CsvImportLine& line : preview.lines)
            if (line.outcome == CsvImportLine::Refused)
                c.err << "seiran-entry: " << path << ": " << line.describe() << '\n';
        if (!c.args.has(QStringLiteral("--skip-refused")))
            return fail(
                c.err,
                QStringLiteral("取り込めない行が %1 行あるため、何も保存していません。").arg(preview.refusedCount()));
    }
    sheet.applyCsv(preview);
    if (Result r = sheet.save(NullProgress::instance()); !r) return fail(c.err, r.message);
    out << preview.countsText() << '\n';
    out.flush();
    c.err.flush();
    return 0;
}

QList<ActionCommand> actionCommands()
{
    const QStringList importOptions{QStringLiteral("--encoding"), QStringLiteral("--columns"),
                                    QStringLiteral("--no-header"), QStringLiteral("--skip-refused"),
                                    QStringLiteral("--dry-run")};
    return {{QStringLiteral("--export"), {}, exportGrid},
            {QStringLiteral("--import"), {}, importGrid},
            {QStringLiteral("--export-csv"), {}, exportCsv},
            {QStringLiteral("--import-csv"), importOptions, importCsv}};
}

CommandDescription commandDescription()
{
    CommandDescription d;
    d.program = QStringLiteral("seiran-entry");
    d.synopsis =
        QStringLiteral("--data DIR --grade G SCREEN [オプション] (--export | --import FILE | --export-csv FILE | "
                       "--import-csv FILE)");
    d.heading = QStringLiteral("SCREEN");
    d.noun = QStringLiteral("画面");
    for (const OptionDef& o : optionDefs())
        if (commonOptions().contains(o.name)) d.common.append(o);
    return d;
}

// The screens as the help shows them: each with its own options and the actions it takes.
QList<CommandEntry> helpEntries()
{
    const QList<OptionDef> defs = optionDefs();
    const auto def = [&defs](const QString& name) {
        return *std::find_if(defs.begin(), defs.end(), [&name](const OptionDef& o) { return o.name == name; });
    };
    QList<CommandEntry> entries;
    for (const ScreenCommand& s : screenCommands()) {
        CommandEntry e{s.name, s.caption, {}, {}};
        for (const QString& o : s.options)
            e.options.append(def(o));
        for (const ActionCommand& a : actionCommands()) {
            if (a.option == QLatin1String("--import-csv") && !s.importsCsv) continue;
            e.options.append(def(a.option));
            for (const QString& o : a.options)
                e.options.append(def(o));
        }
        entries.append(e);
    }
    return entries;
}

QString usageText()
{
    return CommandHelpText(commandDescription(), helpEntries());
}

// Parses the arguments; an empty result means success, otherwise the message to print.
QString parse(const QStringList& argv, Arguments& args)
{
    args.help = std::any_of(argv.begin() + std::min<qsizetype>(1, argv.size()), argv.end(),
                            [](const QString& a) { return a == QLatin1String("--help") || a == QLatin1String("-h"); });
    ParsedCommandLine line;
    const QString problem = ParseCommandLine(argv, optionDefs(), QStringLiteral("画面"), line);
    args.screen = line.entry;
    args.values = line.values;
    return problem;
}

} // namespace

void AddEntryScreen(const EntryScreenExtension& screen)
{
    screenExtensions().append(screen);
}

QStringList EntryScreenNames()
{
    QStringList names;
    for (const ScreenCommand& s : screenCommands())
        names << s.name;
    return names;
}

int RunEntryCommand(const QStringList& argv, const QString& programFolder, QTextStream& out, QTextStream& err)
{
    Arguments args;
    const QString problem = parse(argv, args);
    if (args.help) {
        // With a screen's name, that screen's options alone.
        const QList<CommandEntry> entries = helpEntries();
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&args](const CommandEntry& e) { return e.name == args.screen; });
        out << (entry == entries.end() ? usageText() : CommandEntryHelpText(commandDescription(), *entry));
        out.flush();
        return 0;
    }
    if (!problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (!args.has(QStringLiteral("--data")) || !args.has(QStringLiteral("--grade")) || args.screen.isEmpty())
        return fail(err, QStringLiteral("--data、--grade と画面の名前が要ります。\n") + usageText());

    const QList<ScreenCommand> screens = screenCommands();
    const auto screen =
        std::find_if(screens.begin(), screens.end(), [&args](const ScreenCommand& s) { return s.name == args.screen; });
    if (screen == screens.end()) {
        QStringList names;
        for (const ScreenCommand& s : screens)
            names << s.name;
        return fail(err,
                    QStringLiteral("不明な画面「%1」です。使えるのは %2 です。").arg(args.screen, names.join(u", ")));
    }

    const QList<ActionCommand> actions = actionCommands();
    const ActionCommand* action = nullptr;
    QStringList actionNames;
    for (const ActionCommand& a : actions) {
        actionNames << a.option;
        if (!args.has(a.option)) continue;
        if (action) return fail(err, QStringLiteral("%1 と %2 は一緒に使えません。").arg(action->option, a.option));
        action = &a;
    }
    if (!action) return fail(err, QStringLiteral("%1 のどれか一つを指定してください。").arg(actionNames.join(u" / ")));
    for (auto it = args.values.cbegin(); it != args.values.cend(); ++it) {
        if (commonOptions().contains(it.key()) || actionNames.contains(it.key()) ||
            screen->options.contains(it.key()) || action->options.contains(it.key()))
            continue;
        return fail(err, QStringLiteral("%1 は %2 では使えません。").arg(it.key(), screen->name));
    }

    int grade = 0;
    if (Result r = intOption(args, QStringLiteral("--grade"), grade); !r) return fail(err, r.message);
    if (grade < 1 || grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(grade));
    const QFileInfo folder(args.value(QStringLiteral("--data")));
    if (!folder.isDir())
        return fail(err,
                    QStringLiteral("データフォルダ「%1」がありません。").arg(args.value(QStringLiteral("--data"))));

    // Prepare as the main menu does before it opens the screen.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd->dataFolder.endsWith(QDir::separator())) gd->dataFolder += QDir::separator();
    gd->currentGrade = grade;
    if (Result r = LoadTestList(*gd); !r) return fail(err, r.message);
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, r.message);

    Context context{*gd, args, programFolder, err};
    std::unique_ptr<EntrySheet> sheet;
    if (Result r = screen->open(context, sheet); !r) return fail(err, r.message);
    return action->run(context, *sheet, out);
}

} // namespace seiran
