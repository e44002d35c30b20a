#include "Beep.h"

#include <QApplication>

namespace seiran {

namespace {
int gBeepCount = 0;
}

void Beep()
{
    ++gBeepCount;
    QApplication::beep();
}

int BeepCount()
{
    return gBeepCount;
}

void ResetBeepCount()
{
    gBeepCount = 0;
}

} // namespace seiran
