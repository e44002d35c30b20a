#include "TargetSchoolLists.h"

#include "CareerCommon.h"
#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "ReportCommon.h"

#include <algorithm>

namespace seiran {

namespace {
constexpr double TitleSize = 12.0;
constexpr double BodySize = 10.0;
// Class sheet: the point cell of position j is [PointLeft + 4j, PointLeft + 4j + 4).
constexpr double PointLeft = 43.5;
constexpr double PointWidth = 4.0;
constexpr double ClassRuleEnd = 91.0;
constexpr int ClassFirstRow = 3;
constexpr int DistributionRows = 10;
// Point table: column j is [6j + 1, 6j + 7).
constexpr double TableRuleEnd = 60.0;
// Applicant list.
constexpr double ApplicantRuleEnd = 55.0;
constexpr double ApplicantCountLeft = 40.5;

void setTitleFont(PageCanvas& canvas, const GradeData& gd)
{
    canvas.SetFont(CanvasFont{gd.fontGothic, TitleSize, false});
}

void setBodyFont(PageCanvas& canvas, const GradeData& gd)
{
    canvas.SetFont(CanvasFont{gd.fontMincho, BodySize, false});
}

double pointCellLeft(int position)
{
    return PointLeft + PointWidth * position;
}

// The count of one value in a position's cell: a "1.男女別" subject shows boys and girls side
// by side, one column left and right of the cell's centre; any other subject its total.
void printCountCell(PageCanvas& canvas, const GradeData& gd, int subject, int boys, int girls, int total, double left,
                    double width, double y, double splitOffset, bool halves)
{
    if (subject >= 1 && gd.subjectKind[subject] == 1) {
        if (halves) {
            PrintCentred(canvas, QString::number(boys), left, width / 2, y);
            PrintCentred(canvas, QString::number(girls), left + width / 2, width / 2, y);
        } else {
            const double centre = left + width / 2;
            const QString b = QString::number(boys);
            const QString g = QString::number(girls);
            canvas.PrintAt(b, centre - splitOffset - canvas.TextWidth(b) / 2, y);
            canvas.PrintAt(g, centre + splitOffset - canvas.TextWidth(g) / 2, y);
        }
        return;
    }
    PrintCentred(canvas, QString::number(total), left, width, y);
}

void drawTitle(PageCanvas& canvas, const GradeData& gd, const QString& title, const QString& stamp)
{
    setTitleFont(canvas, gd);
    canvas.PrintAt(title, 1, 0.8);
    setBodyFont(canvas, gd);
    canvas.Print(stamp);
}
} // namespace

int PointDistribution::index(int classNo, int position, int value, int sex)
{
    return ((classNo * 10 + position) * 11 + value) * 3 + sex;
}

int PointDistribution::count(int classNo, int position, int value, int sex) const
{
    if (classNo < 0 || classNo > Limits::Classes || position < 1 || position > NaishinPositionCount || value < 1 ||
        value > MaxValue || sex < 0 || sex > 2)
        return 0;
    return mCounts[std::size_t(index(classNo, position, value, sex))];
}

PointDistribution PointDistribution::Build(const GradeData& gd)
{
    PointDistribution d;
    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    for (int s = 1; s <= pupils; ++s) {
        const int c = gd.studentClass[s];
        if (c < 1 || c > Limits::Classes) continue;
        const int sex = gd.studentSex[s];
        for (int j = 1; j <= NaishinPositionCount; ++j) {
            if (NaishinSubject(gd, j) == 0) continue;
            const int v = gd.naishin(j, s);
            if (v < 1 || v > MaxValue) continue;
            d.mCounts[std::size_t(index(c, j, v, 0))] += 1;
            d.mCounts[std::size_t(index(0, j, v, 0))] += 1;
            if (sex == 1 || sex == 2) {
                d.mCounts[std::size_t(index(c, j, v, sex))] += 1;
                d.mCounts[std::size_t(index(0, j, v, sex))] += 1;
            }
        }
    }
    return d;
}

QList<ApplicantCount> CountFirstChoices(const GradeData& gd)
{
    const int schools = std::clamp(gd.highSchoolCount, 0, Limits::HighSchools);
    QList<ApplicantCount> counts(schools + 1);
    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    for (int s = 1; s <= pupils; ++s) {
        const int h = gd.careerChoice(1, s);
        if (!IsSchoolEntry(gd, h)) continue;
        counts[h].total += 1;
        if (gd.studentSex[s] == 1) counts[h].boys += 1;
        if (gd.studentSex[s] == 2) counts[h].girls += 1;
    }
    return counts;
}

int NaishinPointSum(const GradeData& gd, int s)
{
    int sum = 0;
    for (int j = 1; j <= NaishinPositionCount; ++j)
        if (NaishinSubject(gd, j) != 0) sum += gd.naishin(j, s);
    return sum;
}

double WeightedNaishinSum(const GradeData& gd, int s)
{
    double sum = 0.0;
    for (int j = 1; j <= NaishinPositionCount; ++j)
        if (const int subject = NaishinSubject(gd, j); subject != 0)
            sum += gd.naishin(j, s) * SubjectMultiplier(gd, subject);
    return sum;
}

QList<TargetClassSheet> PlanTargetClassSheets(int size, int rows)
{
    size = std::max(0, size);
    // Rows ClassFirstRow .. rows - 1 of a sheet hold pupils and distribution lines.
    const int perSheet = std::max(1, rows - ClassFirstRow);
    QList<TargetClassSheet> sheets;
    int next = 1;
    while (size - next + 1 > perSheet) {
        sheets.append(TargetClassSheet{next, next + perSheet - 1, false});
        next += perSheet;
    }
    const int remaining = size - next + 1;
    if (remaining + DistributionRows <= perSheet || perSheet < DistributionRows) {
        sheets.append(TargetClassSheet{next, size, true});
    } else {
        // The distribution does not fit under the last pupils: it gets a sheet of its own.
        if (remaining > 0) sheets.append(TargetClassSheet{next, size, false});
        sheets.append(TargetClassSheet{size + 1, size, true});
    }
    return sheets;
}

void DrawTargetClassSheet(PageCanvas& canvas, const GradeData& gd, const PointDistribution& counts, int classNo,
                          const TargetClassSheet& sheet)
{
    if (classNo < 1 || classNo > std::min(gd.classCount, Limits::Classes)) return;
    const QDateTime now = ReportClockNow();
    drawTitle(canvas, gd,
              QStringLiteral("志望校・内申点　一覧表　　") + QString::number(gd.currentGrade) + QStringLiteral("年") +
                  gd.classLabel(classNo) + QStringLiteral("組"),
              QStringLiteral("　　　     (印刷日時 ") + StampMoment(now) + u')');

    canvas.PrintAt(QStringLiteral("No. 氏　名"), 1, 2);
    canvas.PrintAt(QStringLiteral("第１志望"), 16, 2);
    canvas.PrintAt(QStringLiteral("第２志望"), 24, 2);
    canvas.PrintAt(QStringLiteral("併　　願"), 32, 2);
    canvas.PrintAt(QStringLiteral("推　　薦"), 40, 2);
    for (int j = 1; j <= NaishinPositionCount; ++j)
        PrintCentred(canvas, SubjectInitial(gd, NaishinSubject(gd, j)), pointCellLeft(j), PointWidth, 2);
    canvas.PrintAt(QStringLiteral("合計"), 84, 2);
    canvas.PrintAt(QStringLiteral("内申"), 88, 2);
    canvas.Line(1, 1.9, ClassRuleEnd, 1.9);
    canvas.Line(1, 2.9, ClassRuleEnd, 2.9);

    const int size = ClassPupilCount(gd, classNo);
    const int first = std::max(1, sheet.first);
    const int last = std::min(sheet.last, size);
    int y = ClassFirstRow;
    for (int m = first; m <= last; ++m, ++y) {
        const int s = gd.classStart[classNo] + m - 1;
        canvas.PrintAt(FormatRightAligned(QStringLiteral("##"), gd.studentNumber[s]) + u' ' + gd.studentName[s], 1, y);
        for (int k = 1; k <= 4; ++k)
            canvas.PrintAt(SchoolShortName(gd, gd.careerChoice(k, s)), 8 + 8 * k, y);
        for (int j = 1; j <= NaishinPositionCount; ++j) {
            const int v = gd.naishin(j, s);
            if (NaishinSubject(gd, j) != 0 && v > 0)
                PrintCentred(canvas, QString::number(v), pointCellLeft(j), PointWidth, y);
        }
        canvas.PrintAt(QString::number(NaishinPointSum(gd, s)), 84, y);
        canvas.PrintAt(PlainDecimal(WeightedNaishinSum(gd, s)), 88, y);
        if (ClosesGroupOfFive(gd, classNo, m)) canvas.Line(1, y + 0.9, ClassRuleEnd, y + 0.9);
    }
    if (!sheet.distribution) return;

    for (int value = PointDistribution::MaxValue; value >= 1; --value, ++y) {
        if (value == PointDistribution::MaxValue) canvas.PrintAt(QStringLiteral("内申点分布"), 4, y);
        PrintCentred(canvas, QString::number(value), 43, 4, y);
        for (int j = 1; j <= NaishinPositionCount; ++j) {
            const int subject = NaishinSubject(gd, j);
            if (subject == 0) continue;
            printCountCell(canvas, gd, subject, counts.count(classNo, j, value, 1), counts.count(classNo, j, value, 2),
                           counts.count(classNo, j, value, 0), pointCellLeft(j), PointWidth, y, 1.0, false);
        }
    }
}

void DrawPointTable(PageCanvas& canvas, const GradeData& gd, const PointDistribution& counts)
{
    drawTitle(canvas, gd, QStringLiteral("内申点別人数一覧表"),
              QStringLiteral("　　(印刷日時 ") + StampMoment(ReportClockNow()) + u')');
    for (int j = 1; j <= NaishinPositionCount; ++j) {
        const int subject = NaishinSubject(gd, j);
        if (subject != 0) canvas.PrintAt(gd.subjectNames[subject].trimmed(), 6 * j + 1, 2);
    }
    canvas.Line(1, 1.9, TableRuleEnd, 1.9);
    canvas.Line(1, 2.9, TableRuleEnd, 2.9);
    int y = 3;
    for (int value = PointDistribution::MaxValue; value >= 1; --value, ++y) {
        canvas.SetFontName(gd.fontGothic);
        canvas.PrintAt(FormatRightAligned(QStringLiteral("###"), value), 2, y);
        canvas.SetFontName(gd.fontMincho);
        for (int j = 1; j <= NaishinPositionCount; ++j) {
            const int subject = NaishinSubject(gd, j);
            if (subject == 0) continue;
            printCountCell(canvas, gd, subject, counts.count(0, j, value, 1), counts.count(0, j, value, 2),
                           counts.count(0, j, value, 0), 6 * j + 1, 6, y, 0.0, true);
        }
    }
    canvas.Line(1, 12.9, TableRuleEnd, 12.9);
}

int ApplicantsPerSheet(int rows)
{
    return std::max(1, rows - 3);
}

void DrawApplicantSheet(PageCanvas& canvas, const GradeData& gd, const QList<ApplicantCount>& counts, int first,
                        int last)
{
    drawTitle(canvas, gd, QStringLiteral("志望校別人数一覧表(第１志望校)"),
              QStringLiteral("　　(印刷日時 ") + StampMoment(ReportClockNow()) + u')');
    canvas.PrintAt(QStringLiteral("高校名"), 2, 2);
    canvas.PrintAt(QStringLiteral("学科名"), 20, 2);
    canvas.PrintAt(QStringLiteral("志望者"), 40, 2);
    canvas.PrintAt(QStringLiteral("男子"), 46, 2);
    canvas.PrintAt(QStringLiteral("女子"), 51, 2);
    canvas.Line(1, 1.9, ApplicantRuleEnd, 1.9);
    canvas.Line(1, 2.9, ApplicantRuleEnd, 2.9);

    last = std::min(last, int(counts.size()) - 1);
    int y = 3;
    for (int h = std::max(1, first); h <= last; ++h, ++y) {
        // Several courses of one school share its name: the name and the rule above it come
        // with the first of them (and at the top of every sheet).
        const bool newSchool = h == first || gd.highSchoolNames[h] != gd.highSchoolNames[h - 1];
        if (newSchool) {
            canvas.PrintAt(gd.highSchoolNames[h].trimmed(), 2, y);
            if (y > 3) canvas.Line(1, y - 0.1, ApplicantRuleEnd, y - 0.1);
        }
        canvas.PrintAt(gd.highSchoolCourses[h].trimmed(), 20, y);
        const ApplicantCount& a = counts.at(h);
        PrintCentred(canvas, QString::number(a.total), ApplicantCountLeft, 5, y);
        PrintCentred(canvas, QString::number(a.boys), ApplicantCountLeft + 5, 5, y);
        PrintCentred(canvas, QString::number(a.girls), ApplicantCountLeft + 10, 5, y);
    }
    canvas.Line(1, y - 0.1, ApplicantRuleEnd, y - 0.1);
}

int PrintTargetSchoolLists(PageCanvas& printer, const GradeData& gd, const TargetSchoolSelection& selection)
{
    const bool classSheets = selection.classSheets && !selection.classes.isEmpty();
    PrintRun run(printer, gd);
    const int rows = SheetRows(printer, gd);
    PointDistribution counts;
    if (selection.classSheets || selection.pointTable) counts = PointDistribution::Build(gd);
    if (classSheets) {
        for (int c : selection.classes) {
            if (c < 1 || c > std::min(gd.classCount, Limits::Classes)) continue;
            for (const TargetClassSheet& sheet : PlanTargetClassSheets(ClassPupilCount(gd, c), rows)) {
                run.startSheet();
                DrawTargetClassSheet(printer, gd, counts, c, sheet);
            }
        }
    }
    if (selection.pointTable) {
        run.startSheet();
        DrawPointTable(printer, gd, counts);
    }
    if (selection.applicants) {
        const QList<ApplicantCount> applicants = CountFirstChoices(gd);
        const int schools = int(applicants.size()) - 1;
        const int perSheet = ApplicantsPerSheet(rows);
        int first = 1;
        do {
            run.startSheet();
            DrawApplicantSheet(printer, gd, applicants, first, std::min(schools, first + perSheet - 1));
            first += perSheet;
        } while (first <= schools);
    }
    run.finish();
    return run.sheets();
}

} // namespace seiran
