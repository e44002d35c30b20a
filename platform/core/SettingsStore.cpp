#include "SettingsStore.h"

#include <QSettings>

namespace seiran {

namespace {
QString& redirectedPath()
{
    static QString path;
    return path;
}
const QString kGroup = QStringLiteral("Startup");
} // namespace

SettingsStore::SettingsStore()
    : mSettings(std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Seiran"), QStringLiteral("Seiran")))
{
}

SettingsStore::SettingsStore(const QString& iniFilePath)
    : mSettings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::existingKey(const QString& key) const
{
    mSettings->beginGroup(kGroup);
    const QStringList keys = mSettings->childKeys();
    mSettings->endGroup();
    for (const QString& k : keys) {
        if (k.compare(key, Qt::CaseInsensitive) == 0) return k;
    }
    return QString();
}

QString SettingsStore::value(const QString& key, const QString& defaultValue) const
{
    const QString k = existingKey(key);
    if (k.isEmpty()) return defaultValue;
    return mSettings->value(kGroup + QLatin1Char('/') + k).toString();
}

int SettingsStore::intValue(const QString& key, int defaultValue) const
{
    const QString k = existingKey(key);
    if (k.isEmpty()) return defaultValue;
    bool ok = false;
    const int v = mSettings->value(kGroup + QLatin1Char('/') + k).toString().trimmed().toInt(&ok);
    return ok ? v : 0;
}

void SettingsStore::setValue(const QString& key, const QString& value)
{
    const QString old = existingKey(key);
    if (!old.isEmpty() && old != key) mSettings->remove(kGroup + QLatin1Char('/') + old);
    mSettings->setValue(kGroup + QLatin1Char('/') + key, value);
}

void SettingsStore::sync()
{
    mSettings->sync();
}

void SettingsStore::redirectToFile(const QString& iniFilePath)
{
    redirectedPath() = iniFilePath;
}

std::unique_ptr<SettingsStore> SettingsStore::openDefault()
{
    if (!redirectedPath().isEmpty()) return std::make_unique<SettingsStore>(redirectedPath());
    return std::make_unique<SettingsStore>();
}

} // namespace seiran
