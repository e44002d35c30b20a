#include "ScreenFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace seiran {

void UseScreenFont()
{
    // One face, not a list: the toolkit would look every face of a list up for every size.
    for (const QString& family :
         {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")}) {
        if (!QFontDatabase::hasFamily(family)) continue;
        QFont font = QApplication::font();
        font.setFamily(family);
        // Outlines fitted to the pixel grid in both directions, as the forms were drawn on the
        // school's Windows PCs: crisp strokes at the small sizes of the screens.
        font.setHintingPreference(QFont::PreferFullHinting);
        QApplication::setFont(font);
        return;
    }
}

} // namespace seiran
