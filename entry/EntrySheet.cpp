#include "EntrySheet.h"

#include "CareerCells.h"
#include "EntryColumns.h"
#include "GradeData.h"
#include "Helpers.h"
#include "ImportedValues.h"
#include "NaishinCells.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "ScoreCsvImport.h"
#include "ScoreEntryWindow.h"
#include "SubjectScoreCells.h"

#include <QStringDecoder>

namespace seiran {

QString EntrySheet::cell(int row, int col) const
{
    if (row < 1 || row > rowCount() || col < 0 || col >= mRows.at(row - 1).size()) return QString();
    return mRows.at(row - 1).at(col);
}

void EntrySheet::setCell(int row, int col, const QString& text)
{
    if (row < 1 || row > rowCount() || col < 0 || col >= mRows.at(row - 1).size()) return;
    mRows[row - 1][col] = text;
}

QString EntrySheet::exportText() const
{
    QString text = mHeaders.join(u'\t') + QStringLiteral("\r\n");
    for (const QStringList& row : mRows)
        text += row.join(u'\t') + QStringLiteral("\r\n");
    return text;
}

QList<QStringList> EntrySheet::csvRows() const
{
    QStringList header = mHeaders;
    if (header.size() > 3) header[3] = QStringLiteral("性別");
    QList<QStringList> rows{header};
    for (const QStringList& row : mRows) {
        QStringList trimmed = row;
        if (trimmed.size() > 1) trimmed[1] = trimmed.at(1).trimmed();
        rows << trimmed;
    }
    return rows;
}

QString EntrySheet::takeScoreField(int row, int col, const QString& field)
{
    QString why;
    const std::optional<QString> text = ImportedScoreText(field, why);
    if (!text) return why;
    setCell(row, col, *text);
    return QString();
}

std::optional<int> EntrySheet::storedValue(int, const QString& text, QString& why) const
{
    // A score by default: every screen but the naishin and career ones holds scores.
    const std::optional<QString> normal = ImportedScoreText(text, why);
    if (!normal) return std::nullopt;
    const std::optional<int> value = ScoreCellValue(*normal);
    if (!value) why = QStringLiteral("点数として保存できる範囲を超えています");
    return value;
}

QString EntrySheet::valueText(int, int value) const
{
    return ScoreToCellText(value);
}

void EntrySheet::setBaseValue(int row, int col, int value)
{
    mBaseValues.insert(qint64(row) * 1000 + col, value);
}

void EntrySheet::applyBaseValues(const std::function<void(int row, int column, int value)>& setLoaded) const
{
    for (auto it = mBaseValues.cbegin(); it != mBaseValues.cend(); ++it)
        setLoaded(int(it.key() / 1000), int(it.key() % 1000) - FirstDataCol + 1, it.value());
}

CsvImportPreview EntrySheet::previewCsv(const QList<CsvRecord>&, const CsvLayout&) const
{
    return {};
}

void EntrySheet::applyCsv(const CsvImportPreview&) {}

namespace {

// A sheet whose data columns a CSV file fills by the screen's columns (CsvCellColumns): the
// preview, and the lines taken into the cells.
class CellCsvSheet : public EntrySheet
{
public:
    explicit CellCsvSheet(GradeData& gd) : mGd(gd) {}

    bool takesCsv() const override { return true; }
    QStringList csvSubjectNames() const override { return csvColumns().names; }
    CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const override
    {
        return PreviewCellCsv(mGd, csvColumns(), records, layout);
    }
    void applyCsv(const CsvImportPreview& preview) override
    {
        for (const CsvImportLine& line : preview.lines) {
            if (line.outcome != CsvImportLine::Changed) continue;
            for (int k = 1; k <= line.cells.size(); ++k)
                if (!line.cells.at(k - 1).isEmpty())
                    importValue(line.student, FirstDataCol + k - 1, line.cells.at(k - 1));
        }
    }

protected:
    virtual CsvCellColumns csvColumns() const = 0;
    // A value of the columns into a cell (the cell's text by default).
    virtual void importValue(int row, int col, const QString& value) { setCell(row, col, value); }
    // The data cells as the columns read them.
    ScoreCellTextFn dataCells() const
    {
        return [this](int i, int k) { return cell(i, FirstDataCol + k - 1); };
    }

