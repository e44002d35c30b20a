#include "ReportFonts.h"

#include <QFont>
#include <QFontInfo>
#include <QStringList>

namespace seiran {

void MapReportFonts()
{
    struct Mapping
    {
        const char16_t* name;
        QStringList families;
    };
    const Mapping mappings[] = {
        {u"ＭＳ 明朝",
         {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"), QStringLiteral("Noto Serif CJK JP")}},
        {u"ＭＳ ゴシック",
         {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {u"ＭＳ Ｐ明朝",
         {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")}},
        {u"ＭＳ Ｐゴシック",
         {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")}},
    };
    for (const Mapping& m : mappings) {
        const QString name = QString::fromUtf16(m.name);
        // Replace rather than add, so that calling twice keeps one list.
        QFont::removeSubstitutions(name);
        QFont::insertSubstitutions(name, m.families);
    }
}

QString ResolvedFontFamily(const QString& reportFontName)
{
    return QFontInfo(QFont(reportFontName)).family();
}

} // namespace seiran
