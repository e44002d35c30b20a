#include "RosterCsvImport.h"

#include "RosterEditModel.h"
#include "StudentRecord.h"

namespace seiran {

namespace {

QString sexText(int sex)
{
    return sex == 1 ? QStringLiteral("男") : sex == 2 ? QStringLiteral("女") : QString();
}

QString seatSummary(const RosterSeat& s)
{
    QStringList parts{s.name};
    if (s.sex != 0) parts << sexText(s.sex);
    if (!s.furigana.isEmpty()) parts << s.furigana;
    return parts.join(u' ');
}

QString importedName(const CsvRecord& record, const CsvLayout& layout)
{
    if (layout.has(CsvRole::Name)) return TrimCsvText(CsvField(record, layout, CsvRole::Name));
    const QString surname = TrimCsvText(CsvField(record, layout, CsvRole::Surname));
    const QString given = TrimCsvText(CsvField(record, layout, CsvRole::GivenName));
    if (surname.isEmpty() || given.isEmpty()) return surname + given;
    return surname + QStringLiteral("　") + given;
}

void refuse(CsvImportLine& line, const QString& why)
{
    line.outcome = CsvImportLine::Refused;
    line.detail = why;
}

} // namespace

CsvImportPreview PreviewRosterCsv(const RosterEditModel& model, const QList<CsvRecord>& records,
                                  const CsvLayout& layout, const QString& classLabels, int grade)
{
    CsvImportPreview preview;
    for (int r = layout.headerRecord + 1; r < records.size(); ++r) {
        const CsvRecord& record = records.at(r);
        CsvImportLine line;
        line.line = record.line;
        line.classText = CsvField(record, layout, CsvRole::Class);
        line.numberText = CsvField(record, layout, CsvRole::Number);
        QString why;

        const std::optional<int> lineGrade = ParseCsvGrade(CsvField(record, layout, CsvRole::Grade), why);
        if (!lineGrade) {
            refuse(line, why);
            preview.lines << line;
            continue;
        }
        if (*lineGrade != 0 && *lineGrade != grade) {
            line.outcome = CsvImportLine::OtherGrade;
            line.detail = QStringLiteral("%1年の行です").arg(*lineGrade);
            preview.lines << line;
            continue;
        }
        const QString name = importedName(record, layout);
        if (name.isEmpty()) {
            line.outcome = CsvImportLine::NoName;
            preview.lines << line;
            continue;
        }
        const std::optional<int> classNo = ParseCsvClass(line.classText, classLabels, model.classCount(), why);
        const std::optional<int> number = classNo ? ParseCsvNumber(line.numberText, why) : std::nullopt;
        if (!classNo || !number) {
            refuse(line, why);
            preview.lines << line;
            continue;
        }
        line.classNo = *classNo;
        line.number = *number;
        line.classText = classLabels.mid(*classNo - 1, 1);
        const std::optional<int> sex = ParseCsvSex(CsvField(record, layout, CsvRole::Sex), why);
        if (!sex) {
            refuse(line, why);
            preview.lines << line;
            continue;
        }
        const QString furigana = TrimCsvText(CsvField(record, layout, CsvRole::Furigana));
        if (const QString bad = UnstorableCharacters(name + furigana); !bad.isEmpty()) {
            refuse(line, QStringLiteral("名簿に記録できない文字があります %1").arg(DescribeCharacters(bad)));
            preview.lines << line;
            continue;
        }
        const QString storedName = StoredFieldText(name, StudentRecord::NameWidth);
        const QString storedFurigana = StoredFieldText(furigana, StudentRecord::FuriganaWidth);
        if (storedName != name) line.cutNotices << FieldCutMessage(RosterEditModel::ColName, storedName);
        if (storedFurigana != furigana)
            line.cutNotices << FieldCutMessage(RosterEditModel::ColFurigana, storedFurigana);

        const RosterSeat& now = model.seat(*classNo, *number);
        RosterSeat after = now;
        switch (now.flag) {
        case StudentRecord::Free:
            after = RosterSeat{storedName, storedFurigana, *sex, StudentRecord::InUse};
            line.outcome = CsvImportLine::New;
            break;
        case StudentRecord::InUse:
            after.name = storedName;
            if (*sex != 0) after.sex = *sex;
            if (!storedFurigana.isEmpty()) after.furigana = storedFurigana;
            line.outcome = after == now ? CsvImportLine::Unchanged : CsvImportLine::Changed;
            if (line.outcome == CsvImportLine::Changed)
                line.detail = QStringLiteral("%1 → %2").arg(seatSummary(now), seatSummary(after));
            break;
        case StudentRecord::TransferredOut:
            if (storedName == now.name && (*sex == 0 || *sex == now.sex) &&
                (storedFurigana.isEmpty() || storedFurigana == now.furigana)) {
                line.outcome = CsvImportLine::Unchanged;
            } else {
                refuse(line, QStringLiteral("転出済の席です（%1）").arg(seatSummary(now)));
            }
            break;
        default:
            refuse(line, QStringLiteral("この席は変更できません（記録の区分 %1）").arg(now.flag));
            break;
        }
        line.name = after.name;
        line.furigana = after.furigana;
        line.sex = after.sex;
        preview.lines << line;
    }
    RefuseSharedSeats(preview);
    return preview;
}

void ApplyRosterCsv(RosterEditModel& model, const CsvImportPreview& preview)
{
    for (const CsvImportLine& line : preview.lines) {
        if (line.outcome != CsvImportLine::New && line.outcome != CsvImportLine::Changed) continue;
        RosterSeat seat = model.seat(line.classNo, line.number);
        seat.name = line.name;
        seat.furigana = line.furigana;
        seat.sex = line.sex;
        if (seat.flag == StudentRecord::Free) seat.flag = StudentRecord::InUse;
        model.setSeat(line.classNo, line.number, seat);
    }
}

QList<QStringList> RosterCsvRows(const RosterEditModel& model, const QString& classLabels)
{
    QList<QStringList> rows{{QStringLiteral("組"), QStringLiteral("番"), QStringLiteral("氏名"), QStringLiteral("性別"),
                             QStringLiteral("ふりがな"), QStringLiteral("備考")}};
    for (int k = 1; k <= model.classCount(); ++k) {
        for (int r = 1; r <= RosterEditModel::Seats; ++r) {
            rows << QStringList{classLabels.mid(k - 1, 1),
                                QString::number(r),
                                model.cellText(k, r, RosterEditModel::ColName),
                                model.cellText(k, r, RosterEditModel::ColSex),
                                model.cellText(k, r, RosterEditModel::ColFurigana),
                                model.cellText(k, r, RosterEditModel::ColRemark)};
        }
    }
    return rows;
}

} // namespace seiran

