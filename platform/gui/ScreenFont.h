#pragma once

namespace seiran {

// The program's windows are Japanese throughout: they show in one Japanese Gothic face (IPA P
// Gothic, the face that stands in for "ＭＳ Ｐゴシック"; then IPA Gothic, then Noto Sans CJK JP) at the
// size the desktop chose, Latin letters and kana alike. A Latin desktop font would draw the kana
// from a fallback face, different in every window, and make the toolkit look that fallback up for
// every size and weight on the screen. The face is fitted fully to the pixel grid. Where none
// of the faces is installed the desktop's font stays. Call once, after the application object
// exists and before the first window.
void UseScreenFont();

} // namespace seiran
