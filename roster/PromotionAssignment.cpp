#include "PromotionAssignment.h"

#include "Cp932.h"
#include "Helpers.h"
#include "PromotionTable.h"

#include <QSet>
#include <QStringDecoder>

namespace seiran {

namespace {

const QString kTransferIn = QStringLiteral("転入");
const QString kEmpty = QStringLiteral("-");

QString plain(const QString& text)
{
    return NormalizedKC(text.trimmed());
}

// The whole text as a number of ASCII digits (at most four), or -1.
int digitsValue(const QString& text)
{
    if (text.isEmpty() || text.size() > 4) return -1;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
    }
    return text.toInt();
}

// "男"/"1" or "女"/"2" as the cell shows it; empty when the text is neither.
QString sexCell(const QString& text)
{
    const QString v = plain(text);
    if (v == QStringLiteral("男") || v == QStringLiteral("1")) return QStringLiteral("男");
    if (v == QStringLiteral("女") || v == QStringLiteral("2")) return QStringLiteral("女");
    return QString();
}

class LineReader
{
public:
    LineReader(const QString& fileName, int line, QStringList& warnings)
        : mFileName(fileName), mLine(line), mWarnings(warnings)
    {
    }

    Result error(const QString& what) const
    {
        return Result::failure(QStringLiteral("%1 の %2 行目: %3").arg(mFileName).arg(mLine).arg(what));
    }

    // A name or reading field into `cell`: "-" empties it, a text too long for the record is
    // cut with a warning, a text the roster file cannot hold is an error.
    Result text(const QString& field, int col, QString& cell) const
    {
        if (field.isEmpty()) return Result::success();
        if (field == kEmpty) {
            cell.clear();
            return Result::success();
        }
        const QString what = col == PromotionTable::ColName ? QStringLiteral("氏名") : QStringLiteral("ふりがな");
        const PromotionTable::TextEntry entry = PromotionTable::FitText(field, col);
        if (!entry.unstorable.isEmpty())
            return error(QStringLiteral("%1「%2」の文字 %3 は名簿に保存できません").arg(what, field, entry.unstorable));
        if (entry.cut)
            mWarnings.append(QStringLiteral("%1 の %2 行目: %3「%4」は長すぎるため「%5」にしました")
                                 .arg(mFileName)
                                 .arg(mLine)
                                 .arg(what, field, entry.text));
        cell = entry.text;
        return Result::success();
    }

    Result newClass(const QString& field, QString& cell) const
    {
        if (field.isEmpty()) return Result::success();
        if (field == kEmpty) {
            cell.clear();
            return Result::success();
        }
        const QString v = plain(field);
        const int n = digitsValue(v);
        if (v.size() != 1 || n < 1 || n > 9)
            return error(QStringLiteral("新組「%1」は 1〜9 ではありません").arg(field));
        cell = v;
        return Result::success();
    }

    Result newNumber(const QString& field, QString& cell) const
    {
        if (field.isEmpty()) return Result::success();
        if (field == kEmpty) {
            cell.clear();
            return Result::success();
        }
        // The range is checked with the row's class (checkNewNumber): the syllabary sort numbers
        // pupils without a class past 60, and what the list shows has to read back.
        const int n = digitsValue(plain(field));
        if (n < 0) return numberError(field);
        cell = QString::number(n);
        return Result::success();
    }

    // A pupil of one of next year's classes takes 0..60; one without a class keeps the number the
    // syllabary sort gave him, which may run past 60.
    Result checkNewNumber(const QString& field, const PromotionRow& row) const
    {
        if (row.newClassValue() >= 1 && row.newNumberValue() > PromotionTable::MaxNewNumber)
            return numberError(field.isEmpty() ? row.newNumber : field);
        return Result::success();
    }

    Result numberError(const QString& field) const
    {
        return error(QStringLiteral("新番「%1」は 0〜%2 ではありません").arg(field).arg(PromotionTable::MaxNewNumber));
    }

private:
    QString mFileName;
    int mLine;
    QStringList& mWarnings;
};

} // namespace

QString DecodeAssignmentText(const QByteArray& bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    if (!utf8.hasError()) return text;
    return Cp932::decode(bytes);
}

