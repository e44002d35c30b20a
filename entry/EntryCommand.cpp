#include "EntryCommand.h"

#include "CommandTable.h"

#include "CsvFile.h"
#include "EntrySheet.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "JournalCommand.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "TestListOption.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <climits>
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
        {QStringLiteral("--base"), QStringLiteral("FILE"),
         QStringLiteral("--import のファイルの元になった --export のファイル (その後ほかの人が保存した欄を戻さない)")},
        {QStringLiteral("--on-conflict"), QStringLiteral("RULE"),
         QStringLiteral(
             "ほかの人の保存と重なった欄: refuse 何も保存しない (既定) | mine 自分の値 | theirs 保存済みの値")},
        {QStringLiteral("--wait"), QStringLiteral("SECONDS"),
         QStringLiteral("ほかの人が学年を使っていて始められないとき、待つ秒数 (既定 0)")},
        {QStringLiteral("--user"), QStringLiteral("NAME"),
         QStringLiteral("使用中の一覧に出す使用者名 (既定 ログイン名)")},
        {QStringLiteral("--edit"), QString(),
         QStringLiteral(
             "標準入力の「組 TAB 番 TAB 列の見出し TAB 値」を一行ずつ入力する (#save で保存、#discard で破棄)")},
        {QStringLiteral("--recover"), QString(), QStringLiteral("保存されずに終わった入力の控えを復元して保存する")},
        {QStringLiteral("--discard"), QString(), QStringLiteral("保存されずに終わった入力の控えを破棄する")},
        {QStringLiteral("--journal"), QStringLiteral("FILE"),
         QStringLiteral("--recover / --discard する入力の控え (控えが複数あるとき)")},
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
    // How the save merges with others' saves; the grade lock held for the run (none for exports).
    SaveControl control;
    GradeLock* lock = nullptr;
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
    // What an import of the screen writes, as the registry of the grade names it ("naishin",
    // "slots 6-14"), from the lists of the grade; "all" for an exclusive screen.
    std::function<QString(const Context&)> fields;
    bool exclusive = false;
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
         true,
         [](const Context&) { return QStringLiteral("naishin"); }},
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
         true,
         [](const Context&) { return QStringLiteral("choices"); }},
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
         true,
         [](const Context& c) {
             int subject = 0;
             QList<int> tests;
             QStringList slotList;
             if (chosenSubjectTests(c, subject, tests))
                 for (int t : tests)
                     slotList << QString::number(c.gd.testFirstSlot[t] + subject - 1);
             return QStringLiteral("slots ") + slotList.join(u',');
         }},
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
         true,
         [](const Context& c) {
             const int test = c.args.value(QStringLiteral("--test")).toInt();
             if (test < 1 || test > c.gd.testCount) return QStringLiteral("slots");
             const int first = c.gd.testFirstSlot[test];
             return QStringLiteral("slots %1-%2").arg(first).arg(first + qMax(1, c.gd.testSubjectCount[test]) - 1);
         }},
    };
    for (const EntryScreenExtension& e : screenExtensions()) {
        screens.append(
            {e.name, e.caption, e.options,
             [e](Context& c, std::unique_ptr<EntrySheet>& sheet) { return e.open(c.gd, c.args.values, c.err, sheet); },
             e.importsCsv, [](const Context&) { return QStringLiteral("all"); }, e.exclusive});
    }
    return screens;
}

int exportGrid(Context&, EntrySheet& sheet, QTextStream& out)
{
    out << sheet.exportText();
    out.flush();
    return 0;
}

// One line per clash on standard error, without the program's name so that a script can pick
// them out: 競合, the line of the import file (0 without one), 組, 番, the column's header, then
// the value at load, the value to save and the value saved meanwhile, as the grid shows them.
void printConflicts(const Context& c, const EntrySheet& sheet, const QList<FieldConflict>& conflicts,
                    const std::function<int(int row)>& lineOf)
{
    for (const FieldConflict& f : conflicts) {
        const int col = FirstDataCol + f.column - 1;
        c.err << QStringList{QStringLiteral("競合"),
                             QString::number(lineOf ? lineOf(f.student) : 0),
                             sheet.cell(f.student, 0).trimmed(),
                             sheet.cell(f.student, 1).trimmed(),
                             sheet.headers().value(col),
                             sheet.valueText(col, f.base),
                             sheet.valueText(col, f.mine),
                             sheet.valueText(col, f.saved)}
                     .join(u'\t')
              << '\n';
    }
}

