#include "Beep.h"
#include "Cp932.h"
#include "IniReader.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "WindowSize.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace seiran;

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

// The toolkit's converter used directly, as names were read and written before the tables: the
// tables must give exactly this for every input.
QString converterDecode(const QByteArray& bytes, bool* invalid)
{
    QStringDecoder decoder("CP932", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *invalid = decoder.hasError();
    if (*invalid) text.replace(QChar(0x1A), QChar(0xFFFD));
    return text;
}

QByteArray converterEncodeUnit(QChar unit)
{
    if (unit.unicode() < 0x80) return QByteArray(1, char(unit.unicode()));
    QStringEncoder encoder("CP932", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QString(unit));
    if (encoder.hasError() || bytes.isEmpty() || bytes == QByteArray("\xFC\xFC", 2)) return QByteArray("?");
    return bytes;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write test file");
    return path;
}

// Answers the next real message box from inside its modal loop and records what it showed.
struct BoxAnswerer
{
    QStringList buttons;
    QString defaultButton;
    QString title;
    QString text;
    // "default" clicks the default button, "close" closes the box as the window button does,
    // anything else clicks the button with that caption.
    void answerWith(const QString& action)
    {
        QTimer::singleShot(0, [this, action] { tryAnswer(action); });
    }
    void tryAnswer(const QString& action)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, [this, action] { tryAnswer(action); });
            return;
        }
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        if (action == QLatin1String("default")) {
            box->defaultButton()->click();
        } else if (action == QLatin1String("close")) {
            box->close();
        } else {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == action) button->click();
            }
        }
    }
};

} // namespace

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void cp932Vectors_data();
    void cp932Vectors();
    void cp932UnmappableAndForeignForms();
    void cp932FitCutsAtCharacterBoundaries_data();
    void cp932FitCutsAtCharacterBoundaries();
    void cp932TablesDecodeEveryByteAndPairAsTheConverter();
    void cp932TablesEncodeEveryCharacterAsTheConverter();
    void settingsKeysIgnoreCase();
    void settingsNumbersAndDefaults();
    void iniReaderFindsValuesAsTheSystemReaderDoes();
    void iniReaderReadsCp932AndUtf8Files();
    void scriptedMessagesAnswerInOrderAndRecord();
    void scriptedMessagesDefaultFollowsDefaultButton_data();
    void scriptedMessagesDefaultFollowsDefaultButton();
    void realMessageBoxHasJapaneseButtons();
    void beepIsCounted();
    void openingSizeStaysOnTheScreen_data();
    void openingSizeStaysOnTheScreen();
};

void TestServices::cp932Vectors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("name") << QStringLiteral("山田太郎") << hex("8e52936391be9859");
    QTest::newRow("circled one") << QStringLiteral("①") << hex("8740");
    QTest::newRow("fullwidth tilde") << QStringLiteral("～") << hex("8160");
    QTest::newRow("half-width katakana") << QStringLiteral("ｺﾋﾟｰ") << hex("bacbdfb0");
    QTest::newRow("ascii") << QStringLiteral("A1-, ") << QByteArray("A1-, ");
    QTest::newRow("full-width digits") << QStringLiteral("５０") << hex("8254824f");
    QTest::newRow("class mark") << QStringLiteral("○組") << hex("819b9167");
}

void TestServices::cp932Vectors()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QVERIFY(Cp932::isAvailable());
    QCOMPARE(Cp932::encode(text), bytes);
    QCOMPARE(Cp932::decode(bytes), text);
    QCOMPARE(Cp932::decode(bytes.constData(), int(bytes.size())), text);
    QCOMPARE(Cp932::byteLength(text), int(bytes.size()));
}

