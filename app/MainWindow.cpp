#include "MainWindow.h"

#include "Aggregate.h"
#include "Beep.h"
#include "DataFolderDialog.h"
#include "GradeData.h"
#include "GradeDialog.h"
#include "GradeLock.h"
#include "GradeLockWindow.h"
#include "HelpViewer.h"
#include "IniReader.h"
#include "ListFiles.h"
#include "MenuPages.h"
#include "MessageBox.h"
#include "NewRosterWindow.h"
#include "RosterFile.h"
#include "SettingsPanel.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "SubjectTestsPicker.h"
#include "TestPicker.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace seiran {

QString MasterCaption()
{
    return QStringLiteral("中学校総合成績処理せいらん Ver.%1.%2.%3")
        .arg(SEIRAN_VERSION_MAJOR)
        .arg(SEIRAN_VERSION_MINOR)
        .arg(SEIRAN_VERSION_PATCH);
}

// The status bar's first panel and the progress bar lying over its second panel. Long
// operations run without returning to the event loop, so every change is drawn at once.
class MainWindow::StatusProgress final : public IProgress
{
public:
    explicit StatusProgress(MainWindow* window) : mWindow(window) {}
    void setStatusText(const QString& text) override
    {
        mWindow->mStatusLabel->setText(text);
        mWindow->mStatusLabel->repaint();
    }
    void setMaximum(int maximum) override { mWindow->mProgressBar->setMaximum(qMax(0, maximum)); }
    void setValue(int value) override
    {
        QProgressBar* bar = mWindow->mProgressBar;
        bar->setValue(qBound(bar->minimum(), value, bar->maximum()));
        if (bar->isVisible()) bar->repaint();
    }
    void setVisible(bool visible) override
    {
        mWindow->mProgressBar->setVisible(visible);
        if (visible) mWindow->mProgressBar->repaint();
    }

private:
    MainWindow* mWindow;
};

// Stale holders removed while the guard is held are told once the guard is released: a message
// box must never stand while the grade's files are locked.
class MainWindow::LockNotice : public INotice
{
public:
    explicit LockNotice(MainWindow* window) : mWindow(window) {}
    void notice(const QString& text) override
    {
        QTimer::singleShot(0, mWindow, [window = mWindow, text] { window->notice(text); });
    }

private:
    MainWindow* mWindow;
};

MainWindow::MainWindow(const QString& programFolder, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), mGd(std::make_unique<GradeData>()),
      mProgress(std::make_unique<StatusProgress>(this)), mSession{*mGd, *mProgress, *this, programFolder,
                                                                  [this] { return mBeepModeCombo->currentIndex(); }},
      mProgramFolder(programFolder), mSettings(settings)
{
    buildWindow();
    // The report cards read their tests from the roster file and empty the test choice.
    mSession.clearTestChoice = [this] { mTestCombo->clear(); };
    wireButtons();
    enableAvailableScreens();
    // The screens that read their tests from the roster file let the main window's test go.
    mSession.clearTestChoice = [this] { mTestCombo->clear(); };
    startUp();
}

MainWindow::~MainWindow()
{
    SetLockNotice(nullptr);
    if (mNewRoster) delete mNewRoster.data();
}

IProgress& MainWindow::progress()
{
    return *mProgress;
}

// ---------------------------------------------------------------- window

