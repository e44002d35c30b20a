// The career screens on a sample grade: their controls and defaults, printing to a PDF file,
// the refusals, the list screen's copies and wheel.
#include "CareerGuidanceWindow.h"
#include "CareerListWindow.h"
#include "ClassBoxFrame.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GuidanceMaterials.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "Notice.h"
#include "PickerLayout.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "ReportFonts.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "Session.h"
#include "TargetSchoolListWindow.h"
#include "TestSupport.h"
#include "WindowSize.h"
#include "reports/ReportTestData.h"
#include "support/GridChecks.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace seiran;

namespace {
// With SEIRAN_SCREENSHOTS set, a picture of the window goes there.
void grab(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (!dir.isEmpty()) w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}
} // namespace

class CareerWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        QVERIFY(mDir.isValid());
        SampleOptions options;
        options.grade = 3;
        options.classes = 3;
        options.pupils = 20;
        QVERIFY(WriteSampleGrade(mDir.path(), options).ok);
    }

    void init()
    {
        // As the menu prepares both screens: lists, choices, high schools, 内申点.
        mGd = std::make_unique<GradeData>();
        mGd->dataFolder = mDir.path() + u'/';
        mGd->currentGrade = 3;
        QVERIFY(LoadTestList(*mGd).ok);
        QVERIFY(LoadSubjectList(*mGd).ok);
        QVERIFY(LoadCareerChoices(*mGd, NullProgress::instance()).ok);
        QVERIFY(LoadHighSchoolList(*mGd, test::StdFilesFolder(), mNotice).ok);
        QVERIFY(LoadNaishin(*mGd, NullProgress::instance()).ok);
        mSession = std::make_unique<Session>(Session{*mGd, NullProgress::instance(), mNotice, test::StdFilesFolder()});
    }

    void targetSchoolListDefaultsAndPrint()
    {
        TargetSchoolListWindow w(*mSession);
        QCOMPARE(w.windowTitle(), QStringLiteral("志望校・内申点一覧表　表示・印刷"));
        for (QCheckBox* box : {w.mClassSheetBox, w.mPointTableBox, w.mApplicantBox})
            QVERIFY(box->isChecked());
        QCOMPARE(w.mClassSheetBox->text(), QStringLiteral("クラス別　進路希望・内申点 一覧表"));
        QCOMPARE(w.mClassFrame->title(), QStringLiteral("印刷するクラス"));
        QCOMPARE(w.mClassFrame->mClassBoxes->boxes().size(), 3);
        QCOMPARE(w.mClassFrame->mClassBoxes->boxes().at(2)->text(), QStringLiteral("3組"));
        QCOMPARE(w.mClassFrame->tickedClasses(), (QList<int>{1, 2, 3}));
        QTest::mouseClick(w.mClassFrame->mClearAllButton, Qt::LeftButton);
        QVERIFY(w.mClassFrame->tickedClasses().isEmpty());
        QTest::mouseClick(w.mClassFrame->mSelectAllButton, Qt::LeftButton);
        QCOMPARE(w.mClassFrame->tickedClasses().size(), 3);

        int asked = 0;
        const QString pdf = mDir.filePath(QStringLiteral("sibo.pdf"));
        ScopedPrinterChooser chooser([&](const QString&) {
            ++asked;
            return MakePdfPrinter(pdf);
        });
        ScriptedMessages messages;

        // Class sheets without a class and nothing else: no dialog, no message, still open.
        w.mClassFrame->mClearAllButton->click();
        w.mPointTableBox->setChecked(false);
        w.mApplicantBox->setChecked(false);
        w.show();
        w.mPrintButton->click();
        QCOMPARE(asked, 0);
        QVERIFY(messages.asked().isEmpty());
        QVERIFY(w.isVisible());

        // Class 2 and the point table: two sheets in one job, then the message and the close.
        w.mClassFrame->mClassBoxes->boxes().at(1)->setChecked(true);
        w.mPointTableBox->setChecked(true);
        w.mPrintButton->click();
        QCOMPARE(asked, 1);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::PdfPages(pdf) >= 0) QCOMPARE(test::PdfPages(pdf), 2);
        if (test::HavePdfText()) {
            const QString text = test::PdfText(pdf);
            QVERIFY(text.contains(QStringLiteral("3年2組")));
            QVERIFY(!text.contains(QStringLiteral("3年1組")));
            QVERIFY(text.contains(QStringLiteral("内申点別人数一覧表")));
        }
    }

    void listButtonOpensTheList()
    {
        TargetSchoolListWindow w(*mSession);
        int rows = -1;
        QString title;
        test::ModalAnswer<CareerListWindow> answer([&](CareerListWindow* list) {
            rows = list->mGrid->Rows();
            title = list->windowTitle();
            list->reject();
        });
        w.mListButton->click();
        QCOMPARE(title, QStringLiteral("進路希望・内申点一覧表"));
        QCOMPARE(rows, mGd->studentCount + 1);
    }

    void listScreenCopiesAndScrolls()
    {
        CareerListWindow w(*mSession);
        w.show();
        FlexGrid* grid = w.mGrid;
        QCOMPARE(grid->Cols(), 17);
        QCOMPARE(grid->FixedRows(), 1);
        QCOMPARE(grid->FixedCols(), 0);
        QCOMPARE(grid->LeftCol(), 0);
        QVERIFY(!grid->cellRect(1, 0).isEmpty());
        QCOMPARE(grid->TextMatrix(0, 2), QStringLiteral("第１志望"));
        QCOMPARE(grid->TextMatrix(0, 8), QStringLiteral("国語"));
        QCOMPARE(grid->TextMatrix(0, 16), QStringLiteral("英語"));
        const int s = 1;
        QCOMPARE(grid->TextMatrix(1, 0), QString::number(3000 + 100 * mGd->studentClass[s] + mGd->studentNumber[s]));
        QCOMPARE(grid->TextMatrix(1, 1), mGd->studentName[s]);
        QCOMPARE(grid->ColAlignment(8), Qt::AlignCenter);
        QVERIFY(grid->ColWidth(2) > grid->ColWidth(0));

        // One cell with names: the header line ends in LF, the pupil's line in CR LF.
        grid->setRow(1);
        grid->setCol(8);
        grid->setRowSel(1);
        grid->setColSel(8);
        w.mCopyWithNamesButton->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("番号\t氏名\t国語\n") + grid->TextMatrix(1, 0) +
                                                           u'\t' + grid->TextMatrix(1, 1) + u'\t' +
                                                           grid->TextMatrix(1, 8) + QStringLiteral("\r\n"));
        grid->setRowSel(2);
        grid->setColSel(9);
        w.mCopyButton->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), grid->TextMatrix(1, 8) + u'\t' + grid->TextMatrix(1, 9) +
                                                           QStringLiteral("\r\n") + grid->TextMatrix(2, 8) + u'\t' +
                                                           grid->TextMatrix(2, 9) + QStringLiteral("\r\n"));

        // The wheel moves two rows a notch.
        grid->setTopRow(1);
        emit grid->wheel(-1);
        QCOMPARE(grid->TopRow(), 3);
        emit grid->wheel(1);
        QCOMPARE(grid->TopRow(), 1);

        // Never smaller than the minimum; the grid fills the window above the buttons.
        w.resize(100, 100);
        QVERIFY(w.width() >= w.mMinSizeLabel->x());
        QVERIFY(w.height() >= w.mMinSizeLabel->y());
        w.resize(1100, 700);
        QVERIFY(grid->geometry().bottom() < w.mCopyButton->geometry().top());
        QCOMPARE(grid->width(), w.width() - 16);
    }

    void listOpensShowingEveryColumn()
    {
        CareerListWindow w(*mSession);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The window opens at the size that shows the whole list width, as far as the screen
        // allows.
        QCOMPARE(w.size(), FitOpeningSize(w.contentSize(), w.minimumSize(), ScreenRoom(&w)));
        QVERIFY(w.contentSize().width() > 960); // wider than the old fixed size: nine point columns
        w.resize(w.contentSize());
        QCOMPARE(test::ColumnsCut(w.mGrid), QString());
        QVERIFY(w.mCopyWithNamesButton->geometry().right() < w.width());
        QVERIFY(w.mGrid->visibleRows() >= 10);
        grab(&w, QStringLiteral("career-list"));
    }

    void guidanceDefaultsRefusalsAndPrint()
    {
        CareerGuidanceWindow w(*mSession);
        QCOMPARE(w.windowTitle(), QStringLiteral("進路指導資料作成"));
        QCOMPARE(w.mTestLabel->text(), QStringLiteral("処理するテスト"));
        QCOMPARE(w.mTestList->count(), mGd->testCount);
        QCOMPARE(w.mTestList->selectionMode(), QAbstractItemView::MultiSelection);
        QVERIFY(w.mTestList->selectedItems().isEmpty());
        for (QCheckBox* box : {w.mClassSheetBox, w.mGradeRankingBox, w.mSchoolRankingBox})
            QVERIFY(box->isChecked());
        for (QCheckBox* box : {w.mSecondChoiceBox, w.mTestsOnlyBox, w.mSubjectWeightsBox})
            QVERIFY(!box->isChecked());
        QCOMPARE(w.mTestsOnlyBox->text(), QStringLiteral("テスト点のみで処理する（内申点なし）"));

        // Tests in list order whatever order they were picked in.
        w.mTestList->item(3)->setSelected(true);
        w.mTestList->item(0)->setSelected(true);
        w.mSecondChoiceBox->setChecked(true);
        GuidanceOptions o = w.options();
        QCOMPARE(o.tests, (QList<int>{1, 4}));
        QVERIFY(o.secondChoices && !o.testsOnly && !o.subjectMultipliers);

        int asked = 0;
        const QString pdf = mDir.filePath(QStringLiteral("sinro.pdf"));
        ScopedPrinterChooser chooser([&](const QString&) {
            ++asked;
            return MakePdfPrinter(pdf);
        });
        ScriptedMessages messages;
        w.show();

        // No test and no 内申点: nothing to rank.
        w.mTestList->clearSelection();
        w.mTestsOnlyBox->setChecked(true);
        w.mPrintButton->click();
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("処理するテストを選んでください。"));
        QCOMPARE(asked, 0);
        QVERIFY(w.isVisible());

        // Nothing ticked: nothing at all.
        messages.clear();
        w.mClassFrame->mClearAllButton->click();
        w.mGradeRankingBox->setChecked(false);
        w.mSchoolRankingBox->setChecked(false);
        w.mPrintButton->click();
        QVERIFY(messages.asked().isEmpty());
        QCOMPARE(asked, 0);

        // The grade ranking of two tests.
        w.mTestsOnlyBox->setChecked(false);
        w.mGradeRankingBox->setChecked(true);
        w.mTestList->item(0)->setSelected(true);
        w.mTestList->item(2)->setSelected(true);
        w.mPrintButton->click();
        QCOMPARE(asked, 1);
        QCOMPARE(messages.asked().last().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::HavePdfText()) {
            const QString text = test::PdfText(pdf);
            QVERIFY(text.contains(QStringLiteral("学年全体順位表")));
            QVERIFY(text.contains(QStringLiteral("生徒数%1人").arg(mGd->studentCount)));
        }
    }

    void moreThanThirteenTestsAreRefused()
    {
        mGd->testCount = 14;
        for (int t = 9; t <= 14; ++t) {
            mGd->testNames[t] = QStringLiteral("テスト%1").arg(t);
            mGd->testSubjectCount[t] = 5;
            mGd->testFirstSlot[t] = 100 + 5 * t;
        }
        CareerGuidanceWindow w(*mSession);
        w.mTestList->selectAll();
        QCOMPARE(w.options().tests.size(), 14);
        int asked = 0;
        ScopedPrinterChooser chooser([&](const QString&) {
            ++asked;
            return std::unique_ptr<QPrinter>();
        });
        ScriptedMessages messages;
        w.mPrintButton->click();
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("処理できるテストは13までです。"));
        QCOMPARE(asked, 0);
        w.mTestList->item(13)->setSelected(false);
        w.mPrintButton->click();
        QCOMPARE(asked, 1); // thirteen are read, then the print dialog (cancelled here)
        QCOMPARE(messages.asked().size(), 1);
    }

private:
    QTemporaryDir mDir;
    SilentNotice mNotice;
    std::unique_ptr<GradeData> mGd;
    std::unique_ptr<Session> mSession;
};

QTEST_MAIN(CareerWindowsTest)
#include "tst_careerwindows.moc"