void TestServices::cp932UnmappableAndForeignForms()
{
    // What the code page cannot hold becomes one "?" per character, never a byte pair that
    // would shift the fields after it.
    QCOMPARE(Cp932::encode(QStringLiteral("A€B")), QByteArray("A?B"));
    QCOMPARE(Cp932::encode(QStringLiteral("a😀b")), QByteArray("a?b"));
    QCOMPARE(Cp932::encode(QStringLiteral("한")), QByteArray("?"));
    // The JIS forms that other systems' input methods produce are stored as their Windows twins.
    QCOMPARE(Cp932::encode(QStringLiteral("〜")), hex("8160"));
    QCOMPARE(Cp932::encode(QString(QChar(0x2212))), Cp932::encode(QString(QChar(0xFF0D))));
    QCOMPARE(Cp932::encode(QStringLiteral("‖")), hex("8161"));

    QVERIFY(Cp932::isLeadByte(0x81));
    QVERIFY(Cp932::isLeadByte(0x9F));
    QVERIFY(Cp932::isLeadByte(0xE0));
    QVERIFY(Cp932::isLeadByte(0xFC));
    QVERIFY(!Cp932::isLeadByte(0x80));
    QVERIFY(!Cp932::isLeadByte(0xA0));
    QVERIFY(!Cp932::isLeadByte(0xB1)); // half-width katakana stands alone
    QVERIFY(!Cp932::isLeadByte(0xFD));
    QVERIFY(!Cp932::isLeadByte('A'));

    // A lone lead byte at the end of a field does not break the decoder.
    const QString cut = Cp932::decode(hex("8e5293"));
    QVERIFY(cut.startsWith(QStringLiteral("山")));
}

void TestServices::cp932FitCutsAtCharacterBoundaries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("pads with spaces") << QStringLiteral("山田") << 6 << hex("8e5293632020");
    QTest::newRow("exact") << QStringLiteral("山田太郎") << 8 << hex("8e52936391be9859");
    QTest::newRow("never half a character") << QStringLiteral("山田太郎") << 5 << hex("8e52936320");
    QTest::newRow("odd cut") << QStringLiteral("山田太郎") << 7 << hex("8e52936391be20");
    QTest::newRow("mixed") << QStringLiteral("A山B") << 2 << QByteArray("A ");
    QTest::newRow("half-width one byte each") << QStringLiteral("ｺﾋﾟｰ") << 3 << hex("bacbdf");
    QTest::newRow("empty") << QString() << 4 << QByteArray("    ");
    QTest::newRow("zero width") << QStringLiteral("山") << 0 << QByteArray();
    QTest::newRow("name field") << QStringLiteral("長い名前の生徒さんです") << 14
                                << Cp932::encode(QStringLiteral("長い名前の生徒"));
}

void TestServices::cp932FitCutsAtCharacterBoundaries()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QByteArray, bytes);
    const QByteArray fitted = Cp932::fit(text, width);
    QCOMPARE(fitted, bytes);
    QCOMPARE(int(fitted.size()), width);
}

void TestServices::cp932TablesDecodeEveryByteAndPairAsTheConverter()
{
    QByteArray bytes;
    bool expectedBad = false;
    bool bad = false;
    int mismatches = 0;
    auto check = [&] {
        const QString expected = converterDecode(bytes, &expectedBad);
        const QString got = Cp932::decode(bytes, &bad);
        if (got != expected || bad != expectedBad) {
            if (++mismatches <= 5) qWarning("decodes differently: %s", bytes.toHex(' ').constData());
        }
    };
    for (int first = 0; first < 256; ++first) {
        bytes = QByteArray(1, char(first));
        check();
        for (int second = 0; second < 256; ++second) {
            bytes = QByteArray(1, char(first)) + char(second);
            check();
        }
    }
    // Longer runs mix valid pairs, broken pairs, lead bytes before lead bytes and cut ends.
    QRandomGenerator random(932);
    const QByteArray interesting = QByteArray::fromHex("818240417f80a0a1dfe0effcfd1a5c7e00ff889f9ffc");
    for (int n = 0; n < 20000; ++n) {
        bytes.clear();
        const int length = 1 + random.bounded(9);
        for (int i = 0; i < length; ++i)
            bytes += random.bounded(3) == 0 ? char(random.bounded(256))
                                            : interesting.at(random.bounded(int(interesting.size())));
        check();
    }
    QCOMPARE(mismatches, 0);
}

