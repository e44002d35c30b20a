// せいらん: the grade-processing program. Builds the application and the main window; the
// window does the rest.
#include "Cp932.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ReportFonts.h"
#include "ScreenFont.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "ToolkitEnvironment.h"

#include <QApplication>
#include <QStringList>
#include <QTranslator>
#include <cstdio>

int main(int argc, char* argv[])
{
    // --version and --help answer in the terminal before any window (or display) is needed.
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    if (const QString info = seiran::ProgramInfoRequest(rawArgs); !info.isEmpty()) {
        std::fputs(info.toUtf8().constData(), stdout);
        return 0;
    }

    seiran::PrepareToolkitEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Seiran"));
    QApplication::setOrganizationName(QStringLiteral("Seiran"));

    if (!seiran::Cp932::isAvailable()) {
        seiran::ShowMessage(QStringLiteral("文字コード CP932（シフトJIS）の変換が使えないため、起動できません。"),
                            seiran::MsgButtons::Ok, seiran::MsgIcon::Critical);
        return 1;
    }
    seiran::MapReportFonts();
    seiran::UseScreenFont();

    // The print and file dialogs and the edit menus are Qt's own: give them their Japanese texts.
    QTranslator qtJapanese;
    if (seiran::LoadQtJapanese(qtJapanese, seiran::QtTranslationFolders(QApplication::applicationDirPath())))
        QApplication::installTranslator(&qtJapanese);

    // Developer option: keep the Settings in a file of one's own (the sample mode of run.sh).
    const QStringList args = QApplication::arguments();
    const qsizetype settingsArg = args.indexOf(QStringLiteral("--settings"));
    if (settingsArg > 0 && settingsArg + 1 < args.size())
        seiran::SettingsStore::redirectToFile(args.at(settingsArg + 1));

    // A second instance makes no window of its own: it brings the running one to the front (or
    // says that it runs) and ends.
    std::unique_ptr<seiran::SingleInstance> instance = seiran::MainWindow::acquireInstance();
    if (!instance->isFirst()) {
        seiran::MainWindow::AnnounceToRunningInstance(*instance);
        return 0;
    }

    std::unique_ptr<seiran::SettingsStore> settings = seiran::SettingsStore::openDefault();
    seiran::MainWindow window(QApplication::applicationDirPath(), *settings);
    window.adoptInstance(std::move(instance));
    return app.exec();
}
