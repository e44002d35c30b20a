#include "ListFiles.h"

#include "GradeLock.h"
#include "RosterFile.h"

#include "Backup.h"
#include "Cp932.h"
#include "FileErrors.h"
#include "GradeData.h"
#include "Helpers.h"
#include "Notice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cmath>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace seiran {

// ---------------------------------------------------------------- reader

ListReader::ListReader(const QString& text) : mText(text) {}

ListReader ListReader::fromCp932(const QByteArray& bytes)
{
    // Nothing after an end-of-file mark (0x1A, which no double-byte character contains) belongs
    // to the list. It is cut before decoding: the converter reads the byte as another control
    // character, which the reader would otherwise take for a field.
    const qsizetype end = bytes.indexOf('\x1A');
    return ListReader(Cp932::decode(end < 0 ? bytes : bytes.left(end)));
}

static bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

static bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool ListReader::atEnd() const
{
    qsizetype p = mPos;
    while (p < mText.size() && (isBlank(mText.at(p)) || isLineEnd(mText.at(p)) || mText.at(p) == QChar(0x1A)))
        ++p;
    return p >= mText.size();
}

std::optional<QString> ListReader::nextField(bool* quoted)
{
    *quoted = false;
    // Line ends carry no meaning between fields, so a record may be spread over lines.
    while (mPos < mText.size() && (isBlank(mText.at(mPos)) || isLineEnd(mText.at(mPos))))
        ++mPos;
    if (mPos >= mText.size() || mText.at(mPos) == QChar(0x1A)) return std::nullopt;
    QString field;
    if (mText.at(mPos) == QLatin1Char('"')) {
        *quoted = true;
        const qsizetype close = mText.indexOf(QLatin1Char('"'), mPos + 1);
        if (close < 0) {
            field = mText.mid(mPos + 1);
            mPos = mText.size();
            return field;
        }
        field = mText.mid(mPos + 1, close - mPos - 1);
        mPos = close + 1;
        // Anything between the closing quote and the delimiter is ignored.
        while (mPos < mText.size() && mText.at(mPos) != QLatin1Char(',') && !isLineEnd(mText.at(mPos)))
            ++mPos;
    } else {
        const qsizetype start = mPos;
        while (mPos < mText.size() && mText.at(mPos) != QLatin1Char(',') && !isLineEnd(mText.at(mPos)))
            ++mPos;
        field = mText.mid(start, mPos - start).trimmed();
    }
    if (mPos < mText.size() && mText.at(mPos) == QLatin1Char(',')) ++mPos;
    return field;
}

std::optional<QString> ListReader::nextString()
{
    bool quoted = false;
    return nextField(&quoted);
}

