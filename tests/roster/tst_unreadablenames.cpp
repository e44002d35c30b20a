// Names stored in bytes that are not CP932, and seats beyond the end of a short roster, in the
// roster editor: marked for retyping, never rewritten unasked, blank rather than NUL.
#include "FlexGrid.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterEditModel.h"
#include "CellEditBox.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "Session.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QtTest>
#include <cstring>
#include <memory>

using namespace seiran;

namespace {

// Seat 2 of class 1 holds "山" + 0x80 + "田"; the file ends after record 3.
struct Env
{
    test::GradeFixture fx{1, 1};
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};
    QByteArray damagedName = QByteArray("\x8e\x52\x80\x93\x63         ", 14);

    Env()
    {
        fx.writeStandard({});
        for (int n = 1; n <= 3; ++n) {
            StudentRecord rec = StudentRecord::blank();
            rec.setFlag(StudentRecord::InUse);
            rec.setName(QStringLiteral("生徒%1").arg(n));
            rec.setSex(1);
            if (n == 2) std::memcpy(rec.bytes().data() + 2, damagedName.constData(), 14);
            fx.writeRecord(n, rec);
        }
        test::WriteFileBytes(fx.rosterPath(), fx.rosterBytes().left(3 * StudentRecord::Size));
        if (!fx.loadLists()) qFatal("lists");
    }
};

} // namespace

class UnreadableNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void modelMarksAndKeepsTheBytes();
    void seatsBeyondTheEndAreBlank();
    void editorShowsTheMark();
};

void UnreadableNamesTest::modelMarksAndKeepsTheBytes()
{
    Env env;
    RosterEditModel model;
    QVERIFY(model.load(env.fx.rosterPath(), 1, env.progress).ok);
    QVERIFY(model.nameUnreadable(1, 2));
    QVERIFY(!model.nameUnreadable(1, 1));
    QCOMPARE(model.unreadableNameCount(), 1);
    QVERIFY(model.cellText(1, 2, RosterEditModel::ColName).contains(QChar(0xFFFD)));

    // Changing only the sex writes the record but keeps the name's bytes as they were.
    model.setSex(1, 2, 2);
    QVERIFY(model.save(env.fx.rosterPath(), env.progress).ok);
    QCOMPARE(env.fx.readRecord(2).sex(), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(env.fx.readRecord(2).bytes().data()) + 2, 14), env.damagedName);
    QVERIFY(model.nameUnreadable(1, 2));

    // Retyping the name clears the mark and stores the new name.
    model.setName(1, 2, QStringLiteral("山田"));
    QVERIFY(!model.nameUnreadable(1, 2));
    QVERIFY(model.save(env.fx.rosterPath(), env.progress).ok);
    QCOMPARE(env.fx.readRecord(2).name().trimmed(), QStringLiteral("山田"));
    RosterEditModel again;
    QVERIFY(again.load(env.fx.rosterPath(), 1, env.progress).ok);
    QCOMPARE(again.unreadableNameCount(), 0);
}

void UnreadableNamesTest::seatsBeyondTheEndAreBlank()
{
    Env env;
    RosterEditModel model;
    QVERIFY(model.load(env.fx.rosterPath(), 1, env.progress).ok);
    for (int seat = 4; seat <= 60; ++seat) {
        QCOMPARE(model.seat(1, seat).name, QString());
        QCOMPARE(model.cellText(1, seat, RosterEditModel::ColRemark), QStringLiteral("未登録"));
    }
    // "1"/"2" on an unregistered seat beyond the end sets nothing, and nothing is written.
    QVERIFY(!model.setSexIfNamed(1, 10, 2));
    QCOMPARE(model.changedCount(), 0);

    // Enrolling seat 6 writes seats 4 and 5 as a new roster's blank records, then seat 6.
    model.setName(1, 6, QStringLiteral("新入生"));
    QVERIFY(model.save(env.fx.rosterPath(), env.progress).ok);
    QCOMPARE(env.fx.rosterBytes().size(), 6 * StudentRecord::Size);
    QCOMPARE(env.fx.readRecord(4), StudentRecord::blank());
    QCOMPARE(env.fx.readRecord(5), StudentRecord::blank());
    QCOMPARE(env.fx.readRecord(6).name().trimmed(), QStringLiteral("新入生"));
    QCOMPARE(env.fx.readRecord(6).scoreSlot(1), -5);

    // A missing file reads as blank seats as well.
    RosterEditModel none;
    QVERIFY(none.load(env.fx.folder() + QStringLiteral("missing.rnd"), 1, env.progress).ok);
    QCOMPARE(none.seat(1, 1).name, QString());
}

void UnreadableNamesTest::editorShowsTheMark()
{
    Env env;
    ScriptedMessages messages;
    auto w = std::make_unique<RosterEditorWindow>(env.session);
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().first().icon, MsgIcon::Warning);
    QVERIFY2(messages.asked().first().text.contains(QStringLiteral("1 人")), qPrintable(messages.asked().first().text));
    w->show();
    FlexGrid* g = w->frontGrid();
    QVERIFY(g->CellBackColor(2, RosterEditModel::ColName).isValid());
    QVERIFY(!g->CellBackColor(1, RosterEditModel::ColName).isValid());
    QVERIFY(!g->CellBackColor(2, RosterEditModel::ColSex).isValid());
    QVERIFY(g->TextMatrix(2, RosterEditModel::ColName).contains(QChar(0xFFFD)));
    QCOMPARE(g->TextMatrix(10, RosterEditModel::ColName), QString());

    // Typed again, the mark goes.
    g->setRow(2);
    g->setCol(RosterEditModel::ColName);
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(w->mNameEditor->isVisible());
    w->mNameEditor->setText(QStringLiteral("山田"));
    QTest::keyClick(w->mNameEditor, Qt::Key_Return);
    QVERIFY(!g->CellBackColor(2, RosterEditModel::ColName).isValid());
    messages.queue(MsgAnswer::No);
    w->close();
}

QTEST_MAIN(UnreadableNamesTest)
#include "tst_unreadablenames.moc"