    GradeData& mGd;
};

// The score entry by test: the subjects of the test as columns, as the window shows them.
class TestScoreSheet final : public CellCsvSheet
{
public:
    explicit TestScoreSheet(GradeData& gd)
        : CellCsvSheet(gd), mSubjectCount(qBound(0, gd.currentTestSubjectCount(), 10))
    {
        mHeaders = FixedColumnHeaders() + TestSubjectNames(gd, mSubjectCount);
        for (int i = 1; i <= gd.studentCount; ++i) {
            QStringList row = FixedColumnTexts(gd, i, NumberStyle::AsRead);
            for (int j = 1; j <= mSubjectCount; ++j)
                row << ScoreToCellText(gd.scores(j, i));
            mRows << row;
        }
    }

    QString takeField(int row, int col, const QString& field) override { return takeScoreField(row, col, field); }

    Result save(IProgress& progress, SaveControl& control) override
    {
        const Result converted =
            ConvertCellsToScores(mGd, mSubjectCount, [this](int i, int j) { return cell(i, FirstDataCol + j - 1); });
        if (!converted) return converted;
        applyBaseValues([this](int i, int j, int v) { mGd.scoresAsLoaded(j, i) = v; });
        return SaveTestScores(mGd, progress, control);
    }

protected:
    CsvCellColumns csvColumns() const override
    {
        return ScoreCsvColumns(TestSubjectNames(mGd, mSubjectCount), dataCells());
    }

private:
    int mSubjectCount = 0;
};

class NaishinSheet final : public CellCsvSheet
{
public:
    explicit NaishinSheet(GradeData& gd) : CellCsvSheet(gd)
    {
        mHeaders = FixedColumnHeaders() + NaishinHeaders(gd);
        for (int i = 1; i <= gd.studentCount; ++i) {
            QStringList row = FixedColumnTexts(gd, i, NumberStyle::TwoWide);
            for (int j = 1; j <= Limits::NaishinPositions; ++j)
                row << NaishinPositionText(gd, j, i);
            mRows << row;
        }
    }

    QString takeField(int row, int col, const QString& field) override
    {
        // A position without a subject is locked here as on the screen: nothing goes into it.
        if (!NaishinPositionUsed(mGd, col - FirstDataCol + 1))
            return NarrowImportedField(field).isEmpty() ? QString() : QStringLiteral("この列には教科がありません");
        QString why;
        const std::optional<QString> text = ImportedNaishinText(field, why);
        if (!text) return why;
        setCell(row, col, *text);
        return QString();
    }

    Result save(IProgress& progress, SaveControl& control) override
    {
        const Result converted =
            ConvertCellsToNaishin(mGd, [this](int i, int j) { return cell(i, FirstDataCol + j - 1); });
        if (!converted) return converted;
        applyBaseValues([this](int i, int j, int v) { mGd.naishinAsLoaded(j, i) = v; });
        return SaveNaishin(mGd, progress, control);
    }

    std::optional<int> storedValue(int, const QString& text, QString& why) const override
    {
        const std::optional<QString> normal = ImportedNaishinText(text, why);
        if (!normal) return std::nullopt;
        return normal->toInt(); // empty is 0, as the save stores an emptied cell
    }
    QString valueText(int, int value) const override { return NaishinCellText(value); }

protected:
    CsvCellColumns csvColumns() const override { return NaishinCsvColumns(mGd, dataCells()); }
};

class CareerSheet final : public CellCsvSheet
{
public:
    explicit CareerSheet(GradeData& gd) : CellCsvSheet(gd)
    {
        mHeaders = FixedColumnHeaders() + CareerHeaders();
        for (int i = 1; i <= gd.studentCount; ++i) {
            QStringList row = FixedColumnTexts(gd, i, NumberStyle::TwoWide);
            for (int k = 1; k <= CareerChoiceCount; ++k)
                row << CareerCellText(gd, gd.careerChoice(k, i));
            mRows << row;
        }
    }

    QString takeField(int row, int col, const QString& field) override
    {
        QString why;
        const std::optional<int> choice = ImportedCareerChoice(mGd, field, why);
        if (!choice) return why;
        mGd.careerChoice(col - FirstDataCol + 1, row) = *choice;
        setCell(row, col, CareerCellText(mGd, *choice));
        return QString();
    }

