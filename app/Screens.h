#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace seiran {

struct Session;

// The screens the main menu opens.
enum class Screen {
    ScoreEntry,
    SubjectScoreEntry,
    RawScoreReport,
    DeviationReport,
    AveragesReport,
    RankTable,
    DistributionGraph,
    TestSummary,
    EvaluationSetup,
    Hyotei,
    NaishinEntry,
    CareerChoiceEntry,
    CareerList,
    TargetSchoolList,
    CareerGuidance,
    RosterEditor,
    Promotion,
    ReportCard,
    TrendGraph,
    NotificationCard,
    SubjectEditor,
    TestEditor,
    HighSchoolEditor,
    SnapshotRestore,
};

// What the main window does before a screen opens; the screen opens only when that succeeds.
enum class Preparation {
    None,                 // nothing: the screen works on what is already loaded
    GradeChosen,          // a grade is chosen (asked for when none is)
    Grade,                // the grade's test and subject lists are read
    GradeAndTest,         // ... and a test is chosen in the test picker and loaded
    GradeAndSubjectTests, // ... and a subject with its tests is chosen in the subject-tests picker
    GradeAndNaishin,      // ... and the grade's 内申点 are read
    GradeAndChoices,      // ... and the career choices and the high-school list are read
    GradeChoicesNaishin,  // ... choices, high-school list and 内申点
    EvaluationChosen,     // the evaluation setup has chosen at least one test
};

using OpenScreenFunction = void (*)(Session& session, QWidget* parent);

// One line of the screen table: a screen that is part of the program.
struct ScreenLine
{
    Screen screen;
    Preparation preparation;
    OpenScreenFunction open;
};

// The window class that implements a screen, for messages and tests.
QString ScreenName(Screen screen);
// The program's screen table.
QList<ScreenLine> ScreenTable();
// The screen's line, or nullptr for a screen not yet part of the program (its menu button is
// disabled with the tooltip "準備中").
const ScreenLine* FindScreen(Screen screen);
bool ScreenAvailable(Screen screen);
// Opens the screen modally; false when it is not available.
bool RunScreenModal(Screen screen, Session& session, QWidget* parent);

} // namespace seiran
