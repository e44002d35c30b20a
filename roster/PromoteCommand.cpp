#include "PromoteCommand.h"

#include "FileErrors.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "PromotionAssignment.h"
#include "PromotionTable.h"
#include "RosterFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <climits>
#include <functional>
#include <memory>

namespace seiran {

namespace {

constexpr int ExitError = 2;

struct Options
{
    QString data;
    int grade = 0;
    QString assign;
    QString sort; // old, number, kana
    QString bySex;
    bool save = false;
    QString create;
    bool replace = false;
    bool list = false;
    int waitSeconds = 0;
    QString user;
};

QString usageText()
{
    return QStringLiteral(
        "使い方: seiran-promote --data DIR --grade G [--assign FILE] [--sort old|number|kana [--by-sex N]]\n"
        "                      [--save] [--create DIR [--replace]] [--list] [--wait SECONDS] [--user NAME]\n"
        "  --data DIR      データフォルダ\n"
        "  --grade G       学年 (1～3)\n"
        "  --assign FILE   旧番号・氏名・性別・ふりがな・新組・新番 をタブで区切った行のファイルを入力する\n"
        "  --sort old      旧クラス順に並べ替える\n"
        "  --sort number   新クラス・番号順に並べ替える\n"
        "  --sort kana     新クラス・五十音順に並べ替えて番号を付ける\n"
        "  --by-sex N      (kana) 男女別に番号を付け、女子は N 番から\n"
        "  --save          新組・新番・ふりがな・転入生を今の学年の名簿に保存する\n"
        "  --create DIR    DIR に次の学年の名簿ファイルを作成する\n"
        "  --replace       (create) 次の学年の名簿がすでにあっても作成する (元のファイルは .bak に残す)\n"
        "  --list          最後の表をタブ区切りで標準出力に書く\n"
        "  --wait SECONDS  (save, create) ほかの人が学年を使用中のとき、待つ秒数 (既定 0)\n"
        "  --user NAME     (save, create) 使用中の一覧に出す使用者名 (既定 ログイン名)\n"
        "--save と --create は、その学年をほかの人が使っていない間だけ行います。\n");
}

int fail(QTextStream& err, const QString& message)
{
    err << "seiran-promote: " << message << '\n';
    err.flush();
    return ExitError;
}

void warn(QTextStream& err, const QString& message)
{
    err << "seiran-promote: 注意: " << message << '\n';
}

QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

// Parses the arguments; returns the problem, or an empty text.
QString parse(const QStringList& args, Options& o, bool& help)
{
    QStringList given;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            help = true;
            return QString();
        }
        const bool takesValue = a == QStringLiteral("--data") || a == QStringLiteral("--grade") ||
                                a == QStringLiteral("--assign") || a == QStringLiteral("--sort") ||
                                a == QStringLiteral("--by-sex") || a == QStringLiteral("--create") ||
                                a == QStringLiteral("--wait") || a == QStringLiteral("--user");
        const bool flag =
            a == QStringLiteral("--save") || a == QStringLiteral("--replace") || a == QStringLiteral("--list");
        if (!takesValue && !flag) return QStringLiteral("「%1」は知らないオプションです。").arg(a);
        if (given.contains(a)) return QStringLiteral("%1 が二度指定されています。").arg(a);
        given.append(a);
        if (flag) {
            (a == QStringLiteral("--save") ? o.save : a == QStringLiteral("--replace") ? o.replace : o.list) = true;
            continue;
        }
        if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) return QStringLiteral("%1 の後に値がありません。").arg(a);
        const QString value = args.at(++i);
        if (a == QStringLiteral("--data"))
            o.data = value;
        else if (a == QStringLiteral("--grade")) {
            bool ok = false;
            o.grade = value.toInt(&ok);
            if (!ok || o.grade < 1 || o.grade > 3)
                return QStringLiteral("--grade の値「%1」は 1～3 ではありません。").arg(value);
        } else if (a == QStringLiteral("--assign"))
            o.assign = value;
        else if (a == QStringLiteral("--sort")) {
            if (value != QStringLiteral("old") && value != QStringLiteral("number") && value != QStringLiteral("kana"))
                return QStringLiteral("--sort の値「%1」は old、number、kana のどれでもありません。").arg(value);
            o.sort = value;
        } else if (a == QStringLiteral("--by-sex"))
            o.bySex = value;
        else if (a == QStringLiteral("--create"))
            o.create = value;
        else if (a == QStringLiteral("--user"))
            o.user = value;
        else if (a == QStringLiteral("--wait")) {
            bool ok = false;
            o.waitSeconds = value.toInt(&ok);
            if (!ok || o.waitSeconds < 0)
                return QStringLiteral("--wait の値「%1」は 0 以上の秒数ではありません。").arg(value);
        }
    }
    if (o.data.isEmpty()) return QStringLiteral("--data でデータフォルダを指定してください。");
    if (o.grade == 0) return QStringLiteral("--grade で学年を指定してください。");
    if (!o.bySex.isEmpty() && o.sort != QStringLiteral("kana"))
        return QStringLiteral("--by-sex は --sort kana と一緒に使います。");
    if (o.replace && o.create.isEmpty()) return QStringLiteral("--replace は --create と一緒に使います。");
    return QString();
}