    Result save(IProgress& progress, SaveControl& control) override
    {
        applyBaseValues([this](int i, int k, int v) { mGd.careerChoiceAsLoaded(k, i) = v; });
        return SaveCareerChoices(mGd, progress, control);
    }

    std::optional<int> storedValue(int, const QString& text, QString& why) const override
    {
        return ImportedCareerChoice(mGd, text, why);
    }
    QString valueText(int, int value) const override { return CareerCellText(mGd, value); }

protected:
    CsvCellColumns csvColumns() const override { return CareerCsvColumns(mGd); }
    // The choice is the school's number; the cell shows the school.
    void importValue(int row, int col, const QString& value) override
    {
        const int choice = value.toInt();
        mGd.careerChoice(col - FirstDataCol + 1, row) = choice;
        setCell(row, col, CareerCellText(mGd, choice));
    }
};

class SubjectScoreSheet final : public CellCsvSheet
{
public:
    SubjectScoreSheet(GradeData& gd, std::unique_ptr<SubjectScores> table) : CellCsvSheet(gd), mTable(std::move(table))
    {
        mHeaders = FixedColumnHeaders() + SubjectScoreHeaders(gd, *mTable);
        for (int i = 1; i <= gd.studentCount; ++i) {
            QStringList row = FixedColumnTexts(gd, i, NumberStyle::AsRead);
            for (int t = 1; t <= mTable->columnCount(); ++t)
                row << SubjectScoreCellText(mTable->loaded(t, i));
            mRows << row;
        }
    }

    QString takeField(int row, int col, const QString& field) override { return takeScoreField(row, col, field); }

    Result save(IProgress& progress, SaveControl& control) override
    {
        const Result converted =
            ConvertCellsToSubjectScores(mGd, *mTable, [this](int i, int t) { return cell(i, FirstDataCol + t - 1); });
        if (!converted) return converted;
        applyBaseValues([this](int i, int t, int v) { mTable->loaded(t, i) = v; });
        return SaveSubjectScores(mGd, *mTable, progress, control);
    }

    QString valueText(int, int value) const override { return SubjectScoreCellText(value); }

protected:
    CsvCellColumns csvColumns() const override
    {
        return ScoreCsvColumns(SubjectScoreHeaders(mGd, *mTable), dataCells());
    }

private:
    std::unique_ptr<SubjectScores> mTable;
};

QString decodeUtf8(const QByteArray& bytes, bool& valid)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(view);
    valid = !decoder.hasError();
    return text;
}

} // namespace

std::unique_ptr<EntrySheet> MakeNaishinSheet(GradeData& gd)
{
    return std::make_unique<NaishinSheet>(gd);
}

std::unique_ptr<EntrySheet> MakeCareerSheet(GradeData& gd)
{
    return std::make_unique<CareerSheet>(gd);
}

Result MakeTestScoreSheet(GradeData& gd, int test, IProgress& progress, std::unique_ptr<EntrySheet>& sheet)
{
    gd.currentTest = test;
    if (Result r = LoadTestScores(gd, progress); !r) return r;
    sheet = std::make_unique<TestScoreSheet>(gd);
    return Result::success();
}

Result MakeSubjectScoreSheet(GradeData& gd, int subject, const QList<int>& tests, IProgress& progress,
                             std::unique_ptr<EntrySheet>& sheet)
{
    auto table = std::make_unique<SubjectScores>();
    table->subject = subject;
    table->tests = tests;
    if (Result r = LoadSubjectScores(gd, *table, progress); !r) return r;
    sheet = std::make_unique<SubjectScoreSheet>(gd, std::move(table));
    return Result::success();
}

QString ImportProblem::describe() const
{
    QString where = QStringLiteral("%1行目").arg(line);
    if (!classText.isEmpty() || !numberText.isEmpty())
        where += QStringLiteral(" %1組 %2番").arg(classText.trimmed(), numberText.trimmed());
    if (columnNo > 0) where += QStringLiteral(" %1列目").arg(columnNo);
    if (!column.trimmed().isEmpty()) where += QStringLiteral(" %1").arg(column);
    return QStringLiteral("%1「%2」: %3").arg(where, text, reason);
}