void MainWindow::buildWindow()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    mBanner = new QLabel(QStringLiteral("成績処理せいらん　２００５　for Ｗｉｎｄｏｗs"), central);
    mBanner->setObjectName(QStringLiteral("banner"));
    mBanner->setAlignment(Qt::AlignCenter);
    mBanner->setMinimumHeight(54);
    QFont bannerFont = mBanner->font();
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.8);
    bannerFont.setBold(true);
    mBanner->setFont(bannerFont);

    mManualButton = new QPushButton(QStringLiteral("取扱説明書"), central);
    mManualButton->setMinimumSize(120, 54);
    mManualButton->setAutoDefault(false);

    const SettingsPanel settings = BuildSettingsPanel(central);
    mSelectionFrame = settings.selectionFrame;
    mGradeCombo = settings.gradeCombo;
    mClassCountEdit = settings.classCountEdit;
    mTestCombo = settings.testCombo;
    mEnvironmentFrame = settings.environmentFrame;
    mDataFolderEdit = settings.dataFolderEdit;
    mClassModeCombo = settings.classModeCombo;
    mGraphModeCombo = settings.graphModeCombo;
    mBeepModeCombo = settings.beepModeCombo;
    mUserNameEdit = settings.userNameEdit;
    mUsersLabel = new QLabel(central);
    mUsersLabel->setWordWrap(true);
    mUsersLabel->hide();

    mTestMenuButton = MakeMenuButton(QStringLiteral("テスト処理"));
    mEvaluationMenuButton = MakeMenuButton(QStringLiteral("評定・進路の処理"));
    mRosterMenuButton = MakeMenuButton(QStringLiteral("名簿の管理"));
    mTalkMenuButton = MakeMenuButton(QStringLiteral("懇談資料"));
    mBasicInfoMenuButton = MakeMenuButton(QStringLiteral("基本情報の管理"));
    mQuitButton = MakeMenuButton(QStringLiteral("終了"));
    mScoreEntryButton = MakeMenuButton(QStringLiteral("点数の入力（テスト別）"));
    mSubjectScoreEntryButton = MakeMenuButton(QStringLiteral("点数の入力（教科別）"));
    mTestReportsButton = MakeMenuButton(QStringLiteral("テスト別集計資料"));
    mTestBackButton = MakeMenuButton(QStringLiteral("マスターメニューに戻る"));
    mRawScoreButton = MakeMenuButton(QStringLiteral("素点表一覧表"));
    mAveragesButton = MakeMenuButton(QStringLiteral("平均点・最高点一覧表"));
    mRankTableButton = MakeMenuButton(QStringLiteral("教科別順位表"));
    mDeviationButton = MakeMenuButton(QStringLiteral("偏差値一覧表"));
    mDistributionGraphButton = MakeMenuButton(QStringLiteral("教科別度数分布グラフ"));
    mTestSummaryButton = MakeMenuButton(QStringLiteral("テストのまとめ（生徒配布用）"));
    mTestReportsBackButton = MakeMenuButton(QStringLiteral("テスト処理メニューに戻る"));
    mHyoteiButton = MakeMenuButton(QStringLiteral("評定の算出と印刷"));
    mNaishinEntryButton = MakeMenuButton(QStringLiteral("内申点の入力"));
    mCareerChoiceEntryButton = MakeMenuButton(QStringLiteral("進路希望の入力"));
    mTargetSchoolListButton = MakeMenuButton(QStringLiteral("志望校・内申一覧表　表示・印刷"));
    mCareerGuidanceButton = MakeMenuButton(QStringLiteral("進路指導資料作成"));
    mEvaluationBackButton = MakeMenuButton(QStringLiteral("マスターメニューに戻る"));
    mRosterEditorButton = MakeMenuButton(QStringLiteral("名簿の入力・編集"));
    mNewRosterButton = MakeMenuButton(QStringLiteral("名簿ファイルの新規作成"));
    mPromotionButton = MakeMenuButton(QStringLiteral("進級時名簿処理"));
    mSnapshotRestoreButton = MakeMenuButton(QStringLiteral("バックアップから戻す"));
    mRosterBackButton = MakeMenuButton(QStringLiteral("マスターメニューに戻る"));
    mReportCardButton = MakeMenuButton(QStringLiteral("テスト成績表作成"));
    mTrendGraphButton = MakeMenuButton(QStringLiteral("教科別得点推移グラフ"));
    mNotificationCardButton = MakeMenuButton(QStringLiteral("テスト成績表（通知票）"));
    mTalkBackButton = MakeMenuButton(QStringLiteral("マスターメニューに戻る"));
    mSubjectEditorButton = MakeMenuButton(QStringLiteral("教科情報の変更"));
    mTestEditorButton = MakeMenuButton(QStringLiteral("テスト情報の変更"));
    mHighSchoolEditorButton = MakeMenuButton(QStringLiteral("高校名の入力"));
    mBasicInfoBackButton = MakeMenuButton(QStringLiteral("マスターメニューに戻る"));

    mPages = new MenuPageStack(
        {{QStringLiteral("マスターメニュー"),
          {mTestMenuButton, mEvaluationMenuButton, mRosterMenuButton, mTalkMenuButton, mBasicInfoMenuButton,
           mQuitButton}},
         {QStringLiteral("テスト処理"),
          {mScoreEntryButton, mSubjectScoreEntryButton, mTestReportsButton, mTestBackButton}},
         {QStringLiteral("テスト別集計資料"),
          {mRawScoreButton, mAveragesButton, mRankTableButton, mDeviationButton, mDistributionGraphButton,
           mTestSummaryButton, mTestReportsBackButton}},
         {QStringLiteral("評定・進路の処理"),
          {mHyoteiButton, mNaishinEntryButton, mCareerChoiceEntryButton, mTargetSchoolListButton, mCareerGuidanceButton,
           mEvaluationBackButton}},
         {QStringLiteral("名簿の管理"),
          {mRosterEditorButton, mNewRosterButton, mPromotionButton, mSnapshotRestoreButton, mRosterBackButton}},
         {QStringLiteral("懇談資料"), {mReportCardButton, mTrendGraphButton, mNotificationCardButton, mTalkBackButton}},
         {QStringLiteral("基本情報の管理"),
          {mSubjectEditorButton, mTestEditorButton, mHighSchoolEditorButton, mBasicInfoBackButton}}},
        central);

    auto* top = new QHBoxLayout;
    top->addWidget(mBanner, 1);
    top->addWidget(mManualButton);
    auto* frames = new QHBoxLayout;
    frames->addWidget(mSelectionFrame, 2);
    frames->addWidget(mEnvironmentFrame, 3);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 10, 10, 6);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addLayout(frames);
    layout->addWidget(mUsersLabel);
    layout->addWidget(mPages, 1);

    // Two panels; the progress bar lies over the second one and is shown only while it runs.
    mStatusLabel = new QLabel(this);
    mStatusLabel->setFrameShape(QFrame::Panel);
    mStatusLabel->setFrameShadow(QFrame::Sunken);
    mStatusLabel->setMinimumWidth(200);
    auto* panel2 = new QWidget(this);
    panel2->setFixedWidth(300);
    auto* stack = new QStackedLayout(panel2);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(0, 0, 0, 0);
    mStatusPanel2 = new QLabel(panel2);
    mStatusPanel2->setFrameShape(QFrame::Panel);
    mStatusPanel2->setFrameShadow(QFrame::Sunken);
    mProgressBar = new QProgressBar(panel2);
    mProgressBar->setTextVisible(false);
    stack->addWidget(mStatusPanel2);
    stack->addWidget(mProgressBar);
    stack->setCurrentWidget(mProgressBar);
    statusBar()->addWidget(mStatusLabel, 1);
    statusBar()->addPermanentWidget(panel2);
    statusBar()->setSizeGripEnabled(true);

    // Colours through palettes: a style sheet on the window would make every widget of it go
    // through the style-sheet style, which is most of the window's start-up time.
    mBanner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    mBanner->setLineWidth(2);
    mBanner->setAutoFillBackground(true);
    QLinearGradient bannerGradient(0, 0, 1, 0);
    bannerGradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    bannerGradient.setColorAt(0, QColor(0x17, 0x33, 0x6b));
    bannerGradient.setColorAt(1, QColor(0x4f, 0x7b, 0xbd));
    QPalette bannerPalette = mBanner->palette();
    bannerPalette.setBrush(QPalette::Window, QBrush(bannerGradient));
    bannerPalette.setColor(QPalette::WindowText, Qt::white);
    bannerPalette.setColor(QPalette::Light, QColor(0x8e, 0xa6, 0xcf));
    bannerPalette.setColor(QPalette::Dark, QColor(0x17, 0x33, 0x6b));
    mBanner->setPalette(bannerPalette);

    // The design size is the smallest at which the banner and every menu button stay readable.
    setMinimumSize(860, 610);
    resize(860, 610);
}

