#include "HighSchoolEditing.h"
#include "GradeLock.h"

#include "Backup.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "RosterEditModel.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "StudentRecord.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace seiran {

namespace {

bool isDigitText(const QString& text)
{
    return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
}

bool isSchoolCol(int col)
{
    return col >= HighSchoolEditorTable::ColShortName && col <= HighSchoolEditorTable::LastCol;
}

} // namespace

void HighSchoolEditorTable::loadFrom(const GradeData& gd)
{
    mRows.clear();
    // The last entry is the "その他" that the loader adds.
    mLoadedCount = qBound(0, gd.highSchoolCount - 1, MaxSchools);
    for (int i = 1; i <= mLoadedCount; ++i) {
        Row row;
        row.origin = i;
        row.cells[ColShortName] = gd.highSchoolShortNames[i];
        row.cells[ColName] = gd.highSchoolNames[i];
        row.cells[ColCourse] = gd.highSchoolCourses[i];
        int sum = 0;
        for (int k = 1; k <= 9; ++k)
            sum += gd.highSchoolWeights(i, k);
        if (gd.highSchoolWeightCount[i] == 9 && sum > 0) {
            for (int k = 1; k <= 9; ++k)
                row.cells[FirstWeightCol + k - 1] = QString::number(gd.highSchoolWeights(i, k));
        }
        mRows.append(row);
    }
}

const HighSchoolEditorTable::Row& HighSchoolEditorTable::row(int r) const
{
    return r >= 1 && r <= schoolCount() ? mRows.at(r - 1) : mNone;
}

QString HighSchoolEditorTable::cellText(int r, int col) const
{
    if (r < 1 || r > schoolCount()) return QString();
    if (col == 0) return QString::number(r);
    return isSchoolCol(col) ? mRows.at(r - 1).cells[std::size_t(col)] : QString();
}

QString HighSchoolEditorTable::Header(int col)
{
    static const QString subjects = QStringLiteral("国社数理英音美体技");
    switch (col) {
    case ColShortName:
        return QStringLiteral("高校略称");
    case ColName:
        return QStringLiteral("高校名");
    case ColCourse:
        return QStringLiteral("学科名");
    default:
        return col >= FirstWeightCol && col <= LastCol ? QString(subjects.at(col - FirstWeightCol)) : QString();
    }
}

bool HighSchoolEditorTable::setText(int r, int col, const QString& text)
{
    if (col < ColShortName || col > ColCourse || r < 1 || r > appendRow()) return false;
    if (isAppendRow(r)) {
        if (full()) return false;
        mRows.append(Row{});
    }
    mRows[r - 1].cells[std::size_t(col)] = text;
    return true;
}

bool HighSchoolEditorTable::typeDigit(int r, int col, QChar key)
{
    if (col < FirstWeightCol || col > LastCol || r < 1 || r > schoolCount()) return false;
    if (key < QLatin1Char('0') || key > QLatin1Char('9')) return false;
    mRows[r - 1].cells[std::size_t(col)] = QString(key);
    return true;
}

void HighSchoolEditorTable::clearRange(int top, int left, int bottom, int right)
{
    for (int r = qMax(1, top); r <= qMin(schoolCount(), bottom); ++r) {
        for (int c = qMax(int(ColShortName), left); c <= qMin(int(LastCol), right); ++c)
            mRows[r - 1].cells[std::size_t(c)].clear();
    }
}

bool HighSchoolEditorTable::insertRow(int r)
{
    if (r < 1 || r > schoolCount() || full()) return false;
    mRows.insert(r - 1, Row{});
    return true;
}

bool HighSchoolEditorTable::deleteRow(int r)
{
    if (r < 1 || r > schoolCount()) return false;
    mRows.removeAt(r - 1);
    return true;
}

QString HighSchoolEditorTable::copyText(int top, int left, int bottom, int right) const
{
    QString text;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left) text += QLatin1Char('\t');
            text += cellText(r, c);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

