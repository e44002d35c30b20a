#include "ScoreCells.h"

#include <QtTest>

using namespace seiran;

// The text rules of the score cells, without any widget.
class TestScoreCells : public QObject
{
    Q_OBJECT

private slots:
    void keySequences_data();
    void keySequences();
    void cellValues_data();
    void cellValues();
    void overflowIsRefusedAtTheKeystroke();
    void warningLimits_data();
    void warningLimits();
    void copyTexts();
    void identifiers_data();
    void identifiers();
    void numericPaste_data();
    void numericPaste();
    void textPasteKeepsOnlyWhatTheRosterCanTake();
    void enterTargets_data();
    void enterTargets();
};

// Keys typed into a cell that starts with `start` just after it became current.
void TestScoreCells::keySequences_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");

    QTest::newRow("first digit replaces") << "87"
                                          << "5"
                                          << "5" << 5;
    QTest::newRow("later digits extend") << "87"
                                         << "56"
                                         << "56" << 56;
    QTest::newRow("backspace then digit extends") << "87"
                                                  << "\b3"
                                                  << "83" << 83;
    QTest::newRow("bracketed") << ""
                               << "-45"
                               << "-45" << -55;
    QTest::newRow("dash alone is absent") << "70"
                                          << "-"
                                          << "-" << -1;
    QTest::newRow("dash replaces digits") << "70"
                                          << "7-"
                                          << "-" << -1;
    QTest::newRow("minus zero is a bracketed zero") << ""
                                                    << "-0"
                                                    << "-0" << -10;
    QTest::newRow("space empties") << "70"
                                   << " "
                                   << "" << -5;
    QTest::newRow("space keeps untouched") << "70"
                                           << " 9"
                                           << "9" << 9;
    QTest::newRow("backspace to empty") << "7"
                                        << "\b"
                                        << "" << -5;
    QTest::newRow("backspace on empty") << ""
                                        << "\b\b1"
                                        << "1" << 1;
    QTest::newRow("letters ignored") << "70"
                                     << "a5x"
                                     << "5" << 5;
    QTest::newRow("input method digits and minus") << "70" << QStringLiteral("－４ー５") << "-5" << -15;
    QTest::newRow("no digit limit") << ""
                                    << "00012"
                                    << "00012" << 12;
}

void TestScoreCells::keySequences()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, stored);

    QString cell = start;
    bool untouched = true;
    for (QChar key : keys) {
        const CellKeyOutcome out = ApplyScoreKey(cell, untouched, key.unicode());
        QVERIFY(out.action == CellKey::Changed || out.action == CellKey::Ignored);
        cell = out.text;
        untouched = out.untouched;
    }
    QCOMPARE(cell, text);
    QCOMPARE(ScoreCellValue(cell), std::optional<int>(stored));
}

void TestScoreCells::cellValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("stored");

    QTest::newRow("empty") << "" << true << -5;
    QTest::newRow("blanks") << "  " << true << -5;
    QTest::newRow("dash") << " - " << true << -1;
    QTest::newRow("score") << "87" << true << 87;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("above max") << "32768" << false << 0;
    QTest::newRow("lowest bracket") << "-32758" << true << -32768;
    QTest::newRow("below lowest bracket") << "-32759" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
    QTest::newRow("leading number only") << "1-2" << true << 1;
    QTest::newRow("no leading digit") << "--5" << true << 0;
    QTest::newRow("decimal") << "45.5" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
}

void TestScoreCells::cellValues()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(int, stored);
    const std::optional<int> value = ScoreCellValue(text);
    QCOMPARE(value.has_value(), fits);
    if (fits) QCOMPARE(*value, stored);
}

void TestScoreCells::overflowIsRefusedAtTheKeystroke()
{
    CellKeyOutcome out = ApplyScoreKey(QStringLiteral("3276"), false, '7');
    QCOMPARE(out.action, CellKey::Changed);
    QCOMPARE(out.text, QStringLiteral("32767"));

    out = ApplyScoreKey(QStringLiteral("3276"), false, '8');
    QCOMPARE(out.action, CellKey::Refused);
    QCOMPARE(out.text, QStringLiteral("3276"));
    QCOMPARE(out.untouched, false);

    // Bracketed scores have 10 taken off, so they overflow ten sooner.
    QCOMPARE(ApplyScoreKey(QStringLiteral("-3275"), false, '8').action, CellKey::Changed);
    out = ApplyScoreKey(QStringLiteral("-3275"), false, '9');
    QCOMPARE(out.action, CellKey::Refused);
    QCOMPARE(out.text, QStringLiteral("-3275"));

    // A fresh cell always takes its first digit, whatever it held.
    QCOMPARE(ApplyScoreKey(QStringLiteral("32767"), true, '9').action, CellKey::Changed);
    QCOMPARE(ApplyScoreKey(QStringLiteral("32767"), false, '9').action, CellKey::Refused);

    // A decimal point, ASCII or full-width, is refused (never dropped); the cell keeps its text.
    for (int point : {int('.'), 0xFF0E}) {
        out = ApplyScoreKey(QStringLiteral("45"), false, point);
        QCOMPARE(out.action, CellKey::Decimal);
        QCOMPARE(out.text, QStringLiteral("45"));
        QVERIFY(!out.untouched);
        QCOMPARE(ApplyScoreKey(QStringLiteral("45"), true, point).text, QStringLiteral("45"));
    }
    QCOMPARE(DecimalRefusedText(), QStringLiteral("小数は入力できません"));
    QCOMPARE(ApplyScoreKey(QStringLiteral("5"), false, 13).action, CellKey::Enter);
    QCOMPARE(ApplyScoreKey(QStringLiteral("5"), false, 3).action, CellKey::Copy);
    QCOMPARE(ApplyScoreKey(QStringLiteral("5"), false, 22).action, CellKey::Paste);
}

