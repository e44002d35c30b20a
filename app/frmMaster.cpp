#include "frmMaster.h"

#include "Aggregate.h"
#include "Beep.h"
#include "GradeData.h"
#include "IniReader.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "RosterFile.h"
#include "SettingsStore.h"
#include "frmInputGrade.h"
#include "frmNewMeibo.h"
#include "frmSelectDir.h"
#include "frmSelectTest.h"
#include "frmSelectTest2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
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
class frmMaster::StatusProgress final : public IProgress
{
public:
    explicit StatusProgress(frmMaster* window) : mWindow(window) {}
    void setStatusText(const QString& text) override
    {
        mWindow->statusPanel1->setText(text);
        mWindow->statusPanel1->repaint();
    }
    void setMaximum(int maximum) override { mWindow->ProgressBar1->setMaximum(qMax(0, maximum)); }
    void setValue(int value) override
    {
        QProgressBar* bar = mWindow->ProgressBar1;
        bar->setValue(qBound(bar->minimum(), value, bar->maximum()));
        if (bar->isVisible()) bar->repaint();
    }
    void setVisible(bool visible) override
    {
        mWindow->ProgressBar1->setVisible(visible);
        if (visible) mWindow->ProgressBar1->repaint();
    }

private:
    frmMaster* mWindow;
};

frmMaster::frmMaster(const QString& programFolder, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), mGd(std::make_unique<GradeData>()),
      mProgress(std::make_unique<StatusProgress>(this)), mSession{*mGd, *mProgress, *this, programFolder,
                                                                  [this] { return Combo_beep_mode->currentIndex(); }},
      mProgramFolder(programFolder), mSettings(settings)
{
    buildWindow();
    wireButtons();
    enableAvailableScreens();
    Form_Load();
}

frmMaster::~frmMaster()
{
    if (mNewRoster) delete mNewRoster.data();
}

IProgress& frmMaster::progress()
{
    return *mProgress;
}

// ---------------------------------------------------------------- window

QPushButton* frmMaster::menuButton(const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setMinimumSize(300, 46);
    button->setAutoDefault(false);
    QFont f = button->font();
    f.setPointSizeF(f.pointSizeF() * 1.15);
    button->setFont(f);
    return button;
}

