#pragma once

#include <QString>

namespace seiran {

// The four font names the reports ask for ("ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐ明朝",
// "ＭＳ Ｐゴシック") are Windows fonts. Where they are missing they are mapped to the IPA fonts
// (then Noto CJK) of the same kind. Call once at start-up, after the application object exists;
// calling it again does no harm.
void MapReportFonts();

// The family a report font name is drawn with here (after MapReportFonts).
QString ResolvedFontFamily(const QString& reportFontName);

} // namespace seiran
