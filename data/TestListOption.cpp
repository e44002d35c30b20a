#include "TestListOption.h"

namespace seiran {

std::optional<QList<int>> ParseNumberList(const QString& text)
{
    QList<int> numbers;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
        numbers.append(v);
    }
    return numbers;
}

QString RepeatedTestProblem(const QList<int>& tests)
{
    for (qsizetype k = 0; k < tests.size(); ++k)
        if (tests.indexOf(tests.at(k)) != k)
            return QStringLiteral("テスト %1 が二度指定されています。").arg(tests.at(k));
    return QString();
}

} // namespace seiran