void TestServices::cp932TablesEncodeEveryCharacterAsTheConverter()
{
    // The forms that encode() swaps for their Windows twins first are left to the test above.
    const QList<char16_t> swapped{0x301C, 0x2016, 0x2212, 0x00A2, 0x00A3, 0x00AC};
    int mismatches = 0;
    for (int u = 0; u < 0x10000; ++u) {
        const QChar unit{char16_t(u)};
        if (unit.isSurrogate() || swapped.contains(char16_t(u))) continue;
        if (Cp932::encode(QString(unit)) != converterEncodeUnit(unit) && ++mismatches <= 5)
            qWarning("encodes differently: U+%04X", u);
    }
    QCOMPARE(mismatches, 0);
    // Characters beyond the first plane still go through the converter, one "?" each.
    QCOMPARE(Cp932::encode(QStringLiteral("a😀b")), QByteArray("a?b"));
}

void TestServices::settingsKeysIgnoreCase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("seiran.conf"));
    {
        SettingsStore store(path);
        store.setValue(QStringLiteral("Data_dir"), QStringLiteral("/home/sensei/DATA/"));
        QCOMPARE(store.value(QStringLiteral("data_dir")), QStringLiteral("/home/sensei/DATA/"));
        QCOMPARE(store.value(QStringLiteral("DATA_DIR")), QStringLiteral("/home/sensei/DATA/"));
        // Writing under another spelling replaces the value rather than adding a second key.
        store.setValue(QStringLiteral("data_dir"), QStringLiteral("/mnt/usb/"));
        QCOMPARE(store.value(QStringLiteral("Data_dir")), QStringLiteral("/mnt/usb/"));
        store.setValue(QStringLiteral("Beep_mode"), QStringLiteral("2"));
        store.sync();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QCOMPARE(text.count(QStringLiteral("_dir"), Qt::CaseInsensitive), 1);
    QVERIFY(text.contains(QStringLiteral("[Startup]")));

    // A second store on the same file sees what the first one saved.
    SettingsStore again(path);
    QCOMPARE(again.value(QStringLiteral("data_dir")), QStringLiteral("/mnt/usb/"));
    QCOMPARE(again.intValue(QStringLiteral("beep_mode"), 0), 2);

    SettingsStore::redirectToFile(path);
    QCOMPARE(SettingsStore::openDefault()->value(QStringLiteral("Data_Dir")), QStringLiteral("/mnt/usb/"));
    SettingsStore::redirectToFile(QString());
}

void TestServices::settingsNumbersAndDefaults()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("s.conf")));
    QCOMPARE(store.value(QStringLiteral("data_dir")), QString());
    QCOMPARE(store.value(QStringLiteral("data_dir"), QStringLiteral("C:\\DATA\\")), QStringLiteral("C:\\DATA\\"));
    QCOMPARE(store.intValue(QStringLiteral("Class_mode"), 7), 7); // missing: the default
    store.setValue(QStringLiteral("Class_mode"), QStringLiteral("abc"));
    QCOMPARE(store.intValue(QStringLiteral("class_mode"), 7), 0); // present but not a number: 0
    store.setValue(QStringLiteral("Class_mode"), QStringLiteral(" 1 "));
    QCOMPARE(store.intValue(QStringLiteral("class_mode"), 7), 1);
    store.setValue(QStringLiteral("Graph_mode"), QString());
    QCOMPARE(store.intValue(QStringLiteral("graph_mode"), 7), 0);
    store.setValue(QStringLiteral("Graph_mode"), QStringLiteral("99999999999"));
    QCOMPARE(store.intValue(QStringLiteral("graph_mode"), 7), 0);
}