void TestScoreCells::warningLimits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("beeps");

    QTest::newRow("50 silent") << 1 << "50" << false;
    QTest::newRow("51 beeps") << 1 << "51" << true;
    QTest::newRow("100 silent") << 2 << "100" << false;
    QTest::newRow("101 beeps") << 2 << "101" << true;
    QTest::newRow("mode 2 ignores 51") << 2 << "51" << false;
    QTest::newRow("mode 0 never") << 0 << "999" << false;
    QTest::newRow("bracketed never") << 1 << "-99" << false;
    QTest::newRow("absent never") << 1 << "-" << false;
}

void TestScoreCells::warningLimits()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(bool, beeps);
    QCOMPARE(ExceedsWarningLimit(text, mode), beeps);
}

void TestScoreCells::copyTexts()
{
    const auto cell = [](int r, int c) {
        if (c == 0) return QStringLiteral("2");
        if (c == 1) return QString::number(r);
        if (c == 2) return QStringLiteral("生徒%1").arg(r);
        return QStringLiteral("%1%2").arg(r).arg(c);
    };
    // Dragged from bottom-right to top-left: the same rectangle.
    const CellRange range = NormalisedRange(6, 6, 5, 4);
    QCOMPARE(range.top, 5);
    QCOMPARE(range.left, 4);
    QCOMPARE(range.bottom, 6);
    QCOMPARE(range.right, 6);
    QCOMPARE(BuildCopyText(cell, range), QStringLiteral("54\t55\t56\r\n64\t65\t66\r\n"));
    QCOMPARE(BuildCopyTextWithNames(cell, range, 3),
             QStringLiteral("3205\t生徒5\t54\t55\t56\r\n3206\t生徒6\t64\t65\t66\r\n"));
    // Rows before the first pupil's are headings: no identifier.
    QCOMPARE(BuildCopyTextWithNames(cell, range, 3, 6),
             QStringLiteral("\t生徒5\t54\t55\t56\r\n3206\t生徒6\t64\t65\t66\r\n"));
}

void TestScoreCells::identifiers_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("classText");
    QTest::addColumn<QString>("numberText");
    QTest::addColumn<QString>("id");

    QTest::newRow("3-1-5") << 3 << "1"
                           << "5"
                           << "3105";
    QTest::newRow("two-digit number") << 1 << "9"
                                      << "40"
                                      << "1940";
    QTest::newRow("formatted number") << 2 << "3"
                                      << " 7"
                                      << "2307";
    QTest::newRow("letter class counts as 0") << 3 << "B"
                                              << "12"
                                              << "3012";
}

void TestScoreCells::identifiers()
{
    QFETCH(int, grade);
    QFETCH(QString, classText);
    QFETCH(QString, numberText);
    QFETCH(QString, id);
    QCOMPARE(StudentIdentifier(grade, classText, numberText), id);
}

void TestScoreCells::numericPaste_data()
{
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QList<int>>("range");  // top, left, bottom, right
    QTest::addColumn<QStringList>("cells"); // "row,col=text"

    const QList<int> block{5, 4, 6, 6};
    QTest::newRow("no line end pastes nothing") << "80" << block << QStringList{};
    QTest::newRow("line end pastes") << "80\r\n" << block << QStringList{"5,4=80"};
    QTest::newRow("2x3 block") << "1\t2\t3\r\n4\t5\t6\r\n"
                               << block << QStringList{"5,4=1", "5,5=2", "5,6=3", "6,4=4", "6,5=5", "6,6=6"};
    QTest::newRow("single cell takes the first value") << "1\t2\t3\r\n4\t5\t6\r\n"
                                                       << QList<int>{5, 4, 5, 4} << QStringList{"5,4=1"};
    QTest::newRow("nothing outside the selection")
        << "1\t2\t3\t4\r\n5\t6\t7\t8\r\n9\r\n"
        << QList<int>{1, 4, 2, 5} << QStringList{"1,4=1", "1,5=2", "2,4=5", "2,5=6"};
    QTest::newRow("letters and blanks vanish") << " 85点\tab-\t7 0\r\n"
                                               << block << QStringList{"5,4=85", "5,5=-", "5,6=70"};
    // A decimal is refused as a whole (the window beeps and the cell keeps its value); it
    // never becomes a ten-fold score.
    QTest::newRow("decimals refused") << "45.5\t４５．５\t90\r\n.5\t５点\t-３\r\n"
                                      << block << QStringList{"5,4 refused", "5,5 refused", "5,6=90",
                                                              "6,4 refused", "6,5=5",       "6,6=-3"};
    // LF line ends (what programs here put on the clipboard) end rows like CR LF.
    QTest::newRow("LF line ends") << "80\t70\n90\t60\n" << block << QStringList{"5,4=80", "5,5=70", "6,4=90", "6,5=60"};
    QTest::newRow("CR alone, then LF") << "1\r2\n" << block << QStringList{"5,4=1", "6,4=2"};
    QTest::newRow("LF beyond the selection")
        << QString("1\n2\n").repeated(50000) << QList<int>{1, 4, 3, 4} << QStringList{"1,4=1", "2,4=2", "3,4=1"};
    QTest::newRow("final piece dropped") << "1\t2\r\n3\t4" << block << QStringList{"5,4=1", "5,5=2", "6,4=3"};
    QTest::newRow("lines beyond the selection")
        << QString("1\r\n2\r\n").repeated(50000) << QList<int>{1, 4, 3, 4} << QStringList{"1,4=1", "2,4=2", "3,4=1"};
    QTest::newRow("empty clipboard") << "" << block << QStringList{};
}