std::optional<double> ListReader::nextNumber()
{
    bool quoted = false;
    const std::optional<QString> field = nextField(&quoted);
    if (!field) return std::nullopt;
    bool ok = false;
    QString text = field->trimmed();
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int> ListReader::nextInt()
{
    const std::optional<double> v = nextNumber();
    if (!v || *v != std::floor(*v) || *v < -2147483648.0 || *v > 2147483647.0) return std::nullopt;
    return int(*v);
}

// ---------------------------------------------------------------- writer

QString FormatListNumber(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15) return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

ListWriter& ListWriter::printed(double value)
{
    if (value < 0)
        mText += FormatListNumber(value) + QLatin1Char(' ');
    else
        mText += QLatin1Char(' ') + FormatListNumber(value) + QLatin1Char(' ');
    return *this;
}

ListWriter& ListWriter::written(double value)
{
    mText += FormatListNumber(value);
    return *this;
}

ListWriter& ListWriter::quoted(const QString& text)
{
    // A double quote cannot be stored inside a quoted field; it would end the field early.
    QString clean = text;
    clean.replace(QLatin1Char('"'), QChar(0x201D));
    mText += QLatin1Char('"') + clean + QLatin1Char('"');
    return *this;
}

ListWriter& ListWriter::comma()
{
    mText += QLatin1Char(',');
    return *this;
}

ListWriter& ListWriter::raw(const QString& text)
{
    mText += text;
    return *this;
}

ListWriter& ListWriter::endLine()
{
    mText += QStringLiteral("\r\n");
    return *this;
}

QByteArray ListWriter::toCp932() const
{
    return Cp932::encode(mText);
}

// ---------------------------------------------------------------- files

QString SubjectListPath(const GradeData& gd)
{
    return gd.dataFolder + QStringLiteral("kyoka") + gd.gradeCode() + QStringLiteral(".seq");
}

QString TestListPath(const GradeData& gd)
{
    return gd.dataFolder + QStringLiteral("test") + gd.gradeCode() + QStringLiteral(".seq");
}

QString HomeroomPath(const GradeData& gd)
{
    return gd.dataFolder + QStringLiteral("tannin") + gd.gradeCode() + QStringLiteral(".seq");
}

static QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Result ReadWholeFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.exists()) return Result::failure(QStringLiteral("ファイル %1 が見つかりません").arg(native(path)));
    if (const QString why = NotRegularFileReason(path); !why.isEmpty())
        return Result::failure(QStringLiteral("ファイル %1 は読み込めません。%2").arg(native(path), why));
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("ファイル %1 を読めません。%2").arg(native(path), FileErrorReason(file, FileAccess::Read)));
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(
            QStringLiteral("ファイル %1 を読めません。%2").arg(native(path), FileErrorReason(file, FileAccess::Read)));
    return Result::success();
}

namespace {

int systemFileSync(int fileDescriptor)
{
#ifdef Q_OS_WIN
    return _commit(fileDescriptor) == 0 ? 0 : errno;
#else
    return ::fdatasync(fileDescriptor) == 0 ? 0 : errno;
#endif
}

FileSyncFunction gFileSync = systemFileSync;

} // namespace

FileSyncFunction SetFileSync(FileSyncFunction sync)
{
    const FileSyncFunction previous = gFileSync;
    gFileSync = sync ? sync : systemFileSync;
    return previous;
}

Result WriteWholeFile(const QString& path, const QByteArray& bytes, const QString& shownPath)
{
    const QString name = native(shownPath.isEmpty() ? path : shownPath);
    if (const QString why = NotRegularFileReason(path); !why.isEmpty())
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。%2").arg(name, why));
    const QString kept = QFileInfo::exists(path) ? QStringLiteral("\r\n元のファイルはそのままです。") : QString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(
            QStringLiteral("ファイル %1 を作成できません。%2").arg(name, FileErrorReason(file, FileAccess::Write)));
    // The bytes reach the disk in flush(); commit() would rename an empty temporary file into
    // place after a failed flush, so the flush is checked first and a failure keeps the old file.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = FileErrorReason(file, FileAccess::Write, errno);
        file.cancelWriting();
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。%2").arg(name, reason) + kept);
    }
    // commit() syncs too but does not report a failed sync, and on a network share the write
    // errors first show there: sync here, and keep the old file when it fails.
    if (const int syncError = gFileSync(file.handle()); syncError != 0) {
        file.cancelWriting();
        return Result::failure(QStringLiteral("ファイル %1 に書き込めません。%2")
                                   .arg(name, FileErrorReason(syncError, FileAccess::Write)) +
                               kept);
    }
    if (!file.commit())
        return Result::failure(
            QStringLiteral("ファイル %1 に書き込めません。%2").arg(name, FileErrorReason(file, FileAccess::Write)) +
            kept);
    return Result::success();
}

QString PathIgnoringCase(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (dir.exists(name)) return folder + name;
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder + entry;
    }
    return folder + name;
}

