// The list of choices and points: its table and the copy with names.
#include "CareerList.h"
#include "CareerTestData.h"

#include <QtTest>

using namespace seiran;
using namespace seiran::test;

class CareerListTest : public QObject
{
    Q_OBJECT
private slots:
    void tableOfThePupils()
    {
        auto gd = MakeCareerGrade(
            2,
            {{1, 5, 1, {3, 0, 10, 1, 2, 3, 4, 5, 6}, {1, 2, 9, 3}, QStringLiteral("青木")},
             {2, 12, 2, {}, {}, QStringLiteral("井上")}},
            {{QStringLiteral("青嵐"), QStringLiteral("県立青嵐高等学校 "), QStringLiteral("普通科"), {}},
             {QStringLiteral("東山"), QStringLiteral("県立東山高等学校"), QStringLiteral("国際科"), {}}});
        const CareerListTable t = BuildCareerList(*gd);
        QCOMPARE(t.header.size(), CareerListColumn::Count);
        QCOMPARE(t.header.mid(0, 8), (QStringList{{},
                                                  {},
                                                  QStringLiteral("第１志望"),
                                                  {},
                                                  QStringLiteral("第２志望"),
                                                  {},
                                                  QStringLiteral("併　　願"),
                                                  {}}));
        // The fifth subject comes last in the naishin order.
        QCOMPARE(t.header.at(8), QStringLiteral("国語"));
        QCOMPARE(t.header.at(12), QStringLiteral("音楽"));
        QCOMPARE(t.header.at(16), QStringLiteral("英語"));
        QCOMPARE(t.rows.size(), 2);
        const QStringList& first = t.rows.at(0);
        QCOMPARE(first.at(0), QStringLiteral("3105"));
        QCOMPARE(first.at(1), QStringLiteral("青木"));
        QCOMPARE(first.mid(2, 6), (QStringList{QStringLiteral("県立青嵐高等学校"),
                                               QStringLiteral("普通科"),
                                               QStringLiteral("県立東山高等学校"),
                                               QStringLiteral("国際科"),
                                               {},
                                               {}}));
        QCOMPARE(first.mid(8), (QStringList{QStringLiteral("3"),
                                            {},
                                            QStringLiteral("10"),
                                            QStringLiteral("1"),
                                            QStringLiteral("2"),
                                            QStringLiteral("3"),
                                            QStringLiteral("4"),
                                            QStringLiteral("5"),
                                            QStringLiteral("6")}));
        QCOMPARE(t.rows.at(1).at(0), QStringLiteral("3212"));

        // Points are filled only for the positions up to the number of subjects.
        gd->subjectCount = 4;
        QCOMPARE(BuildCareerList(*gd).rows.at(0).mid(8, 5),
                 (QStringList{QStringLiteral("3"), {}, QStringLiteral("10"), QStringLiteral("1"), {}}));
    }

    void copyWithNames()
    {
        const QList<QStringList> grid{
            {QString(), QString(), QStringLiteral("第１志望"), QString(), QStringLiteral("国語")},
            {QStringLiteral("3105"), QStringLiteral("青木"), QStringLiteral("県立青嵐"), QStringLiteral("普通科"),
             QStringLiteral("3")},
            {QStringLiteral("3106"), QStringLiteral("井上"), QStringLiteral("県立東山"), QString(),
             QStringLiteral("4")},
        };
        const CellTextFn cell = [&grid](int r, int c) { return grid.at(r).at(c); };
        // One cell: the header line ends in LF alone, the data line in CR LF.
        QCOMPARE(BuildCareerCopyWithNames(cell, NormalisedRange(1, 4, 1, 4)),
                 QStringLiteral("番号\t氏名\t国語\n3105\t青木\t3\r\n"));
        // A block dragged upwards and leftwards.
        QCOMPARE(BuildCareerCopyWithNames(cell, NormalisedRange(2, 3, 1, 2)),
                 QStringLiteral("番号\t氏名\t第１志望\t\n3105\t青木\t県立青嵐\t普通科\r\n3106\t井上\t県立東山\t\r\n"));
        QCOMPARE(BuildCopyText(cell, NormalisedRange(1, 4, 2, 4)), QStringLiteral("3\r\n4\r\n"));
    }
};

QTEST_MAIN(CareerListTest)
#include "tst_careerlist.moc"
