#include "ScoreCsvImport.h"

#include "GradeData.h"
#include "Helpers.h"
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

CsvImportPreview PreviewScoreCsv(const GradeData& gd, int subjectCount, const ScoreCellTextFn& cellText,
                                 const QList<CsvRecord>& records, const CsvLayout& layout)
{
    CsvImportPreview preview;
    const QStringList subjects = TestSubjectNames(gd, subjectCount);
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
        for (int j = 1; j <= subjectCount; ++j) {
            const QString field = CsvField(record, layout, CsvRole::SubjectBase + j);
            const std::optional<QString> text = ImportedScoreText(field, why);
            if (!text) {
                problems << QStringLiteral("%1「%2」: %3").arg(subjects.at(j - 1), field, why);
                line.cells << QString();
                continue;
            }
            line.cells << *text;
            const QString before = cellText(student, j);
            if (!text->isEmpty() && *text != before)
                changes << QStringLiteral("%1 %2 → %3").arg(subjects.at(j - 1), shownCell(before), *text);
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
