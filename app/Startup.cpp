#include "Startup.h"

#include "HostIdentity.h"
#include "IniReader.h"
#include "SettingsStore.h"

#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace seiran {

namespace {
const QString kStar = QStringLiteral("*");
}

QString DefaultDataFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\DATA\\");
#else
    return QDir::homePath() + QStringLiteral("/DATA/");
#endif
}

StartupSettings ReadStartupSettings(const SettingsStore& store)
{
    StartupSettings s;
    s.dataFolder = store.value(QStringLiteral("data_dir"), DefaultDataFolder());
    s.classMode = store.intValue(QStringLiteral("Class_mode"), 0);
    s.graphMode = store.intValue(QStringLiteral("Graph_mode"), 0);
    s.beepMode = store.intValue(QStringLiteral("Beep_mode"), 0);
    s.userName = EffectiveUserName(store.value(QStringLiteral("User_name")));
    return s;
}

void WriteStartupSettings(SettingsStore& store, const StartupSettings& settings)
{
    store.setValue(QStringLiteral("Data_dir"), settings.dataFolder);
    store.setValue(QStringLiteral("Class_mode"), QString::number(settings.classMode));
    store.setValue(QStringLiteral("Graph_mode"), QString::number(settings.graphMode));
    store.setValue(QStringLiteral("Beep_mode"), QString::number(settings.beepMode));
    store.setValue(QStringLiteral("User_name"), settings.userName);
    store.sync();
}

QString EffectiveUserName(const QString& text)
{
    // Tabs and line ends would break the line of the lock registry that carries the name.
    QString name = text;
    name.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    name = name.trimmed();
    return name.isEmpty() ? LoginUserName() : name;
}

int ClampListIndex(int value, int highest)
{
    return value > highest || value < 0 ? 0 : value;
}

QString WithFinalSeparator(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.endsWith(QLatin1Char('/')) || t.endsWith(QLatin1Char('\\'))) return t;
    return t + QDir::separator();
}

int IniInteger(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t.at(end) == QLatin1Char('-') || t.at(end) == QLatin1Char('+'))) ++end;
    while (end < t.size() && t.at(end) >= QLatin1Char('0') && t.at(end) <= QLatin1Char('9'))
        ++end;
    bool ok = false;
    const int value = t.left(end).toInt(&ok);
    return ok ? value : 0;
}

QString EffectiveDataFolder(const QString& text)
{
    const QString folder = WithFinalSeparator(text);
    return folder.isEmpty() ? DefaultDataFolder() : folder;
}

bool IniProposal::differsFrom(const StartupSettings& settings) const
{
    // Folders compare as the program uses them: "/srv/DATA" in the file is the stored
    // "/srv/DATA/", or the question would come back at every start.
    return (dataDir != kStar && EffectiveDataFolder(dataDir) != EffectiveDataFolder(settings.dataFolder)) ||
           (classMode != kStar && IniInteger(classMode) != settings.classMode);
}

void IniProposal::applyTo(StartupSettings& settings) const
{
    if (dataDir != kStar) settings.dataFolder = EffectiveDataFolder(dataDir);
    if (classMode != kStar) settings.classMode = IniInteger(classMode);
}

IniProposal ReadIniProposal(const QString& iniPath)
{
    IniProposal p;
    p.dataDir = ReadIniString(iniPath, QStringLiteral("Startup"), QStringLiteral("data_dir"), kStar);
    p.classMode = ReadIniString(iniPath, QStringLiteral("Startup"), QStringLiteral("Class_mode"), kStar);
    return p;
}

QStringList QtTranslationFolders(const QString& programFolder)
{
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QDir(programFolder).filePath(QStringLiteral("translations"))};
}

bool LoadQtJapanese(QTranslator& translator, const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && translator.load(QStringLiteral("qtbase_ja"), folder)) return true;
    }
    return false;
}

} // namespace seiran