void MainWindow::wireButtons()
{
    connect(mGradeCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onGradeChanged);
    connect(mClassModeCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onClassModeChanged);
    connect(mTestCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onTestChanged);
    connect(mPages, &QStackedWidget::currentChanged, this, &MainWindow::onPageChanged);
    mDataFolderEdit->installEventFilter(this);
    connect(mUserNameEdit, &QLineEdit::editingFinished, this, &MainWindow::onUserNameEdited);
    auto* usersTimer = new QTimer(this);
    usersTimer->setInterval(LockTiming::BeatIntervalMs);
    connect(usersTimer, &QTimer::timeout, this, &MainWindow::refreshUsers);
    usersTimer->start();

    connect(mManualButton, &QPushButton::clicked, this, &MainWindow::onManualClicked);
    connect(mTestMenuButton, &QPushButton::clicked, this, &MainWindow::onTestMenuClicked);
    connect(mEvaluationMenuButton, &QPushButton::clicked, this, &MainWindow::onEvaluationMenuClicked);
    connect(mRosterMenuButton, &QPushButton::clicked, this, &MainWindow::onRosterMenuClicked);
    connect(mTalkMenuButton, &QPushButton::clicked, this, &MainWindow::onTalkMenuClicked);
    connect(mBasicInfoMenuButton, &QPushButton::clicked, this, &MainWindow::onBasicInfoMenuClicked);
    connect(mQuitButton, &QPushButton::clicked, this, &MainWindow::onQuitClicked);
    for (QPushButton* back :
         {mTestBackButton, mEvaluationBackButton, mRosterBackButton, mTalkBackButton, mBasicInfoBackButton})
        connect(back, &QPushButton::clicked, this, &MainWindow::returnToMasterMenu);
    connect(mTestReportsBackButton, &QPushButton::clicked, this, &MainWindow::returnToTestMenu);

    connect(mScoreEntryButton, &QPushButton::clicked, this, &MainWindow::onScoreEntryClicked);
    connect(mSubjectScoreEntryButton, &QPushButton::clicked, this, &MainWindow::onSubjectScoreEntryClicked);
    connect(mTestReportsButton, &QPushButton::clicked, this, &MainWindow::onTestReportsClicked);
    connect(mRawScoreButton, &QPushButton::clicked, this, &MainWindow::onRawScoreClicked);
    connect(mAveragesButton, &QPushButton::clicked, this, &MainWindow::onAveragesClicked);
    connect(mRankTableButton, &QPushButton::clicked, this, &MainWindow::onRankTableClicked);
    connect(mDeviationButton, &QPushButton::clicked, this, &MainWindow::onDeviationClicked);
    connect(mDistributionGraphButton, &QPushButton::clicked, this, &MainWindow::onDistributionGraphClicked);
    connect(mTestSummaryButton, &QPushButton::clicked, this, &MainWindow::onTestSummaryClicked);
    connect(mHyoteiButton, &QPushButton::clicked, this, &MainWindow::onHyoteiClicked);
    connect(mNaishinEntryButton, &QPushButton::clicked, this, &MainWindow::onNaishinEntryClicked);
    connect(mCareerChoiceEntryButton, &QPushButton::clicked, this, &MainWindow::onCareerChoiceEntryClicked);
    connect(mTargetSchoolListButton, &QPushButton::clicked, this, &MainWindow::onTargetSchoolListClicked);
    connect(mCareerGuidanceButton, &QPushButton::clicked, this, &MainWindow::onCareerGuidanceClicked);
    connect(mRosterEditorButton, &QPushButton::clicked, this, &MainWindow::onRosterEditorClicked);
    connect(mNewRosterButton, &QPushButton::clicked, this, &MainWindow::onNewRosterClicked);
    connect(mPromotionButton, &QPushButton::clicked, this, &MainWindow::onPromotionClicked);
    connect(mSnapshotRestoreButton, &QPushButton::clicked, this, [this] { runMenuCommand(Screen::SnapshotRestore); });
    connect(mReportCardButton, &QPushButton::clicked, this, &MainWindow::onReportCardClicked);
    connect(mTrendGraphButton, &QPushButton::clicked, this, &MainWindow::onTrendGraphClicked);
    connect(mNotificationCardButton, &QPushButton::clicked, this, &MainWindow::onNotificationCardClicked);
    connect(mSubjectEditorButton, &QPushButton::clicked, this, &MainWindow::onSubjectEditorClicked);
    connect(mTestEditorButton, &QPushButton::clicked, this, &MainWindow::onTestEditorClicked);
    connect(mHighSchoolEditorButton, &QPushButton::clicked, this, &MainWindow::onHighSchoolEditorClicked);
}

