#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace seiran {

// The per-user settings store: application "Seiran", section "Startup". Key names compare
// without regard to case, so "data_dir" read and "Data_dir" written name one value.
class SettingsStore
{
public:
    // The user's own store.
    SettingsStore();
    // A store kept in one INI file (tests, and the sample mode of the launcher).
    explicit SettingsStore(const QString& iniFilePath);
    ~SettingsStore();

    QString value(const QString& key, const QString& defaultValue = QString()) const;
    // Integer conversion of the stored text; text that is not a number reads as 0.
    int intValue(const QString& key, int defaultValue) const;
    void setValue(const QString& key, const QString& value);
    void sync();

    // The store that the program uses; tests or the launcher may redirect it to a file
    // before the main window opens.
    static void redirectToFile(const QString& iniFilePath);
    static std::unique_ptr<SettingsStore> openDefault();

private:
    QString existingKey(const QString& key) const;
    std::unique_ptr<QSettings> mSettings;
};

} // namespace seiran
