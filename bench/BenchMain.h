#pragma once

// The one main() of the benchmarks (BenchMain.cpp): each bench defines `benchSetup`, what sets it
// apart, and main() builds the application, runs the benchmarks and prints the ratios.
#include <vector>

namespace seiran {

// The application object the bench needs: the data layer needs only the core, pages need fonts and
// painting, windows need widgets.
enum class BenchApp { Core, Gui, Widgets };

// One line printed after the run: work / base, from the times in the table (the median when the run
// is repeated), or from one counter of both runs. The names are those in the table's first column.
struct BenchRatio
{
    const char* work;
    const char* base;
    int decimals = 1;
    const char* caption = nullptr; // "work / base" when not given
    const char* counter = nullptr; // the counter compared instead of the time; its work value follows
};

struct BenchSetup
{
    BenchApp app = BenchApp::Core;
    // Maps the report fonts; such a bench always runs offscreen, so its pages are laid out as in the
    // tests. The others take the platform given, offscreen when none is.
    bool mapReportFonts = false;
    // Makes the grade and prints a line about it; false ends the bench with 1 before any run.
    bool (*prepare)() = nullptr;
    std::vector<BenchRatio> ratios{};
    // After the ratios, before the application goes: what must go first, or a last line.
    void (*finish)() = nullptr;
};

extern const BenchSetup benchSetup;

} // namespace seiran