QWidget* frmMaster::buildPage(const QString& title, const QList<QPushButton*>& buttons)
{
    auto* page = new QWidget;
    auto* titleLabel = new QLabel(title, page);
    titleLabel->setObjectName(QStringLiteral("pageTitle"));
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setMinimumHeight(40);
    pageTitles.append(titleLabel);

    // The commands of the page in two columns; the way back sits alone at the bottom right.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(12);
    const int commands = int(buttons.size()) - 1;
    for (int i = 0; i < commands; ++i)
        grid->addWidget(buttons.at(i), i / 2, i % 2);
    grid->addWidget(buttons.last(), commands / 2 + (commands % 2 == 0 ? 1 : 0), 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(24, 12, 24, 16);
    layout->addWidget(titleLabel);
    layout->addSpacing(12);
    layout->addLayout(grid);
    layout->addStretch();
    return page;
}

void frmMaster::buildWindow()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    SSPanel1 = new QLabel(QStringLiteral("成績処理せいらん　２００５　for Ｗｉｎｄｏｗs"), central);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setAlignment(Qt::AlignCenter);
    SSPanel1->setMinimumHeight(54);
    QFont bannerFont = SSPanel1->font();
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.8);
    bannerFont.setBold(true);
    SSPanel1->setFont(bannerFont);

    Command24 = new QPushButton(QStringLiteral("取扱説明書"), central);
    Command24->setMinimumSize(120, 54);
    Command24->setAutoDefault(false);

    Frame1 = new QGroupBox(QStringLiteral("現在の処理設定"), central);
    Combo_nen = new QComboBox(Frame1);
    list_class_max = new QLineEdit(Frame1);
    list_class_max->setReadOnly(true);
    list_class_max->setFocusPolicy(Qt::NoFocus);
    list_class_max->setMaximumWidth(60);
    comTest = new QComboBox(Frame1);
    comTest->setMinimumWidth(200);
    auto* form1 = new QFormLayout(Frame1);
    form1->addRow(QStringLiteral("学年"), Combo_nen);
    form1->addRow(QStringLiteral("クラス数"), list_class_max);
    form1->addRow(QStringLiteral("テスト名"), comTest);

    Frame2 = new QGroupBox(QStringLiteral("現在の環境設定"), central);
    Text_data_dir = new QLineEdit(Frame2);
    Text_data_dir->setToolTip(QStringLiteral("ダブルクリックでフォルダを選べます"));
    Text_data_dir->setMinimumWidth(240);
    Combo_class_mode = new QComboBox(Frame2);
    Combo_graph_mode = new QComboBox(Frame2);
    Combo_beep_mode = new QComboBox(Frame2);
    auto* form2 = new QFormLayout(Frame2);
    form2->addRow(QStringLiteral("データフォルダ"), Text_data_dir);
    form2->addRow(QStringLiteral("クラス名の型"), Combo_class_mode);
    form2->addRow(QStringLiteral("度数分布グラフ"), Combo_graph_mode);
    form2->addRow(QStringLiteral("入力時の警告音"), Combo_beep_mode);

    Command3 = menuButton(QStringLiteral("テスト処理"));
    Command5 = menuButton(QStringLiteral("評定・進路の処理"));
    Command6 = menuButton(QStringLiteral("名簿の管理"));
    Command4 = menuButton(QStringLiteral("懇談資料"));
    Command34 = menuButton(QStringLiteral("基本情報の管理"));
    Command8 = menuButton(QStringLiteral("終了"));
    Command10 = menuButton(QStringLiteral("点数の入力（テスト別）"));
    Command9 = menuButton(QStringLiteral("点数の入力（教科別）"));
    Command11 = menuButton(QStringLiteral("テスト別集計資料"));
    Command14 = menuButton(QStringLiteral("マスターメニューに戻る"));
    Command1 = menuButton(QStringLiteral("素点表一覧表"));
    Command15 = menuButton(QStringLiteral("平均点・最高点一覧表"));
    Command18 = menuButton(QStringLiteral("教科別順位表"));
    Command19 = menuButton(QStringLiteral("教科別度数分布グラフ"));
    Command32 = menuButton(QStringLiteral("テストのまとめ（生徒配布用）"));
    Command2 = menuButton(QStringLiteral("テスト処理メニューに戻る"));
    Command20 = menuButton(QStringLiteral("評定の算出と印刷"));
    Command12 = menuButton(QStringLiteral("内申点の入力"));
    Command7 = menuButton(QStringLiteral("進路希望の入力"));
    Command13 = menuButton(QStringLiteral("志望校・内申一覧表　表示・印刷"));
    Command17 = menuButton(QStringLiteral("進路指導資料作成"));
    Command21 = menuButton(QStringLiteral("マスターメニューに戻る"));
    Command26 = menuButton(QStringLiteral("名簿の入力・編集"));
    Command22 = menuButton(QStringLiteral("名簿ファイルの新規作成"));
    Command35 = menuButton(QStringLiteral("進級時名簿処理"));
    Command25 = menuButton(QStringLiteral("マスターメニューに戻る"));
    Command27 = menuButton(QStringLiteral("テスト成績表作成"));
    Command28 = menuButton(QStringLiteral("教科別得点推移グラフ"));
    Command36 = menuButton(QStringLiteral("テスト成績表（通知票）"));
    Command23 = menuButton(QStringLiteral("マスターメニューに戻る"));
    Command30 = menuButton(QStringLiteral("教科情報の変更"));
    Command29 = menuButton(QStringLiteral("テスト情報の変更"));
    Command31 = menuButton(QStringLiteral("高校名の入力"));
    Command33 = menuButton(QStringLiteral("マスターメニューに戻る"));

    SSTab1 = new QStackedWidget(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setFrameShape(QFrame::StyledPanel);
    SSTab1->addWidget(
        buildPage(QStringLiteral("マスターメニュー"), {Command3, Command5, Command6, Command4, Command34, Command8}));
    SSTab1->addWidget(buildPage(QStringLiteral("テスト処理"), {Command10, Command9, Command11, Command14}));
    SSTab1->addWidget(buildPage(QStringLiteral("テスト別集計資料"),
                                {Command1, Command15, Command18, Command19, Command32, Command2}));
    SSTab1->addWidget(buildPage(QStringLiteral("評定・進路の処理"),
                                {Command20, Command12, Command7, Command13, Command17, Command21}));
    SSTab1->addWidget(buildPage(QStringLiteral("名簿の管理"), {Command26, Command22, Command35, Command25}));
    SSTab1->addWidget(buildPage(QStringLiteral("懇談資料"), {Command27, Command28, Command36, Command23}));
    SSTab1->addWidget(buildPage(QStringLiteral("基本情報の管理"), {Command30, Command29, Command31, Command33}));

    auto* top = new QHBoxLayout;
    top->addWidget(SSPanel1, 1);
    top->addWidget(Command24);
    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame1, 2);
    frames->addWidget(Frame2, 3);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 10, 10, 6);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addLayout(frames);
    layout->addWidget(SSTab1, 1);

    // Two panels; the progress bar lies over the second one and is shown only while it runs.
    statusPanel1 = new QLabel(this);
    statusPanel1->setFrameShape(QFrame::Panel);
    statusPanel1->setFrameShadow(QFrame::Sunken);
    statusPanel1->setMinimumWidth(200);
    auto* panel2 = new QWidget(this);
    panel2->setFixedWidth(300);
    auto* stack = new QStackedLayout(panel2);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(0, 0, 0, 0);
    statusPanel2 = new QLabel(panel2);
    statusPanel2->setFrameShape(QFrame::Panel);
    statusPanel2->setFrameShadow(QFrame::Sunken);
    ProgressBar1 = new QProgressBar(panel2);
    ProgressBar1->setTextVisible(false);
    stack->addWidget(statusPanel2);
    stack->addWidget(ProgressBar1);
    stack->setCurrentWidget(ProgressBar1);
    statusBar()->addWidget(statusPanel1, 1);
    statusBar()->addPermanentWidget(panel2);
    statusBar()->setSizeGripEnabled(true);

    setStyleSheet(
        QStringLiteral("QLabel#SSPanel1 { color: white; border: 2px outset #8ea6cf;"
                       " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #17336b, stop:1 #4f7bbd); }"
                       "QLabel#pageTitle { font-weight: bold; border: 2px outset #c8c8c8; background: #e9eef6; }"
                       "QStackedWidget#SSTab1 { background: #f7f7f4; }"));
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    for (QLabel* title : std::as_const(pageTitles))
        title->setFont(titleFont);

    resize(860, 610);
}

