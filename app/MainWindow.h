#pragma once

#include "Notice.h"
#include "Progress.h"
#include "Result.h"
#include "Screens.h"
#include "Session.h"
#include "Startup.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QUrl;

namespace seiran {

struct GradeData;
class HelpViewer;
class MenuPageStack;
class SettingsStore;
class SingleInstance;

// The main window: the current grade, test and Settings, the seven menu pages and the status
// bar with its progress bar. It owns the grade's tables and offers every window the session
// (tables, progress, notices, program folder, beep setting).
class MainWindow : public QMainWindow, public INotice
{
    Q_OBJECT
public:
    enum Page { MasterPage = 0, TestPage, TestReportPage, EvaluationPage, RosterPage, TalkPage, BasicInfoPage };

    // Builds the window and runs the start-up (restores the Settings, consults "seiran.ini",
    // shows the first page). The single-instance check is a separate step.
    MainWindow(const QString& programFolder, SettingsStore& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Holds the program's instance lock at `lockPath` (default: the user's runtime folder). When
    // another instance holds it, the running one is asked to come to the front (or the user is
    // told that it runs), this window closes at once (saving the Settings) and false is returned.
    bool checkSingleInstance(const QString& lockPath = QString());
    static QString defaultLockPath();
    // The program's instance lock, taken before any window exists. When it is not the first
    // instance, the program ends without a window of its own after AnnounceToRunningInstance.
    static std::unique_ptr<SingleInstance> acquireInstance(const QString& lockPath = QString());
    // A later start: the running instance shows its window; when it does not answer, a message
    // says that the program is running already.
    static void AnnounceToRunningInstance(const SingleInstance& instance, QWidget* parent = nullptr);
    // Keeps the first instance's lock for as long as the window lives; a later start brings this
    // window to the front.
    void adoptInstance(std::unique_ptr<SingleInstance> instance);

    GradeData& gd() { return *mGd; }
    Session& session() { return mSession; }
    QString programFolder() const { return mProgramFolder; }
    int currentPage() const;

    // Test seams: how a screen and the help page are opened.
    void setScreenRunner(std::function<void(Screen)> runner) { mScreenRunner = std::move(runner); }
    // The screens this window can open (the program's screen table unless a test gives another).
    void setScreenTable(const QList<ScreenLine>& table);
    // The opener answers at once whether the system shows the page; false opens the program's
    // own manual window.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { mUrlOpener = std::move(opener); }
    // The program's own manual window while it is open.
    HelpViewer* helpViewer() const;

    // Reads one value of an INI file; "*" when the file, section or key is missing.
    QString GetIniString(const QString& section, const QString& key, const QString& filePath) const;
    // Asks for the grade when none is chosen.
    void EnsureGrade();
    // EnsureGrade, then the grade's test list (with the class count) and subject list. False when
    // the command must be abandoned: no grade, or a list could not be read (the user is told).
    bool PrepareGrade();
    // The test picker; its OK makes the chosen test current and loads it.
    void ChooseTest();
    // Loads the current test's scores and aggregates them; false (and currentTest -1) on failure.
    bool LoadCurrentTest();
    void showPage(int page);

    // The progress of long operations: the status bar's first panel and the progress bar over
    // its second panel.
    IProgress& progress();
    // INotice: an exclamation message box.
    void notice(const QString& text) override;

    // Controls
    QLabel* mBanner = nullptr;
    QGroupBox* mSelectionFrame = nullptr;
    QComboBox* mGradeCombo = nullptr;
    QLineEdit* mClassCountEdit = nullptr;
    QComboBox* mTestCombo = nullptr;
    QGroupBox* mEnvironmentFrame = nullptr;
    QLineEdit* mDataFolderEdit = nullptr;
    QComboBox* mClassModeCombo = nullptr;
    QComboBox* mGraphModeCombo = nullptr;
    QComboBox* mBeepModeCombo = nullptr;
    QLineEdit* mUserNameEdit = nullptr;
    // 使用中: who else uses the current grade (other PCs, other copies); hidden when nobody does.
    QLabel* mUsersLabel = nullptr;
    QPushButton* mManualButton = nullptr; // 取扱説明書
    MenuPageStack* mPages = nullptr;
    QLabel* mStatusLabel = nullptr;
    QLabel* mStatusPanel2 = nullptr;
    QProgressBar* mProgressBar = nullptr;

