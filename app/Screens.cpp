#include "Screens.h"

#include "AveragesReportWindow.h"
#include "CareerChoiceEntryWindow.h"
#include "CareerGuidanceWindow.h"
#include "DeviationReportWindow.h"
#include "DistributionGraphWindow.h"
#include "EvaluationSetupWindow.h"
#include "GradeData.h"
#include "HighSchoolEditorWindow.h"
#include "HyoteiWindow.h"
#include "ListFiles.h"
#include "NaishinEntryWindow.h"
#include "NotificationCardWindow.h"
#include "PromotionWindow.h"
#include "RankTableWindow.h"
#include "RawScoreReportWindow.h"
#include "ReportCardWindow.h"
#include "RosterEditorWindow.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "SnapshotRestoreWindow.h"
#include "SubjectEditorWindow.h"
#include "SubjectScoreEntryWindow.h"
#include "TargetSchoolListWindow.h"
#include "TestEditorWindow.h"
#include "TestSummaryWindow.h"
#include "TrendGraphWindow.h"

#include <iterator>

namespace seiran {

namespace {

template <typename Window> void openModal(Session& session, QWidget* parent)
{
    Window window(session, parent);
    window.exec();
}

// A window that has told the user why its data could not be read does not open.
template <typename Window> void openLoaded(Session& session, QWidget* parent)
{
    Window window(session, parent);
    if (!window.loadFailed()) window.exec();
}

// An entry screen opens only when it is registered on the grade (or read-only).
template <typename Window> void openEntry(Session& session, QWidget* parent)
{
    Window window(session, parent);
    if (!window.lockRefused()) window.exec();
}

// The grade's snapshots; after a restore the grade's lists are read again and the test choice goes,
// since the files behind them changed.
void openSnapshotRestore(Session& session, QWidget* parent)
{
    SnapshotRestoreWindow window(session.gd.dataFolder, session.gd.currentGrade, parent);
    window.exec();
    if (!window.restored()) return;
    session.clearTestChoice();
    LoadTestList(session.gd);
    LoadSubjectList(session.gd);
}

// Every screen that is part of the program, with the preparation its menu command makes. A
// screen is added with one line here and its library in app/CMakeLists.txt.
const ScreenLine kScreenTable[] = {
    {Screen::ScoreEntry, Preparation::GradeAndTest, openEntry<ScoreEntryWindow>},
    {Screen::SubjectScoreEntry, Preparation::GradeAndSubjectTests, OpenSubjectScoreEntry},
    {Screen::NaishinEntry, Preparation::GradeAndNaishin, openEntry<NaishinEntryWindow>},
    {Screen::CareerChoiceEntry, Preparation::GradeAndChoices, openEntry<CareerChoiceEntryWindow>},
    {Screen::RawScoreReport, Preparation::None, openModal<RawScoreReportWindow>},
    {Screen::DeviationReport, Preparation::None, openModal<DeviationReportWindow>},
    {Screen::AveragesReport, Preparation::None, openModal<AveragesReportWindow>},
    {Screen::RankTable, Preparation::None, openModal<RankTableWindow>},
    {Screen::EvaluationSetup, Preparation::Grade, openModal<EvaluationSetupWindow>},
    {Screen::Hyotei, Preparation::EvaluationChosen, OpenHyoteiWindow},
    {Screen::DistributionGraph, Preparation::None, openModal<DistributionGraphWindow>},
    {Screen::TestSummary, Preparation::None, openModal<TestSummaryWindow>},
    {Screen::TrendGraph, Preparation::Grade, openModal<TrendGraphWindow>},
    {Screen::RosterEditor, Preparation::Grade, openLoaded<RosterEditorWindow>},
    {Screen::TargetSchoolList, Preparation::GradeChoicesNaishin, openModal<TargetSchoolListWindow>},
    {Screen::CareerGuidance, Preparation::GradeChoicesNaishin, openModal<CareerGuidanceWindow>},
    {Screen::ReportCard, Preparation::Grade, openModal<ReportCardWindow>},
    {Screen::NotificationCard, Preparation::Grade, openModal<NotificationCardWindow>},
    {Screen::Promotion, Preparation::Grade, openLoaded<PromotionWindow>},
    {Screen::SubjectEditor, Preparation::GradeChosen, openLoaded<SubjectEditorWindow>},
    {Screen::TestEditor, Preparation::GradeChosen, openLoaded<TestEditorWindow>},
    {Screen::HighSchoolEditor, Preparation::None, openLoaded<HighSchoolEditorWindow>},
    {Screen::SnapshotRestore, Preparation::GradeChosen, openSnapshotRestore},
};

} // namespace

QString ScreenName(Screen screen)
{
    switch (screen) {
    case Screen::ScoreEntry:
        return QStringLiteral("ScoreEntryWindow");
    case Screen::SubjectScoreEntry:
        return QStringLiteral("SubjectScoreEntryWindow");
    case Screen::RawScoreReport:
        return QStringLiteral("RawScoreReportWindow");
    case Screen::DeviationReport:
        return QStringLiteral("DeviationReportWindow");
    case Screen::AveragesReport:
        return QStringLiteral("AveragesReportWindow");
    case Screen::RankTable:
        return QStringLiteral("RankTableWindow");
    case Screen::DistributionGraph:
        return QStringLiteral("DistributionGraphWindow");
    case Screen::TestSummary:
        return QStringLiteral("TestSummaryWindow");
    case Screen::EvaluationSetup:
        return QStringLiteral("EvaluationSetupWindow");
    case Screen::Hyotei:
        return QStringLiteral("HyoteiWindow");
    case Screen::NaishinEntry:
        return QStringLiteral("NaishinEntryWindow");
    case Screen::CareerChoiceEntry:
        return QStringLiteral("CareerChoiceEntryWindow");
    case Screen::CareerList:
        return QStringLiteral("CareerListWindow");
    case Screen::TargetSchoolList:
        return QStringLiteral("TargetSchoolListWindow");
    case Screen::CareerGuidance:
        return QStringLiteral("CareerGuidanceWindow");
    case Screen::RosterEditor:
        return QStringLiteral("RosterEditorWindow");
    case Screen::Promotion:
        return QStringLiteral("PromotionWindow");
    case Screen::ReportCard:
        return QStringLiteral("ReportCardWindow");
    case Screen::TrendGraph:
        return QStringLiteral("TrendGraphWindow");
    case Screen::NotificationCard:
        return QStringLiteral("NotificationCardWindow");
    case Screen::SubjectEditor:
        return QStringLiteral("SubjectEditorWindow");
    case Screen::TestEditor:
        return QStringLiteral("TestEditorWindow");
    case Screen::HighSchoolEditor:
        return QStringLiteral("HighSchoolEditorWindow");
    case Screen::SnapshotRestore:
        return QStringLiteral("SnapshotRestoreWindow");
    }
    return QString();
}

QList<ScreenLine> ScreenTable()
{
    return QList<ScreenLine>(std::begin(kScreenTable), std::end(kScreenTable));
}

const ScreenLine* FindScreen(Screen screen)
{
    for (const ScreenLine& line : kScreenTable)
        if (line.screen == screen) return &line;
    return nullptr;
}

bool ScreenAvailable(Screen screen)
{
    return FindScreen(screen) != nullptr;
}

bool RunScreenModal(Screen screen, Session& session, QWidget* parent)
{
    const ScreenLine* line = FindScreen(screen);
    if (!line) return false;
    line->open(session, parent);
    return true;
}

} // namespace seiran