void frmMaster::wireButtons()
{
    connect(Combo_nen, &QComboBox::currentIndexChanged, this, &frmMaster::Combo_nen_Click);
    connect(Combo_class_mode, &QComboBox::currentIndexChanged, this, &frmMaster::Combo_class_mode_Click);
    connect(comTest, &QComboBox::currentIndexChanged, this, &frmMaster::comTest_Click);
    connect(SSTab1, &QStackedWidget::currentChanged, this, &frmMaster::SSTab1_Click);
    Text_data_dir->installEventFilter(this);

    connect(Command24, &QPushButton::clicked, this, &frmMaster::Command24_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMaster::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &frmMaster::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &frmMaster::Command6_Click);
    connect(Command4, &QPushButton::clicked, this, &frmMaster::Command4_Click);
    connect(Command34, &QPushButton::clicked, this, &frmMaster::Command34_Click);
    connect(Command8, &QPushButton::clicked, this, &frmMaster::Command8_Click);
    for (QPushButton* back : {Command14, Command21, Command25, Command23, Command33})
        connect(back, &QPushButton::clicked, this, &frmMaster::ReturnToMaster_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMaster::Command2_Click);

    connect(Command10, &QPushButton::clicked, this, &frmMaster::Command10_Click);
    connect(Command9, &QPushButton::clicked, this, &frmMaster::Command9_Click);
    connect(Command11, &QPushButton::clicked, this, &frmMaster::Command11_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMaster::Command1_Click);
    connect(Command15, &QPushButton::clicked, this, &frmMaster::Command15_Click);
    connect(Command18, &QPushButton::clicked, this, &frmMaster::Command18_Click);
    connect(Command19, &QPushButton::clicked, this, &frmMaster::Command19_Click);
    connect(Command32, &QPushButton::clicked, this, &frmMaster::Command32_Click);
    connect(Command20, &QPushButton::clicked, this, &frmMaster::Command20_Click);
    connect(Command12, &QPushButton::clicked, this, &frmMaster::Command12_Click);
    connect(Command7, &QPushButton::clicked, this, &frmMaster::Command7_Click);
    connect(Command13, &QPushButton::clicked, this, &frmMaster::Command13_Click);
    connect(Command17, &QPushButton::clicked, this, &frmMaster::Command17_Click);
    connect(Command26, &QPushButton::clicked, this, &frmMaster::Command26_Click);
    connect(Command22, &QPushButton::clicked, this, &frmMaster::Command22_Click);
    connect(Command35, &QPushButton::clicked, this, &frmMaster::Command35_Click);
    connect(Command27, &QPushButton::clicked, this, &frmMaster::Command27_Click);
    connect(Command28, &QPushButton::clicked, this, &frmMaster::Command28_Click);
    connect(Command36, &QPushButton::clicked, this, &frmMaster::Command36_Click);
    connect(Command30, &QPushButton::clicked, this, &frmMaster::Command30_Click);
    connect(Command29, &QPushButton::clicked, this, &frmMaster::Command29_Click);
    connect(Command31, &QPushButton::clicked, this, &frmMaster::Command31_Click);
}