    // Page 0
    QPushButton* mTestMenuButton = nullptr;
    QPushButton* mEvaluationMenuButton = nullptr;
    QPushButton* mRosterMenuButton = nullptr;
    QPushButton* mTalkMenuButton = nullptr;
    QPushButton* mBasicInfoMenuButton = nullptr;
    QPushButton* mQuitButton = nullptr;
    // Page 1
    QPushButton* mScoreEntryButton = nullptr;
    QPushButton* mSubjectScoreEntryButton = nullptr;
    QPushButton* mTestReportsButton = nullptr;
    QPushButton* mTestBackButton = nullptr;
    // Page 2
    QPushButton* mRawScoreButton = nullptr;
    QPushButton* mAveragesButton = nullptr;
    QPushButton* mRankTableButton = nullptr;
    QPushButton* mDeviationButton = nullptr;
    QPushButton* mDistributionGraphButton = nullptr;
    QPushButton* mTestSummaryButton = nullptr;
    QPushButton* mTestReportsBackButton = nullptr;
    // Page 3
    QPushButton* mHyoteiButton = nullptr;
    QPushButton* mNaishinEntryButton = nullptr;
    QPushButton* mCareerChoiceEntryButton = nullptr;
    QPushButton* mTargetSchoolListButton = nullptr;
    QPushButton* mCareerGuidanceButton = nullptr;
    QPushButton* mEvaluationBackButton = nullptr;
    // Page 4
    QPushButton* mRosterEditorButton = nullptr;
    QPushButton* mNewRosterButton = nullptr;
    QPushButton* mPromotionButton = nullptr;
    QPushButton* mSnapshotRestoreButton = nullptr; // バックアップから戻す
    QPushButton* mRosterBackButton = nullptr;
    // Page 5
    QPushButton* mReportCardButton = nullptr;
    QPushButton* mTrendGraphButton = nullptr;
    QPushButton* mNotificationCardButton = nullptr;
    QPushButton* mTalkBackButton = nullptr;
    // Page 6
    QPushButton* mSubjectEditorButton = nullptr;
    QPushButton* mTestEditorButton = nullptr;
    QPushButton* mHighSchoolEditorButton = nullptr;
    QPushButton* mBasicInfoBackButton = nullptr;

    // Selection handlers
    void onGradeChanged();
    void onClassModeChanged();
    void onTestChanged();
    void onDataFolderDoubleClicked();
    void onDataFolderLeft();
    void onUserNameEdited();
    // Reads who else holds the current grade and shows them on the 使用中 line (every 30 s, when a
    // window closes and when the grade changes).
    void refreshUsers();
    void onPageChanged();
    void onManualClicked();
    // Shows a page of the manual in the program's own window (when the system cannot show it).
    void showManualWindow(const QUrl& page);

    // Navigation
    void onTestMenuClicked() { showPage(TestPage); }
    void onEvaluationMenuClicked() { showPage(EvaluationPage); }
    void onRosterMenuClicked() { showPage(RosterPage); }
    void onTalkMenuClicked() { showPage(TalkPage); }
    void onBasicInfoMenuClicked() { showPage(BasicInfoPage); }
    void onQuitClicked();
    void returnToMasterMenu(); // every page's "マスターメニューに戻る"
    void returnToTestMenu();

    // Leaf commands
    void onScoreEntryClicked();
    void onSubjectScoreEntryClicked();
    void onTestReportsClicked();
    void onRawScoreClicked() { runMenuCommand(Screen::RawScoreReport); }
    void onAveragesClicked() { runMenuCommand(Screen::AveragesReport); }
    void onRankTableClicked() { runMenuCommand(Screen::RankTable); }
    void onDeviationClicked() { runMenuCommand(Screen::DeviationReport); }
    void onDistributionGraphClicked() { runMenuCommand(Screen::DistributionGraph); }
    void onTestSummaryClicked() { runMenuCommand(Screen::TestSummary); }
    void onHyoteiClicked();
    void onNaishinEntryClicked();
    void onCareerChoiceEntryClicked();
    void onTargetSchoolListClicked();
    void onCareerGuidanceClicked();
    void onRosterEditorClicked();
    void onNewRosterClicked();
    void onPromotionClicked();
    void onReportCardClicked();
    void onTrendGraphClicked();
    void onNotificationCardClicked();
    void onSubjectEditorClicked();
    void onTestEditorClicked();
    void onHighSchoolEditorClicked() { runMenuCommand(Screen::HighSchoolEditor); }

    // The new-roster window made a grade's files: that grade becomes the current one.
    void onNewRosterCreated(int grade, int classCount);
    // The modeless new-roster window while it is open.
    QWidget* newRosterWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void wireButtons();
    QList<QPair<QPushButton*, Screen>> menuScreens() const;
    const ScreenLine* screenLine(Screen screen) const;
    void enableAvailableScreens();
    // Prepares what the screen needs; false abandons the command.
    bool prepare(Preparation preparation);
    void runMenuCommand(Screen screen);
    static bool isEntryScreen(Screen screen);
    void clearTest();
    // False, with a message, when the grade has no pupil to enter anything for.
    bool gradeHasPupils(Screen screen);
    void startUp();
    void shutDown();
    void openScreen(Screen screen);
    // Shows a failed load and whether the command goes on.
    bool loaded(const Result& result);
    bool loadCareerData(bool withNaishin);

    class StatusProgress;
    class LockNotice;
    std::unique_ptr<LockNotice> mLockNotice;
    std::unique_ptr<GradeData> mGd;
    std::unique_ptr<StatusProgress> mProgress;
    Session mSession;
    QString mProgramFolder;
    SettingsStore& mSettings;
    std::unique_ptr<SingleInstance> mInstance;
    QPointer<HelpViewer> mHelpViewer;
    QList<ScreenLine> mScreenTable = ScreenTable();
    std::function<void(Screen)> mScreenRunner;
    std::function<bool(const QUrl&)> mUrlOpener;
    QPointer<QWidget> mNewRoster;
    bool mUnloaded = false;
};

// The window caption: "中学校総合成績処理せいらん Ver." and the version.
QString MasterCaption();

} // namespace seiran