// Registers exclusively in a grade (waiting up to o.waitSeconds for the others to leave); an
// empty text when granted, otherwise why not.
QString registerExclusive(GradeLock& lock, const Options& o, const QString& screen, QTextStream& err)
{
    bool told = false;
    const GradeLock::Outcome outcome = lock.acquireWaiting(
        LockMode::Exclusive, screen, QStringLiteral("all"), int(qMin<qint64>(qint64(o.waitSeconds) * 1000, INT_MAX)),
        [&](const GradeLock::Outcome& refused) {
            if (!told) {
                QStringList names;
                for (const LockHolder& h : refused.refusedBy)
                    names << h.describe();
                err << "seiran-promote: " << names.join(QStringLiteral("、"))
                    << QStringLiteral(" が使用中のため、最長 %1 秒待ちます。").arg(o.waitSeconds) << '\n';
                err.flush();
                told = true;
            }
            return true;
        });
    if (!outcome.result) return outcome.result.message;
    if (outcome.granted) return QString();
    QStringList names;
    for (const LockHolder& h : outcome.refusedBy)
        names << h.describe();
    return QStringLiteral("%1年のデータは %2 が使用中のため、始められません（--wait 秒数 で待てます）。")
        .arg(lock.grade())
        .arg(names.join(QStringLiteral("、")));
}

QString withSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())) return folder;
    return folder + QLatin1Char('/');
}

} // namespace