void frmMaster::enableAvailableScreens()
{
    const QList<QPair<QPushButton*, bool>> leaves = {
        {Command10, ScreenAvailable(Screen::frmDatainput)},
        {Command9, ScreenAvailable(Screen::frmDatainput1)},
        {Command1, ScreenAvailable(Screen::frmPrintSoten)},
        {Command15, ScreenAvailable(Screen::frmPrintAverage)},
        {Command18, ScreenAvailable(Screen::frmPrintJun)},
        {Command19, ScreenAvailable(Screen::frmPrintGraph)},
        {Command32, ScreenAvailable(Screen::frmPrintGraph2)},
        {Command20, ScreenAvailable(Screen::frmSelectTest3) && ScreenAvailable(Screen::frmHyoka)},
        {Command12, ScreenAvailable(Screen::frmInputNaisin)},
        {Command7, ScreenAvailable(Screen::frmInputSinro)},
        {Command13, ScreenAvailable(Screen::frmPrintSibo)},
        {Command17, ScreenAvailable(Screen::frmPrintSinro)},
        {Command26, ScreenAvailable(Screen::frmEditMeibo)},
        {Command35, ScreenAvailable(Screen::frmEditUpMeibo)},
        {Command27, ScreenAvailable(Screen::frmPrintTest)},
        {Command28, ScreenAvailable(Screen::frmPrintSuii)},
        {Command36, ScreenAvailable(Screen::frmPrintTest2)},
        {Command30, ScreenAvailable(Screen::frmEditKyoka)},
        {Command29, ScreenAvailable(Screen::frmEditTest)},
        {Command31, ScreenAvailable(Screen::frmEditSinro)},
    };
    for (const auto& [button, available] : leaves) {
        button->setEnabled(available);
        button->setToolTip(available ? QString() : QStringLiteral("準備中"));
    }
}

int frmMaster::currentPage() const
{
    return SSTab1->currentIndex();
}

void frmMaster::showPage(int page)
{
    SSTab1->setCurrentIndex(page);
    SSTab1_Click();
}

// ---------------------------------------------------------------- start-up and shutdown

void frmMaster::Form_Load()
{
    setWindowTitle(MasterCaption());
    ProgressBar1->setVisible(false);
    mGd->currentGrade = 0;

    {
        // Filling the lists chooses nothing yet: the Settings choose below, the user the grade.
        const QSignalBlocker b1(Combo_class_mode);
        const QSignalBlocker b2(Combo_nen);
        Combo_class_mode->addItems({QStringLiteral("1,2,3型"), QStringLiteral("A,B,C型")});
        Combo_graph_mode->addItems({QStringLiteral("横型")});
        Combo_beep_mode->addItems({QStringLiteral("なし"), QStringLiteral("50点超過"), QStringLiteral("100点超過")});
        Combo_nen->addItems({QStringLiteral("１年"), QStringLiteral("２年"), QStringLiteral("３年")});
        Combo_nen->setCurrentIndex(-1);
        Combo_class_mode->setCurrentIndex(-1);
    }
    comTest->setEnabled(false);

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
    Text_data_dir->setText(folder);

    Combo_class_mode->setCurrentIndex(ClampListIndex(settings.classMode, 1));
    Combo_graph_mode->setCurrentIndex(ClampListIndex(settings.graphMode, 0));
    Combo_beep_mode->setCurrentIndex(ClampListIndex(settings.beepMode, 2));
    Combo_class_mode_Click();

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

QString frmMaster::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("seiran.lock"));
}

bool frmMaster::checkSingleInstance(const QString& lockPath)
{
    mLock = std::make_unique<QLockFile>(lockPath.isEmpty() ? defaultLockPath() : lockPath);
    // A running instance keeps its lock however long it runs.
    mLock->setStaleLockTime(0);
    if (mLock->tryLock(0)) return true;
    const bool heldByOther = mLock->error() == QLockFile::LockFailedError;
    mLock.reset();
    if (!heldByOther) return true; // the lock cannot be made here at all; run rather than refuse to start
    // The instance already running is the one the user works in; this one goes at once.
    close();
    return false;
}

