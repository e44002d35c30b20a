#include "PromotionTable.h"
#include "GradeLock.h"

#include "Cp932.h"
#include "GradeData.h"
#include "Helpers.h"
#include "ListFiles.h"
#include "NewRoster.h"
#include "Progress.h"
#include "RosterEditModel.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "StudentRecord.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>
#include <vector>

namespace seiran {

namespace {

const QString kTransferIn = QStringLiteral("転入");
const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A value typed on the other keyboard layout ("１", "ｶﾅ") as its plain form.
QString plain(const QString& text)
{
    return NormalizedKC(text.trimmed());
}

// The whole text as a number of at most three ASCII digits, or -1.
int smallNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 3) return -1;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
    }
    return text.toInt();
}

int cellNumber(const QString& text)
{
    const double v = NumericValue(text);
    return v > 0 && v < 32768 ? int(v) : 0;
}

QString rowLabel(int r, const PromotionRow& row)
{
    return QStringLiteral("No.%1 %2").arg(r).arg(row.name.trimmed());
}

PromotionRow rowFromRecord(const StudentRecord& record, const QString& oldNumber)
{
    PromotionRow row;
    row.oldNumber = oldNumber;
    row.name = record.name().trimmed();
    row.furigana = record.furigana().trimmed();
    row.sex = record.sex() == 1 ? kMale : record.sex() == 2 ? kFemale : QString();
    if (record.newClass() > 0) row.newClass = QString::number(record.newClass());
    if (record.newNumber() > 0) row.newNumber = QString::number(record.newNumber());
    return row;
}

StudentRecord recordAt(const QByteArray& all, int r)
{
    StudentRecord record;
    const qsizetype offset = qsizetype(r - 1) * StudentRecord::Size;
    if (r >= 1 && offset + StudentRecord::Size <= all.size())
        std::memcpy(record.bytes().data(), all.constData() + offset, StudentRecord::Size);
    return record;
}

} // namespace

// ---------------------------------------------------------------- rows

bool PromotionRow::isTransferIn() const
{
    return oldNumber == kTransferIn;
}

int PromotionRow::oldClass() const
{
    return isTransferIn() ? 0 : oldNumber.toInt() / 100;
}

int PromotionRow::oldSeat() const
{
    return isTransferIn() ? 0 : oldNumber.toInt() % 100;
}

int PromotionRow::newClassValue() const
{
    return cellNumber(newClass);
}

int PromotionRow::newNumberValue() const
{
    return cellNumber(newNumber);
}

int PromotionRow::sexValue() const
{
    return sex == kMale ? 1 : sex == kFemale ? 2 : 0;
}

QString PromotionRow::cell(int col) const
{
    switch (col) {
    case PromotionTable::ColOldNumber:
        return oldNumber;
    case PromotionTable::ColName:
        return name;
    case PromotionTable::ColSex:
        return sex;
    case PromotionTable::ColFurigana:
        return furigana;
    case PromotionTable::ColNewClass:
        return newClass;
    case PromotionTable::ColNewNumber:
        return newNumber;
    default:
        return QString();
    }
}