namespace {

// Reads a list file; `what` names it for the user ("教科ファイル").
Result readList(const QString& path, const QString& what, QByteArray& bytes)
{
    QFile file(path);
    if (!file.exists()) return Result::failure(QStringLiteral("%1 %2 が見つかりません").arg(what, native(path)));
    if (const QString why = NotRegularFileReason(path); !why.isEmpty())
        return Result::failure(QStringLiteral("%1 %2 は読み込めません。%3").arg(what, native(path), why));
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("%1 %2 が読めません。%3").arg(what, native(path), FileErrorReason(file, FileAccess::Read)));
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(
            QStringLiteral("%1 %2 が読めません。%3").arg(what, native(path), FileErrorReason(file, FileAccess::Read)));
    return Result::success();
}

Result malformed(const QString& what, const QString& path, const QString& detail)
{
    return Result::failure(QStringLiteral("%1 %2 の形式が正しくありません（%3）").arg(what, native(path), detail));
}

struct SubjectTables
{
    int count = 0;
    QString names[Limits::Subjects + 1];
    int kinds[Limits::Subjects + 1] = {};
    double weights[Limits::Subjects + 1] = {};
    QString groups[Limits::Subjects + 1];
    int naishinSlots[Limits::NaishinSlots + 1] = {};
};

} // namespace