QList<QPair<QPushButton*, Screen>> MainWindow::menuScreens() const
{
    return {
        {mScoreEntryButton, Screen::ScoreEntry},
        {mSubjectScoreEntryButton, Screen::SubjectScoreEntry},
        {mRawScoreButton, Screen::RawScoreReport},
        {mAveragesButton, Screen::AveragesReport},
        {mRankTableButton, Screen::RankTable},
        {mDeviationButton, Screen::DeviationReport},
        {mDistributionGraphButton, Screen::DistributionGraph},
        {mTestSummaryButton, Screen::TestSummary},
        {mHyoteiButton, Screen::EvaluationSetup},
        {mHyoteiButton, Screen::Hyotei},
        {mNaishinEntryButton, Screen::NaishinEntry},
        {mCareerChoiceEntryButton, Screen::CareerChoiceEntry},
        {mTargetSchoolListButton, Screen::TargetSchoolList},
        {mCareerGuidanceButton, Screen::CareerGuidance},
        {mRosterEditorButton, Screen::RosterEditor},
        {mPromotionButton, Screen::Promotion},
        {mSnapshotRestoreButton, Screen::SnapshotRestore},
        {mReportCardButton, Screen::ReportCard},
        {mTrendGraphButton, Screen::TrendGraph},
        {mNotificationCardButton, Screen::NotificationCard},
        {mSubjectEditorButton, Screen::SubjectEditor},
        {mTestEditorButton, Screen::TestEditor},
        {mHighSchoolEditorButton, Screen::HighSchoolEditor},
    };
}

void MainWindow::setScreenTable(const QList<ScreenLine>& table)
{
    mScreenTable = table;
    enableAvailableScreens();
}

const ScreenLine* MainWindow::screenLine(Screen screen) const
{
    for (const ScreenLine& line : mScreenTable)
        if (line.screen == screen) return &line;
    return nullptr;
}

