#include "NewRoster.h"
#include "GradeLock.h"

#include "Backup.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace seiran {

namespace {

QString gradeCode(int grade)
{
    return QString::number(grade + 1000).right(2);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Result readStandardList(const QString& programFolder, const QString& name, const QString& what, QByteArray& bytes)
{
    const QString path = QDir(programFolder).filePath(name);
    if (!QFileInfo::exists(path))
        return Result::failure(QStringLiteral("標準の%1 %2 がプログラムのフォルダにありません。\r\n"
                                              "学年のファイルは作成しませんでした。")
                                   .arg(what, shown(path)));
    if (Result r = ReadWholeFile(path, bytes); !r)
        return Result::failure(r.message + QStringLiteral("\r\n学年のファイルは作成しませんでした。"));
    return Result::success();
}

} // namespace

GradeFileSet GradeFiles(const QString& dataFolder, int grade)
{
    const QString nn = gradeCode(grade);
    return {dataFolder + RosterFile::fileName(grade),
            dataFolder + QStringLiteral("tannin") + nn + QStringLiteral(".seq"),
            dataFolder + QStringLiteral("test") + nn + QStringLiteral(".seq"),
            dataFolder + QStringLiteral("kyoka") + nn + QStringLiteral(".seq")};
}

bool RosterHoldsData(const QString& dataFolder, int grade)
{
    const QString path = GradeFiles(dataFolder, grade).roster;
    if (!QFileInfo::exists(path)) return false;
    QByteArray bytes;
    // A roster that cannot be read is treated as precious: the user is asked, and the backup
    // that follows reports why it cannot be made.
    if (!ReadWholeFile(path, bytes)) return true;
    const int records = int(bytes.size() / StudentRecord::Size);
    for (int r = 0; r < records; ++r) {
        StudentRecord record;
        std::memcpy(record.bytes().data(), bytes.constData() + qsizetype(r) * StudentRecord::Size, StudentRecord::Size);
        if (record.flag() != StudentRecord::Free) return true;
    }
    return false;
}

QByteArray CopyLines(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 16 + 2);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && text.at(end) != '\r' && text.at(end) != '\n')
            ++end;
        out += text.mid(i, end - i);
        out += "\r\n";
        if (end < text.size() && text.at(end) == '\r' && end + 1 < text.size() && text.at(end + 1) == '\n')
            i = end + 2;
        else
            i = end + 1;
    }
    return out;
}

Result CreateGradeFiles(const QString& dataFolder, int grade, int classCount, const QString& programFolder,
                        IProgress& progress)
{
    if (grade < 1 || grade > 3) return Result::failure(QStringLiteral("学年 %1 は 1〜3 の範囲外です。").arg(grade));
    if (classCount < 1 || classCount > 9)
        return Result::failure(QStringLiteral("クラス数 %1 は 1〜9 の範囲外です。").arg(classCount));
    if (dataFolder.trimmed().isEmpty()) return Result::failure(QStringLiteral("データフォルダが指定されていません。"));

    // Everything is read and composed before anything in the data folder changes.
    QByteArray testList;
    QByteArray subjectList;
    if (Result r =
            readStandardList(programFolder, QStringLiteral("test.seq"), QStringLiteral("テストファイル"), testList);
        !r)
        return r;
    if (Result r =
            readStandardList(programFolder, QStringLiteral("kyoka.seq"), QStringLiteral("教科ファイル"), subjectList);
        !r)
        return r;

    if (!QDir().mkpath(dataFolder))
        return Result::failure(QStringLiteral("データフォルダ %1 を作成できません。\r\n"
                                              "フォルダの場所と書き込みの権限を確かめてください。")
                                   .arg(shown(dataFolder)));

    const int records = 60 * classCount;
    progress.setMaximum(records);
    progress.setValue(0);
    const StudentRecord blank = StudentRecord::blank();
    QByteArray roster;
    roster.reserve(qsizetype(records) * StudentRecord::Size);
    for (int c = 1; c <= classCount; ++c) {
        for (int n = 1; n <= 60; ++n) {
            progress.setValue(RosterFile::recordNumber(c, n) - 1);
            roster.append(reinterpret_cast<const char*>(blank.bytes().data()), StudentRecord::Size);
        }
    }

    const GradeFileSet files = GradeFiles(dataFolder, grade);
    const QList<QPair<QString, QByteArray>> contents = {{files.roster, roster},
                                                        {files.homeroom, HomeroomFileBytes(classCount)},
                                                        {files.tests, CopyLines(testList)},
                                                        {files.subjects, CopyLines(subjectList)}};

    const QString suffix = QStringLiteral(".new");
    auto removeTemporaries = [&contents, &suffix] {
        for (const auto& [path, bytes] : contents)
            QFile::remove(path + suffix);
    };
    const QString nothingMade = QStringLiteral("\r\n学年のファイルは作成しませんでした。");
    for (const auto& [path, bytes] : contents) {
        if (Result r = WriteWholeFile(path + suffix, bytes, path); !r) {
            removeTemporaries();
            return Result::failure(r.message + nothingMade);
        }
    }

    // What the files hold now is kept beside them before they are replaced: a roster with a
    // pupil on it, and every list whose content would change. A backup never replaces an older one.
    QStringList toKeep;
    if (RosterHoldsData(dataFolder, grade)) toKeep.append(files.roster);
    for (qsizetype i = 1; i < contents.size(); ++i) {
        const auto& [path, bytes] = contents.at(i);
        QByteArray old;
        if (QFileInfo::exists(path) && !(ReadWholeFile(path, old) && old == bytes)) toKeep.append(path);
    }
    // When the command gives up, the files are back as they were and their copies go too.
    QStringList backups;
    auto giveUp = [&](const QString& message) {
        removeTemporaries();
        RemoveBackupsOfUnchangedFiles(toKeep.first(backups.size()), backups);
        return Result::failure(message + nothingMade);
    };
    for (const QString& path : toKeep) {
        QString backup;
        if (Result r = KeepNumberedBackup(path, &backup); !r) return giveUp(r.message);
        backups.append(backup);
    }

    QList<FileReplacement> replacements;
    for (const auto& [path, bytes] : contents)
        replacements.append({path + suffix, path});
    AddressingWrite write(dataFolder, grade, QStringLiteral("new-roster"));
    if (!write) return giveUp(write.result().message);
    if (Result r = ReplaceFiles(replacements, backups); !r) return giveUp(r.message);
    progress.setValue(0);
    return Result::success();
}

} // namespace seiran
