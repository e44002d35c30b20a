// The graph windows: the distribution graph's settings, copy and print; the handout's
// orientation and its two print runs; the trend graph's lists and print run.
#include "DistributionGraphWindow.h"
#include "MessageBox.h"
#include "Notice.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "Session.h"
#include "SpinButton.h"
#include "TestSummaryWindow.h"
#include "TestSupport.h"
#include "TrendGraphWindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cmath>

using namespace seiran;

namespace {
bool hasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

class PdfChooser
{
public:
    PdfChooser(const QString& file, const QPageLayout& layout)
        : mScope([file, layout](const QString&) -> std::unique_ptr<QPrinter> {
              if (file.isEmpty()) return nullptr;
              return MakePdfPrinter(file, layout);
          })
    {
    }

private:
    ScopedPrinterChooser mScope;
};
} // namespace

class GraphWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }
    void init()
    {
        mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime());
        QVERIFY(mDir.isValid());
    }
    void cleanup() { mClock.reset(); }

    void distributionWindow()
    {
        auto gd = test::MakeReportGrade(2, 5, test::EvenPupils(2, 30, 5, 64));
        gd->subjectKind[3] = 1;
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        DistributionGraphWindow w(session);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("度数分布グラフ"));
        QCOMPARE(w.mHeadingLabel->text(), QStringLiteral("度数分布グラフ"));
        QCOMPARE(w.mSettingsBoxes.totalFrame->title(), QStringLiteral("５教科合計"));
        QCOMPARE(w.mSettingsBoxes.subjectFrame->title(), QStringLiteral("各教科"));
        for (QPushButton* b :
             {w.mFiftyButton, w.mHundredButton, w.mRedrawButton, w.mCopyButton, w.mPrintButton, w.mCloseButton})
            QVERIFY(!b->text().isEmpty());
        QCOMPARE(w.mFiftyButton->text(), QStringLiteral("５０点"));
        QCOMPARE(w.mCopyButton->text(), QStringLiteral("コピー"));
        QCOMPARE(w.mSettingsBoxes.totalMaximum->text(), QStringLiteral("500"));
        QCOMPARE(w.mSettingsBoxes.subjectBand->text(), QStringLiteral("10"));
        QCOMPARE(w.mItemCombo->count(), 7);
        QCOMPARE(w.mItemCombo->itemText(4), QStringLiteral("数学(女子)"));
        QCOMPARE(w.mPane->canvasRows(), 60);
        QVERIFY(hasInk(w.mPane->mCanvases.at(0)->picture()));

        QTest::mouseClick(w.mItemSpin->upButton(), Qt::LeftButton);
        QCOMPARE(w.currentItem(), 2);
        QTest::mouseClick(w.mItemSpin->downButton(), Qt::LeftButton);
        QTest::mouseClick(w.mItemSpin->downButton(), Qt::LeftButton); // stays on the first
        QCOMPARE(w.currentItem(), 1);

        QTest::mouseClick(w.mFiftyButton, Qt::LeftButton);
        QCOMPARE(w.settings(), GraphSettings::FiftyPoints());
        QCOMPARE(w.mSettingsBoxes.totalMaximum->text(), QStringLiteral("250"));
        QCOMPARE(w.mSettingsBoxes.subjectBand->text(), QStringLiteral("5"));

        // Typing sets the setting without redrawing; a band of many rows makes the canvas taller.
        ScriptedMessages messages;
        w.mSettingsBoxes.totalBand->setText(QStringLiteral("３"));
        QCOMPARE(w.settings().totalBand, 3);
        QCOMPARE(w.mPane->canvasRows(), 60);
        QTest::mouseClick(w.mRedrawButton, Qt::LeftButton);
        QCOMPARE(w.mPane->canvasRows(), 251 / 3 + 6);
        QVERIFY(messages.asked().isEmpty());

        // A text that is not a number reads 0 and is refused.
        w.mSettingsBoxes.subjectBand->setText(QStringLiteral("abc"));
        QCOMPARE(w.settings().subjectBand, 0);
        QTest::mouseClick(w.mRedrawButton, Qt::LeftButton);
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().at(0).text, QString::fromUtf16(BandSettingsProblemText));
        QTest::mouseClick(w.mHundredButton, Qt::LeftButton);
        QCOMPARE(w.settings(), GraphSettings::HundredPoints());
        QCOMPARE(w.mPane->canvasRows(), 60);

        // コピー: four times the viewport, on the clipboard.
        QTest::mouseClick(w.mCopyButton, Qt::LeftButton);
        const QSize viewport = w.mPane->viewportInside()->size();
        QCOMPARE(w.clipPicture().size(), viewport * 4);
        QVERIFY(hasInk(w.clipPicture()));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), viewport * 4);

        // Nothing ticked: no job, the window stays open.
        w.selectItems = [&] { gd->itemSelected.fill(0); };
        const QString pdf = mDir.filePath(QStringLiteral("dosu.pdf"));
        {
            PdfChooser chooser(pdf, StandardPaperLayout());
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(w.result(), 0);

        w.selectItems = [&] {
            gd->itemSelected.fill(0);
            for (int i = 1; i <= 5; ++i)
                gd->itemSelected[i] = 1;
        };
        messages.clear();
        {
            PdfChooser chooser(pdf, StandardPaperLayout());
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().at(0).text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::PdfPages(pdf) != -1) QCOMPARE(test::PdfPages(pdf), 2); // four graphs to an A4 sheet
    }

    void distributionWindowNamesSkippedGraphs()
    {
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 10, 5, 64));
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        DistributionGraphWindow w(session);
        w.mSettingsBoxes.subjectMaximum->setText(QStringLiteral("150"));
        w.mSettingsBoxes.subjectBand->setText(QStringLiteral("2"));
        w.selectItems = [&] {
            gd->itemSelected.fill(0);
            gd->itemSelected[1] = gd->itemSelected[2] = 1;
        };
        ScriptedMessages messages;
        PdfChooser chooser(mDir.filePath(QStringLiteral("skip.pdf")), StandardPaperLayout());
        w.onPrintClicked();
        QCOMPARE(messages.asked().size(), 2);
        QVERIFY(messages.asked().at(1).text.contains(QStringLiteral("国語")));
    }

    void summaryWindow()
    {
        auto gd = test::MakeReportGrade(2, 8, test::EvenPupils(2, 12, 8, 70));
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        TestSummaryWindow w(session);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("テストのまとめ（生徒配布用資料）"));
        QCOMPARE(w.mHeadingLabel->text(), QStringLiteral("テストのまとめ（生徒配布資料）"));
        QCOMPARE(w.mTitle1Edit->text(), QStringLiteral("第２学年 中間テスト 集計結果"));
        QCOMPARE(w.mTitle2Edit->text(), QStringLiteral("04-01-2005"));
        QCOMPARE(w.mOrientationFrame->title(), QStringLiteral("用紙の向き"));
        QVERIFY(w.mPortraitRadio->isChecked());
        QCOMPARE(w.mEachPrintButton->text(), QStringLiteral("個別印刷"));
        QVERIFY(hasInk(w.mPane->mCanvases.at(0)->picture()));
        const int portraitColumns = w.mPane->canvasColumns();
        QVERIFY(portraitColumns < w.mPane->canvasRows() * 2);

        w.mLandscapeRadio->setChecked(true);
        QVERIFY(w.mPane->canvasColumns() > portraitColumns);
        QCOMPARE(w.mPane->canvasColumns(), int(std::floor(SheetCells(w.previewLayout()).width())));
        QVERIFY(w.mPane->canvasColumns() > w.mPane->canvasRows());
        w.mPortraitRadio->setChecked(true);
        QCOMPARE(w.mPane->canvasColumns(), portraitColumns);

        // 個別印刷 with nobody chosen: the choice was cleared first, nothing is printed.
        gd->studentSelected[3] = true;
        ScriptedMessages messages;
        const QString each = mDir.filePath(QStringLiteral("each.pdf"));
        w.selectPupils = [] {};
        {
            PdfChooser chooser(each, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mEachPrintButton, Qt::LeftButton);
        }
        QVERIFY(!QFile::exists(each));
        QVERIFY(messages.asked().isEmpty());
        QCOMPARE(w.result(), 0);

        // Settings whose graphs pass the bottom of the sheet are refused before the job.
        w.mSettingsBoxes.subjectBand->setText(QStringLiteral("3"));
        w.selectPupils = [&] { gd->studentSelected[2] = gd->studentSelected[5] = true; };
        {
            PdfChooser chooser(each, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mEachPrintButton, Qt::LeftButton);
        }
        QVERIFY(!QFile::exists(each));
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().at(0).text, QString::fromUtf16(HandoutTooTallText));

        messages.clear();
        w.mSettingsBoxes.subjectBand->setText(QStringLiteral("10"));
        {
            PdfChooser chooser(each, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mEachPrintButton, Qt::LeftButton);
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::PdfPages(each) != -1) QCOMPARE(test::PdfPages(each), 2); // never the extra sheet
        if (test::HavePdfText()) QVERIFY(test::PdfText(each).contains(QStringLiteral("氏名 生徒2")));
    }

    void summaryWindowPrintsTheGrade()
    {
        auto gd = test::MakeReportGrade(1, 8, test::EvenPupils(1, 8, 8, 70));
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        TestSummaryWindow w(session);
        w.mLandscapeRadio->setChecked(true);
        w.mTitle1Edit->setText(QStringLiteral("二学期のまとめ"));
        ScriptedMessages messages;
        const QString pdf = mDir.filePath(QStringLiteral("grade.pdf"));
        {
            PdfChooser chooser(pdf, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::PdfPages(pdf) != -1) QCOMPARE(test::PdfPages(pdf), 2); // nine items: a second sheet
        if (test::HavePdfText()) QVERIFY(test::PdfText(pdf).contains(QStringLiteral("二学期のまとめ")));
    }

    void trendWindow()
    {
        test::GradeFixture fixture(1, 2);
        fixture.writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                               QStringLiteral("理科"), QStringLiteral("英語")});
        fixture.writeTests({{QStringLiteral("中間"), 5}, {QStringLiteral("期末"), 5}, {QStringLiteral("中間"), 5}});
        fixture.writeHomeroom();
        fixture.writeRoster({{1, 1, QStringLiteral("青木"), 1, {60, 70, 80, 90, 40}},
                             {2, 3, QStringLiteral("井上"), 2, {50, 50, 50, 50, 50}}});
        QVERIFY(fixture.loadLists());
        GradeData& gd = fixture.gd();
        bool cleared = false;
        Session session{gd, NullProgress::instance(), mNotice, QString()};
        session.clearTestChoice = [&] { cleared = true; };
        TrendGraphWindow w(session);
        w.show();
        QVERIFY(cleared);
        QCOMPARE(w.windowTitle(), QStringLiteral("教科別得点推移グラフ"));
        QCOMPARE(w.mTestList->count(), 3);
        QCOMPARE(w.mTestList->item(0)->text(), QStringLiteral(" 1  中間"));
        QCOMPARE(w.mTestList->item(2)->text(), QStringLiteral(" 3  中間"));
        QCOMPARE(w.mTestList->currentRow(), 0);
        QCOMPARE(w.mClassList->count(), 2);
        QCOMPARE(w.mClassList->item(1)->text(), QStringLiteral("2組"));
        QCOMPARE(w.chosenClasses(), (QList<int>{1, 2}));
        QVERIFY(w.mTableCheck->isChecked());
        QCOMPARE(w.mTableCheck->text(), QStringLiteral("素点表あり"));
        QCOMPARE(w.mUpButton->text(), QStringLiteral("▲"));
        QCOMPARE(w.mPrintButton->text(), QStringLiteral("印刷開始"));
        QCOMPARE(w.mProgressBar->value(), 0);

        // No test chosen: nothing happens.
        ScriptedMessages messages;
        const QString pdf = mDir.filePath(QStringLiteral("suii.pdf"));
        {
            PdfChooser chooser(pdf, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(messages.asked().isEmpty());

        // Tests of the same name stay apart; ▼ and ▲ move the current test with its selection.
        w.mTestList->item(0)->setSelected(true);
        w.mTestList->item(2)->setSelected(true);
        QCOMPARE(w.chosenTests(), (QList<int>{1, 3}));
        QTest::mouseClick(w.mDownButton, Qt::LeftButton);
        QCOMPARE(w.mTestList->currentRow(), 1);
        QVERIFY(w.mTestList->item(1)->isSelected());
        QTest::mouseClick(w.mDownButton, Qt::LeftButton);
        QTest::mouseClick(w.mDownButton, Qt::LeftButton); // already the last
        QCOMPARE(w.mTestList->currentRow(), 2);
        QCOMPARE(w.chosenTests(), (QList<int>{3, 1}));
        w.mTestList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::mouseClick(w.mUpButton, Qt::LeftButton); // already the first
        QCOMPARE(w.chosenTests(), (QList<int>{3, 1}));

        w.mClassList->item(0)->setSelected(false);
        w.mTableCheck->setChecked(false);
        {
            PdfChooser chooser(pdf, PrintableAreaPaperLayout());
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.mProgressBar->value(), 0);
        if (test::PdfPages(pdf) != -1) QCOMPARE(test::PdfPages(pdf), 1);
        if (test::HavePdfText()) {
            const QString text = test::PdfText(pdf);
            QVERIFY2(text.contains(QStringLiteral("1年2組3番")), qPrintable(text.left(300)));
            QVERIFY(!text.contains(QStringLiteral("青木")));
        }
    }

    void trendWindowRefusesTooManyTests()
    {
        test::GradeFixture fixture(1, 1);
        fixture.writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                               QStringLiteral("理科"), QStringLiteral("英語")});
        QList<QPair<QString, int>> tests;
        for (int t = 1; t <= 9; ++t)
            tests.append({QStringLiteral("テスト%1").arg(t), 5});
        fixture.writeTests(tests);
        fixture.writeHomeroom();
        fixture.writeRoster({{1, 1, QStringLiteral("青木"), 1, {60, 70, 80, 90, 40}}});
        QVERIFY(fixture.loadLists());
        Session session{fixture.gd(), NullProgress::instance(), mNotice, QString()};
        TrendGraphWindow w(session);
        for (int row = 0; row < 9; ++row)
            w.mTestList->item(row)->setSelected(true);
        ScriptedMessages messages;
        const QString pdf = mDir.filePath(QStringLiteral("nine.pdf"));
        {
            PdfChooser chooser(pdf, PrintableAreaPaperLayout());
            w.onPrintClicked();
        }
        QCOMPARE(messages.asked().size(), 1);
        QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("8テストまで")));
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(w.result(), 0);
    }

private:
    QTemporaryDir mDir;
    SilentNotice mNotice;
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(GraphWindowsTest)
#include "tst_graphwindows.moc"
