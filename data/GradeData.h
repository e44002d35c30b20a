#pragma once

#include "Tables.h"

#include <QString>
#include <optional>

namespace seiran {

// Capacities of the grade's tables.
namespace Limits {
constexpr int Classes = 9;
constexpr int NumbersPerClass = 60;
constexpr int Students = 400;
constexpr int Subjects = 10;
constexpr int Tests = 30;
constexpr int ScoreSlots = 200;
constexpr int TestSubjects = 10;
constexpr int NaishinSlots = 12;
constexpr int NaishinPositions = 9;
constexpr int Choices = 4;
constexpr int HighSchoolsInFile = 99;
constexpr int HighSchools = 100;
constexpr int ReportItems = 20;
} // namespace Limits

// Score codes shared by the file, memory, grids and reports.
namespace ScoreCode {
constexpr int Absent = -1;       // typed "-"
constexpr int NotEntered = -5;   // empty cell; also a five-subject total with a missing subject
constexpr int BracketBase = -10; // "-d" is stored as -d - 10
} // namespace ScoreCode

// The tables of the current grade. One instance is owned by the application and passed to
// every window and function; tests build their own. Indices are those the program counts
// with: pupils 1..400, classes 1..9 (0 = the whole grade in the aggregates), subjects 1..10,
// tests 1..30.
struct GradeData
{
    // Current selection
    int currentGrade = 0; // 1..3, 0 = not chosen yet
    int currentTest = 0;  // 1..testCount; -1 after a cancelled choice
    int studentCount = 0;
    int classCount = 0;
    int testCount = 0;
    int subjectCount = 0;
    QString dataFolder;                                // ends in the path separator
    QString classLabels = QStringLiteral("123456789"); // or "ABCDEFGHI"
    QString fontMincho = QStringLiteral("ＭＳ 明朝");
    QString fontGothic = QStringLiteral("ＭＳ ゴシック");
    QString fontPMincho = QStringLiteral("ＭＳ Ｐ明朝");
    QString fontPGothic = QStringLiteral("ＭＳ Ｐゴシック");
    int printMarginLeft = 5;
    int printMarginTop = 3;

    // Choices shared by the pickers
    int selectedItemCount = 0;
    Table<int, 0, Limits::Tests> selectedItems;
    int evalSubject = 0;
    Table<int, 0, Limits::Classes> classSelected;     // class picker: 1 = print class k
    Table<bool, 0, Limits::Students> studentSelected; // pupil pickers: print pupil s

    // Evaluation settings, written by the evaluation setup (the subject is evalSubject, the
    // weighted tests selectedItems 1..selectedItemCount)
    Table<double, 0, Limits::Tests> evalWeights;          // weight of each chosen test
    Table<int, 0, Limits::Classes + 1> evalClassSelected; // 1 = class c takes part
    Table<int, 0, 10> evalLevelCounts;                    // pupils per level 1..10
    int evalSexFilter = 0;                                // 0 both, 1 boys, 2 girls
    int evalMethod = 0;                                   // 0 five levels, 1 ten levels, 2 typed counts

    // Scratch lists of the exchange sort
    Table<double, 0, Limits::Students> sortKeys;
    Table<int, 0, Limits::Students> sortIndex;

    // Roster tables, by pupil index 1..studentCount
    Table<int, 0, Limits::Students> studentClass;
    Table<int, 0, Limits::Students> studentNumber;
    Table<QString, 0, Limits::Students> studentName;
    Table<QString, 0, Limits::Students> studentFurigana; // the reading, trimmed (finding a pupil)
    Table<int, 0, Limits::Students> studentSex;          // 1 male, 2 female, 0 not entered
    Table<int, 0, Limits::Classes> classStart;
    Table<int, 0, Limits::Classes> classSize;

    // Subject list
    Table<QString, 0, 13> subjectNames;
    Table<int, 0, Limits::Subjects> subjectKind; // 0 plain, 1 boys/girls, 2 by group
    Table<double, 0, Limits::Subjects> naishinWeight;
    Table<QString, 0, Limits::Subjects> subjectGroup;
    Table<int, 0, Limits::NaishinSlots> naishinSlot; // subject shown at naishin position j

    // Test list
    Table<QString, 0, Limits::Tests> testNames;
    Table<QString, 0, Limits::Tests> testShortNames;
    Table<int, 0, Limits::Tests> testSubjectCount;
    Table<int, 0, Limits::Tests> testFirstSlot;
    Table<QString, 0, Limits::Classes> teacherNames;

    // Scores of the current test: columns 1..n the subjects, n+1 the five-subject total,
    // n+2 the grade rank, n+3 the class rank. Held as int so that no total can wrap.
    Table2<int, 0, 13, 0, Limits::Students> scores;
    Table2<int, 0, 13, 0, Limits::Students> scoresAsLoaded;

    // Naishin points by naishin position 1..9 (table 1..13), high-school choices 1..4
    Table2<int, 0, 13, 0, Limits::Students> naishin;
    Table2<int, 0, 13, 0, Limits::Students> naishinAsLoaded;
    Table2<int, 0, Limits::Choices, 0, Limits::Students> careerChoice;
    Table2<int, 0, Limits::Choices, 0, Limits::Students> careerChoiceAsLoaded;

    // Aggregates of the current test: average(class 0..9, column 1..11, sex 0..2) and the
    // grade maximum of each column; empty when nothing counted.
    Table3<std::optional<double>, 0, Limits::Classes, 0, 13, 0, 2> average;
    Table<std::optional<int>, 0, 13> gradeMax;

    // High-school list, entries 1..highSchoolCount (the last is the added "その他")
    int highSchoolCount = 0;
    Table<QString, 0, Limits::HighSchools> highSchoolShortNames;
    Table<QString, 0, Limits::HighSchools> highSchoolNames;
    Table<QString, 0, Limits::HighSchools> highSchoolCourses;
    Table<int, 0, Limits::HighSchools> highSchoolWeightCount;
    Table2<int, 0, Limits::HighSchools, 0, 9> highSchoolWeights;

    // Reportable items of the current test (built by the report windows)
    int itemCount = 0;
    Table<int, 0, Limits::ReportItems> itemColumn;
    Table<int, 0, Limits::ReportItems> itemMode; // 0 all, 1 boys, 2 girls, 3 group classes, 4 other classes
    Table<QString, 0, Limits::ReportItems> itemCaption;
    Table<int, 0, Limits::ReportItems> itemSelected;

    // Derived helpers
    QString gradeCode() const;             // "01", "02", "03"
    QString classLabel(int classNo) const; // the k-th character of classLabels
    // Number of subjects of the current test, 0 when no test is chosen.
    int currentTestSubjectCount() const;
    // Student index range of a class: [classStart, classStart + classSize).
    int classEnd(int classNo) const { return classStart[classNo] + classSize[classNo]; }
};

} // namespace seiran
