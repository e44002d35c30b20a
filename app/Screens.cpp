#include "Screens.h"

#include "Session.h"

// A screen is compiled in as soon as its window is part of the program.
#if __has_include("frmDatainput.h")
#include "frmDatainput.h"
#define SEIRAN_HAS_frmDatainput true
#else
#define SEIRAN_HAS_frmDatainput false
#endif
#if __has_include("frmDatainput1.h")
#include "frmDatainput1.h"
#define SEIRAN_HAS_frmDatainput1 true
#else
#define SEIRAN_HAS_frmDatainput1 false
#endif
#if __has_include("frmPrintSoten.h")
#include "frmPrintSoten.h"
#define SEIRAN_HAS_frmPrintSoten true
#else
#define SEIRAN_HAS_frmPrintSoten false
#endif
#if __has_include("frmPrintAverage.h")
#include "frmPrintAverage.h"
#define SEIRAN_HAS_frmPrintAverage true
#else
#define SEIRAN_HAS_frmPrintAverage false
#endif
#if __has_include("frmPrintJun.h")
#include "frmPrintJun.h"
#define SEIRAN_HAS_frmPrintJun true
#else
#define SEIRAN_HAS_frmPrintJun false
#endif
#if __has_include("frmPrintGraph.h")
#include "frmPrintGraph.h"
#define SEIRAN_HAS_frmPrintGraph true
#else
#define SEIRAN_HAS_frmPrintGraph false
#endif
#if __has_include("frmPrintGraph2.h")
#include "frmPrintGraph2.h"
#define SEIRAN_HAS_frmPrintGraph2 true
#else
#define SEIRAN_HAS_frmPrintGraph2 false
#endif
#if __has_include("frmSelectTest3.h")
#include "frmSelectTest3.h"
#define SEIRAN_HAS_frmSelectTest3 true
#else
#define SEIRAN_HAS_frmSelectTest3 false
#endif
#if __has_include("frmHyoka.h")
#include "frmHyoka.h"
#define SEIRAN_HAS_frmHyoka true
#else
#define SEIRAN_HAS_frmHyoka false
#endif
#if __has_include("frmInputNaisin.h")
#include "frmInputNaisin.h"
#define SEIRAN_HAS_frmInputNaisin true
#else
#define SEIRAN_HAS_frmInputNaisin false
#endif
#if __has_include("frmInputSinro.h")
#include "frmInputSinro.h"
#define SEIRAN_HAS_frmInputSinro true
#else
#define SEIRAN_HAS_frmInputSinro false
#endif
#if __has_include("frmPrintSibo.h")
#include "frmPrintSibo.h"
#define SEIRAN_HAS_frmPrintSibo true
#else
#define SEIRAN_HAS_frmPrintSibo false
#endif
#if __has_include("frmPrintSinro.h")
#include "frmPrintSinro.h"
#define SEIRAN_HAS_frmPrintSinro true
#else
#define SEIRAN_HAS_frmPrintSinro false
#endif
#if __has_include("frmEditMeibo.h")
#include "frmEditMeibo.h"
#define SEIRAN_HAS_frmEditMeibo true
#else
#define SEIRAN_HAS_frmEditMeibo false
#endif
#if __has_include("frmEditUpMeibo.h")
#include "frmEditUpMeibo.h"
#define SEIRAN_HAS_frmEditUpMeibo true
#else
#define SEIRAN_HAS_frmEditUpMeibo false
#endif
#if __has_include("frmPrintTest.h")
#include "frmPrintTest.h"
#define SEIRAN_HAS_frmPrintTest true
#else
#define SEIRAN_HAS_frmPrintTest false
#endif
#if __has_include("frmPrintSuii.h")
#include "frmPrintSuii.h"
#define SEIRAN_HAS_frmPrintSuii true
#else
#define SEIRAN_HAS_frmPrintSuii false
#endif
#if __has_include("frmPrintTest2.h")
#include "frmPrintTest2.h"
#define SEIRAN_HAS_frmPrintTest2 true
#else
#define SEIRAN_HAS_frmPrintTest2 false
#endif
#if __has_include("frmEditKyoka.h")
#include "frmEditKyoka.h"
#define SEIRAN_HAS_frmEditKyoka true
#else
#define SEIRAN_HAS_frmEditKyoka false
#endif
#if __has_include("frmEditTest.h")
#include "frmEditTest.h"
#define SEIRAN_HAS_frmEditTest true
#else
#define SEIRAN_HAS_frmEditTest false
#endif
#if __has_include("frmEditSinro.h")
#include "frmEditSinro.h"
#define SEIRAN_HAS_frmEditSinro true
#else
#define SEIRAN_HAS_frmEditSinro false
#endif