Result LoadSubjectList(GradeData& gd)
{
    const QString what = QStringLiteral("教科ファイル");
    const QString path = SubjectListPath(gd);
    QByteArray bytes;
    if (Result r = readList(path, what, bytes); !r) return r;
    ListReader in = ListReader::fromCp932(bytes);
    SubjectTables t;
    std::optional<int> first = in.nextInt();
    if (!first) return malformed(what, path, QStringLiteral("教科数がありません"));
    bool ordered = *first < 0;
    int n = *first;
    if (ordered) {
        std::optional<int> count = in.nextInt();
        if (!count) return malformed(what, path, QStringLiteral("教科数がありません"));
        n = *count;
    }
    if (n < 0 || n > Limits::Subjects)
        return malformed(what, path, QStringLiteral("教科数 %1 は 0〜%2 の範囲外です").arg(n).arg(Limits::Subjects));
    t.count = n;
    if (ordered) {
        for (int j = 1; j <= n; ++j) {
            std::optional<int> slot = in.nextInt();
            if (!slot || *slot < 1 || *slot > Limits::NaishinSlots)
                return malformed(what, path, QStringLiteral("内申の順番 %1 が不正です").arg(j));
            t.naishinSlots[j] = *slot;
        }
    } else {
        const int defaults[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
        for (int j = 1; j <= 9; ++j)
            t.naishinSlots[j] = defaults[j];
    }
    for (int k = 1; k <= n; ++k) {
        std::optional<QString> name = in.nextString();
        std::optional<int> kind = in.nextInt();
        std::optional<double> weight = in.nextNumber();
        if (!name || !kind || !weight) return malformed(what, path, QStringLiteral("%1 番目の教科が読めません").arg(k));
        // A kind other than 0-2 (a list from a later version, a slip in an editor) is kept as
        // it stands and written back unchanged; such a subject forms no report item.
        t.names[k] = *name;
        t.kinds[k] = *kind;
        t.weights[k] = *weight;
        if (*kind == 2) {
            std::optional<QString> group = in.nextString();
            if (!group) return malformed(what, path, QStringLiteral("%1 番目の教科のグループ名がありません").arg(k));
            t.groups[k] = *group;
        }
    }
    gd.subjectCount = t.count;
    for (int k = 1; k <= Limits::Subjects; ++k) {
        gd.subjectNames[k] = k <= n ? t.names[k] : QString();
        gd.subjectKind[k] = k <= n ? t.kinds[k] : 0;
        gd.naishinWeight[k] = k <= n ? t.weights[k] : 0.0;
        gd.subjectGroup[k] = k <= n ? t.groups[k] : QString();
    }
    for (int j = 1; j <= Limits::NaishinSlots; ++j)
        gd.naishinSlot[j] = t.naishinSlots[j];
    return Result::success();
}

Result SaveSubjectList(const GradeData& gd)
{
    AddressingWrite write(gd.dataFolder, gd.currentGrade, QStringLiteral("subjects"));
    if (!write) return write.result();
    if (gd.subjectCount < 0 || gd.subjectCount > Limits::Subjects)
        return Result::failure(QStringLiteral("教科数 %1 は保存できません").arg(gd.subjectCount));
    ListWriter out;
    out.printed(gd.subjectCount).endLine();
    for (int k = 1; k <= gd.subjectCount; ++k) {
        out.quoted(gd.subjectNames[k]).comma().printed(gd.subjectKind[k]).comma().printed(gd.naishinWeight[k]);
        if (gd.subjectKind[k] == 2) out.comma().quoted(gd.subjectGroup[k]);
        out.endLine();
    }
    return WriteWholeFile(SubjectListPath(gd), out.toCp932());
}

Result LoadTestList(GradeData& gd)
{
    // A roster save cut short last time is undone before the grade is used again.
    if (gd.currentGrade >= 1 && gd.currentGrade <= 3 && !gd.dataFolder.isEmpty()) {
        if (Result r = RollBackInterruptedRosterWrite(RosterFile::pathFor(gd)); !r) return r;
        RecoverInterruptedReplacements(gd.dataFolder, gd.currentGrade);
    }
    const QString what = QStringLiteral("テストファイル");
    const QString path = TestListPath(gd);
    QByteArray bytes;
    if (Result r = readList(path, what, bytes); !r) return r;
    ListReader in = ListReader::fromCp932(bytes);
    std::optional<int> count = in.nextInt();
    if (!count || *count < 0 || *count > Limits::Tests)
        return malformed(what, path, QStringLiteral("テスト数は 0〜%1 でなければなりません").arg(Limits::Tests));
    QString names[Limits::Tests + 1];
    QString shortNames[Limits::Tests + 1];
    int subjects[Limits::Tests + 1] = {};
    int firstSlots[Limits::Tests + 1] = {};
    int slot = 1;
    for (int t = 1; t <= *count; ++t) {
        std::optional<QString> name = in.nextString();
        std::optional<QString> shortName = in.nextString();
        std::optional<int> n = in.nextInt();
        if (!name || !shortName || !n)
            return malformed(what, path, QStringLiteral("%1 番目のテストが読めません").arg(t));
        if (*n < 0 || *n > Limits::TestSubjects)
            return malformed(
                what, path,
                QStringLiteral("%1 の科目数 %2 は 0〜%3 の範囲外です").arg(*name).arg(*n).arg(Limits::TestSubjects));
        names[t] = *name;
        shortNames[t] = *shortName;
        subjects[t] = *n;
        firstSlots[t] = slot;
        slot += *n;
    }
    if (slot - 1 > Limits::ScoreSlots)
        return malformed(
            what, path,
            QStringLiteral("全テストの科目数の合計 %1 が %2 を超えています").arg(slot - 1).arg(Limits::ScoreSlots));

    // The homeroom file fixes the class count.
    const QString homeWhat = QStringLiteral("担任ファイル");
    const QString homePath = HomeroomPath(gd);
    QByteArray homeBytes;
    if (Result r = readList(homePath, homeWhat, homeBytes); !r) return r;
    ListReader home = ListReader::fromCp932(homeBytes);
    std::optional<int> classes = home.nextInt();
    if (!classes || *classes < 1 || *classes > Limits::Classes)
        return malformed(homeWhat, homePath,
                         QStringLiteral("クラス数は 1〜%1 でなければなりません").arg(Limits::Classes));
    QString teachers[Limits::Classes + 1];
    for (int c = 1; c <= *classes; ++c)
        teachers[c] = home.nextString().value_or(QString()); // nothing edits the names; missing ones stay empty

    gd.testCount = *count;
    for (int t = 1; t <= Limits::Tests; ++t) {
        gd.testNames[t] = names[t];
        gd.testShortNames[t] = shortNames[t];
        gd.testSubjectCount[t] = subjects[t];
        gd.testFirstSlot[t] = t <= *count ? firstSlots[t] : 0;
    }
    gd.classCount = *classes;
    for (int c = 1; c <= Limits::Classes; ++c)
        gd.teacherNames[c] = teachers[c];
    return Result::success();
}

Result SaveTestList(const GradeData& gd)
{
    AddressingWrite write(gd.dataFolder, gd.currentGrade, QStringLiteral("tests"));
    if (!write) return write.result();
    if (gd.testCount < 0 || gd.testCount > Limits::Tests)
        return Result::failure(QStringLiteral("テスト数 %1 は保存できません").arg(gd.testCount));
    ListWriter out;
    out.printed(gd.testCount).endLine();
    for (int t = 1; t <= gd.testCount; ++t)
        out.quoted(gd.testNames[t])
            .comma()
            .quoted(gd.testShortNames[t])
            .comma()
            .printed(gd.testSubjectCount[t])
            .endLine();
    return WriteWholeFile(TestListPath(gd), out.toCp932());
}

QByteArray HomeroomFileBytes(int classCount, const QStringList& teacherNames)
{
    ListWriter out;
    out.printed(classCount).endLine();
    for (int c = 1; c <= classCount; ++c)
        out.quoted(teacherNames.value(c - 1)).endLine();
    return out.toCp932();
}

Result SaveHomeroomFile(const GradeData& gd)
{
    AddressingWrite write(gd.dataFolder, gd.currentGrade);
    if (!write) return write.result();
    if (gd.classCount < 1 || gd.classCount > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数 %1 は保存できません").arg(gd.classCount));
    QStringList names;
    for (int c = 1; c <= gd.classCount; ++c)
        names.append(gd.teacherNames[c]);
    return WriteWholeFile(HomeroomPath(gd), HomeroomFileBytes(gd.classCount, names));
}

namespace {

struct SchoolTables
{
    int count = 0;
    QString shortNames[Limits::HighSchools + 1];
    QString names[Limits::HighSchools + 1];
    QString courses[Limits::HighSchools + 1];
    int weightCounts[Limits::HighSchools + 1] = {};
    int weights[Limits::HighSchools + 1][10] = {};
};

int subjectWeightAsInt(const GradeData& gd, int j)
{
    return int(RoundHalfEven(gd.naishinWeight[j]).value_or(0));
}

void defaultWeights(const GradeData& gd, SchoolTables& t, int i)
{
    for (int j = 1; j <= qMin(gd.subjectCount, 9); ++j)
        t.weights[i][j] = subjectWeightAsInt(gd, j);
}

Result readSchoolCount(ListReader& in, const QString& what, const QString& path, int& count)
{
    std::optional<int> m = in.nextInt();
    if (!m || *m < 0 || *m > Limits::HighSchoolsInFile)
        return malformed(what, path,
                         QStringLiteral("高校数は 0〜%1 でなければなりません").arg(Limits::HighSchoolsInFile));
    count = *m;
    return Result::success();
}

// hischool.txt: short name, name, course, then 0 or 9 weights.
Result parseSchoolText(const GradeData& gd, const QByteArray& bytes, const QString& path, SchoolTables& t)
{
    const QString what = QStringLiteral("高校名ファイル");
    ListReader in = ListReader::fromCp932(bytes);
    if (Result r = readSchoolCount(in, what, path, t.count); !r) return r;
    for (int i = 1; i <= t.count; ++i) {
        std::optional<QString> shortName = in.nextString();
        std::optional<QString> name = in.nextString();
        std::optional<QString> course = in.nextString();
        std::optional<int> w = in.nextInt();
        if (!shortName || !name || !course || !w)
            return malformed(what, path, QStringLiteral("%1 番目の高校が読めません").arg(i));
        if (*w < 0 || *w > 9)
            return malformed(what, path, QStringLiteral("%1 番目の高校の倍率の数 %2 が不正です").arg(i).arg(*w));
        t.shortNames[i] = *shortName;
        t.names[i] = *name;
        t.courses[i] = *course;
        t.weightCounts[i] = *w;
        if (*w == 0) {
            defaultWeights(gd, t, i);
        } else {
            for (int j = 1; j <= *w; ++j) {
                std::optional<int> v = in.nextInt();
                if (!v) return malformed(what, path, QStringLiteral("%1 番目の高校の倍率が読めません").arg(i));
                t.weights[i][j] = *v;
            }
        }
    }
    return Result::success();
}

// hischool.seq: short name, name, course, 0 — converted into the hischool.txt layout.
Result parseSchoolSeq(const GradeData& gd, const QByteArray& bytes, const QString& path, SchoolTables& t,
                      ListWriter& converted)
{
    const QString what = QStringLiteral("高校名ファイル");
    ListReader in = ListReader::fromCp932(bytes);
    if (Result r = readSchoolCount(in, what, path, t.count); !r) return r;
    converted.printed(t.count).endLine();
    for (int i = 1; i <= t.count; ++i) {
        std::optional<QString> shortName = in.nextString();
        std::optional<QString> name = in.nextString();
        std::optional<QString> course = in.nextString();
        std::optional<int> fourth = in.nextInt();
        if (!shortName || !name || !course || !fourth)
            return malformed(what, path, QStringLiteral("%1 番目の高校が読めません").arg(i));
        t.shortNames[i] = *shortName;
        t.names[i] = *name;
        t.courses[i] = *course;
        t.weightCounts[i] = 0;
        defaultWeights(gd, t, i);
        // The converted list says "no weights of its own" (0): the old field meant something
        // else, and copying it would make the next load read it as a count of weights.
        converted.quoted(*shortName).comma().quoted(*name).comma().quoted(*course).comma().written(0).endLine();
    }
    return Result::success();
}

void storeSchools(GradeData& gd, const SchoolTables& t)
{
    for (int i = 0; i <= Limits::HighSchools; ++i) {
        gd.highSchoolShortNames[i] = i <= t.count ? t.shortNames[i] : QString();
        gd.highSchoolNames[i] = i <= t.count ? t.names[i] : QString();
        gd.highSchoolCourses[i] = i <= t.count ? t.courses[i] : QString();
        gd.highSchoolWeightCount[i] = i <= t.count ? t.weightCounts[i] : 0;
        for (int j = 0; j <= 9; ++j)
            gd.highSchoolWeights(i, j) = i <= t.count ? t.weights[i][j] : 0;
    }
    const int other = t.count + 1;
    gd.highSchoolShortNames[other] = QStringLiteral("その他");
    gd.highSchoolNames[other] = QStringLiteral("その他");
    gd.highSchoolCourses[other] = QString();
    gd.highSchoolWeightCount[other] = 0;
    gd.highSchoolCount = other;
}

} // namespace

Result LoadHighSchoolList(GradeData& gd, const QString& programFolder, INotice& notice)
{
    SchoolTables t;
    const QString textPath = PathIgnoringCase(gd.dataFolder, QStringLiteral("hischool.txt"));
    QByteArray bytes;
    if (QFile::exists(textPath)) {
        if (Result r = ReadWholeFile(textPath, bytes); !r) return r;
        if (Result r = parseSchoolText(gd, bytes, textPath, t); !r) return r;
        storeSchools(gd, t);
        return Result::success();
    }

    QString seqPath = PathIgnoringCase(gd.dataFolder, QStringLiteral("hischool.seq"));
    if (!QFile::exists(seqPath)) {
        notice.notice(QStringLiteral("データフォルダに高校名がありません。標準高校名を読み込みます"));
        seqPath = QDir(programFolder).filePath(QStringLiteral("hischool.seq"));
        if (!QFile::exists(seqPath))
            return Result::failure(QStringLiteral("標準の高校名ファイル %1 がありません").arg(native(seqPath)));
    }
    if (Result r = ReadWholeFile(seqPath, bytes); !r) return r;
    ListWriter converted;
    if (Result r = parseSchoolSeq(gd, bytes, seqPath, t, converted); !r) return r;
    storeSchools(gd, t);
    // The converted list is kept in the data folder so that the next load reads it directly.
    if (Result r = WriteWholeFile(gd.dataFolder + QStringLiteral("Hischool.Txt"), converted.toCp932()); !r)
        notice.notice(r.message);
    return Result::success();
}

Result SaveHighSchoolList(const GradeData& gd, const QString& programFolder, INotice& notice)
{
    // The list is shared by the grades: every grade with a roster is guarded while it is written.
    QList<int> grades;
    for (int g = 1; g <= 3; ++g)
        if (QFileInfo::exists(gd.dataFolder + RosterFile::fileName(g))) grades.append(g);
    AddressingWrite write(gd.dataFolder, grades, QStringLiteral("high-schools"));
    if (!write) return write.result();
    // The file holds at most 99 schools, so that "その他" still fits when it is read back.
    if (gd.highSchoolCount < 0 || gd.highSchoolCount > Limits::HighSchoolsInFile)
        return Result::failure(QStringLiteral("高校名は %1 校までしか保存できません（%2 校あります）。"
                                              "高校名ファイルは書き込みませんでした。")
                                   .arg(Limits::HighSchoolsInFile)
                                   .arg(gd.highSchoolCount));
    ListWriter seq;
    seq.printed(gd.highSchoolCount).endLine();
    ListWriter txt;
    txt.printed(gd.highSchoolCount).endLine();
    for (int i = 1; i <= gd.highSchoolCount; ++i) {
        seq.quoted(gd.highSchoolShortNames[i]).comma().quoted(gd.highSchoolNames[i]).comma();
        seq.quoted(gd.highSchoolCourses[i]).comma().written(0).endLine();
        txt.quoted(gd.highSchoolShortNames[i]).comma().quoted(gd.highSchoolNames[i]).comma();
        txt.quoted(gd.highSchoolCourses[i]).comma();
        int sum = 0;
        for (int j = 1; j <= 9; ++j)
            sum += gd.highSchoolWeights(i, j);
        if (sum == 0) {
            txt.printed(0);
        } else {
            txt.printed(9);
            for (int j = 1; j <= 9; ++j)
                txt.comma().printed(gd.highSchoolWeights(i, j));
        }
        txt.endLine();
    }
    // The two files of the data folder change together: both are written beside their targets
    // and renamed into place only when both are complete.
    const QString seqPath = PathIgnoringCase(gd.dataFolder, QStringLiteral("hischool.seq"));
    const QString txtPath = PathIgnoringCase(gd.dataFolder, QStringLiteral("Hischool.txt"));
    const QString suffix = QStringLiteral(".new");
    Result written = WriteWholeFile(seqPath + suffix, seq.toCp932());
    if (written) written = WriteWholeFile(txtPath + suffix, txt.toCp932());
    if (written) written = ReplaceFiles({{seqPath + suffix, seqPath}, {txtPath + suffix, txtPath}});
    QFile::remove(seqPath + suffix);
    QFile::remove(txtPath + suffix);
    if (written) return Result::success();
    notice.notice(QStringLiteral("データフォルダに高校名を書き込めません｡標準高校名を更新します "));
    return WriteWholeFile(QDir(programFolder).filePath(QStringLiteral("hischool.seq")), seq.toCp932());
}

} // namespace seiran
