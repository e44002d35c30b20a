#include "IniReader.h"

#include "Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace seiran {

QString ReadIniString(const QString& filePath, const QString& section, const QString& key, const QString& defaultValue)
{
    // Only a regular file is read: a FIFO or a device in its place would block the start-up.
    if (!QFileInfo(filePath).isFile()) return defaultValue;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return defaultValue;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = Cp932::decode(bytes);

    bool inSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) ||
                                  (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
            value = value.mid(1, value.size() - 2);
        const qsizetype nul = value.indexOf(QChar(0));
        if (nul >= 0) value.truncate(nul);
        return value.left(255);
    }
    return defaultValue;
}

} // namespace seiran
