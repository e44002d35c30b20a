#include "PupilSearch.h"

namespace seiran {

QString FoldForSearch(const QString& text)
{
    QString folded;
    for (QChar c : text.normalized(QString::NormalizationForm_KC)) {
        if (c.isSpace()) continue;
        // Katakana ァ..ヶ sit 0x60 above their hiragana.
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(c.unicode() - 0x60);
        folded += c;
    }
    return folded.toLower();
}

int FindPupilRow(int rowCount, const SearchTextsFn& texts, const QString& query, int from, int step)
{
    const QString q = FoldForSearch(query);
    if (q.isEmpty() || rowCount < 1) return 0;
    const int direction = step < 0 ? -1 : 1;
    int row = from < 1 || from > rowCount ? (direction > 0 ? 1 : rowCount) : from;
    for (int n = 0; n < rowCount; ++n) {
        for (const QString& t : texts(row))
            if (FoldForSearch(t).contains(q)) return row;
        row += direction;
        if (row > rowCount) row = 1;
        if (row < 1) row = rowCount;
    }
    return 0;
}

} // namespace seiran
