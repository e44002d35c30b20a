#include "Helpers.h"

#include <QTest>

using namespace seiran;

class HelpersTest : public QObject
{
    Q_OBJECT
private slots:
    void formatRightAligned_data();
    void formatRightAligned();
    void roundHalfEven();
    void tokens();
    void scoreCellTexts();
    void normalizedInPieces_data();
    void normalizedInPieces();
};

void HelpersTest::formatRightAligned_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("## 5") << "##" << 5.0 << " 5";
    QTest::newRow("## 105") << "##" << 105.0 << "05";
    QTest::newRow("## 0 is blank") << "##" << 0.0 << "  ";
    QTest::newRow("###0  12") << "###0 " << 12.0 << "  12 ";
    QTest::newRow("#0  7") << "#0 " << 7.0 << " 7 ";
    QTest::newRow("#0  0") << "#0 " << 0.0 << " 0 ";
    QTest::newRow("###0 0") << "###0" << 0.0 << "   0";
    QTest::newRow("####0 12345") << "####0" << 12345.0 << "12345";
    QTest::newRow("##0.0 72.25") << "##0.0" << 72.25 << " 72.3";
    QTest::newRow("##0.0 0.04") << "##0.0" << 0.04 << "  0.0";
    QTest::newRow("##0.0 100") << "##0.0" << 100.0 << "100.0";
    QTest::newRow("###.0 0.5") << "###.0" << 0.5 << "   .5";
    QTest::newRow("###.0 63.333") << "###.0" << 63.333 << " 63.3";
    QTest::newRow("## identifier") << "##" << 31.0 << "31";
    QTest::newRow("## number+100") << "##" << 105.0 << "05";
    QTest::newRow("###0 negative") << "###0" << -12.0 << " -12";
}

void HelpersTest::formatRightAligned()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatRightAligned(pattern, value), expected);
}

void HelpersTest::roundHalfEven()
{
    QCOMPARE(RoundHalfEven(2.5).value(), qint16(2));
    QCOMPARE(RoundHalfEven(3.5).value(), qint16(4));
    QCOMPARE(RoundHalfEven(-2.5).value(), qint16(-2));
    QCOMPARE(RoundHalfEven(37.5).value(), qint16(38));
    QCOMPARE(RoundHalfEven(2.4999).value(), qint16(2));
    QCOMPARE(RoundHalfEven(32767.4).value(), qint16(32767));
    QVERIFY(!RoundHalfEven(32767.5).has_value()); // would be 32768: reported, not wrapped
    QVERIFY(!RoundHalfEven(-40000).has_value());
    QVERIFY(!RoundHalfEven(std::numeric_limits<double>::quiet_NaN()).has_value());
}

void HelpersTest::tokens()
{
    QString text = QStringLiteral("4a5.5\t- 3\r\n80");
    QString token;
    QCOMPARE(NextNumericToken(text, token), int(SepTab));
    QCOMPARE(token, QStringLiteral("455"));
    QCOMPARE(NextNumericToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("-3"));
    QCOMPARE(text, QStringLiteral("80")); // the LF of CR LF goes with the CR
    QCOMPARE(NextNumericToken(text, token), int(SepEnd));
    QCOMPARE(token, QStringLiteral("80"));
    QVERIFY(text.isEmpty());
    QCOMPARE(NextNumericToken(text, token), int(SepEnd));
    QVERIFY(token.isEmpty());

    text = QStringLiteral(" 山田 太郎\tやまだ\r\n");
    QCOMPARE(NextTextToken(text, token), int(SepTab));
    QCOMPARE(token, QStringLiteral(" 山田 太郎"));
    QCOMPARE(NextTextToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("やまだ"));
    QCOMPARE(NextTextToken(text, token), int(SepEnd));
    QVERIFY(token.isEmpty());

    // LF line ends (what most programs here put on the clipboard) end rows as CR LF does; a CR
    // alone does too, and CR CR LF is one empty row between two.
    text = QStringLiteral("80\t70\n90\r\r\n6.0\n");
    QCOMPARE(NextNumericToken(text, token), int(SepTab));
    QCOMPARE(NextNumericToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("70"));
    QCOMPARE(NextNumericToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("90"));
    QCOMPARE(NextNumericToken(text, token), int(SepCr));
    QVERIFY(token.isEmpty());
    QCOMPARE(NextNumericToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("60"));
    QVERIFY(text.isEmpty());
    text = QStringLiteral("山田\nやまだ\n");
    QCOMPARE(NextTextToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("山田"));
    QCOMPARE(NextTextToken(text, token), int(SepCr));
    QCOMPARE(token, QStringLiteral("やまだ"));

    int a = 1, b = 2;
    SwapValues(a, b);
    QCOMPARE(a, 2);
    QCOMPARE(b, 1);
}

