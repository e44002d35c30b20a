#include "SampleGrade.h"
#include "GradeLock.h"

#include "GradeData.h"
#include "GradeLock.h"
#include "ListFiles.h"
#include "Notice.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

namespace seiran {

namespace {

// A small generator with a fixed algorithm, so that the same seed gives the same bytes on
// every platform and compiler.
class SampleRandom
{
public:
    explicit SampleRandom(quint32 seed) : mState(seed * 2654435761u + 0x9E3779B9u) {}
    quint32 next()
    {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return mState;
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint32(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int perThousand) { return below(1000) < perThousand; }

private:
    quint32 mState;
};

struct NamePart
{
    const char* text;
    const char* reading;
};

const NamePart kFamily[] = {
    {"佐藤", "さとう"},   {"鈴木", "すずき"},   {"高橋", "たかはし"}, {"田中", "たなか"},   {"伊藤", "いとう"},
    {"渡辺", "わたなべ"}, {"山本", "やまもと"}, {"中村", "なかむら"}, {"小林", "こばやし"}, {"加藤", "かとう"},
    {"吉田", "よしだ"},   {"山田", "やまだ"},   {"佐々木", "ささき"}, {"山口", "やまぐち"}, {"松本", "まつもと"},
    {"井上", "いのうえ"}, {"木村", "きむら"},   {"林", "はやし"},     {"斎藤", "さいとう"}, {"清水", "しみず"},
    {"森", "もり"},       {"池田", "いけだ"},   {"橋本", "はしもと"}, {"阿部", "あべ"},     {"石川", "いしかわ"},
    {"前田", "まえだ"},   {"藤田", "ふじた"},   {"小川", "おがわ"},   {"岡田", "おかだ"},   {"長谷川", "はせがわ"},
};
const NamePart kBoys[] = {
    {"翔", "しょう"},   {"大翔", "ひろと"}, {"蓮", "れん"},         {"悠真", "ゆうま"}, {"湊", "みなと"},
    {"陽太", "ようた"}, {"健太", "けんた"}, {"拓海", "たくみ"},     {"颯", "はやて"},   {"大輝", "だいき"},
    {"直樹", "なおき"}, {"涼", "りょう"},   {"亮介", "りょうすけ"}, {"誠", "まこと"},   {"航", "わたる"},
};
const NamePart kGirls[] = {
    {"陽菜", "ひな"}, {"結衣", "ゆい"},   {"葵", "あおい"},   {"さくら", "さくら"}, {"美咲", "みさき"},
    {"花", "はな"},   {"凛", "りん"},     {"優花", "ゆうか"}, {"彩", "あや"},       {"七海", "ななみ"},
    {"真由", "まゆ"}, {"千尋", "ちひろ"}, {"遥", "はるか"},   {"杏", "あん"},       {"紗希", "さき"},
};

struct TestEntry
{
    const char* name;
    const char* shortName;
    int subjects;
    bool entered; // scores already typed in the sample
};
const TestEntry kTests[] = {
    {"1学期中間", "1中", 5, true},   {"1学期期末", "1期", 9, true},    {"2学期中間", "2中", 5, true},
    {"2学期期末", "2期", 9, true},   {"学年末", "学末", 9, false},     {"実力テスト1", "実1", 5, true},
    {"実力テスト2", "実2", 5, true}, {"実力テスト3", "実3", 5, false},
};
const char* const kSubjects[] = {"国語", "社会", "数学", "理科", "英語", "音楽", "美術", "保体", "技家"};

struct School
{
    const char* shortName;
    const char* name;
    const char* course;
};
const School kSchools[] = {
    {"青嵐", "県立青嵐高等学校", "普通科"},         {"青嵐理", "県立青嵐高等学校", "理数科"},
    {"東山", "県立東山高等学校", "普通科"},         {"東山国", "県立東山高等学校", "国際科"},
    {"西浜", "県立西浜高等学校", "普通科"},         {"北原", "県立北原高等学校", "普通科"},
    {"北原体", "県立北原高等学校", "体育科"},       {"南台", "県立南台高等学校", "普通科"},
    {"若葉工機", "県立若葉工業高等学校", "機械科"}, {"若葉工電", "県立若葉工業高等学校", "電気科"},
    {"緑丘商", "県立緑丘商業高等学校", "商業科"},   {"市立中央", "市立中央高等学校", "普通科"},
    {"星陵", "私立星陵学園高等学校", "普通科"},     {"星陵特", "私立星陵学園高等学校", "特進科"},
};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

int clampScore(int v)
{
    return v < 0 ? 0 : v > 100 ? 100 : v;
}

// The grade's lists and selection, without the data folder.
std::unique_ptr<GradeData> sampleLists(const SampleOptions& options)
{
    auto gd = std::make_unique<GradeData>();
    gd->currentGrade = options.grade;
    gd->classCount = options.classes;

    gd->subjectCount = 9;
    for (int k = 1; k <= 9; ++k) {
        gd->subjectNames[k] = u(kSubjects[k - 1]);
        gd->subjectKind[k] = 0;
        gd->naishinWeight[k] = 1;
    }
    gd->testCount = int(std::size(kTests));
    int slot = 1;
    for (int t = 1; t <= gd->testCount; ++t) {
        gd->testNames[t] = u(kTests[t - 1].name);
        gd->testShortNames[t] = u(kTests[t - 1].shortName);
        gd->testSubjectCount[t] = kTests[t - 1].subjects;
        gd->testFirstSlot[t] = slot;
        slot += kTests[t - 1].subjects;
    }
    const int teachersFamily[] = {3, 11, 7, 20, 5, 16, 26, 1, 13};
    for (int c = 1; c <= gd->classCount; ++c)
        gd->teacherNames[c] = u(kFamily[teachersFamily[c - 1]].text) + QStringLiteral("先生");

    return gd;
}

// The roster file's bytes; `inUse` receives the number of pupils the program will load.
QByteArray sampleRoster(const SampleOptions& options, const GradeData& gd, int& inUse)
{
    SampleRandom rnd(options.seed);
    inUse = 0;
    QByteArray roster;
    roster.reserve(60 * options.classes * StudentRecord::Size);
    const int naishinDefaults[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
    for (int c = 1; c <= options.classes; ++c) {
        const int pupils = qBound(1, options.pupils + rnd.between(-2, 2), 55);
        int placed = 0;
        for (int n = 1; n <= 60; ++n) {
            StudentRecord rec = StudentRecord::blank();
            // Now and then a number stays free (a pupil who left before the roster was made).
            const bool use = placed < pupils && !(n > 1 && rnd.chance(60));
            if (use) {
                ++placed;
                const bool boy = rnd.chance(510);
                const NamePart& family = kFamily[rnd.below(int(std::size(kFamily)))];
                const NamePart& given =
                    boy ? kBoys[rnd.below(int(std::size(kBoys)))] : kGirls[rnd.below(int(std::size(kGirls)))];
                rec.setFlag(rnd.chance(25) ? StudentRecord::TransferredOut : StudentRecord::InUse);
                if (rec.flag() == StudentRecord::InUse) ++inUse;
                rec.setName(u(family.text) + QStringLiteral("　") + u(given.text));
                rec.setFurigana(u(family.reading) + QStringLiteral(" ") + u(given.reading));
                rec.setSex(boy ? 1 : 2);
                const int ability = rnd.between(35, 92);
                for (int t = 1; t <= gd.testCount; ++t) {
                    if (!kTests[t - 1].entered) continue;
                    const bool absentWholeTest = rnd.chance(12);
                    for (int j = 1; j <= gd.testSubjectCount[t]; ++j) {
                        int v = clampScore(ability + rnd.between(-18, 18) + (j == 3 ? -5 : 0));
                        if (absentWholeTest || rnd.chance(6))
                            v = -1;
                        else if (rnd.chance(4))
                            v = -v - 10; // a bracketed score
                        rec.setScoreSlot(gd.testFirstSlot[t] + j - 1, v);
                    }
                }
                for (int j = 1; j <= 9; ++j) {
                    const int points = qBound(1, (ability - 20) / 15 + rnd.between(-1, 1), 5);
                    rec.setNaishinSlot(naishinDefaults[j], points);
                }
                if (options.grade == 3 || rnd.chance(300)) {
                    const int choices = rnd.between(1, 4);
                    for (int k = 1; k <= choices; ++k)
                        rec.setChoice(k, rnd.between(1, int(std::size(kSchools)) + 1));
                }
            }
            roster.append(reinterpret_cast<const char*>(rec.bytes().data()), StudentRecord::Size);
        }
    }

    return roster;
}

} // namespace

Result CheckSampleOptions(const SampleOptions& options)
{
    if (options.grade < 1 || options.grade > 3)
        return Result::failure(QStringLiteral("学年は 1〜3 で指定してください"));
    if (options.classes < 1 || options.classes > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数は 1〜9 で指定してください"));
    if (options.pupils < 1 || options.pupils > 55)
        return Result::failure(QStringLiteral("1クラスの生徒数は 1〜55 で指定してください"));
    // The program refuses a roster of more pupils than a grade holds; such a sample is never
    // written.
    int inUse = 0;
    sampleRoster(options, *sampleLists(options), inUse);
    if (inUse > Limits::Students)
        return Result::failure(QStringLiteral("%1 クラス × 約 %2 人では在籍の生徒が %3 人になり、"
                                              "1学年の上限 %4 人を超えます（せいらんで開けません）。"
                                              "クラス数か1クラスの生徒数を減らしてください")
                                   .arg(options.classes)
                                   .arg(options.pupils)
                                   .arg(inUse)
                                   .arg(Limits::Students));
    return Result::success();
}

Result WriteSampleGrade(const QString& folder, const SampleOptions& options)
{
    if (Result r = CheckSampleOptions(options); !r) return r;
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        return Result::failure(QStringLiteral("%1 はフォルダではありません").arg(QDir::toNativeSeparators(folder)));
    if (!QDir().mkpath(folder))
        return Result::failure(QStringLiteral("フォルダ %1 を作成できません").arg(QDir::toNativeSeparators(folder)));

    std::unique_ptr<GradeData> gd = sampleLists(options);
    gd->dataFolder = QDir(folder).absolutePath() + QLatin1Char('/');
    int inUse = 0;
    const QByteArray roster = sampleRoster(options, *gd, inUse);

    // The sample replaces the grade's files: nobody may be entering into them meanwhile.
    AddressingWrite write(gd->dataFolder, gd->currentGrade, QStringLiteral("new-roster"));
    if (!write) return write.result();
    if (Result r = WriteWholeFile(RosterFile::pathFor(*gd), roster); !r) return r;
    if (Result r = SaveSubjectList(*gd); !r) return r;
    if (Result r = SaveTestList(*gd); !r) return r;
    if (Result r = SaveHomeroomFile(*gd); !r) return r;

    // The high-school list is shared by all grades: write it only when the folder has none.
    if (!QFile::exists(PathIgnoringCase(gd->dataFolder, QStringLiteral("hischool.txt")))) {
        gd->highSchoolCount = int(std::size(kSchools));
        for (int i = 1; i <= gd->highSchoolCount; ++i) {
            gd->highSchoolShortNames[i] = u(kSchools[i - 1].shortName);
            gd->highSchoolNames[i] = u(kSchools[i - 1].name);
            gd->highSchoolCourses[i] = u(kSchools[i - 1].course);
        }
        // The science course weighs mathematics and science double.
        for (int j = 1; j <= 9; ++j)
            gd->highSchoolWeights(2, j) = (j == 3 || j == 4) ? 2 : 1;
        SilentNotice notice;
        if (Result r = SaveHighSchoolList(*gd, folder, notice); !r) return r;
    }
    return Result::success();
}

namespace {

QString sampleUsage()
{
    return QStringLiteral("使い方: seiran-sample DIR [--grade G] [--classes N] [--pupils M] [--seed S]\n"
                          "  DIR            見本の学年を書き込むフォルダ\n"
                          "  --grade G      学年 (1～3、既定 1)\n"
                          "  --classes N    クラス数 (1～9、既定 4)\n"
                          "  --pupils M     1クラスのおよその生徒数 (1～55、既定 35)\n"
                          "  --seed S       乱数の種 (0 以上の整数、既定 1)。同じ種からは同じファイルができます\n");
}

int sampleFailure(QTextStream& err, const QString& message, bool withUsage)
{
    err << "seiran-sample: " << message << '\n';
    if (withUsage) err << sampleUsage();
    err.flush();
    return 2;
}

} // namespace

int RunSampleCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    SampleOptions options;
    QString folder;
    QStringList given;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            out << sampleUsage();
            out.flush();
            return 0;
        }
        const bool takesValue = a == QStringLiteral("--grade") || a == QStringLiteral("--classes") ||
                                a == QStringLiteral("--pupils") || a == QStringLiteral("--seed");
        if (!takesValue) {
            if (a.startsWith(QLatin1Char('-')))
                return sampleFailure(err, QStringLiteral("「%1」は知らないオプションです。").arg(a), true);
            if (!folder.isEmpty())
                return sampleFailure(err, QStringLiteral("フォルダが二つ指定されています（%1 と %2）。").arg(folder, a),
                                     true);
            folder = a;
            continue;
        }
        if (given.contains(a)) return sampleFailure(err, QStringLiteral("%1 が二度指定されています。").arg(a), true);
        given.append(a);
        if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
            return sampleFailure(err, QStringLiteral("%1 の後に値がありません。").arg(a), true);
        const QString value = args.at(++i);
        bool ok = false;
        if (a == QStringLiteral("--seed")) {
            options.seed = value.toUInt(&ok);
            if (!ok)
                return sampleFailure(err, QStringLiteral("--seed の値「%1」は 0 以上の整数ではありません。").arg(value),
                                     true);
            continue;
        }
        const int n = value.toInt(&ok);
        if (!ok) return sampleFailure(err, QStringLiteral("%1 の値「%2」は整数ではありません。").arg(a, value), true);
        (a == QStringLiteral("--grade")     ? options.grade
         : a == QStringLiteral("--classes") ? options.classes
                                            : options.pupils) = n;
    }
    if (folder.isEmpty()) return sampleFailure(err, QStringLiteral("書き込むフォルダを指定してください。"), true);
    if (Result r = CheckSampleOptions(options); !r) return sampleFailure(err, r.message + QStringLiteral("。"), false);
    // The sample replaces the whole grade: only while nobody else uses it, and with the generation
    // raised after, so that a screen still open on the old grade refuses to save into the new one.
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        return sampleFailure(err, QStringLiteral("%1 はフォルダではありません。").arg(QDir::toNativeSeparators(folder)),
                             false);
    // Stale holders removed on the way are told on standard error.
    class ErrorNotice final : public INotice
    {
    public:
        explicit ErrorNotice(QTextStream& stream) : mErr(stream) {}
        ~ErrorNotice() override { SetLockNotice(nullptr); }
        void notice(const QString& text) override { mErr << "seiran-sample: " << text << '\n'; }