int RunPromoteCommand(const QStringList& args, const QString& programFolder, QTextStream& out, QTextStream& err)
{
    Options o;
    bool help = false;
    if (const QString problem = parse(args, o, help); !problem.isEmpty())
        return fail(err, problem + QStringLiteral("\n") + usageText());
    if (help) {
        out << usageText();
        out.flush();
        return 0;
    }

    // The grade as the menu prepares it.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = withSeparator(o.data);
    gd->currentGrade = o.grade;
    if (!QFileInfo(o.data).isDir()) return fail(err, QStringLiteral("データフォルダ %1 がありません。").arg(o.data));

    // --save renumbers this grade and --create makes the next one: each runs only while nobody
    // else uses that grade. This grade is registered before anything is read.
    CommandLockSettings lockSettings(QStringLiteral("seiran-promote"), o.user, err);
    GradeLock thisGrade(gd->dataFolder, o.grade);
    GradeLock nextGrade(withSeparator(o.create), o.grade + 1);
    if (o.save) {
        if (const QString refused = registerExclusive(thisGrade, o, QStringLiteral("seiran-promote --save"), err);
            !refused.isEmpty())
            return fail(err, oneLine(refused));
    }
    if (Result r = LoadTestList(*gd); !r) return fail(err, oneLine(r.message));
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, oneLine(r.message));

    PromotionTable table;
    const QString rosterPath = RosterFile::pathFor(*gd);
    if (Result r = table.load(rosterPath, gd->classCount, NullProgress::instance()); !r)
        return fail(err, oneLine(r.message));

    if (!o.assign.isEmpty()) {
        QByteArray bytes;
        if (!QFileInfo::exists(o.assign))
            return fail(err, QStringLiteral("入力ファイル %1 がありません。").arg(o.assign));
        if (const QString why = NotRegularFileReason(o.assign); !why.isEmpty())
            return fail(err, QStringLiteral("入力ファイル %1 は読み込めません。%2").arg(o.assign, why));
        if (Result r = ReadWholeFile(o.assign, bytes); !r) return fail(err, oneLine(r.message));
        const AssignmentOutcome outcome = ApplyAssignmentFile(table, bytes, QFileInfo(o.assign).fileName());
        if (!outcome.result) return fail(err, oneLine(outcome.result.message));
        for (const QString& w : outcome.warnings)
            warn(err, w);
    }

    if (!o.sort.isEmpty()) {
        const PromotionSort order = o.sort == QStringLiteral("old")      ? PromotionSort::OldNumber
                                    : o.sort == QStringLiteral("number") ? PromotionSort::NewNumber
                                                                         : PromotionSort::Syllabary;
        const PromotionTable::SortOutcome outcome = table.sort(order, !o.bySex.isEmpty(), o.bySex);
        if (!outcome.result) return fail(err, oneLine(outcome.result.message));
        if (!outcome.duplicateMessage.isEmpty()) warn(err, outcome.duplicateMessage);
    }

    // Every refusal of the creation and of the save comes before anything is written.
    QList<NextYearFile> nextYear;
    if (!o.create.isEmpty()) {
        const NextYearCheck check = CheckNextYear(table, o.grade);
        if (!check.result) return fail(err, oneLine(check.result.message));
        const QFileInfo folder(o.create);
        if (folder.exists() && !folder.isDir())
            return fail(err, QStringLiteral("%1 はフォルダではありません。").arg(o.create));
        if (NextYearRosterExists(o.create, o.grade) && !o.replace)
            return fail(err, QStringLiteral("%1 に %2年の名簿がすでにあります。置き換えるときは --replace を付けて"
                                            "ください（元のファイルは .bak として残ります）。")
                                 .arg(o.create)
                                 .arg(o.grade + 1));
        if (Result r = ComposeNextYearFiles(table, o.grade, check.classCount, o.create, programFolder, nextYear); !r)
            return fail(err, oneLine(r.message));
        if (Result r = CheckNextYearFiles(nextYear); !r) return fail(err, oneLine(r.message));
        if (check.incompleteCount > 0)
            warn(err, QStringLiteral("新組・新番のそろっていない生徒が %1 人います（%2 など）。この生徒は新学年の"
                                     "名簿に入れませんでした。")
                          .arg(check.incompleteCount)
                          .arg(check.firstIncompleteName));
    }
    if (o.save) {
        if (Result r = table.checkSave(rosterPath); !r) return fail(err, oneLine(r.message));
    }

    if (!o.create.isEmpty()) {
        // The next grade is registered only now, every refusal past, so that a refused run leaves
        // no trace in the target folder; nothing of it was read before but whether its roster exists.
        // The folders the lock makes on the way to a new target, removed again when nothing was created.
        QStringList madeFolders;
        for (QString up = QDir::cleanPath(QFileInfo(o.create).absoluteFilePath());
             !QFileInfo::exists(up) && QFileInfo(up).path() != up; up = QFileInfo(up).path())
            madeFolders << up;
        const auto removeMadeFolders = [&] {
            if (madeFolders.isEmpty()) return;
            nextGrade.release();
            QDir(GradeLockFolder(o.create, o.grade + 1)).removeRecursively();
            for (const QString& folder : madeFolders)
                QDir().rmdir(folder);
        };
        if (const QString refused = registerExclusive(nextGrade, o, QStringLiteral("seiran-promote --create"), err);
            !refused.isEmpty()) {
            removeMadeFolders();
            return fail(err, oneLine(refused));
        }
        if (Result r = WriteNextYearFiles(nextYear); !r) {
            removeMadeFolders();
            return fail(err, oneLine(r.message));
        }
    }
    if (o.save) {
        if (Result r = table.save(rosterPath, NullProgress::instance()); !r) {
            if (!o.create.isEmpty())
                return fail(err, QStringLiteral("次の学年のファイルは作成しましたが、新組・新番は今の学年の名簿に"
                                                "保存できませんでした。") +
                                     oneLine(r.message));
            return fail(err, oneLine(r.message));
        }
    }

    if (o.list) out << PromotionListText(table);
    out.flush();
    err.flush();
    return 0;
}

} // namespace seiran
