#include "ScoreCsvImport.h"

#include "CareerCells.h"
#include "GradeData.h"
#include "Helpers.h"
#include "NaishinCells.h"
#include "ScoreCells.h"

namespace seiran {

namespace {

QString withoutBlanks(const QString& text)
{
    QString t;
    for (const QChar c : text)
        if (!c.isSpace() && c != QChar(0x3000)) t += c;
    return t;
}

int findStudent(const GradeData& gd, int classNo, int number)
{
    for (int i = gd.classStart[classNo]; i < gd.classEnd(classNo); ++i)
        if (gd.studentNumber[i] == number) return i;
    return 0;
}

QString shownCell(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("（空）") : text;
}

} // namespace

QStringList TestSubjectNames(const GradeData& gd, int subjectCount)
{
    QStringList names;
    for (int j = 1; j <= subjectCount; ++j)
        names << gd.subjectNames[j];
    return names;
}

CsvCellColumns ScoreCsvColumns(const QStringList& names, const ScoreCellTextFn& cellText)
{
    CsvCellColumns columns;
    columns.names = names;
    columns.read = [](int, const QString& field, QString& why) { return ImportedScoreText(field, why); };
    columns.current = cellText;
    return columns;
}

CsvCellColumns NaishinCsvColumns(const GradeData& gd, const ScoreCellTextFn& cellText)
{
    CsvCellColumns columns;
    columns.names = NaishinHeaders(gd);
    columns.read = [&gd](int k, const QString& field, QString& why) -> std::optional<QString> {
        if (!NaishinPositionUsed(gd, k)) {
            if (NarrowImportedField(field).isEmpty()) return QString();
            why = QStringLiteral("この列には教科がありません");
            return std::nullopt;
        }
        return ImportedNaishinText(field, why);
    };
    columns.current = cellText;
    return columns;
}

CsvCellColumns CareerCsvColumns(const GradeData& gd)
{
    CsvCellColumns columns;
    columns.names = CareerHeaders();
    columns.read = [&gd](int, const QString& field, QString& why) -> std::optional<QString> {
        // An empty field leaves the choice; "なし" or 0 clears it.
        if (NarrowImportedField(field).isEmpty()) return QString();
        const std::optional<int> choice = ImportedCareerChoice(gd, field, why);
        if (!choice) return std::nullopt;
        return QString::number(*choice);
    };
    columns.current = [&gd](int student, int k) { return QString::number(gd.careerChoice(k, student)); };
    columns.shown = [&gd](int, const QString& value) {
        const int choice = value.toInt();
        if (choice == 0) return QStringLiteral("なし");
        const QString name = CareerCellText(gd, choice).trimmed();
        return name.isEmpty() ? value : name;
    };
    return columns;
}

CsvImportPreview PreviewScoreCsv(const GradeData& gd, int subjectCount, const ScoreCellTextFn& cellText,
                                 const QList<CsvRecord>& records, const CsvLayout& layout)
{
    return PreviewCellCsv(gd, ScoreCsvColumns(TestSubjectNames(gd, subjectCount), cellText), records, layout);
}

CsvImportPreview PreviewCellCsv(const GradeData& gd, const CsvCellColumns& columns, const QList<CsvRecord>& records,
                                const CsvLayout& layout)
{
    CsvImportPreview preview;
    const QStringList& subjects = columns.names;
    const auto shown = [&columns](int k, const QString& value) {
        return shownCell(columns.shown ? columns.shown(k, value) : value);
    };
    for (int r = layout.headerRecord + 1; r < records.size(); ++r) {
        const CsvRecord& record = records.at(r);
        CsvImportLine line;
        line.line = record.line;
        line.classText = CsvField(record, layout, CsvRole::Class);
        line.numberText = CsvField(record, layout, CsvRole::Number);
        const auto refuse = [&](const QString& why) {
            line.outcome = CsvImportLine::Refused;
            line.detail = why;
            preview.lines << line;
        };
        QString why;
        const std::optional<int> lineGrade = ParseCsvGrade(CsvField(record, layout, CsvRole::Grade), why);
        if (!lineGrade) {
            refuse(why);
            continue;
        }
        if (*lineGrade != 0 && *lineGrade != gd.currentGrade) {
            line.outcome = CsvImportLine::OtherGrade;
            line.detail = QStringLiteral("%1年の行です").arg(*lineGrade);
            preview.lines << line;
            continue;
        }
        const std::optional<int> classNo = ParseCsvClass(line.classText, gd.classLabels, gd.classCount, why);
        const std::optional<int> number = classNo ? ParseCsvNumber(line.numberText, why) : std::nullopt;
        if (!classNo || !number) {
            refuse(why);
            continue;
        }
        line.classNo = *classNo;
        line.number = *number;
        line.classText = gd.classLabel(*classNo);
        const int student = findStudent(gd, *classNo, *number);
        if (student == 0) {
            refuse(QStringLiteral("この席に在籍する生徒がいません"));
            continue;
        }
        line.student = student;
        line.name = gd.studentName[student].trimmed();
        if (layout.has(CsvRole::Name)) {
            const QString name = CsvField(record, layout, CsvRole::Name);
            if (!withoutBlanks(name).isEmpty() &&
                withoutBlanks(NormalizedKC(name)) != withoutBlanks(NormalizedKC(gd.studentName[student]))) {
                refuse(QStringLiteral("氏名「%1」が名簿の「%2」と違います").arg(TrimCsvText(name), line.name));
                continue;
            }
        }
        QStringList changes;
        QStringList problems;
        for (int j = 1; j <= int(subjects.size()); ++j) {
            const QString field = CsvField(record, layout, CsvRole::SubjectBase + j);
            const std::optional<QString> value = columns.read(j, field, why);
            if (!value) {
                problems << QStringLiteral("%1「%2」: %3").arg(subjects.at(j - 1), field, why);
                line.cells << QString();
                continue;
            }
            line.cells << *value;
            const QString before = columns.current(student, j);
            if (!value->isEmpty() && *value != before)
                changes << QStringLiteral("%1 %2 → %3").arg(subjects.at(j - 1), shown(j, before), shown(j, *value));
        }
        if (!problems.isEmpty()) {
            refuse(problems.join(QStringLiteral("、")));
            continue;
        }
        line.outcome = changes.isEmpty() ? CsvImportLine::Unchanged : CsvImportLine::Changed;
        line.detail = changes.join(QStringLiteral("、"));
        preview.lines << line;
    }
    RefuseSharedSeats(preview);
    return preview;
}

} // namespace seiran