void frmMaster::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmMaster::Form_Unload()
{
    if (mUnloaded) return;
    mUnloaded = true;
    // A folder typed but not yet confirmed by leaving the field still counts.
    if (Text_data_dir->isModified()) Text_data_dir_LostFocus();
    if (mNewRoster) mNewRoster->close();
    StartupSettings settings;
    settings.dataFolder = mGd->dataFolder;
    settings.classMode = Combo_class_mode->currentIndex();
    settings.graphMode = Combo_graph_mode->currentIndex();
    settings.beepMode = Combo_beep_mode->currentIndex();
    WriteStartupSettings(mSettings, settings);
    mLock.reset();
}

// ---------------------------------------------------------------- selection

QString frmMaster::GetIniString(const QString& section, const QString& key, const QString& filePath) const
{
    return ReadIniString(filePath, section, key, QStringLiteral("*"));
}

void frmMaster::Combo_nen_Click()
{
    mGd->currentGrade = Combo_nen->currentIndex() + 1;
    list_class_max->clear();
}

void frmMaster::Combo_class_mode_Click()
{
    mGd->classLabels =
        Combo_class_mode->currentIndex() == 0 ? QStringLiteral("123456789") : QStringLiteral("ABCDEFGHI");
}

void frmMaster::comTest_Click()
{
    const int index = comTest->currentIndex();
    if (index < 0) return;
    mGd->currentTest = index + 1;
    // The reports of the test-summary page must not run on a test that did not load.
    if (!LoadCurrentTest() && currentPage() == TestReportPage) Command2_Click();
}

