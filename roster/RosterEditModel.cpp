#include "RosterEditModel.h"
#include "GradeLock.h"

#include "Cp932.h"
#include "Helpers.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreCells.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace seiran {

namespace {
int seatIndex(int classNo, int number)
{
    return (classNo - 1) * RosterEditModel::Seats + (number - 1);
}

const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");
} // namespace

QString UnstorableCharacters(const QString& text)
{
    QString bad;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString piece = text.mid(i, len);
        i += len - 1;
        if (piece.size() == 1 && piece.at(0).unicode() < 0x80) continue;
        if (Cp932::encode(piece) == QByteArray("?") && !bad.contains(piece)) bad += piece;
    }
    return bad;
}

QString DescribeCharacters(const QString& characters)
{
    QString described;
    for (const char32_t c : characters.toUcs4()) {
        const QString piece = QString::fromUcs4(&c, 1);
        described +=
            QStringLiteral("「%1」(U+%2)").arg(piece, QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
    }
    return described;
}

QString UnstorableTextMessage(const QString& characters)
{
    return QStringLiteral("%1は名簿に保存できない文字です。\n別の文字に直して入力してください。")
        .arg(DescribeCharacters(characters));
}

QString StoredFieldText(const QString& text, int width)
{
    return Cp932::decode(Cp932::fit(text.trimmed(), width)).trimmed();
}

QString FieldCutMessage(int column, const QString& stored)
{
    if (column == RosterEditModel::ColFurigana)
        return QStringLiteral("ふりがなは全角10文字（20バイト）までです。「%1」として保存されます。").arg(stored);
    return QStringLiteral("氏名は全角7文字（14バイト）までです。「%1」として保存されます。").arg(stored);
}

bool RosterEditModel::valid(int classNo, int number) const
{
    return classNo >= 1 && classNo <= mClassCount && number >= 1 && number <= Seats;
}

RosterSeat& RosterEditModel::at(int classNo, int number)
{
    if (!valid(classNo, number)) {
        mNone = RosterSeat{};
        return mNone;
    }
    return mSeats[std::size_t(seatIndex(classNo, number))];
}

const RosterSeat& RosterEditModel::seat(int classNo, int number) const
{
    return valid(classNo, number) ? mSeats[std::size_t(seatIndex(classNo, number))] : mNone;
}

const RosterSeat& RosterEditModel::loadedSeat(int classNo, int number) const
{
    return valid(classNo, number) ? mLoaded[std::size_t(seatIndex(classNo, number))] : mNone;
}

bool RosterEditModel::changed(int classNo, int number) const
{
    return valid(classNo, number) && !(seat(classNo, number) == loadedSeat(classNo, number));
}

bool RosterEditModel::nameUnreadable(int classNo, int number) const
{
    return valid(classNo, number) && mUnreadable[std::size_t(seatIndex(classNo, number))];
}

int RosterEditModel::unreadableNameCount() const
{
    int n = 0;
    for (int k = 1; k <= mClassCount; ++k) {
        for (int r = 1; r <= Seats; ++r)
            n += nameUnreadable(k, r) ? 1 : 0;
    }
    return n;
}

int RosterEditModel::changedCount() const
{
    int n = 0;
    for (int k = 1; k <= mClassCount; ++k) {
        for (int r = 1; r <= Seats; ++r)
            n += changed(k, r) ? 1 : 0;
    }
    return n;
}

Result RosterEditModel::load(const QString& path, int classCount, IProgress& progress)
{
    mClassCount = qBound(0, classCount, MaxClasses);
    mSeats.fill(RosterSeat{});
    mLoaded.fill(RosterSeat{});
    mRemoved.fill(false);
    mUnreadable.fill(false);

    progress.setStatusText(QStringLiteral("データ読込中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(Seats * mClassCount);

    RosterFile file(path);
    const bool exists = QFileInfo::exists(path);
    Result result = exists ? file.openReadOnly() : Result::success();
    for (int k = 1; result && k <= mClassCount; ++k) {
        for (int r = 1; r <= Seats; ++r) {
            progress.setValue(Seats * (k - 1) + r);
            StudentRecord record = StudentRecord::blank();
            if (exists) {
                result = file.read(RosterFile::recordNumber(k, r), record);
                if (!result) break;
            }
            RosterSeat& s = at(k, r);
            bool unreadable = false;
            s.name = record.name(&unreadable).trimmed();
            mUnreadable[std::size_t(seatIndex(k, r))] = unreadable;
            s.furigana = record.furigana().trimmed();
            s.sex = record.sex();
            s.flag = record.flag();
            mLoaded[std::size_t(seatIndex(k, r))] = s;
        }
    }
    file.close();
    progress.setVisible(false);
    progress.setStatusText(QString());
    return result;
}

QString RosterEditModel::cellText(int classNo, int number, int col) const
{
    const RosterSeat& s = seat(classNo, number);
    switch (col) {
    case ColNumber:
        return QString::number(number);
    case ColName:
        return s.name;
    case ColSex:
        return s.sex == 1 ? kMale : s.sex == 2 ? kFemale : QString();
    case ColFurigana:
        return s.furigana;
    case ColRemark:
        if (s.flag == 0)
            return mRemoved[std::size_t(seatIndex(classNo, number))] ? QStringLiteral("削  除")
                                                                     : QStringLiteral("未登録");
        if (s.flag == 2) return QStringLiteral("転出済");
        return QString();
    default:
        return QString();
    }
}

void RosterEditModel::removePupil(int classNo, int number)
{
    if (!valid(classNo, number)) return;
    RosterSeat& s = at(classNo, number);
    s.name.clear();
    mUnreadable[std::size_t(seatIndex(classNo, number))] = false;
    s.flag = 0;
    s.sex = 0;
    s.furigana.clear();
    mRemoved[std::size_t(seatIndex(classNo, number))] = true;
}

void RosterEditModel::setName(int classNo, int number, const QString& name)
{
    if (!valid(classNo, number)) return;
    RosterSeat& s = at(classNo, number);
    if (name.trimmed() != s.name) mUnreadable[std::size_t(seatIndex(classNo, number))] = false;
    // The seat holds what the record will hold, so that the grid shows what is saved.
    s.name = StoredFieldText(name, StudentRecord::NameWidth);
    if (!s.name.isEmpty() && s.flag == 0) {
        s.flag = 1;
        s.sex = 1;
        mRemoved[std::size_t(seatIndex(classNo, number))] = false;
    } else if (s.name.isEmpty() && s.flag > 0) {
        removePupil(classNo, number);
    }
}

void RosterEditModel::setFurigana(int classNo, int number, const QString& furigana)
{
    if (valid(classNo, number)) at(classNo, number).furigana = StoredFieldText(furigana, StudentRecord::FuriganaWidth);
}

void RosterEditModel::setSex(int classNo, int number, int sex)
{
    if (valid(classNo, number)) at(classNo, number).sex = sex;
}

bool RosterEditModel::setSexIfNamed(int classNo, int number, int sex)
{
    if (!valid(classNo, number) || seat(classNo, number).name.isEmpty()) return false;
    at(classNo, number).sex = sex;
    return true;
}

void RosterEditModel::toggleSex(int classNo, int number)
{
    if (!valid(classNo, number)) return;
    RosterSeat& s = at(classNo, number);
    if (s.sex == 1)
        s.sex = 2;
    else if (s.sex == 2)
        s.sex = 1;
}

void RosterEditModel::toggleTransfer(int classNo, int number)
{
    if (!valid(classNo, number)) return;
    RosterSeat& s = at(classNo, number);
    if (s.flag == 1)
        s.flag = 2;
    else if (s.flag == 2)
        s.flag = 1;
}

void RosterEditModel::setSeat(int classNo, int number, const RosterSeat& seat)
{
    if (!valid(classNo, number)) return;
    RosterSeat& s = at(classNo, number);
    const std::size_t index = std::size_t(seatIndex(classNo, number));
    if (seat.name != s.name) mUnreadable[index] = false;
    s = seat;
    s.name = StoredFieldText(seat.name, StudentRecord::NameWidth);
    s.furigana = StoredFieldText(seat.furigana, StudentRecord::FuriganaWidth);
    mRemoved[index] = s.flag == 0 && loadedSeat(classNo, number).flag != 0;
}

QString RosterEditModel::seatStateText(int classNo, int number) const
{
    if (!valid(classNo, number)) return QString();
    const RosterSeat& s = seat(classNo, number);
    const std::size_t index = std::size_t(seatIndex(classNo, number));
    return QStringList{s.name,
                       s.furigana,
                       QString::number(s.sex),
                       QString::number(s.flag),
                       mRemoved[index] ? QStringLiteral("1") : QStringLiteral("0"),
                       mUnreadable[index] ? QStringLiteral("1") : QStringLiteral("0")}
        .join(QChar(0x1F));
}

void RosterEditModel::restoreSeatState(int classNo, int number, const QString& state)
{
    const QStringList parts = state.split(QChar(0x1F));
    if (!valid(classNo, number) || parts.size() != 6) return;
    RosterSeat& s = at(classNo, number);
    s.name = parts.at(0);
    s.furigana = parts.at(1);
    s.sex = parts.at(2).toInt();
    s.flag = parts.at(3).toInt();
    const std::size_t index = std::size_t(seatIndex(classNo, number));
    mRemoved[index] = parts.at(4) == QLatin1String("1");
    mUnreadable[index] = parts.at(5) == QLatin1String("1");
}

int RosterEditModel::paste(int classNo, int top, int left, const QString& clip)
{
    const auto isSexWord = [](const QString& t) {
        return t == QStringLiteral("1") || t == QStringLiteral("2") || t == kMale || t == kFemale;
    };
    int skipped = 0;
    int row = -1;
    int shift = 0;
    for (const PastedCell& cell : DistributeTextPaste(clip, top, left, Seats)) {
        const QString& token = cell.text;
        if (cell.row != row) {
            row = cell.row;
            shift = 0;
        }
        int col = cell.col + shift;
        // Name and reading lists from elsewhere have no sex column: on a line that began with
        // the name, text that is not a sex arriving there is the reading, and the rest of the
        // line moves along with it.
        if (col == ColSex && left <= ColName && !token.isEmpty() && !isSexWord(token)) {
            ++shift;
            ++col;
        }
        switch (col) {
        case ColName:
            if (!UnstorableCharacters(token).isEmpty()) {
                ++skipped;
                break;
            }
            setName(classNo, row, token);
            break;
        case ColSex:
            if (token == QStringLiteral("2") || token == kFemale)
                setSex(classNo, row, 2);
            else if (token == QStringLiteral("1") || token == kMale)
                setSex(classNo, row, 1);
            break;
        case ColFurigana:
            if (seat(classNo, row).flag <= 0) break;
            if (!UnstorableCharacters(token).isEmpty()) {
                ++skipped;
                break;
            }
            setFurigana(classNo, row, token);
            break;
        default:
            break; // the number and remark columns are never written
        }
    }
    return skipped;
}

Result RosterEditModel::save(const QString& path, IProgress& progress)
{
    AddressingWrite write(path, QStringLiteral("roster"));
    if (!write) return write.result();
    progress.setStatusText(QStringLiteral("データ保存中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(Seats * mClassCount);

    RosterFile file(path);
    Result result = changedCount() > 0 ? file.open() : Result::success();
    // Every record to write is composed first; writing starts only when all were read.
    struct Pending
    {
        int classNo;
        int number;
        int record;
        StudentRecord bytes;
    };
    std::vector<Pending> pending;
    const int records = result ? file.recordCount() : 0;
    int lastRecord = records;
    for (int k = 1; result && k <= mClassCount; ++k) {
        for (int r = 1; r <= Seats; ++r) {
            progress.setValue(Seats * (k - 1) + r);
            if (!changed(k, r)) continue;
            const int recordNo = RosterFile::recordNumber(k, r);
            // A seat beyond the end of the file starts as a new roster's record does, with
            // every score slot "not entered" rather than a score of 0.
            StudentRecord record = StudentRecord::blank();
            if (recordNo <= records) {
                result = file.read(recordNo, record);
                if (!result) break;
            }
            const RosterSeat& s = seat(k, r);
            const RosterSeat& was = loadedSeat(k, r);
            // Bytes the teacher did not retype stay as they are (even those that are not CP932).
            if (s.name != was.name || s.name.isEmpty()) record.setName(s.name.trimmed());
            if (s.furigana != was.furigana || s.furigana.isEmpty()) record.setFurigana(s.furigana.trimmed());
            record.setSex(s.sex);
            record.setFlag(s.flag);
            pending.push_back({k, r, recordNo, record});
            lastRecord = qMax(lastRecord, recordNo);
        }
    }
    // The free seats between the end of the file and the last new record are written as a new
    // roster's, so that a later enrolment there reads blank texts and empty score slots.
    if (result) {
        const StudentRecord blank = StudentRecord::blank();
        for (int gap = records + 1; result && gap < lastRecord; ++gap) {
            const bool written =
                std::any_of(pending.begin(), pending.end(), [gap](const Pending& p) { return p.record == gap; });
            if (!written) pending.push_back({0, 0, gap, blank});
        }
        // The file grows in record order: a record beyond the end is never written before the
        // ones in front of it.
        std::sort(pending.begin(), pending.end(),
                  [](const Pending& a, const Pending& b) { return a.record < b.record; });
    }
    file.close();
    // All or nothing: a failed write puts every record back as it was.
    if (result && !pending.empty()) {
        QList<RecordImage> images;
        for (const Pending& p : pending)
            images.append({p.record, p.bytes});
        result = WriteRosterRecords(path, images);
    }
    for (const Pending& p : pending) {
        if (!result) break;
        if (p.classNo == 0) continue;
        // The record keeps what fits its fields; the seat now shows exactly that.
        RosterSeat& s = at(p.classNo, p.number);
        bool unreadable = false;
        s.name = p.bytes.name(&unreadable).trimmed();
        s.furigana = p.bytes.furigana().trimmed();
        mLoaded[std::size_t(seatIndex(p.classNo, p.number))] = s;
        mRemoved[std::size_t(seatIndex(p.classNo, p.number))] = false;
        mUnreadable[std::size_t(seatIndex(p.classNo, p.number))] = unreadable;
    }
    progress.setVisible(false);
    progress.setStatusText(QString());
    return result;
}

} // namespace seiran