void HelpersTest::scoreCellTexts()
{
    QCOMPARE(ScoreToCellText(-1), QStringLiteral("-"));
    QCOMPARE(ScoreToCellText(-5), QString());
    QCOMPARE(ScoreToCellText(-55), QStringLiteral("-45"));
    QCOMPARE(ScoreToCellText(-10), QStringLiteral("-0")); // a bracketed zero
    QCOMPARE(ScoreToCellText(-11), QStringLiteral("-1"));
    QCOMPARE(ScoreToCellText(87), QStringLiteral("87"));
    QCOMPARE(ScoreToCellText(0), QStringLiteral("0"));

    QCOMPARE(CellTextToScore(QString()), std::optional<int>(-5));
    QCOMPARE(CellTextToScore(QStringLiteral(" ")), std::optional<int>(-5));
    QCOMPARE(CellTextToScore(QStringLiteral("-")), std::optional<int>(-1));
    QCOMPARE(CellTextToScore(QStringLiteral("-45")), std::optional<int>(-55));
    QCOMPARE(CellTextToScore(QStringLiteral("-0")), std::optional<int>(-10));
    QCOMPARE(CellTextToScore(QStringLiteral(" -0 ")), std::optional<int>(-10));
    for (int v = -32768; v <= -10; v += 97) // every bracketed score reads back as itself
        QCOMPARE(CellTextToScore(ScoreToCellText(v)), std::optional<int>(v));
    QCOMPARE(CellTextToScore(QStringLiteral("87")), std::optional<int>(87));
    QCOMPARE(CellTextToScore(QStringLiteral("abc")), std::optional<int>(0));
    QCOMPARE(CellTextToScore(QStringLiteral("12-3")), std::optional<int>(12));
    QCOMPARE(CellTextToScore(QStringLiteral("32767")), std::optional<int>(32767));
    QVERIFY(!CellTextToScore(QStringLiteral("32768")));
    QCOMPARE(CellTextToScore(QStringLiteral("-32758")), std::optional<int>(-32768));
    QVERIFY(!CellTextToScore(QStringLiteral("-32759")));
    for (int v : {-1, -5, -10, -55, 0, 1, 100, 32767, -32768})
        QCOMPARE(CellTextToScore(ScoreToCellText(v)), std::optional<int>(v));
    QCOMPARE(NumericValue(QStringLiteral("  42abc")), 42.0);
    QCOMPARE(NumericValue(QStringLiteral("x42")), 0.0);
}

void HelpersTest::normalizedInPieces_data()
{
    QTest::addColumn<QString>("piece");
    QTest::newRow("full-width digits and letters") << QStringLiteral("８５点　ＡＢＣ abc ");
    QTest::newRow("half-width kana with voiced marks") << QStringLiteral("ｶﾞｯｺｳ ﾊﾟﾝ ﾔﾏﾀﾞ");
    QTest::newRow("kana with combining marks") << QStringLiteral("か\u3099は\u309Aテ\u3099");
    QTest::newRow("accents") << QStringLiteral("e\u0301a\u0323\u0302o\u0308\uFB01");
    QTest::newRow("Hangul jamo") << QStringLiteral("\u1100\u1161\u11A8\uAC00\u11A8\u3131\u314F");
    QTest::newRow("circled and squared") << QStringLiteral("①②㍻㌔℡");
    QTest::newRow("kanji and a surrogate pair") << QStringLiteral("山田\U00020BB7太郎");
}

void HelpersTest::normalizedInPieces()
{
    // A long text cut into pieces normalizes exactly as in one go, whatever the cuts meet.
    QFETCH(QString, piece);
    QCOMPARE(NormalizedKC(piece), piece.normalized(QString::NormalizationForm_KC));
    for (int repeat : {3, 20, 200}) {
        QString text;
        for (int i = 0; i < repeat; ++i)
            text += piece + QString::number(i % 7);
        QCOMPARE(NormalizedKC(text), text.normalized(QString::NormalizationForm_KC));
        QCOMPARE(NormalizedKC(piece.repeated(repeat)),
                 piece.repeated(repeat).normalized(QString::NormalizationForm_KC));
    }
}

QTEST_GUILESS_MAIN(HelpersTest)
#include "tst_helpers.moc"