void MainWindow::enableAvailableScreens()
{
    // A button needs every screen it opens (the evaluation opens its setup, then the table).
    QHash<QPushButton*, bool> available;
    for (const auto& [button, screen] : menuScreens())
        available[button] = available.value(button, true) && screenLine(screen) != nullptr;
    for (auto it = available.cbegin(); it != available.cend(); ++it) {
        it.key()->setEnabled(it.value());
        it.key()->setToolTip(it.value() ? QString() : QStringLiteral("準備中"));
    }
}

int MainWindow::currentPage() const
{
    return mPages->currentIndex();
}

void MainWindow::showPage(int page)
{
    mPages->showPage(page);
    onPageChanged();
}

// ---------------------------------------------------------------- start-up and shutdown

void MainWindow::startUp()
{
    setWindowTitle(MasterCaption());
    mProgressBar->setVisible(false);
    mGd->currentGrade = 0;

    {
        // Filling the lists chooses nothing yet: the Settings choose below, the user the grade.
        const QSignalBlocker b1(mClassModeCombo);
        const QSignalBlocker b2(mGradeCombo);
        mClassModeCombo->addItems({QStringLiteral("1,2,3型"), QStringLiteral("A,B,C型")});
        mGraphModeCombo->addItems({QStringLiteral("横型")});
        mBeepModeCombo->addItems({QStringLiteral("なし"), QStringLiteral("50点超過"), QStringLiteral("100点超過")});
        mGradeCombo->addItems({QStringLiteral("１年"), QStringLiteral("２年"), QStringLiteral("３年")});
        mGradeCombo->setCurrentIndex(-1);
        mClassModeCombo->setCurrentIndex(-1);
    }
    mTestCombo->setEnabled(false);

    StartupSettings settings = ReadStartupSettings(mSettings);
    show();

    const IniProposal proposal = ReadIniProposal(QDir(mProgramFolder).filePath(QStringLiteral("seiran.ini")));
    if (proposal.differsFrom(settings)) {
        const MsgAnswer answer =
            ShowMessage(QStringLiteral("標準の初期設定ファイルがあります\r\n\r\n設定しますか？"), MsgButtons::YesNo,
                        MsgIcon::Question, 1, QStringLiteral("成績処理せいらん"), this);
        if (answer == MsgAnswer::Yes) proposal.applyTo(settings);
    }

    // A folder without its final separator would put the file names onto the folder's name.
    QString folder = WithFinalSeparator(settings.dataFolder);
    if (folder.isEmpty()) folder = DefaultDataFolder();
    mGd->dataFolder = folder;
    mDataFolderEdit->setText(folder);

    mClassModeCombo->setCurrentIndex(ClampListIndex(settings.classMode, 1));
    mGraphModeCombo->setCurrentIndex(ClampListIndex(settings.graphMode, 0));
    mBeepModeCombo->setCurrentIndex(ClampListIndex(settings.beepMode, 2));
    onClassModeChanged();

    // Sharing the data folder with other PCs: the name they see, the wait for the guard and the
    // notices of holders found gone.
    mUserNameEdit->setText(settings.userName);
    SetLockUserName(settings.userName);
    InstallWindowGuardWait(this);
    mLockNotice = std::make_unique<LockNotice>(this);
    SetLockNotice(mLockNotice.get());

    mGd->printMarginLeft = 5;
    mGd->printMarginTop = 3;
    showPage(MasterPage);
    // The report fonts keep their names in GradeData; each report sets its own font when it
    // prints, so there is no printer to set up here.
    mGd->fontMincho = QStringLiteral("ＭＳ 明朝");
    mGd->fontGothic = QStringLiteral("ＭＳ ゴシック");
    mGd->fontPMincho = QStringLiteral("ＭＳ Ｐ明朝");
    mGd->fontPGothic = QStringLiteral("ＭＳ Ｐゴシック");
}

QString MainWindow::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("seiran.lock"));
}

std::unique_ptr<SingleInstance> MainWindow::acquireInstance(const QString& lockPath)
{
    return std::make_unique<SingleInstance>(lockPath.isEmpty() ? defaultLockPath() : lockPath);
}

void MainWindow::AnnounceToRunningInstance(const SingleInstance& instance, QWidget* parent)
{
    // A teacher who starts the program again is looking for its window.
    if (instance.askFirstToShow()) return;
    ShowMessage(QStringLiteral("せいらんはすでに起動しています。"), MsgButtons::Ok, MsgIcon::Information, 1, QString(),
                parent);
}

void MainWindow::adoptInstance(std::unique_ptr<SingleInstance> instance)
{
    mInstance = std::move(instance);
    if (mInstance) connect(mInstance.get(), &SingleInstance::showRequested, this, [this] { BringWindowToFront(this); });
}

