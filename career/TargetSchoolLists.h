#pragma once

#include <QList>
#include <vector>

namespace seiran {

class PageCanvas;
struct GradeData;

// The lists of the pupils' target schools and 内申点: a sheet per class, the grade's table of
// pupils per point value, and the first-choice applicants per high school.

// Pupils per point value: count(class, position, value, sex) with class 0 the whole grade,
// position 1..9, value 1..10 and sex 0 both sexes, 1 boys, 2 girls. A point outside 1..10 is
// counted nowhere; a pupil without a sex counts in the totals only.
class PointDistribution
{
public:
    static constexpr int MaxValue = 10;

    static PointDistribution Build(const GradeData& gd);
    int count(int classNo, int position, int value, int sex) const;

private:
    static int index(int classNo, int position, int value, int sex);
    std::vector<int> mCounts = std::vector<int>(10 * 10 * 11 * 3, 0);
};

// First-choice applicants of one entry of the high-school list.
struct ApplicantCount
{
    int total = 0;
    int boys = 0;
    int girls = 0;
};
// Entries 1..highSchoolCount (entry 0 unused). A choice that is no entry of the list counts
// nowhere.
QList<ApplicantCount> CountFirstChoices(const GradeData& gd);

// "合計": the pupil's nine points added as they are stored.
int NaishinPointSum(const GradeData& gd, int s);
// "内申": the points weighted by their subjects' multipliers, not rounded.
double WeightedNaishinSum(const GradeData& gd, int s);

// The part of a class's sheet that one printed sheet holds: pupils first..last of the class
// (none when last < first) and, when `distribution` is set, the point distribution under them.
struct TargetClassSheet
{
    int first = 1;
    int last = 0;
    bool distribution = true;

    bool operator==(const TargetClassSheet&) const = default;
};
// The sheets of a class of `size` pupils when `rows` whole rows lie below a sheet's origin.
QList<TargetClassSheet> PlanTargetClassSheets(int size, int rows);
// One sheet of the class list (title, header, its pupils, the distribution if it has it).
void DrawTargetClassSheet(PageCanvas& canvas, const GradeData& gd, const PointDistribution& counts, int classNo,
                          const TargetClassSheet& sheet);
// The grade's table of pupils per point value.
void DrawPointTable(PageCanvas& canvas, const GradeData& gd, const PointDistribution& counts);
// Entries first..last of the applicant list on one sheet.
void DrawApplicantSheet(PageCanvas& canvas, const GradeData& gd, const QList<ApplicantCount>& counts, int first,
                        int last);
// Entries per applicant sheet when `rows` whole rows lie below a sheet's origin.
int ApplicantsPerSheet(int rows);

// What a print run of the lists holds.
struct TargetSchoolSelection
{
    bool classSheets = true; // one sheet per class in `classes`
    bool pointTable = true;
    bool applicants = true;
    QList<int> classes; // ascending
};
// Prints the chosen lists as one print run (class sheets in class order, then the point table,
// then the applicant list) and ends the job when a sheet was drawn. Returns the number of
// sheets: 0 when nothing was chosen.
int PrintTargetSchoolLists(PageCanvas& printer, const GradeData& gd, const TargetSchoolSelection& selection);

} // namespace seiran