// Saves the sheet as the screen's finish does: a shared screen merged with what others saved since
// the load (an exclusive one's write raises the generation itself, so that every screen opened
// before refuses to save over the moved seats). Returns the exit status.
int saveSheet(Context& c, EntrySheet& sheet, const std::function<int(int row)>& lineOf)
{
    const Result saved = sheet.save(NullProgress::instance(), c.control);
    if (!c.control.conflicts.isEmpty()) {
        printConflicts(c, sheet, c.control.conflicts, lineOf);
        return fail(c.err, QStringLiteral("ほかの人の保存と重なった欄が %1 個あるため、何も保存していません"
                                          "（--on-conflict mine で自分の値、theirs で保存済みの値を残します）。")
                               .arg(c.control.conflicts.size()));
    }
    if (!saved) return fail(c.err, saved.message);
    printConflicts(c, sheet, c.control.settled, lineOf);
    c.err.flush();
    return 0;
}

// Reads an import file (or the base of one) after the checks every import file gets.
int readImportFile(Context& c, const QString& path, QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!info.exists()) return fail(c.err, QStringLiteral("ファイル「%1」が見つかりません。").arg(path));
    if (!info.isFile()) return fail(c.err, QStringLiteral("「%1」は普通のファイルではありません。").arg(path));
    if (info.size() > ImportFileLimit) return fail(c.err, QStringLiteral("ファイル「%1」が大きすぎます。").arg(path));
    if (Result r = ReadWholeFile(path, bytes); !r) return fail(c.err, r.message);
    return 0;
}

int importGrid(Context& c, EntrySheet& sheet, QTextStream&)
{
    const QString path = c.args.value(QStringLiteral("--import"));
    QByteArray bytes;
    if (const int status = readImportFile(c, path, bytes)) return status;
    QList<QStringList> baseRows;
    const bool withBase = c.args.has(QStringLiteral("--base"));
    if (withBase) {
        const QString basePath = c.args.value(QStringLiteral("--base"));
        QByteArray baseBytes;
        if (const int status = readImportFile(c, basePath, baseBytes)) return status;
        const ImportOutcome checked = ReadSheetText(sheet, baseBytes, baseRows);
        if (!checked.fault.isEmpty()) return fail(c.err, QStringLiteral("%1: %2").arg(basePath, checked.fault));
    }

    const ImportOutcome outcome = ImportSheetText(sheet, bytes, withBase ? &baseRows : nullptr);
    if (!outcome.fault.isEmpty()) return fail(c.err, QStringLiteral("%1: %2").arg(path, outcome.fault));
    if (!outcome.refused.isEmpty()) {
        for (const ImportProblem& problem : outcome.refused)
            c.err << "seiran-entry: " << path << ": " << problem.describe() << '\n';
        return fail(
            c.err,
            QStringLiteral("取り込めない値が %1 個あるため、何も保存していません。").arg(outcome.refused.size()));
    }
    // Row i of the grid is line i + 1 of the file (the header is line 1).
    return saveSheet(c, sheet, [](int row) { return row + 1; });
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
    const auto lineOf = [&preview](int row) {
        for (const CsvImportLine& line : preview.lines)
            if (line.student == row && line.outcome == CsvImportLine::Changed) return line.line;
        return 0;
    };
    if (const int status = saveSheet(c, sheet, lineOf)) return status;
    out << preview.countsText() << '\n';
    out.flush();
    c.err.flush();
    return 0;
}

// The holders a registration was refused by, as one line: 名前（PC）「画面」HH:MM から、…
QString holderList(const QList<LockHolder>& holders)
{
    QStringList names;
    for (const LockHolder& h : holders)
        names << h.describe();
    return names.join(QStringLiteral("、"));
}