void TestServices::iniReaderFindsValuesAsTheSystemReaderDoes()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("seiran.ini"),
                                   "; settings proposal\r\n"
                                   "stray=outside\r\n"
                                   "[Other]\r\n"
                                   "Class_mode=9\r\n"
                                   "[ Setup ]\r\n"
                                   "  Class_mode = 1  \r\n"
                                   "Data_dir=\"C:\\DATA\\\"\r\n"
                                   "Empty=\r\n"
                                   "Long=" +
                                       QByteArray(300, 'x') + "\r\n");
    QCOMPARE(ReadIniString(path, QStringLiteral("setup"), QStringLiteral("CLASS_MODE")), QStringLiteral("1"));
    QCOMPARE(ReadIniString(path, QStringLiteral("Setup"), QStringLiteral("data_dir")), QStringLiteral("C:\\DATA\\"));
    QCOMPARE(ReadIniString(path, QStringLiteral("Setup"), QStringLiteral("Empty")), QString(""));
    QCOMPARE(ReadIniString(path, QStringLiteral("Setup"), QStringLiteral("Long")).size(), 255);
    QCOMPARE(ReadIniString(path, QStringLiteral("Other"), QStringLiteral("class_mode")), QStringLiteral("9"));
    // Missing key, missing section, key outside any section, missing file: the default, "*" unless given.
    QCOMPARE(ReadIniString(path, QStringLiteral("Setup"), QStringLiteral("Beep_mode")), QStringLiteral("*"));
    QCOMPARE(ReadIniString(path, QStringLiteral("Nothing"), QStringLiteral("Class_mode")), QStringLiteral("*"));
    QCOMPARE(ReadIniString(path, QString(), QStringLiteral("stray")), QStringLiteral("*"));
    QCOMPARE(ReadIniString(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("Setup"),
                           QStringLiteral("Class_mode"), QStringLiteral("0")),
             QStringLiteral("0"));
}

void TestServices::iniReaderReadsCp932AndUtf8Files()
{
    QTemporaryDir dir;
    const QString sjis = writeFile(dir, QStringLiteral("sjis.ini"),
                                   "[School]\r\nName=" + Cp932::encode(QStringLiteral("青嵐中学校～ソ表")) + "\r\n");
    QCOMPARE(ReadIniString(sjis, QStringLiteral("school"), QStringLiteral("name")), QStringLiteral("青嵐中学校～ソ表"));
    const QString utf8 = writeFile(dir, QStringLiteral("utf8.ini"),
                                   "\xEF\xBB\xBF[School]\nName=" + QStringLiteral("青嵐中学校").toUtf8() + "\n");
    QCOMPARE(ReadIniString(utf8, QStringLiteral("School"), QStringLiteral("Name")), QStringLiteral("青嵐中学校"));
}

void TestServices::scriptedMessagesAnswerInOrderAndRecord()
{
    SetMessageTitle(QStringLiteral("成績処理せいらん"));
    ScriptedMessages messages;
    messages.queue(MsgAnswer::No);
    messages.queue(MsgAnswer::Cancel);
    QCOMPARE(
        ShowMessage(QStringLiteral("データを保存せずに終了してよいですか"), MsgButtons::YesNo, MsgIcon::Warning, 2),
        MsgAnswer::No);
    QCOMPARE(ShowMessage(QStringLiteral("変更した氏名データを保存しますか"), MsgButtons::YesNoCancel, MsgIcon::Question,
                         1, QStringLiteral("名簿")),
             MsgAnswer::Cancel);
    QCOMPARE(ShowMessage(QStringLiteral("終わりました")), MsgAnswer::Ok);
    QCOMPARE(messages.asked().size(), 3);
    const MessageQuestion& first = messages.asked().at(0);
    QCOMPARE(first.text, QStringLiteral("データを保存せずに終了してよいですか"));
    QCOMPARE(first.title, QStringLiteral("成績処理せいらん")); // the application's title by default
    QCOMPARE(first.buttons, MsgButtons::YesNo);
    QCOMPARE(first.icon, MsgIcon::Warning);
    QCOMPARE(first.defaultButton, 2);
    QCOMPARE(messages.asked().at(1).title, QStringLiteral("名簿"));
    QCOMPARE(messages.asked().at(2).icon, MsgIcon::None);
    messages.clear();
    QVERIFY(messages.asked().isEmpty());
}

void TestServices::scriptedMessagesDefaultFollowsDefaultButton_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << int(MsgButtons::Ok) << 1 << int(MsgAnswer::Ok);
    QTest::newRow("yes/no first") << int(MsgButtons::YesNo) << 1 << int(MsgAnswer::Yes);
    QTest::newRow("yes/no second") << int(MsgButtons::YesNo) << 2 << int(MsgAnswer::No);
    QTest::newRow("yes/no/cancel first") << int(MsgButtons::YesNoCancel) << 1 << int(MsgAnswer::Yes);
    QTest::newRow("yes/no/cancel second") << int(MsgButtons::YesNoCancel) << 2 << int(MsgAnswer::No);
    QTest::newRow("yes/no/cancel third") << int(MsgButtons::YesNoCancel) << 3 << int(MsgAnswer::Cancel);
}

