// Start-up of the main window against a bare Qt window showing a Japanese label, each in a process
// of its own (the first show pays for fonts and styles, which a repeated in-process loop would
// hide). The main window is this program run as its own child; the bare window is
// bench_bare_window beside it, which loads no library of the program, so that the floor pays
// nothing the program adds. Prints the ratio of the medians.
//   bench_startup [runs]        measure (default 15 runs of each, alternating)
//   bench_startup --child main  one start of the main window
#include "MainWindow.h"
#include "ReportFonts.h"
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
    std::vector<double> bare, main;
    for (int i = 0; i < runs * 2; ++i) {
        const bool isMain = i % 2 == 1;
        QElapsedTimer timer;
        timer.start();
        QProcess child;
        if (isMain)
            child.start(QApplication::applicationFilePath(), {QStringLiteral("--child"), QStringLiteral("main")});
        else
            child.start(QApplication::applicationDirPath() + QStringLiteral("/bench_bare_window"), {});
        child.waitForFinished(60000);
        (isMain ? main : bare).push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("bare window median %.1f ms, main window median %.1f ms, ratio %.2f\n", medianMs(bare), medianMs(main),
                medianMs(main) / medianMs(bare));
    return 0;
}