// Registers the run as a holder of the grade before anything is read: shared for the imports of
// the entry screens, exclusive for a screen whose save moves pupils. Returns an exit status when
// refused (after waiting --wait seconds), 0 when registered.
int registerRun(Context& c, const ScreenCommand& screen, const ActionCommand& action, GradeLock& lock)
{
    int waitSeconds = 0;
    if (c.args.has(QStringLiteral("--wait"))) {
        bool ok = false;
        waitSeconds = c.args.value(QStringLiteral("--wait")).toInt(&ok);
        if (!ok || waitSeconds < 0)
            return fail(c.err, QStringLiteral("--wait の値「%1」は 0 以上の秒数ではありません。")
                                   .arg(c.args.value(QStringLiteral("--wait"))));
    }
    const LockMode mode = screen.exclusive ? LockMode::Exclusive : LockMode::Shared;
    const QString label = QStringLiteral("seiran-entry %1 %2").arg(screen.name, action.option);
    // The fields come from the lists as they are now; the screen reads them again once registered.
    const QString fields = screen.fields ? screen.fields(c) : QString();
    bool told = false;
    const GradeLock::Outcome outcome =
        lock.acquireWaiting(mode, label, fields, int(qMin<qint64>(qint64(waitSeconds) * 1000, INT_MAX)),
                            [&c, &told, waitSeconds](const GradeLock::Outcome& refused) {
                                if (!told) {
                                    c.err << "seiran-entry: " << holderList(refused.refusedBy)
                                          << QStringLiteral(" が使用中のため、最長 %1 秒待ちます。").arg(waitSeconds)
                                          << '\n';
                                    c.err.flush();
                                    told = true;
                                }
                                return true;
                            });
    if (!outcome.result) return fail(c.err, outcome.result.message);
    if (!outcome.granted)
        return fail(c.err,
                    QStringLiteral("%1年のデータは %2 が使用中のため、始められません（--wait 秒数 で待てます）。")
                        .arg(c.gd.currentGrade)
                        .arg(holderList(outcome.refusedBy)));
    if (!outcome.overlapping.isEmpty())
        c.err << "seiran-entry: 注意: " << holderList(outcome.overlapping)
              << QStringLiteral(" も同じ欄に入力しています。重なった欄は保存のときに確かめます。") << '\n';
    c.lock = &lock;
    return 0;
}

// What the journal of unsaved input keeps of the screen's columns.
JournalLayout journalLayout(const Context& c, const EntrySheet& sheet)
{
    const QStringList headers = sheet.headers().mid(FirstDataCol);
    const QString& screen = c.args.screen;
    if (screen == QLatin1String("test")) return TestJournalLayout(c.gd, c.gd.currentTest, headers);
    if (screen == QLatin1String("naishin")) return NaishinJournalLayout(headers);
    if (screen == QLatin1String("sinro")) return CareerJournalLayout(headers);
    if (screen == QLatin1String("kyoka")) {
        int subject = 0;
        QList<int> tests;
        if (!chosenSubjectTests(c, subject, tests)) return {};
        return SubjectJournalLayout(c.gd, subject, tests, headers);
    }
    return {};
}

JournalRun journalRun(Context& c, EntrySheet& sheet)
{
    JournalRun run{c.gd,
                   sheet,
                   journalLayout(c, sheet),
                   c.lock ? c.lock->holderId() : QString(),
                   c.lock ? c.lock->generationAtStart() : 0,
                   [&c, &sheet] { return saveSheet(c, sheet, {}); },
                   [&c] {
                       if (c.lock) c.lock->beat();
                   },
                   c.err,
                   c.args.value(QStringLiteral("--journal"))};
    return run;
}

int editGrid(Context& c, EntrySheet& sheet, QTextStream& out)
{
    JournalRun run = journalRun(c, sheet);
    return RunJournalEdit(run, EntryCommandInput(), out);
}

int recoverGrid(Context& c, EntrySheet& sheet, QTextStream&)
{
    JournalRun run = journalRun(c, sheet);
    return RunJournalRecover(run);
}

int discardJournal(Context& c, EntrySheet& sheet, QTextStream&)
{
    JournalRun run = journalRun(c, sheet);
    return RunJournalDiscard(run);
}

QList<ActionCommand> actionCommands()
{
    const QStringList importOptions{QStringLiteral("--encoding"), QStringLiteral("--columns"),
                                    QStringLiteral("--no-header"), QStringLiteral("--skip-refused"),
                                    QStringLiteral("--dry-run")};
    const QStringList lockOptions{QStringLiteral("--on-conflict"), QStringLiteral("--wait"), QStringLiteral("--user")};
    return {{QStringLiteral("--export"), {}, exportGrid},
            {QStringLiteral("--import"), QStringList{QStringLiteral("--base")} + lockOptions, importGrid},
            {QStringLiteral("--export-csv"), {}, exportCsv},
            {QStringLiteral("--import-csv"), importOptions + lockOptions, importCsv},
            {QStringLiteral("--edit"), lockOptions, editGrid},
            {QStringLiteral("--recover"), QStringList{QStringLiteral("--journal")} + lockOptions, recoverGrid},
            {QStringLiteral("--discard"), {QStringLiteral("--journal")}, discardJournal}};
}