bool frmMaster::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text_data_dir) {
        if (event->type() == QEvent::FocusOut)
            Text_data_dir_LostFocus();
        else if (event->type() == QEvent::MouseButtonDblClick) {
            Text_data_dir_DblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMaster::Text_data_dir_DblClick()
{
    frmSelectDir dialog(Text_data_dir, this);
    dialog.exec();
}

void frmMaster::Text_data_dir_LostFocus()
{
    const QString folder = WithFinalSeparator(Text_data_dir->text());
    if (folder.isEmpty()) {
        // An empty field names no folder; the one in use stays.
        Beep();
        Text_data_dir->setText(mGd->dataFolder);
        return;
    }
    Text_data_dir->setText(folder);
    mGd->dataFolder = folder;
}

void frmMaster::SSTab1_Click()
{
    const bool first = SSTab1->currentIndex() == MasterPage;
    Combo_class_mode->setEnabled(first);
    Text_data_dir->setEnabled(first);
}

void frmMaster::Command24_Click()
{
    const QString path = QDir(mProgramFolder).filePath(QStringLiteral("help/index.htm"));
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        ShowMessage(QStringLiteral("ヘルプファイル %1 が見つかりません。").arg(shown), MsgButtons::Ok,
                    MsgIcon::Critical, 1, QString(), this);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    const bool opened = mUrlOpener ? mUrlOpener(url) : QDesktopServices::openUrl(url);
    if (!opened)
        ShowMessage(
            QStringLiteral("ヘルプファイル %1 を開けません。\r\nこのファイルを開くブラウザが設定されていません。")
                .arg(shown),
            MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
}

// ---------------------------------------------------------------- grade and test

void frmMaster::EnsureGrade()
{
    if (mGd->currentGrade != 0) return;
    frmInputGrade dialog(Combo_nen, this);
    dialog.exec();
}

bool frmMaster::PrepareGrade()
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
    list_class_max->setText(QString::number(mGd->classCount));
    return true;
}

void frmMaster::ChooseTest()
{
    frmSelectTest picker(mSession, comTest, this);
    picker.exec();
}

bool frmMaster::LoadCurrentTest()
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

bool frmMaster::loaded(const Result& result)
{
    if (!result) ShowMessage(result.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    return result.ok;
}

void frmMaster::notice(const QString& text)
{
    ShowMessage(text, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
}

void frmMaster::openScreen(Screen screen)
{
    if (mScreenRunner) {
        mScreenRunner(screen);
        return;
    }
    if (!RunScreenModal(screen, mSession, this))
        ShowMessage(QStringLiteral("この機能は準備中です。"), MsgButtons::Ok, MsgIcon::Information, 1, QString(), this);
}

// ---------------------------------------------------------------- menu

void frmMaster::Command8_Click()
{
    close();
}

void frmMaster::ReturnToMaster_Click()
{
    showPage(MasterPage);
    // The grade is chosen again by the next command.
    Combo_nen->setCurrentIndex(-1);
}

void frmMaster::Command2_Click()
{
    Combo_nen->setEnabled(true);
    comTest->setEnabled(false);
    showPage(TestPage);
}

void frmMaster::Command10_Click()
{
    if (!PrepareGrade()) return;
    ChooseTest();
    if (mGd->currentTest > 0) openScreen(Screen::frmDatainput);
}

void frmMaster::Command9_Click()
{
    if (!PrepareGrade()) return;
    {
        frmSelectTest2 picker(mSession, this);
        picker.exec();
    }
    if (mGd->selectedItemCount > 0) openScreen(Screen::frmDatainput1);
}

void frmMaster::Command11_Click()
{
    if (!PrepareGrade()) return;
    ChooseTest();
    if (mGd->currentTest > 0) {
        Combo_nen->setEnabled(false);
        comTest->setEnabled(true);
        showPage(TestReportPage);
    }
}

void frmMaster::Command20_Click()
{
    if (!PrepareGrade()) return;
    // Only a choice made now opens the evaluation.
    mGd->selectedItemCount = 0;
    openScreen(Screen::frmSelectTest3);
    if (mGd->selectedItemCount > 0) openScreen(Screen::frmHyoka);
}

void frmMaster::Command12_Click()
{
    if (PrepareGrade() && loaded(LoadNaishin(*mGd, *mProgress))) openScreen(Screen::frmInputNaisin);
}

bool frmMaster::loadCareerData(bool withNaishin)
{
    return loaded(LoadCareerChoices(*mGd, *mProgress)) && loaded(LoadHighSchoolList(*mGd, mProgramFolder, *this)) &&
           (!withNaishin || loaded(LoadNaishin(*mGd, *mProgress)));
}

void frmMaster::Command7_Click()
{
    if (PrepareGrade() && loadCareerData(false)) openScreen(Screen::frmInputSinro);
}

void frmMaster::Command13_Click()
{
    if (PrepareGrade() && loadCareerData(true)) openScreen(Screen::frmPrintSibo);
}

void frmMaster::Command17_Click()
{
    if (PrepareGrade() && loadCareerData(true)) openScreen(Screen::frmPrintSinro);
}

void frmMaster::Command26_Click()
{
    if (PrepareGrade()) openScreen(Screen::frmEditMeibo);
}

void frmMaster::Command22_Click()
{
    if (mNewRoster) {
        mNewRoster->raise();
        mNewRoster->activateWindow();
        return;
    }
    auto* window = new frmNewMeibo(mSession, this);
    connect(window, &frmNewMeibo::gradeCreated, this, &frmMaster::NewRosterCreated);
    connect(window, &QDialog::finished, window, &QObject::deleteLater);
    mNewRoster = window;
    window->show();
}

void frmMaster::NewRosterCreated(int grade, int classCount)
{
    // The test of the summary page was loaded from the files just replaced, or from another
    // grade: its reports are left until a test is chosen again.
    if (currentPage() == TestReportPage) Command2_Click();
    Combo_nen->setCurrentIndex(grade - 1);
    mGd->currentGrade = grade; // also when the list showed this grade already
    mGd->classCount = classCount;
    list_class_max->setText(QString::number(classCount));
}

QWidget* frmMaster::newRosterWindow() const
{
    return mNewRoster.data();
}

void frmMaster::Command35_Click()
{
    if (PrepareGrade()) openScreen(Screen::frmEditUpMeibo);
}

void frmMaster::Command27_Click()
{
    if (PrepareGrade()) openScreen(Screen::frmPrintTest);
}

void frmMaster::Command28_Click()
{
    if (PrepareGrade()) openScreen(Screen::frmPrintSuii);
}

void frmMaster::Command36_Click()
{
    if (PrepareGrade()) openScreen(Screen::frmPrintTest2);
}

void frmMaster::Command30_Click()
{
    EnsureGrade();
    if (mGd->currentGrade > 0) openScreen(Screen::frmEditKyoka);
}

void frmMaster::Command29_Click()
{
    EnsureGrade();
    if (mGd->currentGrade > 0) openScreen(Screen::frmEditTest);
}

} // namespace seiran
