#pragma once

#include "Notice.h"
#include "Progress.h"
#include "Result.h"
#include "Screens.h"
#include "Session.h"
#include "Startup.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLockFile;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QUrl;

namespace seiran {

struct GradeData;
class SettingsStore;

// The main window: the current grade, test and Settings, the seven menu pages and the status
// bar with its progress bar. It owns the grade's tables and offers every window the session
// (tables, progress, notices, program folder, beep setting).
class frmMaster : public QMainWindow, public INotice
{
    Q_OBJECT
public:
    enum Page { MasterPage = 0, TestPage, TestReportPage, EvaluationPage, RosterPage, TalkPage, BasicInfoPage };

    // Builds the window and runs the start-up (restores the Settings, consults "seiran.ini",
    // shows the first page). The single-instance check is a separate step.
    frmMaster(const QString& programFolder, SettingsStore& settings, QWidget* parent = nullptr);
    ~frmMaster() override;

    // Holds the program's instance lock at `lockPath` (default: the user's runtime folder). When
    // another instance holds it, this window closes at once (saving the Settings) and false is
    // returned.
    bool checkSingleInstance(const QString& lockPath = QString());
    static QString defaultLockPath();

    GradeData& gd() { return *mGd; }
    Session& session() { return mSession; }
    QString programFolder() const { return mProgramFolder; }
    int currentPage() const;

    // Test seams: how a screen and the help page are opened.
    void setScreenRunner(std::function<void(Screen)> runner) { mScreenRunner = std::move(runner); }
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { mUrlOpener = std::move(opener); }

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
    QLabel* SSPanel1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo_nen = nullptr;
    QLineEdit* list_class_max = nullptr;
    QComboBox* comTest = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* Text_data_dir = nullptr;
    QComboBox* Combo_class_mode = nullptr;
    QComboBox* Combo_graph_mode = nullptr;
    QComboBox* Combo_beep_mode = nullptr;
    QPushButton* Command24 = nullptr; // 取扱説明書
    QStackedWidget* SSTab1 = nullptr;
    QList<QLabel*> pageTitles;
    QLabel* statusPanel1 = nullptr;
    QLabel* statusPanel2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Page 0
    QPushButton* Command3 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command34 = nullptr;
    QPushButton* Command8 = nullptr;
    // Page 1
    QPushButton* Command10 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command14 = nullptr;
    // Page 2
    QPushButton* Command1 = nullptr;
    QPushButton* Command15 = nullptr;
    QPushButton* Command18 = nullptr;
    QPushButton* Command19 = nullptr;
    QPushButton* Command32 = nullptr;
    QPushButton* Command2 = nullptr;
    // Page 3
    QPushButton* Command20 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command17 = nullptr;
    QPushButton* Command21 = nullptr;
    // Page 4
    QPushButton* Command26 = nullptr;
    QPushButton* Command22 = nullptr;
    QPushButton* Command35 = nullptr;
    QPushButton* Command25 = nullptr;
    // Page 5
    QPushButton* Command27 = nullptr;
    QPushButton* Command28 = nullptr;
    QPushButton* Command36 = nullptr;
    QPushButton* Command23 = nullptr;
    // Page 6
    QPushButton* Command30 = nullptr;
    QPushButton* Command29 = nullptr;
    QPushButton* Command31 = nullptr;
    QPushButton* Command33 = nullptr;

    // Selection handlers
    void Combo_nen_Click();
    void Combo_class_mode_Click();
    void comTest_Click();
    void Text_data_dir_DblClick();
    void Text_data_dir_LostFocus();
    void SSTab1_Click();
    void Command24_Click();

    // Navigation
    void Command3_Click() { showPage(TestPage); }
    void Command5_Click() { showPage(EvaluationPage); }
    void Command6_Click() { showPage(RosterPage); }
    void Command4_Click() { showPage(TalkPage); }
    void Command34_Click() { showPage(BasicInfoPage); }
    void Command8_Click();
    void ReturnToMaster_Click(); // Command14, 21, 25, 23, 33
    void Command2_Click();

    // Leaf commands
    void Command10_Click();
    void Command9_Click();
    void Command11_Click();
    void Command1_Click() { openScreen(Screen::frmPrintSoten); }
    void Command15_Click() { openScreen(Screen::frmPrintAverage); }
    void Command18_Click() { openScreen(Screen::frmPrintJun); }
    void Command19_Click() { openScreen(Screen::frmPrintGraph); }
    void Command32_Click() { openScreen(Screen::frmPrintGraph2); }
    void Command20_Click();
    void Command12_Click();
    void Command7_Click();
    void Command13_Click();
    void Command17_Click();
    void Command26_Click();
    void Command22_Click();
    void Command35_Click();
    void Command27_Click();
    void Command28_Click();
    void Command36_Click();
    void Command30_Click();
    void Command29_Click();
    void Command31_Click() { openScreen(Screen::frmEditSinro); }

    // The new-roster window made a grade's files: that grade becomes the current one.
    void NewRosterCreated(int grade, int classCount);
    // The modeless new-roster window while it is open.
    QWidget* newRosterWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildPage(const QString& title, const QList<QPushButton*>& buttons);
    QPushButton* menuButton(const QString& caption);
    void wireButtons();
    void enableAvailableScreens();
    void Form_Load();
    void Form_Unload();
    void openScreen(Screen screen);
    // Shows a failed load and whether the command goes on.
    bool loaded(const Result& result);
    bool loadCareerData(bool withNaishin);

    class StatusProgress;
    std::unique_ptr<GradeData> mGd;
    std::unique_ptr<StatusProgress> mProgress;
    Session mSession;
    QString mProgramFolder;
    SettingsStore& mSettings;
    std::unique_ptr<QLockFile> mLock;
    std::function<void(Screen)> mScreenRunner;
    std::function<bool(const QUrl&)> mUrlOpener;
    QPointer<QWidget> mNewRoster;
    bool mUnloaded = false;
};

// The window caption: "中学校総合成績処理せいらん Ver." and the version.
QString MasterCaption();

} // namespace seiran