AssignmentOutcome ApplyAssignmentFile(PromotionTable& table, const QByteArray& bytes, const QString& fileName)
{
    AssignmentOutcome outcome;
    PromotionTable edited = table;
    QList<int> transferRows;
    for (int r = 1; r <= edited.rowCount(); ++r) {
        if (edited.row(r).isTransferIn()) transferRows.append(r);
    }
    QSet<int> seen;
    int transferLines = 0;
    const QStringList lines = DecodeAssignmentText(bytes).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QStringLiteral("旧番号"))) continue;
        LineReader in(fileName, int(i) + 1, outcome.warnings);
        QStringList fields = line.split(QLatin1Char('\t'));
        for (QString& f : fields)
            f = f.trimmed();
        for (qsizetype f = 6; f < fields.size(); ++f) {
            if (!fields.at(f).isEmpty()) {
                outcome.result = in.error(QStringLiteral("列が多すぎます（%1 列目「%2」）。列は 旧番号、氏名、性別、"
                                                         "ふりがな、新組、新番 の 6 つです")
                                              .arg(f + 1)
                                              .arg(fields.at(f)));
                return outcome;
            }
        }
        while (fields.size() < 6)
            fields.append(QString());
        const QString oldNumber = plain(fields.at(0));
        const QString& name = fields.at(1);
        const QString& sex = fields.at(2);

        PromotionRow row;
        int target = 0; // 0: a new transfer-in row
        if (oldNumber == kTransferIn) {
            ++transferLines;
            if (transferLines <= transferRows.size()) {
                target = transferRows.at(transferLines - 1);
                row = edited.row(target);
            } else {
                row.oldNumber = kTransferIn;
                if (name.isEmpty() || name == kEmpty) {
                    outcome.result = in.error(QStringLiteral("%1 人目の転入生には氏名が必要です").arg(transferLines));
                    return outcome;
                }
            }
            if (Result r = in.text(name, PromotionTable::ColName, row.name); !r) {
                outcome.result = r;
                return outcome;
            }
            if (!sex.isEmpty()) {
                if (sex == kEmpty)
                    row.sex.clear();
                else if (sexCell(sex).isEmpty()) {
                    outcome.result =
                        in.error(QStringLiteral("性別「%1」は 男、女、1、2 のどれでもありません").arg(sex));
                    return outcome;
                } else
                    row.sex = sexCell(sex);
            }
        } else {
            const int number = digitsValue(oldNumber);
            if (oldNumber.isEmpty() || number < 0) {
                outcome.result =
                    in.error(QStringLiteral("旧番号「%1」は旧クラスと番号（207 など）でも「転入」でもありません")
                                 .arg(fields.at(0)));
                return outcome;
            }
            for (int r = 1; r <= edited.rowCount() && target == 0; ++r) {
                if (!edited.row(r).isTransferIn() && edited.row(r).oldNumber == QString::number(number)) target = r;
            }
            if (target == 0) {
                outcome.result = in.error(edited.transferredOut(number)
                                              ? QStringLiteral("旧番号 %1 の生徒は転出済です").arg(number)
                                              : QStringLiteral("旧番号 %1 の生徒は名簿にいません").arg(number));
                return outcome;
            }
            if (seen.contains(number)) {
                outcome.result = in.error(QStringLiteral("旧番号 %1 の生徒が二度出てきます").arg(number));
                return outcome;
            }
            seen.insert(number);
            row = edited.row(target);
            if (!name.isEmpty() && name != row.name.trimmed()) {
                outcome.result = in.error(QStringLiteral("旧番号 %1 の氏名「%2」が名簿の「%3」と違います。"
                                                         "ほかの学年のファイルではありませんか")
                                              .arg(number)
                                              .arg(name, row.name.trimmed()));
                return outcome;
            }
            if (!sex.isEmpty() && sexCell(sex) != row.sex) {
                outcome.result = in.error(QStringLiteral("旧番号 %1 の性別「%2」が名簿の「%3」と違います。"
                                                         "ほかの学年のファイルではありませんか")
                                              .arg(number)
                                              .arg(sex, row.sex));
                return outcome;
            }
        }
        for (Result r :
             {in.text(fields.at(3), PromotionTable::ColFurigana, row.furigana), in.newClass(fields.at(4), row.newClass),
              in.newNumber(fields.at(5), row.newNumber), in.checkNewNumber(fields.at(5), row)}) {
            if (!r) {
                outcome.result = r;
                return outcome;
            }
        }
        if (target > 0)
            edited.setRow(target, row);
        else
            edited.appendRow(row);
    }
    table = edited;
    return outcome;
}

QString PromotionListText(const PromotionTable& table)
{
    QString text;
    for (int r = 1; r <= table.rowCount(); ++r) {
        for (int c = PromotionTable::ColOldNumber; c <= PromotionTable::ColNewNumber; ++c) {
            if (c > PromotionTable::ColOldNumber) text += QLatin1Char('\t');
            text += table.cellText(r, c);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace seiran