int HighSchoolEditorTable::paste(int top, int left, int bottom, int right, const QString& clip)
{
    if (top < 1 || top > schoolCount()) return 0;
    QString text = clip;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    const bool anywhere = top == bottom && left == right;
    int refused = 0;
    for (const PastedCell& cell : DistributeTextPaste(text, top, left, schoolCount())) {
        if (!isSchoolCol(cell.col) || cell.row > schoolCount()) continue;
        if (!anywhere && (cell.row > bottom || cell.col < left || cell.col > right)) continue;
        QString value = cell.text;
        if (cell.col >= FirstWeightCol) {
            value = value.normalized(QString::NormalizationForm_KC);
            if (!value.isEmpty() && !isDigitText(value)) {
                ++refused;
                continue;
            }
        }
        mRows[cell.row - 1].cells[std::size_t(cell.col)] = value;
    }
    return refused;
}

void HighSchoolEditorTable::dropEmptyRowsAtEnd()
{
    while (!mRows.isEmpty() && mRows.last().cells[ColShortName].trimmed().isEmpty())
        mRows.removeLast();
}

Result HighSchoolEditorTable::checkStorable() const
{
    for (int r = 1; r <= schoolCount(); ++r) {
        for (int c = ColShortName; c <= LastCol; ++c) {
            const QString& text = mRows.at(r - 1).cells[std::size_t(c)];
            const QString bad = UnstorableCharacters(text);
            if (!bad.isEmpty())
                return Result::failure(
                    QStringLiteral("%1 行目の「%2」には高校名ファイルに保存できない文字 %3 があります。")
                        .arg(r)
                        .arg(text, bad));
        }
    }
    return Result::success();
}

void HighSchoolEditorTable::storeInto(GradeData& gd) const
{
    gd.highSchoolCount = schoolCount();
    for (int i = 1; i <= schoolCount(); ++i) {
        const Row& row = mRows.at(i - 1);
        gd.highSchoolShortNames[i] = row.cells[ColShortName];
        gd.highSchoolNames[i] = row.cells[ColName];
        gd.highSchoolCourses[i] = row.cells[ColCourse];
        int sum = 0;
        for (int k = 1; k <= 9; ++k) {
            const QString& cell = row.cells[std::size_t(FirstWeightCol + k - 1)];
            gd.highSchoolWeights(i, k) = isDigitText(cell) ? cell.toInt() : 0;
            sum += gd.highSchoolWeights(i, k);
        }
        gd.highSchoolWeightCount[i] = sum > 0 ? 9 : 0;
    }
}

// ---------------------------------------------------------------- choices

ChoiceRemap ChoiceRemap::FromTable(const HighSchoolEditorTable& table)
{
    ChoiceRemap remap;
    remap.mOldCount = table.loadedCount();
    remap.mNewOf = QList<int>(remap.mOldCount + 2, 0);
    for (int r = 1; r <= table.schoolCount(); ++r) {
        const int origin = table.row(r).origin;
        if (origin >= 1 && origin <= remap.mOldCount) remap.mNewOf[origin] = r;
    }
    remap.mNewOf[remap.mOldCount + 1] = table.schoolCount() + 1;
    return remap;
}

int ChoiceRemap::map(int old) const
{
    if (old < 1 || old > oldOther()) return old;
    return mNewOf.at(old);
}

bool ChoiceRemap::movesAny() const
{
    for (int old = 1; old <= oldOther(); ++old) {
        if (map(old) != old) return true;
    }
    return false;
}

namespace {

QString rosterPath(const QString& dataFolder, int grade)
{
    return dataFolder + RosterFile::fileName(grade);
}

// Sets the remapped choices of a record; returns whether one changed.
bool remapRecord(StudentRecord& record, const ChoiceRemap& remap)
{
    if (record.flag() != StudentRecord::InUse && record.flag() != StudentRecord::TransferredOut) return false;
    bool changed = false;
    for (int k = 1; k <= Limits::Choices; ++k) {
        const int v = record.choice(k);
        const int to = remap.map(v);
        if (to != v) {
            record.setChoice(k, to);
            changed = true;
        }
    }
    return changed;
}

Result readRoster(const QString& path, QByteArray& bytes)
{
    if (!QFileInfo(path).isFile())
        return Result::failure(
            QStringLiteral("名簿ファイル %1 はふつうのファイルではありません。").arg(QDir::toNativeSeparators(path)));
    return ReadWholeFile(path, bytes);
}

StudentRecord recordAt(const QByteArray& bytes, int r)
{
    StudentRecord record;
    std::memcpy(record.bytes().data(), bytes.constData() + qsizetype(r - 1) * StudentRecord::Size, StudentRecord::Size);
    return record;
}

} // namespace

