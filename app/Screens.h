#pragma once

#include <QString>

class QWidget;

namespace seiran {

struct Session;

// The screens the main menu opens. A screen is available once its window is part of the
// program; the menu keeps the buttons of the others disabled.
enum class Screen {
    frmDatainput,
    frmDatainput1,
    frmPrintSoten,
    frmPrintAverage,
    frmPrintJun,
    frmPrintGraph,
    frmPrintGraph2,
    frmSelectTest3,
    frmHyoka,
    frmInputNaisin,
    frmInputSinro,
    frmPrintSibo,
    frmPrintSinro,
    frmEditMeibo,
    frmEditUpMeibo,
    frmPrintTest,
    frmPrintSuii,
    frmPrintTest2,
    frmEditKyoka,
    frmEditTest,
    frmEditSinro,
};

QString ScreenName(Screen screen);
bool ScreenAvailable(Screen screen);
// Opens the screen modally; false when it is not available.
bool RunScreenModal(Screen screen, Session& session, QWidget* parent);

} // namespace seiran
