#include "Startup.h"

#include "HostIdentity.h"
#include "IniReader.h"
#include "SettingsStore.h"

#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace seiran {

QString ProgramVersionText()
{
    return QStringLiteral("せいらん %1\n").arg(QStringLiteral(SEIRAN_VERSION));
}

QString ProgramHelpText()
{
    return QStringLiteral("せいらん %1 — 中学校総合成績処理\n"
                          "\n"
                          "使い方: seiran [オプション]\n"
                          "  画面を開きます。データフォルダと学年は画面で選びます。\n"
                          "\n"
                          "オプション:\n"
                          "  --settings FILE  設定をこのファイルに読み書きする (ふだんの設定は変わりません)\n"
                          "  --version        版を表示して終わる\n"
                          "  --help, -h       この説明を表示して終わる\n"
                          "\n"
                          "画面を使わないコマンド (それぞれ --help で使い方を表示します):\n"
                          "  seiran-report    帳票を PDF に書く、プリンタで印刷する (--printer)\n"
                          "  seiran-entry     入力画面の表を書き出す、取り込む (CSV も)\n"
                          "  seiran-promote   進級時の名簿処理\n"
                          "  seiran-sample    サンプルの学年を作る\n"
                          "\n"
                          "標準の一覧と取扱説明書 (help/index.htm) はプログラムと同じフォルダにあります。\n")
        .arg(QStringLiteral(SEIRAN_VERSION));
}

QString ProgramInfoRequest(const QStringList& args)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--settings")) {
            ++i; // its value is a file name, whatever it reads like
            continue;
        }
        if (a == QLatin1String("--version")) return ProgramVersionText();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) return ProgramHelpText();
    }
    return QString();
}

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