namespace seiran {

namespace {

template <typename Window> [[maybe_unused]] bool runModal(Session& session, QWidget* parent)
{
    Window window(session, parent);
    window.exec();
    return true;
}

} // namespace

QString ScreenName(Screen screen)
{
    switch (screen) {
    case Screen::frmDatainput:
        return QStringLiteral("frmDatainput");
    case Screen::frmDatainput1:
        return QStringLiteral("frmDatainput1");
    case Screen::frmPrintSoten:
        return QStringLiteral("frmPrintSoten");
    case Screen::frmPrintAverage:
        return QStringLiteral("frmPrintAverage");
    case Screen::frmPrintJun:
        return QStringLiteral("frmPrintJun");
    case Screen::frmPrintGraph:
        return QStringLiteral("frmPrintGraph");
    case Screen::frmPrintGraph2:
        return QStringLiteral("frmPrintGraph2");
    case Screen::frmSelectTest3:
        return QStringLiteral("frmSelectTest3");
    case Screen::frmHyoka:
        return QStringLiteral("frmHyoka");
    case Screen::frmInputNaisin:
        return QStringLiteral("frmInputNaisin");
    case Screen::frmInputSinro:
        return QStringLiteral("frmInputSinro");
    case Screen::frmPrintSibo:
        return QStringLiteral("frmPrintSibo");
    case Screen::frmPrintSinro:
        return QStringLiteral("frmPrintSinro");
    case Screen::frmEditMeibo:
        return QStringLiteral("frmEditMeibo");
    case Screen::frmEditUpMeibo:
        return QStringLiteral("frmEditUpMeibo");
    case Screen::frmPrintTest:
        return QStringLiteral("frmPrintTest");
    case Screen::frmPrintSuii:
        return QStringLiteral("frmPrintSuii");
    case Screen::frmPrintTest2:
        return QStringLiteral("frmPrintTest2");
    case Screen::frmEditKyoka:
        return QStringLiteral("frmEditKyoka");
    case Screen::frmEditTest:
        return QStringLiteral("frmEditTest");
    case Screen::frmEditSinro:
        return QStringLiteral("frmEditSinro");
    }
    return QString();
}

bool ScreenAvailable(Screen screen)
{
    switch (screen) {
    case Screen::frmDatainput:
        return SEIRAN_HAS_frmDatainput;
    case Screen::frmDatainput1:
        return SEIRAN_HAS_frmDatainput1;
    case Screen::frmPrintSoten:
        return SEIRAN_HAS_frmPrintSoten;
    case Screen::frmPrintAverage:
        return SEIRAN_HAS_frmPrintAverage;
    case Screen::frmPrintJun:
        return SEIRAN_HAS_frmPrintJun;
    case Screen::frmPrintGraph:
        return SEIRAN_HAS_frmPrintGraph;
    case Screen::frmPrintGraph2:
        return SEIRAN_HAS_frmPrintGraph2;
    case Screen::frmSelectTest3:
        return SEIRAN_HAS_frmSelectTest3;
    case Screen::frmHyoka:
        return SEIRAN_HAS_frmHyoka;
    case Screen::frmInputNaisin:
        return SEIRAN_HAS_frmInputNaisin;
    case Screen::frmInputSinro:
        return SEIRAN_HAS_frmInputSinro;
    case Screen::frmPrintSibo:
        return SEIRAN_HAS_frmPrintSibo;
    case Screen::frmPrintSinro:
        return SEIRAN_HAS_frmPrintSinro;
    case Screen::frmEditMeibo:
        return SEIRAN_HAS_frmEditMeibo;
    case Screen::frmEditUpMeibo:
        return SEIRAN_HAS_frmEditUpMeibo;
    case Screen::frmPrintTest:
        return SEIRAN_HAS_frmPrintTest;
    case Screen::frmPrintSuii:
        return SEIRAN_HAS_frmPrintSuii;
    case Screen::frmPrintTest2:
        return SEIRAN_HAS_frmPrintTest2;
    case Screen::frmEditKyoka:
        return SEIRAN_HAS_frmEditKyoka;
    case Screen::frmEditTest:
        return SEIRAN_HAS_frmEditTest;
    case Screen::frmEditSinro:
        return SEIRAN_HAS_frmEditSinro;
    }
    return false;
}

bool RunScreenModal(Screen screen, [[maybe_unused]] Session& session, [[maybe_unused]] QWidget* parent)
{
    switch (screen) {
    case Screen::frmDatainput:
#if __has_include("frmDatainput.h")
        return runModal<frmDatainput>(session, parent);
#else
        return false;
#endif
    case Screen::frmDatainput1:
#if __has_include("frmDatainput1.h")
        return runModal<frmDatainput1>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintSoten:
#if __has_include("frmPrintSoten.h")
        return runModal<frmPrintSoten>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintAverage:
#if __has_include("frmPrintAverage.h")
        return runModal<frmPrintAverage>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintJun:
#if __has_include("frmPrintJun.h")
        return runModal<frmPrintJun>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintGraph:
#if __has_include("frmPrintGraph.h")
        return runModal<frmPrintGraph>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintGraph2:
#if __has_include("frmPrintGraph2.h")
        return runModal<frmPrintGraph2>(session, parent);
#else
        return false;
#endif
    case Screen::frmSelectTest3:
#if __has_include("frmSelectTest3.h")
        return runModal<frmSelectTest3>(session, parent);
#else
        return false;
#endif
    case Screen::frmHyoka:
#if __has_include("frmHyoka.h")
        return runModal<frmHyoka>(session, parent);
#else
        return false;
#endif
    case Screen::frmInputNaisin:
#if __has_include("frmInputNaisin.h")
        return runModal<frmInputNaisin>(session, parent);
#else
        return false;
#endif
    case Screen::frmInputSinro:
#if __has_include("frmInputSinro.h")
        return runModal<frmInputSinro>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintSibo:
#if __has_include("frmPrintSibo.h")
        return runModal<frmPrintSibo>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintSinro:
#if __has_include("frmPrintSinro.h")
        return runModal<frmPrintSinro>(session, parent);
#else
        return false;
#endif
    case Screen::frmEditMeibo:
#if __has_include("frmEditMeibo.h")
        return runModal<frmEditMeibo>(session, parent);
#else
        return false;
#endif
    case Screen::frmEditUpMeibo:
#if __has_include("frmEditUpMeibo.h")
        return runModal<frmEditUpMeibo>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintTest:
#if __has_include("frmPrintTest.h")
        return runModal<frmPrintTest>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintSuii:
#if __has_include("frmPrintSuii.h")
        return runModal<frmPrintSuii>(session, parent);
#else
        return false;
#endif
    case Screen::frmPrintTest2:
#if __has_include("frmPrintTest2.h")
        return runModal<frmPrintTest2>(session, parent);
#else
        return false;
#endif
    case Screen::frmEditKyoka:
#if __has_include("frmEditKyoka.h")
        return runModal<frmEditKyoka>(session, parent);
#else
        return false;
#endif
    case Screen::frmEditTest:
#if __has_include("frmEditTest.h")
        return runModal<frmEditTest>(session, parent);
#else
        return false;
#endif
    case Screen::frmEditSinro:
#if __has_include("frmEditSinro.h")
        return runModal<frmEditSinro>(session, parent);
#else
        return false;
#endif
    }
    return false;
}

} // namespace seiran
