#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

namespace seiran {

class SettingsStore;

// What `seiran --version` and `seiran --help` print (Japanese, UTF-8, ending in a line end).
QString ProgramVersionText();
QString ProgramHelpText();
// The text a command line asks for instead of the window ("--version", "--help" or "-h"), or an
// empty text. `args` starts with the program's name.
QString ProgramInfoRequest(const QStringList& args);

// The four Settings of the "Startup" section as the main window uses them.
struct StartupSettings
{
    QString dataFolder;
    int classMode = 0; // 0 "1,2,3型", 1 "A,B,C型"
    int graphMode = 0; // 0 "横型"
    int beepMode = 0;  // 0 なし, 1 50点超過, 2 100点超過
    QString userName;  // 使用者名: how other PCs on the same data folder see this one
};

// "C:\DATA\" on Windows, the home folder's "DATA/" elsewhere.
QString DefaultDataFolder();

// The Settings as stored; missing keys take their defaults, text that is not a number reads as 0.
StartupSettings ReadStartupSettings(const SettingsStore& store);
// Writes "Data_dir", "Class_mode", "Graph_mode", "Beep_mode" and "User_name".
void WriteStartupSettings(SettingsStore& store, const StartupSettings& settings);

// The user's name as typed: blanks around it removed; the login name when that leaves nothing.
QString EffectiveUserName(const QString& text);

// A stored list index outside the list (above `highest`, or negative) is taken as 0.
int ClampListIndex(int value, int highest);

// The data folder as typed into the data-folder field: blanks around it removed and a final
// path separator added unless it already ends in "/" or "\". Empty text stays empty.
QString WithFinalSeparator(const QString& text);

// The folder the program works in for a stored or proposed text: WithFinalSeparator, and the
// default folder when that leaves nothing.
QString EffectiveDataFolder(const QString& text);

// The integer at the start of an INI value ("1", " 2 ", "1x"); 0 when there is none.
int IniInteger(const QString& text);

// What the standard settings file "seiran.ini" beside the program proposes: each value is "*"
// when the file, the section or the key is missing.
struct IniProposal
{
    QString dataDir = QStringLiteral("*");
    QString classMode = QStringLiteral("*");

    // Whether the file proposes something other than the stored Settings.
    bool differsFrom(const StartupSettings& settings) const;
    // Takes the proposed values into the Settings.
    void applyTo(StartupSettings& settings) const;
};
IniProposal ReadIniProposal(const QString& iniPath);

// Where Qt's own Japanese texts may lie: Qt's translations folder, then "translations" beside
// the program (an installed copy carries its own).
QStringList QtTranslationFolders(const QString& programFolder);
// Loads Qt's Japanese texts ("qtbase_ja") for the standard dialogs from the first folder that has
// them; false when none has, and the dialogs then keep Qt's English.
bool LoadQtJapanese(QTranslator& translator, const QStringList& folders);

} // namespace seiran