void TestScoreCells::numericPaste()
{
    QFETCH(QString, clip);
    QFETCH(QList<int>, range);
    QFETCH(QStringList, cells);
    QStringList got;
    // The window takes a piece when ScoreCellValue accepts it.
    for (const PastedCell& c : DistributeNumericPaste(clip, {range[0], range[1], range[2], range[3]})) {
        if (ScoreCellValue(c.text))
            got << QStringLiteral("%1,%2=%3").arg(c.row).arg(c.col).arg(c.text);
        else
            got << QStringLiteral("%1,%2 refused").arg(c.row).arg(c.col);
    }
    QCOMPARE(got, cells);
}

void TestScoreCells::textPasteKeepsOnlyWhatTheRosterCanTake()
{
    // Not limited by a selection; trimmed tokens; rows beyond the last are dropped.
    const QString clip = QStringLiteral(" 山田 太郎 \tやまだ たろう\r\n佐藤\x01花子\tさとう\r\n鈴木\r\n");
    const QList<PastedCell> cells = DistributeTextPaste(clip, 59, 1, 60);
    QCOMPARE(cells.size(), 4);
    QCOMPARE(cells[0].row, 59);
    QCOMPARE(cells[0].col, 1);
    QCOMPARE(cells[0].text, QStringLiteral("山田 太郎"));
    QCOMPARE(cells[1].col, 2);
    QCOMPARE(cells[1].text, QStringLiteral("やまだ たろう"));
    QCOMPARE(cells[2].row, 60);
    QCOMPARE(cells[2].col, 1);
    QCOMPARE(cells[2].text, QStringLiteral("佐藤花子"));
    QCOMPARE(cells[3].text, QStringLiteral("さとう"));

    // LF line ends end rows too, instead of gluing a name to the next one.
    const QList<PastedCell> lf = DistributeTextPaste(QStringLiteral("山田\tやまだ\n佐藤\tさとう\n"), 1, 1, 60);
    QCOMPARE(lf.size(), 4);
    QCOMPARE(lf[1].text, QStringLiteral("やまだ"));
    QCOMPARE(lf[2].row, 2);
    QCOMPARE(lf[2].col, 1);
    QCOMPARE(lf[2].text, QStringLiteral("佐藤"));
    QCOMPARE(DistributeTextPaste(QStringLiteral("a\nb\nc\n"), 59, 1, 60).size(), 2);
}

void TestScoreCells::enterTargets_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("wrapCol");
    QTest::addColumn<bool>("right");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toCol");
    QTest::addColumn<bool>("wrapped");

    // Ten rows, columns 4..12.
    QTest::newRow("down") << 3 << 6 << 12 << false << 4 << 6 << false;
    QTest::newRow("down on the last row") << 10 << 6 << 12 << false << 10 << 6 << false;
    QTest::newRow("right") << 3 << 6 << 12 << true << 3 << 7 << false;
    QTest::newRow("wrap at the last column") << 3 << 12 << 12 << true << 4 << 4 << true;
    QTest::newRow("wrap on the last row") << 10 << 12 << 12 << true << 10 << 4 << true;
    QTest::newRow("five-subject wrap") << 3 << 8 << 8 << true << 4 << 4 << true;
    QTest::newRow("beyond the five-subject wrap") << 3 << 10 << 8 << true << 3 << 11 << false;
    QTest::newRow("last column beyond the wrap") << 3 << 12 << 8 << true << 4 << 4 << true;
}

void TestScoreCells::enterTargets()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, wrapCol);
    QFETCH(bool, right);
    QFETCH(int, toRow);
    QFETCH(int, toCol);
    QFETCH(bool, wrapped);
    const EnterMove move = EnterTarget(row, col, 10, 12, wrapCol, right);
    QCOMPARE(move.row, toRow);
    QCOMPARE(move.col, toCol);
    QCOMPARE(move.wrapped, wrapped);
}

QTEST_MAIN(TestScoreCells)
#include "tst_scorecells.moc"