bool MainWindow::checkSingleInstance(const QString& lockPath)
{
    std::unique_ptr<SingleInstance> instance = acquireInstance(lockPath);
    if (instance->isFirst()) {
        adoptInstance(std::move(instance));
        return true;
    }
    // The instance already running is the one the user works in; this one goes at once.
    AnnounceToRunningInstance(*instance, this);
    close();
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

void MainWindow::shutDown()
{
    if (mUnloaded) return;
    mUnloaded = true;
    // A folder typed but not yet confirmed by leaving the field still counts.
    if (mDataFolderEdit->isModified()) onDataFolderLeft();
    if (mNewRoster) mNewRoster->close();
    StartupSettings settings;
    settings.dataFolder = mGd->dataFolder;
    settings.classMode = mClassModeCombo->currentIndex();
    settings.graphMode = mGraphModeCombo->currentIndex();
    settings.beepMode = mBeepModeCombo->currentIndex();
    settings.userName = EffectiveUserName(mUserNameEdit->text());
    WriteStartupSettings(mSettings, settings);
    mInstance.reset();
    if (mHelpViewer) mHelpViewer->close();
}

// ---------------------------------------------------------------- selection

QString MainWindow::GetIniString(const QString& section, const QString& key, const QString& filePath) const
{
    return ReadIniString(filePath, section, key, QStringLiteral("*"));
}

void MainWindow::onGradeChanged()
{
    if (mGd->currentGrade != mGradeCombo->currentIndex() + 1) clearTest();
    mGd->currentGrade = mGradeCombo->currentIndex() + 1;
    mClassCountEdit->clear();
    refreshUsers();
}

void MainWindow::onUserNameEdited()
{
    const QString name = EffectiveUserName(mUserNameEdit->text());
    mUserNameEdit->setText(name);
    SetLockUserName(name);
}

void MainWindow::refreshUsers()
{
    // A refresh due while this process waits for the guard comes with the next one.
    if (WindowGuardWaiting()) return;
    const int grade = mGd->currentGrade;
    QStringList users;
    // A folder without the lock folder has never been shared: it is not created just to look.
    if (grade >= 1 && grade <= 3 && QFileInfo(GradeLockFolder(mGd->dataFolder, grade)).isDir()) {
        GradeLock lock(mGd->dataFolder, grade);
        QList<LockHolder> holders;
        const HostIdentity self = LockEnvironment::current().self();
        if (lock.others(holders)) {
            for (const LockHolder& h : std::as_const(holders)) {
                // This copy's own windows are not "someone else".
                if (h.host == self.host && h.pid == self.pid) continue;
                users << QStringLiteral("%1「%2」").arg(h.who(), h.screen);
            }
        }
    }
    mUsersLabel->setText(QStringLiteral("使用中: ") + users.join(QStringLiteral("、")));
    mUsersLabel->setVisible(!users.isEmpty());
}

void MainWindow::onClassModeChanged()
{
    mGd->classLabels = mClassModeCombo->currentIndex() == 0 ? QStringLiteral("123456789") : QStringLiteral("ABCDEFGHI");
}

void MainWindow::onTestChanged()
{
    const int index = mTestCombo->currentIndex();
    if (index < 0) return;
    mGd->currentTest = index + 1;
    // The reports of the test-summary page must not run on a test that did not load.
    if (!LoadCurrentTest() && currentPage() == TestReportPage) returnToTestMenu();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mDataFolderEdit) {
        // Only leaving the field for another control confirms it: switching to another program or
        // opening the field's context menu must not rewrite what is being typed.
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) onDataFolderLeft();
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            onDataFolderDoubleClicked();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onDataFolderDoubleClicked()
{
    DataFolderDialog dialog(mDataFolderEdit, this);
    dialog.exec();
}

void MainWindow::onDataFolderLeft()
{
    const QString folder = WithFinalSeparator(mDataFolderEdit->text());
    if (folder.isEmpty()) {
        // An empty field names no folder; the one in use stays.
        Beep();
        mDataFolderEdit->setText(mGd->dataFolder);
        return;
    }
    mDataFolderEdit->setText(folder);
    mDataFolderEdit->setModified(false);
    if (folder != mGd->dataFolder) clearTest();
    mGd->dataFolder = folder;
}

void MainWindow::clearTest()
{
    // A test belongs to one grade of one data folder.
    const QSignalBlocker blocker(mTestCombo);
    mTestCombo->clear();
    mGd->currentTest = 0;
}

void MainWindow::onPageChanged()
{
    const bool first = mPages->currentIndex() == MasterPage;
    mClassModeCombo->setEnabled(first);
    mDataFolderEdit->setEnabled(first);
}

void MainWindow::onManualClicked()
{
    const QString path = QDir(mProgramFolder).filePath(QStringLiteral("help/index.htm"));
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        // The path stands on a line of its own: a long path breaks there, never inside a word.
        ShowMessage(QStringLiteral("ヘルプファイルが見つかりません。\r\n%1").arg(shown), MsgButtons::Ok,
                    MsgIcon::Critical, 1, QString(), this);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (mUrlOpener) {
        if (!mUrlOpener(url)) showManualWindow(url);
        return;
    }
    // A system without a browser still shows the manual: in the program's own window.
    OpenInSystemBrowser(url, this, [this, url](const QString&) { showManualWindow(url); });
}

void MainWindow::showManualWindow(const QUrl& page)
{
    if (!mHelpViewer) {
        mHelpViewer = new HelpViewer(this);
        mHelpViewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    mHelpViewer->showPage(page);
    BringWindowToFront(mHelpViewer);
}

HelpViewer* MainWindow::helpViewer() const
{
    return mHelpViewer;
}

// ---------------------------------------------------------------- grade and test

void MainWindow::EnsureGrade()
{
    if (mGd->currentGrade != 0) return;
    GradeDialog dialog(mGradeCombo, this);
    dialog.exec();
}

bool MainWindow::PrepareGrade()
{
    EnsureGrade();
    if (mGd->currentGrade == 0) return false;
    for (auto load : {&LoadTestList, &LoadSubjectList}) {
        const Result r = load(*mGd);
        if (r) continue;
        QString text = r.message;
        const QString folder = mGd->dataFolder;
        const bool folderMissing = !QFileInfo(folder).isDir();
        const bool fileMissing = !QFileInfo::exists(TestListPath(*mGd)) || !QFileInfo::exists(HomeroomPath(*mGd)) ||
                                 !QFileInfo::exists(SubjectListPath(*mGd));
        if (folderMissing)
            text = QStringLiteral("データフォルダ %1 がありません。\r\n").arg(QDir::toNativeSeparators(folder)) + text;
        if (folderMissing || fileMissing)
            text += QStringLiteral("\r\n\r\n%1年のファイルがまだ作成されていません。\r\n"
                                   "「名簿の管理」の「名簿ファイルの新規作成」で作成してください。")
                        .arg(mGd->currentGrade);
        ShowMessage(text, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return false;
    }
    mClassCountEdit->setText(QString::number(mGd->classCount));
    return true;
}

void MainWindow::ChooseTest()
{
    TestPicker picker(mSession, mTestCombo, this);
    picker.exec();
}

bool MainWindow::LoadCurrentTest()
{
    const Result r = LoadTestScores(*mGd, *mProgress);
    if (!r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        mGd->currentTest = -1;
        return false;
    }
    AggregateTest(*mGd);
    return true;
}

bool MainWindow::loaded(const Result& result)
{
    if (!result) ShowMessage(result.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    return result.ok;
}

void MainWindow::notice(const QString& text)
{
    ShowMessage(text, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
}

void MainWindow::openScreen(Screen screen)
{
    if (mScreenRunner) {
        mScreenRunner(screen);
        return;
    }
    const ScreenLine* line = screenLine(screen);
    if (line && line->open) {
        line->open(mSession, this);
        refreshUsers();
    } else
        ShowMessage(QStringLiteral("この機能は準備中です。"), MsgButtons::Ok, MsgIcon::Information, 1, QString(), this);
}

// ---------------------------------------------------------------- menu

void MainWindow::onQuitClicked()
{
    close();
}

void MainWindow::returnToMasterMenu()
{
    showPage(MasterPage);
    // The grade is chosen again by the next command.
    mGradeCombo->setCurrentIndex(-1);
}

void MainWindow::returnToTestMenu()
{
    mGradeCombo->setEnabled(true);
    mTestCombo->setEnabled(false);
    showPage(TestPage);
}

void MainWindow::onScoreEntryClicked()
{
    runMenuCommand(Screen::ScoreEntry);
}

void MainWindow::onSubjectScoreEntryClicked()
{
    runMenuCommand(Screen::SubjectScoreEntry);
}

void MainWindow::onTestReportsClicked()
{
    if (!PrepareGrade()) return;
    ChooseTest();
    if (mGd->currentTest > 0) {
        mGradeCombo->setEnabled(false);
        mTestCombo->setEnabled(true);
        showPage(TestReportPage);
    }
}

void MainWindow::onHyoteiClicked()
{
    const ScreenLine* setup = screenLine(Screen::EvaluationSetup);
    if (!setup || !prepare(setup->preparation)) return;
    // Only a choice made now opens the evaluation.
    mGd->selectedItemCount = 0;
    openScreen(Screen::EvaluationSetup);
    runMenuCommand(Screen::Hyotei);
}

void MainWindow::onNaishinEntryClicked()
{
    runMenuCommand(Screen::NaishinEntry);
}

bool MainWindow::loadCareerData(bool withNaishin)
{
    return loaded(LoadCareerChoices(*mGd, *mProgress)) && loaded(LoadHighSchoolList(*mGd, mProgramFolder, *this)) &&
           (!withNaishin || loaded(LoadNaishin(*mGd, *mProgress)));
}

bool MainWindow::prepare(Preparation preparation)
{
    switch (preparation) {
    case Preparation::None:
        return true;
    case Preparation::GradeChosen:
        EnsureGrade();
        return mGd->currentGrade > 0;
    case Preparation::Grade:
        return PrepareGrade();
    case Preparation::GradeAndTest:
        if (!PrepareGrade()) return false;
        ChooseTest();
        return mGd->currentTest > 0;
    case Preparation::GradeAndSubjectTests:
        if (!PrepareGrade()) return false;
        {
            SubjectTestsPicker picker(mSession, this);
            picker.exec();
        }
        return mGd->selectedItemCount > 0;
    case Preparation::GradeAndNaishin:
        return PrepareGrade() && loaded(LoadNaishin(*mGd, *mProgress));
    case Preparation::GradeAndChoices:
        return PrepareGrade() && loadCareerData(false);
    case Preparation::GradeChoicesNaishin:
        return PrepareGrade() && loadCareerData(true);
    case Preparation::EvaluationChosen:
        return mGd->selectedItemCount > 0;
    }
    return false;
}

void MainWindow::runMenuCommand(Screen screen)
{
    // A screen that is not part of the program has its button disabled; nothing to prepare.
    const ScreenLine* line = screenLine(screen);
    if (!line || !prepare(line->preparation)) return;
    if (isEntryScreen(screen) && !gradeHasPupils(screen)) return;
    openScreen(screen);
}

bool MainWindow::isEntryScreen(Screen screen)
{
    return screen == Screen::ScoreEntry || screen == Screen::SubjectScoreEntry || screen == Screen::NaishinEntry ||
           screen == Screen::CareerChoiceEntry;
}

bool MainWindow::gradeHasPupils(Screen screen)
{
    // The other entry screens' preparations have just read the roster; this one has only chosen.
    if (screen == Screen::SubjectScoreEntry && !loaded(LoadRoster(*mGd, *mProgress))) return false;
    if (mGd->studentCount > 0) return true;
    // An empty grid would only leave the teacher wondering where the pupils went.
    ShowMessage(QStringLiteral("この学年には生徒が登録されていません。「名簿の管理」→「名簿の入力・編集」で生徒を"
                               "登録してください。"),
                MsgButtons::Ok, MsgIcon::Information, 1, QString(), this);
    return false;
}

void MainWindow::onCareerChoiceEntryClicked()
{
    runMenuCommand(Screen::CareerChoiceEntry);
}

void MainWindow::onTargetSchoolListClicked()
{
    runMenuCommand(Screen::TargetSchoolList);
}

void MainWindow::onCareerGuidanceClicked()
{
    runMenuCommand(Screen::CareerGuidance);
}

void MainWindow::onRosterEditorClicked()
{
    runMenuCommand(Screen::RosterEditor);
}

void MainWindow::onNewRosterClicked()
{
    if (mNewRoster) {
        mNewRoster->raise();
        mNewRoster->activateWindow();
        return;
    }
    auto* window = new NewRosterWindow(mSession, this);
    connect(window, &NewRosterWindow::gradeCreated, this, &MainWindow::onNewRosterCreated);
    connect(window, &QDialog::finished, window, &QObject::deleteLater);
    mNewRoster = window;
    window->show();
}

void MainWindow::onNewRosterCreated(int grade, int classCount)
{
    // The test of the summary page was loaded from the files just replaced, or from another
    // grade: its reports are left until a test is chosen again.
    if (currentPage() == TestReportPage) returnToTestMenu();
    mGradeCombo->setCurrentIndex(grade - 1);
    mGd->currentGrade = grade; // also when the list showed this grade already
    mGd->classCount = classCount;
    mClassCountEdit->setText(QString::number(classCount));
}

QWidget* MainWindow::newRosterWindow() const
{
    return mNewRoster.data();
}

void MainWindow::onPromotionClicked()
{
    runMenuCommand(Screen::Promotion);
}

void MainWindow::onReportCardClicked()
{
    runMenuCommand(Screen::ReportCard);
}

void MainWindow::onTrendGraphClicked()
{
    runMenuCommand(Screen::TrendGraph);
}

void MainWindow::onNotificationCardClicked()
{
    runMenuCommand(Screen::NotificationCard);
}

void MainWindow::onSubjectEditorClicked()
{
    runMenuCommand(Screen::SubjectEditor);
}

void MainWindow::onTestEditorClicked()
{
    runMenuCommand(Screen::TestEditor);
}

} // namespace seiran