CommandDescription commandDescription()
{
    CommandDescription d;
    d.program = QStringLiteral("seiran-entry");
    d.synopsis =
        QStringLiteral("--data DIR --grade G SCREEN [オプション] (--export | --import FILE | --export-csv FILE | "
                       "--import-csv FILE | --edit | --recover | --discard)");
    d.heading = QStringLiteral("SCREEN");
    d.noun = QStringLiteral("画面");
    d.footer = QStringLiteral(
        "ほかの先生と同じデータフォルダを使うときは、--export で書き出したファイルを直して、\n"
        "--import FILE --base 書き出したファイル で取り込んでください。--base がないと、書き出した後に\n"
        "ほかの人が保存した欄もファイルの値に戻ります。重なった欄は標準エラーに「競合」で始まる行で示します。\n");
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
        QStringList listed;
        const auto add = [&](const QString& name) {
            if (listed.contains(name)) return; // an option several actions take is listed once
            listed << name;
            e.options.append(def(name));
        };
        for (const ActionCommand& a : actionCommands()) {
            if (a.option == QLatin1String("--import-csv") && !s.importsCsv) continue;
            // The journal of unsaved input belongs to the entry screens that share the grade.
            if (s.exclusive && (a.option == QLatin1String("--edit") || a.option == QLatin1String("--recover") ||
                                a.option == QLatin1String("--discard")))
                continue;
            add(a.option);
            for (const QString& o : a.options)
                add(o);
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

    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd->dataFolder.endsWith(QDir::separator())) gd->dataFolder += QDir::separator();
    gd->currentGrade = grade;
    Context context{*gd, args, programFolder, err, {}, nullptr};

    // An import that saves registers before it reads anything, so that what it loads cannot be
    // moved under it by a roster or list change; exports take no lock and are never refused.
    const bool saves = action->option == QLatin1String("--import") || action->option == QLatin1String("--edit") ||
                       action->option == QLatin1String("--recover") ||
                       (action->option == QLatin1String("--import-csv") && !args.has(QStringLiteral("--dry-run")));
    CommandLockSettings lockSettings(QStringLiteral("seiran-entry"), args.value(QStringLiteral("--user")), err);
    GradeLock lock(gd->dataFolder, grade);
    if (saves) {
        auto lists = std::make_unique<GradeData>();
        lists->dataFolder = gd->dataFolder;
        lists->currentGrade = grade;
        LoadTestList(*lists);
        Context listContext{*lists, args, programFolder, err, {}, nullptr};
        const QString rule = args.has(QStringLiteral("--on-conflict")) ? args.value(QStringLiteral("--on-conflict"))
                                                                       : QStringLiteral("refuse");
        if (rule == QLatin1String("mine"))
            context.control.rule = ConflictRule::Mine;
        else if (rule == QLatin1String("theirs"))
            context.control.rule = ConflictRule::Theirs;
        else if (rule != QLatin1String("refuse"))
            return fail(
                err,
                QStringLiteral("--on-conflict の値「%1」は refuse、mine、theirs のどれでもありません。").arg(rule));
        if (const int status = registerRun(listContext, *screen, *action, lock)) return status;
        context.lock = &lock;
        context.control.screen = QStringLiteral("seiran-entry %1 %2").arg(screen->name, action->option);
    }

    // Prepare as the main menu does before it opens the screen.
    if (Result r = LoadTestList(*gd); !r) return fail(err, r.message);
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, r.message);

    std::unique_ptr<EntrySheet> sheet;
    if (Result r = screen->open(context, sheet); !r) return fail(err, r.message);
    // What the save checks: nothing that addresses the pupils' fields changed since this load.
    if (saves && !screen->exclusive) context.control.stamp = TakeGradeStamp(*gd, lock.generationAtStart());
    return action->run(context, *sheet, out);
}

} // namespace seiran