void TestServices::scriptedMessagesDefaultFollowsDefaultButton()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, answer);
    ScriptedMessages messages;
    QCOMPARE(ShowMessage(QStringLiteral("?"), MsgButtons(buttons), MsgIcon::Question, defaultButton),
             MsgAnswer(answer));
}

void TestServices::realMessageBoxHasJapaneseButtons()
{
    SetMessageTitle(QStringLiteral("成績処理せいらん"));
    {
        BoxAnswerer box;
        box.answerWith(QStringLiteral("default"));
        QCOMPARE(ShowMessage(QStringLiteral("保存しますか"), MsgButtons::YesNoCancel, MsgIcon::Question, 2),
                 MsgAnswer::No);
        QCOMPARE(box.buttons, (QStringList{"いいえ", "はい", "キャンセル"}));
        QCOMPARE(box.defaultButton, QStringLiteral("いいえ"));
        QCOMPARE(box.title, QStringLiteral("成績処理せいらん"));
        QCOMPARE(box.text, QStringLiteral("保存しますか"));
    }
    {
        BoxAnswerer box;
        box.answerWith(QStringLiteral("はい"));
        QCOMPARE(ShowMessage(QStringLiteral("よいですか"), MsgButtons::YesNo, MsgIcon::Warning, 2), MsgAnswer::Yes);
        QCOMPARE(box.buttons, (QStringList{"いいえ", "はい"}));
    }
    {
        // Closing the box with the window button is the safe answer: the last button.
        BoxAnswerer box;
        box.answerWith(QStringLiteral("close"));
        QCOMPARE(ShowMessage(QStringLiteral("保存しますか"), MsgButtons::YesNoCancel, MsgIcon::Question, 1),
                 MsgAnswer::Cancel);
    }
    {
        BoxAnswerer box;
        box.answerWith(QStringLiteral("default"));
        QCOMPARE(ShowMessage(QStringLiteral("ファイルが開けません"), MsgButtons::Ok, MsgIcon::Critical, 5,
                             QStringLiteral("エラー")),
                 MsgAnswer::Ok);
        QCOMPARE(box.buttons, QStringList{"OK"});
        QCOMPARE(box.title, QStringLiteral("エラー"));
    }
}

void TestServices::beepIsCounted()
{
    ResetBeepCount();
    QCOMPARE(BeepCount(), 0);
    Beep();
    Beep();
    QCOMPARE(BeepCount(), 2);
    ResetBeepCount();
    QCOMPARE(BeepCount(), 0);
}

void TestServices::openingSizeStaysOnTheScreen_data()
{
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<QSize>("opened");
    QTest::newRow("fits") << QSize(700, 500) << QSize(440, 336) << QSize(1900, 1000) << QSize(700, 500);
    QTest::newRow("too wide") << QSize(2400, 500) << QSize(440, 336) << QSize(1900, 1000) << QSize(1900, 500);
    QTest::newRow("too high") << QSize(700, 1400) << QSize(440, 336) << QSize(1900, 1000) << QSize(700, 1000);
    QTest::newRow("below the minimum") << QSize(300, 200) << QSize(440, 336) << QSize(1900, 1000) << QSize(440, 336);
    // A screen smaller than the window's minimum: the window insists on its minimum.
    QTest::newRow("tiny screen") << QSize(900, 700) << QSize(440, 336) << QSize(400, 300) << QSize(440, 336);
}

void TestServices::openingSizeStaysOnTheScreen()
{
    QFETCH(QSize, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QSize, room);
    QFETCH(QSize, opened);
    QCOMPARE(FitOpeningSize(wanted, minimum, room), opened);

    // A real window opens inside the screen's free area.
    QWidget window;
    window.setMinimumSize(minimum);
    ResizeToOpen(&window, wanted);
    const QSize screen = ScreenRoom(&window);
    QVERIFY(screen.width() > 0 && screen.height() > 0);
    QCOMPARE(window.size(), FitOpeningSize(wanted, minimum, screen));
}

QTEST_MAIN(TestServices)
#include "tst_services.moc"