ImportOutcome ReadSheetText(const EntrySheet& sheet, const QByteArray& bytes, QList<QStringList>& rows)
{
    ImportOutcome outcome;
    rows.clear();
    bool valid = false;
    const QString text = decodeUtf8(bytes, valid);
    if (!valid) {
        outcome.fault = QStringLiteral("UTF-8 として読めない文字があります");
        return outcome;
    }
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast(); // after the last line end
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    if (lines.isEmpty()) {
        outcome.fault = QStringLiteral("見出しの行がありません");
        return outcome;
    }
    if (lines.constFirst().split(u'\t') != sheet.headers()) {
        outcome.fault = QStringLiteral("1行目の見出しが画面の見出し（%1）と違います").arg(sheet.headers().join(u' '));
        return outcome;
    }
    if (lines.size() - 1 > sheet.rowCount()) {
        outcome.fault = QStringLiteral("%1行目: 行が多すぎます（生徒は %2 人です）")
                            .arg(sheet.rowCount() + 2)
                            .arg(sheet.rowCount());
        return outcome;
    }
    for (int row = 1; row < lines.size(); ++row) {
        const int lineNo = row + 1;
        const QStringList fields = lines.at(row).split(u'\t');
        const QString classText = fields.value(0).trimmed();
        const QString numberText = fields.value(1).trimmed();
        if (fields.size() < 2 || classText != sheet.cell(row, 0).trimmed() ||
            numberText != sheet.cell(row, 1).trimmed()) {
            outcome.fault = QStringLiteral("%1行目の組・番（%2組 %3番）が画面の %4 人目（%5組 %6番）と違います")
                                .arg(lineNo)
                                .arg(classText, numberText)
                                .arg(row)
                                .arg(sheet.cell(row, 0).trimmed(), sheet.cell(row, 1).trimmed());
            rows.clear();
            return outcome;
        }
        rows.append(fields);
    }
    return outcome;
}

ImportOutcome ImportSheetText(EntrySheet& sheet, const QByteArray& bytes, const QList<QStringList>* base)
{
    QList<QStringList> rows;
    ImportOutcome outcome = ReadSheetText(sheet, bytes, rows);
    if (!outcome.fault.isEmpty()) return outcome;
    for (int row = 1; row <= int(rows.size()); ++row) {
        const int lineNo = row + 1;
        const QStringList& fields = rows.at(row - 1);
        const QStringList* baseFields = base && row <= base->size() ? &base->at(row - 1) : nullptr;
        const int last = qMin(int(fields.size()), sheet.columnCount());
        for (int col = FirstDataCol; col < last; ++col) {
            const QString& field = fields.at(col);
            const QString before = sheet.cell(row, col);
            const bool hasBase = baseFields && col < baseFields->size();
            const QString baseField = hasBase ? baseFields->at(col) : QString();
            // A field as it was exported is one the teacher did not touch: what the grid holds
            // now (perhaps saved by someone else since) stays.
            if (hasBase && (field == baseField || NarrowImportedField(field) == NarrowImportedField(baseField)))
                continue;
            if (field == before) continue;
            const QString reason = sheet.takeField(row, col, field);
            if (!reason.isEmpty()) {
                outcome.refused.append(
                    {lineNo, sheet.cell(row, 0), sheet.cell(row, 1), col + 1, sheet.headers().at(col), field, reason});
                continue;
            }
            if (sheet.cell(row, col) == before) continue;
            ++outcome.changedCells;
            if (!hasBase || baseField == before || NarrowImportedField(baseField) == NarrowImportedField(before))
                continue;
            QString why;
            const std::optional<int> value = sheet.storedValue(col, baseField, why);
            if (!value) {
                outcome.refused.append({lineNo, sheet.cell(row, 0), sheet.cell(row, 1), col + 1,
                                        sheet.headers().at(col), baseField,
                                        QStringLiteral("基準ファイルの値を読めません（%1）").arg(why)});
                continue;
            }
            sheet.setBaseValue(row, col, *value);
        }
    }
    return outcome;
}

} // namespace seiran
