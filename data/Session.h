#pragma once

#include <QString>
#include <functional>

namespace seiran {

struct GradeData;
class IProgress;
class INotice;

// What every window and command works with: the grade's tables, the main window's progress
// and notice services, the program folder (standard lists) and the main window's beep
// setting (0 none, 1 above 50, 2 above 100).
struct Session
{
    GradeData& gd;
    IProgress& progress;
    INotice& notice;
    QString programFolder;
    std::function<int()> beepMode = [] { return 0; };
    // Empties the main window's test choice (the screens that read several tests from the
    // roster file do so when they open).
    std::function<void()> clearTestChoice = [] {};
};

} // namespace seiran
