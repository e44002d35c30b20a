// せいらん: the grade-processing program. Builds the application and the main window; the
// window does the rest.
#include "Cp932.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ReportFonts.h"
#include "SettingsStore.h"
#include "Startup.h"

#include <QApplication>
#include <QLockFile>
#include <QStringList>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Seiran"));
    QApplication::setOrganizationName(QStringLiteral("Seiran"));

    if (!seiran::Cp932::isAvailable()) {
        seiran::ShowMessage(QStringLiteral("文字コード CP932（シフトJIS）の変換が使えないため、起動できません。"),
                            seiran::MsgButtons::Ok, seiran::MsgIcon::Critical);
        return 1;
    }
    seiran::MapReportFonts();

    // The print and file dialogs and the edit menus are Qt's own: give them their Japanese texts.
    QTranslator qtJapanese;
    if (seiran::LoadQtJapanese(qtJapanese, seiran::QtTranslationFolders(QApplication::applicationDirPath())))
        QApplication::installTranslator(&qtJapanese);

    // Developer option: keep the Settings in a file of one's own (the sample mode of run.sh).
    const QStringList args = QApplication::arguments();
    const qsizetype settingsArg = args.indexOf(QStringLiteral("--settings"));
    if (settingsArg > 0 && settingsArg + 1 < args.size())
        seiran::SettingsStore::redirectToFile(args.at(settingsArg + 1));

    // A second instance ends before it shows anything: the running one is where the user works.
    std::unique_ptr<QLockFile> lock = seiran::MainWindow::acquireInstanceLock();
    if (!lock) return 0;

    std::unique_ptr<seiran::SettingsStore> settings = seiran::SettingsStore::openDefault();
    seiran::MainWindow window(QApplication::applicationDirPath(), *settings);
    window.adoptInstanceLock(std::move(lock));
    return app.exec();
}
