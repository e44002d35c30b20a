#pragma once

namespace seiran {

// The system beep. Tests read how often it sounded.
void Beep();
int BeepCount();
void ResetBeepCount();

} // namespace seiran