#include "EntryCommand.h"
#include "EntrySheet.h"
#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"

namespace seiran {

namespace {

// The roster editor's seats of every class, as the command exports and imports them.
class RosterSheet final : public EntrySheet
{
public:
    RosterSheet(const GradeData& gd, std::unique_ptr<RosterEditModel> model)
        : mPath(RosterFile::pathFor(gd)), mLabels(gd.classLabels), mGrade(gd.currentGrade), mModel(std::move(model))
    {
        const QList<QStringList> rows = RosterCsvRows(*mModel, mLabels);
        mHeaders = rows.first();
        mRows = rows.mid(1);
    }

    QString takeField(int, int, const QString&) override
    {
        return QStringLiteral("名簿は --import-csv で取り込みます");
    }
    // The roster is written only under the exclusive lock of the grade: nothing to merge.
    Result save(IProgress& progress, SaveControl&) override { return mModel->save(mPath, progress); }
    QList<QStringList> csvRows() const override { return RosterCsvRows(*mModel, mLabels); }
    bool takesCsv() const override { return true; }
    bool csvNeedsName() const override { return true; }
    CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const override
    {
        return PreviewRosterCsv(*mModel, records, layout, mLabels, mGrade);
    }
    void applyCsv(const CsvImportPreview& preview) override { ApplyRosterCsv(*mModel, preview); }

private:
    QString mPath;
    QString mLabels;
    int mGrade = 0;
    std::unique_ptr<RosterEditModel> mModel;
};

} // namespace

void RegisterRosterEntryScreen()
{
    AddEntryScreen({QStringLiteral("meibo"),
                    QStringLiteral("名簿の編集"),
                    {},
                    [](GradeData& gd, const QMap<QString, QString>&, QTextStream&, std::unique_ptr<EntrySheet>& sheet) {
                        auto model = std::make_unique<RosterEditModel>();
                        const int classCount = qBound(0, gd.classCount, RosterEditModel::MaxClasses);
                        if (Result r = model->load(RosterFile::pathFor(gd), classCount, NullProgress::instance()); !r)
                            return r;
                        sheet = std::make_unique<RosterSheet>(gd, std::move(model));
                        return Result::success();
                    },
                    true,
                    true});
}

} // namespace seiran
