// Start-up of the main window against a bare Qt window showing a Japanese label, each in a process
// of its own (the first show pays for fonts and styles, which a repeated in-process loop would
// hide). The program runs itself as the child for either mode and prints the ratio of the medians.
//   bench_startup [runs]        measure (default 15 runs of each, alternating)
//   bench_startup --child MODE  one start: MODE is "bare" or "main"
#include "MainWindow.h"
#include "ReportFonts.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int runChild(const QString& mode)
{
    QTemporaryDir dir;
    const QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));
    if (mode == QLatin1String("bare")) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("中学校総合成績処理せいらん")));
        window.resize(860, 610);
        window.show();
        QApplication::processEvents();
        return 0;
    }
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
        child.start(QApplication::applicationFilePath(),
                    {QStringLiteral("--child"), isMain ? QStringLiteral("main") : QStringLiteral("bare")});
        child.waitForFinished(60000);
        (isMain ? main : bare).push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("bare window median %.1f ms, main window median %.1f ms, ratio %.2f\n", medianMs(bare), medianMs(main),
                medianMs(main) / medianMs(bare));
    return 0;
}
