// The two report-card windows through their controls: the test order, the marks, the pupil
// choice and printing to PDF through the print seam.
#include "FlexGrid.h"
#include "MessageBox.h"
#include "Notice.h"
#include "NotificationCardWindow.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "ReportCardWindow.h"
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

// A grade of two classes (three pupils in class 1, two in class 2) and `tests` tests of five
// subjects; test 2 is named like test 1.
class WindowGrade
{
public:
    explicit WindowGrade(int tests = 4) : mFx(1, 2)
    {
        mFx.writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                           QStringLiteral("理科"), QStringLiteral("英語")});
        QList<QPair<QString, int>> list;
        for (int t = 1; t <= tests; ++t)
            list.append({t == 2 ? QStringLiteral("テスト1") : QStringLiteral("テスト%1").arg(t), 5});
        mFx.writeTests(list);
        mFx.writeHomeroom();
        mFx.writeRoster({});
        const QList<QPair<int, int>> seats{{1, 1}, {1, 2}, {1, 4}, {2, 1}, {2, 3}};
        for (const auto& seat : seats) {
            StudentRecord rec = StudentRecord::blank();
            rec.setFlag(StudentRecord::InUse);
            rec.setName(QStringLiteral("生徒%1の%2").arg(seat.first).arg(seat.second));
            rec.setSex(1);
            for (int u = 1; u <= 5 * tests; ++u)
                rec.setScoreSlot(u, 40 + (u * 7 + seat.second) % 50);
            mFx.writeRecord(RosterFile::recordNumber(seat.first, seat.second), rec);
        }
        LoadRoster(mFx.gd(), NullProgress::instance());
        mSession = std::make_unique<Session>(Session{mFx.gd(), NullProgress::instance(), mNotice, QString()});
        mSession->clearTestChoice = [this] { ++clearedTestChoice; };
    }

    GradeData& gd() { return mFx.gd(); }
    Session& session() { return *mSession; }
    QString folder() const { return mFx.folder(); }
    int clearedTestChoice = 0;

private:
    GradeFixture mFx;
    SilentNotice mNotice;
    std::unique_ptr<Session> mSession;
};

// Answers the print dialog with a PDF file (or cancel for an empty name) and counts the asks.
class PdfChooser
{
public:
    explicit PdfChooser(const QString& file)
        : mScope([this, file](const QString&) -> std::unique_ptr<QPrinter> {
              ++asked;
              if (file.isEmpty()) return nullptr;
              return MakePdfPrinter(file);
          })
    {
    }
    int asked = 0;

private:
    ScopedPrinterChooser mScope;
};

void selectRows(QListWidget* list, const QList<int>& rows)
{
    list->clearSelection();
    for (int r : rows)
        list->item(r)->setSelected(true);
}

// Screenshots for a person to look at, when SEIRAN_SCREENSHOTS names a folder.
void screenshot(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (folder.isEmpty()) return;
    window.show();
    QCoreApplication::processEvents();
    window.grab().save(folder + u'/' + name);
}

} // namespace

class CardWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void reportCardWindowOpens()
    {
        WindowGrade grade;
        ReportCardWindow w(grade.session());
        screenshot(w, QStringLiteral("reportcard.png"));
        QCOMPARE(w.windowTitle(), QStringLiteral("テスト成績表"));
        QCOMPARE(grade.clearedTestChoice, 1);
        QCOMPARE(w.mTestList->count(), 4);
        QCOMPARE(w.mTestList->item(1)->text(), QStringLiteral("テスト1"));
        QCOMPARE(w.mTestList->currentRow(), 0);
        QVERIFY(w.mTestList->selectedItems().isEmpty());
        QCOMPARE(w.mClassList->count(), 2);
        QCOMPARE(w.mClassList->item(1)->text(), QStringLiteral("2組"));
        QCOMPARE(w.selectedClasses(), (QList<int>{1, 2}));
        QCOMPARE(w.mGraphCheck->text(), QStringLiteral("合計グラフ"));
        QCOMPARE(w.mPrintButton->text(), QStringLiteral("印刷開始"));
        QCOMPARE(w.mCloseButton->text(), QStringLiteral("終了"));
        QCOMPARE(w.mProgressBar->value(), 0);
        QCOMPARE(w.mProgressBar->maximum(), 100);
    }

    void reportCardWindowOrdersTests()
    {
        WindowGrade grade;
        ReportCardWindow w(grade.session());
        // The two tests named "テスト1" stay two tests.
        selectRows(w.mTestList, {0, 1, 3});
        QCOMPARE(w.chosenTests(), (QList<int>{1, 2, 4}));
        w.mTestList->setCurrentRow(3, QItemSelectionModel::NoUpdate);
        QTest::mouseClick(w.mUpButton, Qt::LeftButton);
        QTest::mouseClick(w.mUpButton, Qt::LeftButton);
        QCOMPARE(w.mTestList->currentRow(), 1);
        QCOMPARE(w.chosenTests(), (QList<int>{1, 4, 2}));
        QTest::mouseClick(w.mUpButton, Qt::LeftButton);
        QTest::mouseClick(w.mUpButton, Qt::LeftButton); // at the top: nothing
        QCOMPARE(w.mTestList->currentRow(), 0);
        QCOMPARE(w.chosenTests(), (QList<int>{4, 1, 2}));
        w.mTestList->setCurrentRow(3, QItemSelectionModel::NoUpdate);
        QTest::mouseClick(w.mDownButton, Qt::LeftButton); // at the end: nothing
        QCOMPARE(w.mTestList->item(3)->data(Qt::UserRole).toInt(), 3);
        QVERIFY(!w.mTestList->item(3)->isSelected());
    }

    void reportCardWindowPrints()
    {
        WindowGrade grade;
        QTemporaryDir dir;
        ScriptedMessages messages;
        const QString pdf = dir.filePath(QStringLiteral("cards.pdf"));
        {
            // Nothing chosen: nothing happens.
            ReportCardWindow w(grade.session());
            PdfChooser chooser(pdf);
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
            selectRows(w.mTestList, {0});
            w.mClassList->clearSelection();
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
            QCOMPARE(chooser.asked, 0);
            QVERIFY(messages.asked().isEmpty());
        }
        {
            // A cancelled dialog leaves the window open.
            ReportCardWindow w(grade.session());
            PdfChooser chooser{QString()};
            w.show();
            selectRows(w.mTestList, {0, 2});
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
            QCOMPARE(chooser.asked, 1);
            QVERIFY(w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Rejected));
        }
        ReportCardWindow w(grade.session());
        PdfChooser chooser(pdf);
        w.show();
        selectRows(w.mTestList, {2, 0});
        w.mGraphCheck->setChecked(true);
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.asked, 1);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        QCOMPARE(w.mProgressBar->value(), 0);
        if (PdfPages(pdf) >= 0) QCOMPARE(PdfPages(pdf), 2); // one sheet per class
        if (HavePdfText()) {
            const QString text = PdfText(pdf);
            QVERIFY2(text.contains(QStringLiteral("生徒2の3")), qPrintable(text.left(400)));
            QVERIFY(text.indexOf(QStringLiteral("テスト1")) < text.indexOf(QStringLiteral("テスト3")));
        }
    }

    void reportCardWindowRefusesTooManyTests()
    {
        WindowGrade grade(14);
        QTemporaryDir dir;
        ScriptedMessages messages;
        const QString pdf = dir.filePath(QStringLiteral("many.pdf"));
        ReportCardWindow w(grade.session());
        PdfChooser chooser(pdf);
        w.mTestList->selectAll();
        w.mGraphCheck->setChecked(true);
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(messages.asked().size(), 1);
        QVERIFY2(messages.asked().first().text.contains(QStringLiteral("12テストまで")),
                 qPrintable(messages.asked().first().text));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    void missingRosterIsReported()
    {
        WindowGrade grade;
        QVERIFY(QFile::remove(RosterFile::pathFor(grade.gd())));
        ScriptedMessages messages;
        ReportCardWindow w(grade.session());
        PdfChooser chooser(QStringLiteral("x.pdf"));
        selectRows(w.mTestList, {0});
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.asked, 0);
        QCOMPARE(messages.asked().size(), 1);
        QVERIFY(messages.asked().first().text.contains(QStringLiteral("dtfile01.rnd")));
        QVERIFY(!QFile::exists(RosterFile::pathFor(grade.gd())));
    }

    void notificationWindowMarks()
    {
        WindowGrade grade;
        NotificationCardWindow w(grade.session());
        screenshot(w, QStringLiteral("notificationcard.png"));
        QCOMPARE(w.windowTitle(), QStringLiteral("テスト成績表(通知票用)"));
        FlexGrid* g = w.mGrid;
        QCOMPARE(g->Rows(), 5);
        QCOMPARE(g->Cols(), 4);
        QCOMPARE(g->TextMatrix(0, 2), QStringLiteral("印刷"));
        QCOMPARE(g->TextMatrix(0, 3), QStringLiteral("グラフ"));
        QCOMPARE(g->TextMatrix(3, 0), QStringLiteral("3"));
        QCOMPARE(g->TextMatrix(3, 1), QStringLiteral("テスト3"));
        QVERIFY(g->ColWidth(1) > 4 * g->ColWidth(0));
        QCOMPARE(w.mPupilCheck->text(), QStringLiteral("生徒指定"));

        // Double click and space toggle "○" in the two mark columns only.
        g->setRow(2);
        g->setCol(2);
        w.onGridDoubleClicked();
        QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("○"));
        g->setCol(3);
        QTest::keyClick(g, Qt::Key_Space);
        QCOMPARE(g->TextMatrix(2, 3), QStringLiteral("○"));
        QTest::keyClick(g, Qt::Key_Space);
        QVERIFY(g->TextMatrix(2, 3).isEmpty());
        w.onGridKeyPress(32);
        g->setCol(1);
        w.onGridDoubleClicked();
        QCOMPARE(g->TextMatrix(2, 1), QStringLiteral("テスト1"));

        // "▲" moves the row with its marks.
        QTest::mouseClick(w.mUpButton, Qt::LeftButton);
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("2"));
        QCOMPARE(g->TextMatrix(1, 2), QStringLiteral("○"));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("○"));
        QVERIFY(g->TextMatrix(2, 2).isEmpty());
        QTest::mouseClick(w.mUpButton, Qt::LeftButton); // at the top: nothing
        QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("2"));
        g->setRow(4);
        QTest::mouseClick(w.mDownButton, Qt::LeftButton);
        QCOMPARE(g->TextMatrix(4, 0), QStringLiteral("4"));

        const QList<NotificationTestRow> rows = w.testRows();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(0).test, 2);
        QVERIFY(rows.at(0).print && rows.at(0).graph);
        QCOMPARE(rows.at(1).test, 1);
        QVERIFY(!rows.at(1).print);
    }

    void notificationWindowGraphAloneAndPupilChoice()
    {
        WindowGrade grade;
        QTemporaryDir dir;
        ScriptedMessages messages;
        const QString pdf = dir.filePath(QStringLiteral("b5.pdf"));
        NotificationCardWindow w(grade.session());
        PdfChooser chooser(pdf);
        w.show();
        // "グラフ" alone: nothing is printed.
        w.mGrid->setTextMatrix(1, NotificationCardWindow::GraphCol, QStringLiteral("○"));
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.asked, 0);

        // "生徒指定" with nobody chosen: a message and no job.
        int pickerShown = 0;
        QList<int> toChoose;
        w.choosePupils = [&] {
            ++pickerShown;
            for (int s = 1; s <= grade.gd().studentCount; ++s)
                grade.gd().studentSelected[s] = toChoose.contains(s);
        };
        w.mPupilCheck->setChecked(true);
        QCOMPARE(pickerShown, 1);
        QVERIFY(!w.mClassList->isEnabled());
        w.mGrid->setTextMatrix(3, NotificationCardWindow::PrintCol, QStringLiteral("○"));
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.asked, 0);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷する生徒が選ばれていません。"));
        QVERIFY(w.isVisible());

        w.mPupilCheck->setChecked(false);
        QVERIFY(w.mClassList->isEnabled());
        QCOMPARE(pickerShown, 1);
        // Pupils 2 (class 1 number 2) and 5 (class 2 number 3), whatever classes are selected.
        toChoose = {2, 5};
        w.mClassList->clearSelection();
        w.mPupilCheck->setChecked(true);
        QCOMPARE(pickerShown, 2);
        messages.clear();
        QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        QCOMPARE(chooser.asked, 1);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (PdfPages(pdf) >= 0) {
            QCOMPARE(PdfPages(pdf), 2);
            QVERIFY2(test::PdfPageSize(pdf).startsWith(QLatin1String("51")), qPrintable(test::PdfPageSize(pdf)));
        }
        if (HavePdfText()) {
            const QString text = PdfText(pdf);
            QVERIFY(text.contains(QStringLiteral("テスト成績一覧表")));
            QVERIFY(text.contains(QStringLiteral("生徒1の2")));
            QVERIFY(text.contains(QStringLiteral("生徒2の3")));
            QVERIFY(!text.contains(QStringLiteral("生徒1の1")));
        }
    }
};

QTEST_MAIN(CardWindowsTest)
#include "tst_cardwindows.moc"
