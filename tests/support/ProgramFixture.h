#pragma once

// Only for tests that link seiran_app: the support library itself does not.
#include "MainWindow.h"
#include "SampleGrade.h"
#include "SettingsStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace seiran::test {

// A program folder, a Settings file and a lock of the test's own, and main windows started on
// them. Each window gets its own SettingsStore, alive as long as the fixture.
struct ProgramFixture
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("program"));
    QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));
    QString lockPath = dir.filePath(QStringLiteral("seiran.lock"));
    QString data; // the sample grade's folder, once useSample() has written it
    std::vector<std::unique_ptr<SettingsStore>> stores;

    ProgramFixture() { QDir().mkpath(folder); }

    void setStored(const QString& key, const QString& value)
    {
        SettingsStore s(settingsPath);
        s.setValue(key, value);
        s.sync();
    }
    QString stored(const QString& key) const
    {
        return SettingsStore(settingsPath).value(key, QStringLiteral("<none>"));
    }
    void writeIni(const QByteArray& text) { WriteFileBytes(QDir(folder).filePath(QStringLiteral("seiran.ini")), text); }

    // Writes a sample grade of `classes` classes of about `pupils` pupils into the folder `name`
    // of the fixture and stores it as the data folder; false when it could not be written.
    bool useSample(int grade, int classes, int pupils = SampleOptions().pupils,
                   const QString& name = QStringLiteral("data"))
    {
        data = dir.filePath(name);
        if (!WriteSample(data, grade, classes, pupils).ok) return false;
        setStored(QStringLiteral("Data_dir"), data + u'/');
        return true;
    }

    // A main window on the program folder and the Settings file, with the program's own
    // screen table.
    std::unique_ptr<MainWindow> start()
    {
        stores.push_back(std::make_unique<SettingsStore>(settingsPath));
        return std::make_unique<MainWindow>(folder, *stores.back());
    }
};

} // namespace seiran::test