    private:
        QTextStream& mErr;
    } notice(err);
    SetLockNotice(&notice);
    GradeLock lock(folder, options.grade);
    const GradeLock::Outcome registered =
        lock.acquire(LockMode::Exclusive, QStringLiteral("seiran-sample"), QStringLiteral("all"));
    if (!registered.result) return sampleFailure(err, registered.result.message, false);
    if (!registered.granted) {
        QStringList names;
        for (const LockHolder& h : registered.refusedBy)
            names << h.describe();
        return sampleFailure(err,
                             QStringLiteral("%1年のデータは %2 が使用中のため、見本を書き込めません。")
                                 .arg(options.grade)
                                 .arg(names.join(QStringLiteral("、"))),
                             false);
    }
    Result written = Result::success();
    {
        GradeGuard guard(folder, options.grade);
        if (!guard) return sampleFailure(err, guard.result().message, false);
        written = WriteSampleGrade(folder, options);
        if (Result r = guard.raiseGeneration(); !r && written) written = r;
    }
    if (!written)
        return sampleFailure(err, QString(written.message).replace(QStringLiteral("\r\n"), QStringLiteral(" ")), false);
    out << QStringLiteral("%1年の見本を %2 に書き込みました。\n")
               .arg(options.grade)
               .arg(QDir::toNativeSeparators(folder));
    out.flush();
    return 0;
}

} // namespace seiran
