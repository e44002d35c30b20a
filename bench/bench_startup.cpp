// Start-up of the main window against a bare Qt window showing a Japanese label, each in a process
// of its own (the first show pays for fonts and styles, which a repeated in-process loop would
// hide). The main window is this program run as its own child; the bare window is
// bench_bare_window beside it, which loads no library of the program, so that the floor pays
// nothing the program adds, once in the desktop's font and once in the program's screen font.
// Prints the ratios of the medians.
//   bench_startup [runs]        measure (default 15 runs of each, alternating)
//   bench_startup --child main  one start of the main window
#include "MainWindow.h"
#include "ReportFonts.h"
#include "ScreenFont.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int runChild(const QString& mode)
{
    QTemporaryDir dir;
    const QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));
    if (mode != QLatin1String("main")) return 2;
    seiran::MapReportFonts();
    seiran::UseScreenFont();
    seiran::SettingsStore settings(settingsPath);
    seiran::MainWindow window(dir.path(), settings);
    QApplication::processEvents();
    return 0;
}

double medianMs(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--child")) return runChild(args.at(2));

    const int runs = args.size() >= 2 ? std::max(3, args.at(1).toInt()) : 15;
    // Three processes in turn: the program, the bare window in the desktop's font, and the bare
    // window in the program's own screen font (the floor that does the same font work).
    std::vector<double> bare, bareScreenFont, main;
    const QString barePath = QApplication::applicationDirPath() + QStringLiteral("/bench_bare_window");
    for (int i = 0; i < runs * 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        QProcess child;
        if (i % 3 == 0)
            child.start(QApplication::applicationFilePath(), {QStringLiteral("--child"), QStringLiteral("main")});
        else if (i % 3 == 1)
            child.start(barePath, {});
        else
            child.start(barePath, {QStringLiteral("--screen-font")});
        child.waitForFinished(60000);
        (i % 3 == 0 ? main : i % 3 == 1 ? bare : bareScreenFont).push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("main window median %.1f ms\n", medianMs(main));
    std::printf("bare window median %.1f ms, ratio %.2f\n", medianMs(bare), medianMs(main) / medianMs(bare));
    std::printf("bare window in the screen font median %.1f ms, ratio %.2f\n", medianMs(bareScreenFont),
                medianMs(main) / medianMs(bareScreenFont));
    return 0;
}