Result RostersWithMovedChoices(const QString& dataFolder, const ChoiceRemap& remap, QStringList& rosters)
{
    rosters.clear();
    if (!remap.movesAny()) return Result::success();
    for (int grade = 1; grade <= 3; ++grade) {
        const QString path = rosterPath(dataFolder, grade);
        if (!QFileInfo::exists(path)) continue;
        QByteArray bytes;
        if (Result r = readRoster(path, bytes); !r) return r;
        const int records = int(bytes.size() / StudentRecord::Size);
        for (int r = 1; r <= records; ++r) {
            StudentRecord record = recordAt(bytes, r);
            if (remapRecord(record, remap)) {
                rosters.append(path);
                break;
            }
        }
    }
    return Result::success();
}

ChoiceRewrite RewriteChoices(const QString& dataFolder, const ChoiceRemap& remap)
{
    ChoiceRewrite outcome;
    auto fail = [&outcome](const QString& message) {
        QString text = message + QStringLiteral("\r\n進路希望の書き換えを途中でやめました。");
        if (!outcome.rewritten.isEmpty()) {
            text += QStringLiteral("\r\n書き換えた名簿と、書き換える前の控え:");
            for (qsizetype i = 0; i < outcome.rewritten.size(); ++i)
                text += QStringLiteral("\r\n  %1（控え %2）")
                            .arg(QDir::toNativeSeparators(outcome.rewritten.at(i)),
                                 QDir::toNativeSeparators(outcome.backups.value(i)));
        }
        outcome.result = Result::failure(text);
        return outcome;
    };
    QStringList rosters;
    if (Result r = RostersWithMovedChoices(dataFolder, remap, rosters); !r) return fail(r.message);
    for (const QString& path : rosters) {
        AddressingWrite write(path);
        if (!write) return fail(write.result().message);
        QByteArray bytes;
        if (Result r = readRoster(path, bytes); !r) return fail(r.message);
        QString backup;
        if (Result r = KeepNumberedBackup(path, &backup); !r) return fail(r.message);
        outcome.rewritten.append(path);
        outcome.backups.append(backup);
        const int records = int(bytes.size() / StudentRecord::Size);
        QList<RecordImage> images;
        for (int r = 1; r <= records; ++r) {
            StudentRecord record = recordAt(bytes, r);
            if (!remapRecord(record, remap)) continue;
            images.append({r, record});
        }
        // A roster is rewritten all or none.
        if (Result res = WriteRosterRecords(path, images); !res) return fail(res.message);
        outcome.records += int(images.size());
    }
    return outcome;
}

QString ChoiceRemapQuestion()
{
    return QStringLiteral("入力済みの進路希望を新しい高校番号に合わせますか");
}

namespace {

// Passes the notices on and remembers that one came: the save notices only when it falls
// back to the standard list.
class NoticeWatch final : public INotice
{
public:
    explicit NoticeWatch(INotice& next) : mNext(next) {}
    void notice(const QString& text) override
    {
        noticed = true;
        mNext.notice(text);
    }
    bool noticed = false;

private:
    INotice& mNext;
};

} // namespace

Result SaveSchoolList(const GradeData& gd, const QString& programFolder, INotice& notice, bool& inDataFolder)
{
    NoticeWatch watch(notice);
    const Result r = SaveHighSchoolList(gd, programFolder, watch);
    inDataFolder = r.ok && !watch.noticed;
    return r;
}

} // namespace seiran