void PromotionRow::setCell(int col, const QString& text)
{
    switch (col) {
    case PromotionTable::ColOldNumber:
        oldNumber = text;
        break;
    case PromotionTable::ColName:
        name = text;
        break;
    case PromotionTable::ColSex:
        sex = text;
        break;
    case PromotionTable::ColFurigana:
        furigana = text;
        break;
    case PromotionTable::ColNewClass:
        newClass = text;
        break;
    case PromotionTable::ColNewNumber:
        newNumber = text;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- loading

Result PromotionTable::load(const QString& rosterPath, int classCount, IProgress& progress)
{
    mRows.clear();
    mTransferredOut.clear();
    mChanged = false;
    mClassCount = qBound(0, classCount, Limits::Classes);

    progress.setStatusText(QStringLiteral("データ読込中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(60 * mClassCount);
    auto finish = [&progress](Result r) {
        progress.setVisible(false);
        progress.setStatusText(QString());
        return r;
    };

    if (!QFileInfo::exists(rosterPath)) return finish(Result::success());
    RosterFile file(rosterPath);
    QByteArray all;
    Result result = file.openReadOnly();
    if (result) result = file.readAll(all);
    file.close();
    if (!result) return finish(result);
    const int records = int(all.size() / StudentRecord::Size);

    for (int k = 1; k <= mClassCount; ++k) {
        for (int n = 1; n <= 60; ++n) {
            const int r = RosterFile::recordNumber(k, n);
            progress.setValue(r);
            if (r > records) continue;
            const StudentRecord record = recordAt(all, r);
            if (record.flag() == StudentRecord::TransferredOut) mTransferredOut.append(k * 100 + n);
            if (record.flag() != StudentRecord::InUse) continue;
            mRows.append(rowFromRecord(record, QString::number(k * 100 + n)));
        }
    }
    // Pupils added as transfers-in follow the class blocks, one after another.
    for (int r = 60 * mClassCount + 1; r <= records; ++r) {
        const StudentRecord record = recordAt(all, r);
        if (record.flag() != StudentRecord::TransferIn) break;
        mRows.append(rowFromRecord(record, kTransferIn));
    }
    return finish(Result::success());
}

const PromotionRow& PromotionTable::row(int r) const
{
    return validRow(r) ? mRows.at(r - 1) : mNone;
}

PromotionRow& PromotionTable::at(int r)
{
    if (!validRow(r)) {
        mNone = PromotionRow{};
        return mNone;
    }
    return mRows[r - 1];
}

QString PromotionTable::cellText(int r, int col) const
{
    if (!validRow(r)) return QString();
    if (col == ColRow) return QString::number(r);
    return row(r).cell(col);
}

int PromotionTable::transferInCount() const
{
    int n = 0;
    for (const PromotionRow& row : mRows)
        n += row.isTransferIn() ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------- editing

PromotionTable::KeyEffect PromotionTable::typeKey(int r, int col, QChar key, bool& numberStarted)
{
    if (!validRow(r)) return KeyEffect::None;
    PromotionRow& row = at(r);
    const bool enter = key == QChar(13);
    switch (col) {
    case ColName:
        if (!enter) return KeyEffect::None;
        if (!row.isTransferIn()) return KeyEffect::NameNotEditable;
        mChanged = true;
        return KeyEffect::OpenEditor;
    case ColSex:
        if (!row.isTransferIn()) return KeyEffect::SexNotEditable;
        if (key == QLatin1Char('1'))
            row.sex = kMale;
        else if (key == QLatin1Char('2'))
            row.sex = kFemale;
        else if (key == QLatin1Char(' '))
            row.sex = row.sex == kMale ? kFemale : kMale;
        else
            return KeyEffect::None;
        mChanged = true;
        return KeyEffect::Edited;
    case ColFurigana:
        if (!enter) return KeyEffect::None;
        mChanged = true;
        return KeyEffect::OpenEditor;
    case ColNewClass:
        mChanged = true;
        if (key < QLatin1Char('1') || key > QLatin1Char('9')) return KeyEffect::None;
        row.newClass = QString(key);
        return KeyEffect::Edited;
    case ColNewNumber: {
        mChanged = true;
        if (key < QLatin1Char('0') || key > QLatin1Char('9')) return KeyEffect::None;
        const int digit = key.unicode() - '0';
        const int value = numberStarted ? row.newNumberValue() * 10 + digit : digit;
        if (value > MaxNewNumber) return KeyEffect::Refused;
        row.newNumber = QString::number(value);
        numberStarted = true;
        return KeyEffect::Edited;
    }
    default:
        return KeyEffect::None;
    }
}

PromotionTable::KeyEffect PromotionTable::doubleClick(int r, int col)
{
    bool started = false;
    switch (col) {
    case ColName:
    case ColFurigana:
        return typeKey(r, col, QChar(13), started);
    case ColSex:
        return typeKey(r, col, QLatin1Char(' '), started);
    default:
        return KeyEffect::None;
    }
}

PromotionTable::TextEntry PromotionTable::FitText(const QString& text, int col)
{
    TextEntry entry;
    const QString trimmed = text.trimmed();
    entry.unstorable = UnstorableCharacters(trimmed);
    if (!entry.unstorable.isEmpty()) {
        entry.text = trimmed;
        return entry;
    }
    const int width = col == ColName ? NameWidth : FuriganaWidth;
    int bytes = 0;
    qsizetype i = 0;
    while (i < trimmed.size()) {
        const qsizetype len = (trimmed.at(i).isHighSurrogate() && i + 1 < trimmed.size()) ? 2 : 1;
        const int n = Cp932::byteLength(trimmed.mid(i, len));
        if (bytes + n > width) break;
        bytes += n;
        i += len;
    }
    entry.cut = i < trimmed.size();
    entry.text = trimmed.left(i).trimmed();
    return entry;
}

PromotionTable::TextEntry PromotionTable::enterText(int r, int col, const QString& text)
{
    TextEntry entry = FitText(text, col);
    if (!validRow(r) || (col != ColName && col != ColFurigana)) return entry;
    if (col == ColName && !row(r).isTransferIn()) return entry;
    if (!entry.unstorable.isEmpty()) return entry;
    at(r).setCell(col, entry.text);
    mChanged = true;
    return entry;
}

void PromotionTable::setRow(int r, const PromotionRow& row)
{
    if (!validRow(r)) return;
    mRows[r - 1] = row;
    mChanged = true;
}

void PromotionTable::setRows(const QList<PromotionRow>& rows)
{
    mRows = rows;
    mChanged = true;
}

int PromotionTable::appendRow(const PromotionRow& row)
{
    mRows.append(row);
    mChanged = true;
    return rowCount();
}

int PromotionTable::addTransferIn()
{
    if (!mRows.isEmpty() && mRows.last().name.trimmed().isEmpty()) return 0;
    PromotionRow row;
    row.oldNumber = kTransferIn;
    mRows.append(row);
    mChanged = true;
    return rowCount();
}

QString PromotionTable::copyText(const Range& range) const
{
    QString text;
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (c > range.left) text += QLatin1Char('\t');
            text += cellText(r, c);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool PromotionTable::putPastedValue(int r, int col, const QString& value, PasteOutcome& outcome)
{
    PromotionRow& row = at(r);
    switch (col) {
    case ColName:
    case ColFurigana: {
        if (col == ColName && !row.isTransferIn()) return false;
        const TextEntry entry = FitText(value, col);
        if (!entry.unstorable.isEmpty()) {
            ++outcome.refused;
            return false;
        }
        outcome.cut += entry.cut ? 1 : 0;
        row.setCell(col, entry.text);
        return true;
    }
    case ColSex: {
        if (!row.isTransferIn()) return false;
        const QString v = plain(value);
        if (v == QStringLiteral("2") || v == kFemale)
            row.sex = kFemale;
        else if (v == QStringLiteral("1") || v == kMale)
            row.sex = kMale;
        else
            return false;
        return true;
    }
    case ColNewClass: {
        const QString v = plain(value);
        const int n = smallNumber(v);
        if (!v.isEmpty() && (v.size() != 1 || n < 1 || n > 9)) {
            ++outcome.refused;
            return false;
        }
        row.newClass = v;
        return true;
    }
    case ColNewNumber: {
        const QString v = plain(value);
        const int n = smallNumber(v);
        if (!v.isEmpty() && (n < 0 || n > MaxNewNumber)) {
            ++outcome.refused;
            return false;
        }
        row.newNumber = v.isEmpty() ? QString() : QString::number(n);
        return true;
    }
    default:
        return false;
    }
}

PromotionTable::PasteOutcome PromotionTable::paste(const Range& range, const QString& clip)
{
    PasteOutcome outcome;
    // Lines from programs that end them with LF alone still paste as lines.
    QString text = clip;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    const bool anywhere = range.single();
    for (const PastedCell& cell : DistributeTextPaste(text, range.top, range.left, rowCount())) {
        if (cell.col >= ColumnCount || !validRow(cell.row)) continue;
        if (!anywhere && !range.contains(cell.row, cell.col)) continue;
        if (putPastedValue(cell.row, cell.col, cell.text, outcome)) ++outcome.written;
    }
    mChanged = true;
    return outcome;
}

void PromotionTable::clear(const Range& range)
{
    for (int r = qMax(1, range.top); r <= qMin(rowCount(), range.bottom); ++r) {
        for (int c = qMax(int(ColFurigana), range.left); c <= qMin(int(ColNewNumber), range.right); ++c)
            at(r).setCell(c, QString());
    }
    mChanged = true;
}

// ---------------------------------------------------------------- sorting

QString PromotionTable::ReadingKey(const QString& furigana)
{
    QString key = NormalizedKC(furigana.trimmed());
    for (QChar& c : key) {
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(char16_t(c.unicode() - 0x60));
    }
    return key;
}

namespace {

// The ascending exchange sort: for i < j the rows are swapped when key(i) > key(j). Equal keys
// are never swapped directly; where they end follows from this exact procedure. The procedure
// only compares keys, so it runs on their ranks (equal keys, equal ranks) and moves row
// numbers; the rows are put in their places once at the end.
template <typename Key> void exchangeSortAscending(const QList<Key>& keys, QList<PromotionRow>& rows)
{
    const int m = int(rows.size());
    std::vector<int> byKey(std::size_t(m), 0);
    std::iota(byKey.begin(), byKey.end(), 0);
    std::stable_sort(byKey.begin(), byKey.end(), [&keys](int a, int b) { return keys.at(a) < keys.at(b); });
    std::vector<int> rank(std::size_t(m), 0);
    for (int k = 1; k < m; ++k) {
        const int prev = byKey[std::size_t(k - 1)];
        const int cur = byKey[std::size_t(k)];
        rank[std::size_t(cur)] = rank[std::size_t(prev)] + (keys.at(prev) < keys.at(cur) ? 1 : 0);
    }
    std::vector<int> order(std::size_t(m), 0);
    std::iota(order.begin(), order.end(), 0);
    for (int i = 0; i + 1 < m; ++i) {
        for (int j = i + 1; j < m; ++j) {
            if (rank[std::size_t(j)] < rank[std::size_t(i)]) {
                std::swap(rank[std::size_t(i)], rank[std::size_t(j)]);
                std::swap(order[std::size_t(i)], order[std::size_t(j)]);
            }
        }
    }
    QList<PromotionRow> sorted;
    sorted.reserve(m);
    for (int i : order)
        sorted.append(rows.at(i));
    rows = sorted;
}

} // namespace

PromotionTable::SortOutcome PromotionTable::numberSyllabary(QList<PromotionRow>& rows, bool bySex,
                                                            const QString& girlsFirst) const
{
    SortOutcome outcome;
    int firstGirl = 1;
    if (bySex) {
        firstGirl = smallNumber(plain(girlsFirst));
        if (firstGirl < 1 || firstGirl > MaxNewNumber) {
            outcome.result = Result::failure(
                QStringLiteral("女子の最初の番号には 1〜%1 の数を入力してください。").arg(MaxNewNumber));
            return outcome;
        }
    }
    qsizetype i = 0;
    while (i < rows.size()) {
        const int cls = rows.at(i).newClassValue();
        qsizetype end = i;
        int boys = 0;
        int girls = 0;
        while (end < rows.size() && rows.at(end).newClassValue() == cls) {
            const bool girl = bySex && rows.at(end).sex == kFemale;
            (girl ? girls : boys) += 1;
            ++end;
        }
        // Only the classes of next year have to fit their 60 numbers.
        if (cls >= 1 && cls <= Limits::Classes) {
            const QString cname = QStringLiteral("新%1組").arg(cls);
            if (!bySex && boys > MaxNewNumber)
                outcome.result =
                    Result::failure(QStringLiteral("%1は %2 人で、%3 までの番号に入りません。番号は付けませんでした。")
                                        .arg(cname)
                                        .arg(boys)
                                        .arg(MaxNewNumber));
            else if (bySex && (boys > MaxNewNumber || (girls > 0 && boys >= firstGirl)))
                outcome.result = Result::failure(
                    QStringLiteral("%1の男子は %2 人で、女子の最初の番号 %3 の前に入りません。番号は付けませんでした。")
                        .arg(cname)
                        .arg(boys)
                        .arg(firstGirl));
            else if (bySex && girls > 0 && firstGirl + girls - 1 > MaxNewNumber)
                outcome.result = Result::failure(
                    QStringLiteral("%1の女子は %2 人で、%3 番から付けると %4 を超えます。番号は付けませんでした。")
                        .arg(cname)
                        .arg(girls)
                        .arg(firstGirl)
                        .arg(MaxNewNumber));
            if (!outcome.result) return outcome;
        }
        int number = 1;
        bool girlsStarted = false;
        for (qsizetype k = i; k < end; ++k) {
            if (bySex && !girlsStarted && rows.at(k).sex == kFemale) {
                number = firstGirl;
                girlsStarted = true;
            }
            rows[k].newNumber = QString::number(number);
            ++number;
        }
        i = end;
    }
    return outcome;
}

PromotionTable::SortOutcome PromotionTable::sort(PromotionSort order, bool bySex, const QString& girlsFirst)
{
    SortOutcome outcome;
    QList<PromotionRow> rows = mRows;
    switch (order) {
    case PromotionSort::OldNumber: {
        QList<QString> keys;
        keys.reserve(rows.size());
        for (const PromotionRow& row : rows)
            keys.append(row.oldNumber);
        exchangeSortAscending(keys, rows);
        break;
    }
    case PromotionSort::NewNumber: {
        QList<int> keys;
        keys.reserve(rows.size());
        for (const PromotionRow& row : rows)
            keys.append(row.newClassValue() * 1000 + row.newNumberValue());
        exchangeSortAscending(keys, rows);
        // Only the first pair is reported; a pupil without a number shares nothing.
        for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
            const PromotionRow& a = rows.at(i);
            const PromotionRow& b = rows.at(i + 1);
            if (a.newClassValue() > 0 && a.newNumberValue() > 0 && a.newClassValue() == b.newClassValue() &&
                a.newNumberValue() == b.newNumberValue()) {
                outcome.duplicateRow = int(i) + 1;
                outcome.duplicateMessage = QStringLiteral("No.%1 %2 のクラスと番号が重複しています")
                                               .arg(outcome.duplicateRow)
                                               .arg(a.name.trimmed());
                break;
            }
        }
        break;
    }
    case PromotionSort::Syllabary: {
        if (bySex) {
            // The first number of the girls is checked before anything moves.
            QList<PromotionRow> none;
            SortOutcome check = numberSyllabary(none, true, girlsFirst);
            if (!check.result) return check;
        }
        QList<QString> keys;
        keys.reserve(rows.size());
        for (const PromotionRow& row : rows) {
            QString key = QString::number(row.newClassValue());
            if (bySex) key += row.sex == kFemale ? QLatin1Char('2') : QLatin1Char('1');
            keys.append(key + ReadingKey(row.furigana));
        }
        exchangeSortAscending(keys, rows);
        outcome = numberSyllabary(rows, bySex, girlsFirst);
        if (!outcome.result) return outcome;
        break;
    }
    }
    mRows = rows;
    mChanged = true;
    return outcome;
}

// ---------------------------------------------------------------- saving

namespace {

int transferRecordNumber(int classCount, int k)
{
    return 60 * classCount + k;
}

} // namespace

Result PromotionTable::checkSave(const QString& rosterPath) const
{
    if (mRows.isEmpty()) return Result::success();
    if (mClassCount < 1)
        return Result::failure(QStringLiteral("クラス数が分からないため、進級のデータを保存できません。"));
    RosterFile file(rosterPath);
    const bool exists = QFileInfo::exists(rosterPath);
    if (exists) {
        if (Result r = file.openReadOnly(); !r) return r;
    }
    const int records = exists ? file.recordCount() : 0;
    const bool partial = exists && file.byteSize() % StudentRecord::Size != 0;
    int k = 0;
    for (int i = 1; i <= rowCount(); ++i) {
        const PromotionRow& row = mRows.at(i - 1);
        StudentRecord record;
        if (row.isTransferIn()) {
            const int r = transferRecordNumber(mClassCount, ++k);
            if (r > records && partial)
                return Result::failure(QStringLiteral("名簿ファイル %1 の長さが 512 バイトの倍数ではないため、"
                                                      "転入生を保存できません。何も保存しませんでした。")
                                           .arg(shown(rosterPath)));
            if (r > records) continue;
            if (Result res = file.read(r, record); !res) return res;
            if (record.flag() != StudentRecord::Free && record.flag() != StudentRecord::TransferIn)
                return Result::failure(
                    QStringLiteral("転入生 %1 の保存先（名簿ファイルの %2 番目のレコード）は、担任ファイルの"
                                   "クラス数より後のクラスのデータに使われています。\r\n"
                                   "そのデータを消さないよう、何も保存しませんでした。")
                        .arg(rowLabel(i, row))
                        .arg(r));
            continue;
        }
        const int c = row.oldClass();
        const int n = row.oldSeat();
        if (c < 1 || c > mClassCount || n < 1 || n > 60)
            return Result::failure(QStringLiteral("%1 の旧番号 %2 は名簿にありません。何も保存しませんでした。")
                                       .arg(rowLabel(i, row), row.oldNumber));
        const int r = RosterFile::recordNumber(c, n);
        if (r <= records) {
            if (Result res = file.read(r, record); !res) return res;
        }
        if (r > records || record.flag() != StudentRecord::InUse)
            return Result::failure(
                QStringLiteral("%1 の名簿のデータ（旧番号 %2）が読み込んだ後で変わっています。何も保存しませんでした。")
                    .arg(rowLabel(i, row), row.oldNumber));
    }
    return Result::success();
}

Result PromotionTable::save(const QString& rosterPath, IProgress& progress)
{
    AddressingWrite write(rosterPath, QStringLiteral("promotion"));
    if (!write) return write.result();
    if (Result r = checkSave(rosterPath); !r) return r;

    progress.setStatusText(QStringLiteral("データ保存中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(rowCount());
    auto finish = [&progress](Result r) {
        progress.setVisible(false);
        progress.setStatusText(QString());
        return r;
    };

    // Every record is composed first; only those that change are written.
    struct Pending
    {
        int number;
        StudentRecord record;
    };
    QList<Pending> pending;
    RosterFile file(rosterPath);
    const bool exists = QFileInfo::exists(rosterPath);
    if (exists) {
        if (Result r = file.openReadOnly(); !r) return finish(r);
    }
    const int records = exists ? file.recordCount() : 0;
    int k = 0;
    for (int i = 1; i <= rowCount(); ++i) {
        progress.setValue(i);
        const PromotionRow& row = mRows.at(i - 1);
        StudentRecord before;
        int r = 0;
        if (row.isTransferIn())
            r = transferRecordNumber(mClassCount, ++k);
        else
            r = RosterFile::recordNumber(row.oldClass(), row.oldSeat());
        if (r <= records) {
            if (Result res = file.read(r, before); !res) return finish(res);
        }
        StudentRecord after = before;
        if (row.isTransferIn()) {
            // A free slot becomes a record of its own; an earlier transfer-in keeps its other bytes.
            if (r > records || before.flag() != StudentRecord::TransferIn) after = StudentRecord::blank();
            after.setFlag(StudentRecord::TransferIn);
            after.setName(row.name.trimmed());
            after.setSex(row.sexValue());
        }
        after.setFurigana(row.furigana.trimmed());
        if (!after.setInt16At(470, row.newClassValue()) || !after.setInt16At(472, row.newNumberValue()))
            return finish(Result::failure(
                QStringLiteral("%1 の新組・新番が大きすぎます。何も保存しませんでした。").arg(rowLabel(i, row))));
        if (r > records || !(after == before)) pending.append({r, after});
    }
    file.close();
    if (pending.isEmpty()) {
        mChanged = false;
        return finish(Result::success());
    }

    int end = records;
    QList<RecordImage> images;
    for (const Pending& p : pending) {
        // Free records between the end of the file and a transfer-in are written blank.
        for (int gap = end + 1; gap < p.number; ++gap)
            images.append({gap, StudentRecord::blank()});
        images.append({p.number, p.record});
        end = qMax(end, p.number);
    }
    // All or nothing: a failed write puts every record back as it was.
    if (Result r = WriteRosterRecords(rosterPath, images); !r) return finish(r);
    mChanged = false;
    return finish(Result::success());
}

// ---------------------------------------------------------------- next year

namespace {

bool assigned(const PromotionRow& row)
{
    const int c = row.newClassValue();
    const int n = row.newNumberValue();
    return c >= 1 && c <= Limits::Classes && n >= 1 && n <= 60;
}

} // namespace

NextYearCheck CheckNextYear(const PromotionTable& table, int grade)
{
    NextYearCheck check;
    if (grade < 1 || grade > 2) {
        check.result =
            Result::failure(QStringLiteral("%1年の次の学年はありません。新学年の名簿は作成できません。").arg(grade));
        return check;
    }
    for (int i = 1; i <= table.rowCount(); ++i) {
        const PromotionRow& row = table.row(i);
        const int c = row.newClassValue();
        if (c > Limits::Classes) {
            check.result = Result::failure(QStringLiteral("%1 の新組 %2 は 1〜9 の範囲外です。新学年の名簿は作成"
                                                          "しませんでした。")
                                               .arg(rowLabel(i, row), row.newClass));
            check.currentRow = i;
            return check;
        }
        check.classCount = qMax(check.classCount, c);
    }
    if (check.classCount == 0) {
        check.result =
            Result::failure(QStringLiteral("新組が一人も入力されていません。新学年の名簿は作成できません。"));
        return check;
    }
    int owner[Limits::Classes + 1][61] = {};
    for (int i = 1; i <= table.rowCount(); ++i) {
        const PromotionRow& row = table.row(i);
        if (row.name.trimmed().isEmpty()) continue; // never written
        if (!assigned(row)) {
            if (check.incompleteCount++ == 0) check.firstIncompleteName = row.name.trimmed();
            continue;
        }
        int& slot = owner[row.newClassValue()][row.newNumberValue()];
        if (slot > 0) {
            check.result = Result::failure(QStringLiteral("%1 と %2 の新組・新番（%3組 %4番）が重複しています。\r\n"
                                                          "新学年の名簿は作成しませんでした。")
                                               .arg(rowLabel(slot, table.row(slot)), rowLabel(i, row))
                                               .arg(row.newClassValue())
                                               .arg(row.newNumberValue()));
            check.currentRow = slot;
            return check;
        }
        slot = i;
        ++check.pupilCount;
    }
    if (check.pupilCount > Limits::Students) {
        check.result = Result::failure(QStringLiteral("新学年の生徒が %1 人で、%2 人を超えています。新学年の名簿は"
                                                      "作成できません。")
                                           .arg(check.pupilCount)
                                           .arg(Limits::Students));
        return check;
    }
    return check;
}

QString IncompleteQuestion(const NextYearCheck& check)
{
    return QStringLiteral("新組・新番のそろっていない生徒が %1 人います（%2 など）。\r\n"
                          "この生徒は新学年の名簿に入りません。作成してよいですか")
        .arg(check.incompleteCount)
        .arg(check.firstIncompleteName);
}

QString NextYearCreatedText(const QString& folder, int newGrade, int classCount, int pupilCount,
                            const QStringList& backups)
{
    QString text = QStringLiteral("%1 に %2年の名簿ファイルを作成しました（%3クラス、%4人）。")
                       .arg(QDir::toNativeSeparators(folder))
                       .arg(newGrade)
                       .arg(classCount)
                       .arg(pupilCount);
    if (backups.isEmpty()) return text;
    QStringList names;
    for (const QString& backup : backups)
        names.append(QFileInfo(backup).fileName());
    return text + QStringLiteral("\r\n置き換える前のファイルは、同じフォルダに控えとして残してあります：\r\n") +
           names.join(QStringLiteral("、"));
}

QByteArray NextYearRosterBytes(const PromotionTable& table, int classCount)
{
    const StudentRecord blank = StudentRecord::blank();
    QByteArray bytes;
    const int records = 60 * qBound(0, classCount, Limits::Classes);
    bytes.reserve(qsizetype(records) * StudentRecord::Size);
    for (int r = 1; r <= records; ++r)
        bytes.append(reinterpret_cast<const char*>(blank.bytes().data()), StudentRecord::Size);
    for (int i = 1; i <= table.rowCount(); ++i) {
        const PromotionRow& row = table.row(i);
        if (!assigned(row) || row.name.trimmed().isEmpty() || row.newClassValue() > classCount) continue;
        StudentRecord record = StudentRecord::blank();
        record.setFlag(StudentRecord::InUse);
        record.setName(row.name.trimmed());
        record.setSex(row.sexValue());
        record.setFurigana(row.furigana.trimmed());
        const qsizetype offset =
            qsizetype(RosterFile::recordNumber(row.newClassValue(), row.newNumberValue()) - 1) * StudentRecord::Size;
        std::memcpy(bytes.data() + offset, record.bytes().data(), StudentRecord::Size);
    }
    return bytes;
}

Result ComposeNextYearFiles(const PromotionTable& table, int grade, int classCount, const QString& folder,
                            const QString& programFolder, QList<NextYearFile>& files)
{
    files.clear();
    QByteArray tests;
    QByteArray subjects;
    const QString note = QStringLiteral("\r\n新学年のファイルは作成しませんでした。");
    for (const auto& [name, what, bytes] :
         {std::tuple{QStringLiteral("test.seq"), QStringLiteral("テストファイル"), &tests},
          std::tuple{QStringLiteral("kyoka.seq"), QStringLiteral("教科ファイル"), &subjects}}) {
        const QString path = QDir(programFolder).filePath(name);
        if (!QFileInfo::exists(path))
            return Result::failure(
                QStringLiteral("標準の%1 %2 がプログラムのフォルダにありません。").arg(what, shown(path)) + note);
        if (Result r = ReadWholeFile(path, *bytes); !r) return Result::failure(r.message + note);
    }
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QDir::separator())) dir += QLatin1Char('/');
    const GradeFileSet set = GradeFiles(dir, grade + 1);
    files = {{set.roster, NextYearRosterBytes(table, classCount)},
             {set.homeroom, HomeroomFileBytes(classCount)},
             {set.tests, CopyLines(tests)},
             {set.subjects, CopyLines(subjects)}};
    return Result::success();
}

bool NextYearRosterExists(const QString& folder, int grade)
{
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QDir::separator())) dir += QLatin1Char('/');
    // Next year's roster counts as there once it has any length: the question before replacing
    // it must come even for a roster made but not yet filled.
    const QFileInfo info(GradeFiles(dir, grade + 1).roster);
    return info.exists() && info.size() > 0;
}

} // namespace seiran
