// The report windows: the preview pane, class and item stepping, and printing to PDF through
// the print seam, with cancelled, empty and failing jobs.
#include "AveragesReportWindow.h"
#include "MessageBox.h"
#include "Notice.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RankTableWindow.h"
#include "RawScoreReportWindow.h"
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "Session.h"
#include "SpinButton.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

using namespace seiran;
using seiran::test::ReportPupil;

namespace {
bool hasInk(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

QList<ReportPupil> namedPupils(int classes, int perClass)
{
    QList<ReportPupil> pupils;
    for (int c = 1; c <= classes; ++c)
        for (int k = 1; k <= perClass; ++k)
            pupils.append(
                {c, k, QStringLiteral("組%1番%2").arg(c).arg(k), k % 2 + 1, {40 + k, 50 + c, 60, 70 - k, 80, 55, 65}});
    return pupils;
}

// Answers the print dialog with a PDF file (or with cancel when the name is empty).
class PdfChooser
{
public:
    explicit PdfChooser(const QString& file)
        : mScope([file](const QString&) -> std::unique_ptr<QPrinter> {
              if (file.isEmpty()) return nullptr;
              return MakePdfPrinter(file);
          })
    {
    }

private:
    ScopedPrinterChooser mScope;
};
// Chooses an entry of a list box as the user does: the list opened, the entry picked, Enter.
void chooseInList(QComboBox* combo, int index)
{
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
}
} // namespace

class ReportWindowsTest : public QObject
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

    void previewPaneFollowsTheWindow()
    {
        QWidget window;
        window.resize(800, 600);
        PreviewPane pane(&window, QRect(12, 50, 300, 200), 4, 120, 54, CanvasFont{QStringLiteral("ＭＳ ゴシック"), 9},
                         QPoint(500, 300));
        QCOMPARE(window.minimumSize(), QSize(500, 300));
        QVERIFY(!pane.mMinSizeLabel->isVisibleTo(&window));
        QCOMPARE(pane.mMinSizeLabel->text(), QStringLiteral("MinSize"));
        QCOMPARE(pane.borderX(), 2);
        QCOMPARE(pane.borderY(), 2);

        // The viewport keeps its corner and fills the window beside the bars.
        const int barW = pane.mVerticalBar->width();
        const int barH = pane.mHorizontalBar->height();
        QCOMPARE(pane.mFrame->geometry(), QRect(12, 50, 800 - 24 - barW, 600 - 50 - 12 - barH));
        QCOMPARE(pane.mVerticalBar->geometry(), QRect(12 + pane.mFrame->width(), 50, barW, pane.mFrame->height()));
        QCOMPARE(pane.mHorizontalBar->geometry(), QRect(12, 50 + pane.mFrame->height(), pane.mFrame->width(), barH));

        // Canvases of 120 x 54 cells, 960 x 864 pixels; ranges are what the viewport cannot show.
        QCOMPARE(pane.mCanvases.at(0)->size(), QSize(960, 864));
        QCOMPARE(pane.canvas(0).ScaleWidth(), 119.5);
        QCOMPARE(pane.canvas(0).ScaleHeight(), 53.75);
        const QRect inside = pane.mFrame->contentsRect();
        QCOMPARE(pane.mVerticalBar->maximum(), 864 - inside.height());
        QCOMPARE(pane.mHorizontalBar->maximum(), 960 - inside.width());
        const QFontMetrics fm(pane.mFrame->font());
        QCOMPARE(pane.mVerticalBar->singleStep(), fm.height());
        QCOMPARE(pane.mVerticalBar->pageStep(), 5 * fm.height());
        QCOMPARE(pane.mHorizontalBar->singleStep(), fm.horizontalAdvance(u'A'));

        // All four canvases move together, their own border under the viewport's.
        QCOMPARE(pane.mCanvases.at(3)->pos(), QPoint(-2, -2));
        pane.mVerticalBar->setValue(100);
        pane.mHorizontalBar->setValue(30);
        for (PreviewCanvasWidget* canvas : pane.mCanvases)
            QCOMPARE(canvas->pos(), QPoint(-30 - 2, -100 - 2));
        pane.ResetScroll();
        QCOMPARE(pane.mCanvases.at(1)->pos(), QPoint(-2, -2));

        // The wheel over the page scrolls one small step per notch; Shift scrolls sideways;
        // half notches of a fine wheel add up.
        const auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
            QWidget* page = pane.mCanvases.at(0);
            QWheelEvent event(QPointF(40, 40), page->mapToGlobal(QPointF(40, 40)), QPoint(), angle, Qt::NoButton,
                              modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(page, &event);
        };
        window.show();
        wheel(QPoint(0, -120), Qt::NoModifier);
        QCOMPARE(pane.mVerticalBar->value(), fm.height());
        wheel(QPoint(0, -240), Qt::NoModifier);
        QCOMPARE(pane.mVerticalBar->value(), 3 * fm.height());
        wheel(QPoint(0, 120), Qt::NoModifier);
        QCOMPARE(pane.mVerticalBar->value(), 2 * fm.height());
        wheel(QPoint(0, -60), Qt::NoModifier);
        QCOMPARE(pane.mVerticalBar->value(), 2 * fm.height());
        wheel(QPoint(0, -60), Qt::NoModifier);
        QCOMPARE(pane.mVerticalBar->value(), 3 * fm.height());
        wheel(QPoint(0, -120), Qt::ShiftModifier);
        QCOMPARE(pane.mHorizontalBar->value(), fm.horizontalAdvance(u'A'));
        QCOMPARE(pane.mVerticalBar->value(), 3 * fm.height());
        wheel(QPoint(-120, 0), Qt::NoModifier);
        QCOMPARE(pane.mHorizontalBar->value(), 2 * fm.horizontalAdvance(u'A'));
        pane.ResetScroll();

        // A viewport larger than the canvas: nothing to scroll.
        window.resize(1400, 1200);
        pane.fitToWindow();
        QCOMPARE(pane.mVerticalBar->maximum(), 0);
        QCOMPARE(pane.mHorizontalBar->maximum(), 0);

        // Smaller than the minimum size is set back.
        window.setMinimumSize(0, 0);
        window.resize(200, 100);
        pane.fitToWindow();
        QCOMPARE(window.size(), QSize(500, 300));

        pane.BringToFront(2);
        QCOMPARE(pane.viewportInside()->children().last(), pane.mCanvases.at(2));
    }

    void rawScoreWindow()
    {
        auto gd = test::MakeReportGrade(3, 7, namedPupils(3, 6));
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        RawScoreReportWindow w(session);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("素点表"));
        QCOMPARE(w.mClassCombo->count(), 3);
        QCOMPARE(w.mClassCombo->itemText(2), QStringLiteral("3組"));
        QCOMPARE(w.currentClass(), 1);
        QVERIFY(hasInk(w.mPane->mCanvases.at(0)->picture(), QRect(0, 0, 400, 16)));

        w.onPreviousClassClicked(); // 前組 on class 1
        QCOMPARE(w.currentClass(), 1);
        QTest::mouseClick(w.mNextClassButton, Qt::LeftButton); // 次組
        QCOMPARE(w.currentClass(), 2);
        w.onNextClassClicked();
        w.onNextClassClicked(); // on the last class: nothing
        QCOMPARE(w.currentClass(), 3);
        QCOMPARE(w.mClassCombo->currentIndex(), 2);
        // Enter in the class list presses no button (it used to step back a class).
        QTest::keyClick(w.mClassCombo, Qt::Key_Return);
        QCOMPARE(w.currentClass(), 3);
        QVERIFY(w.isVisible());
        w.mClassCombo->setCurrentIndex(0);
        QCOMPARE(w.currentClass(), 1);
        // Choosing the class shown again brings back the top of its sheet.
        w.mPane->mVerticalBar->setValue(30);
        QCOMPARE(w.mPane->mVerticalBar->value(), 30);
        chooseInList(w.mClassCombo, 0);
        QCOMPARE(w.currentClass(), 1);
        QCOMPARE(w.mPane->mVerticalBar->value(), 0);
        w.mPane->mVerticalBar->setValue(30);
        chooseInList(w.mClassCombo, 1);
        QCOMPARE(w.currentClass(), 2);
        QCOMPARE(w.mPane->mVerticalBar->value(), 0);
        w.mClassCombo->setCurrentIndex(0);

        // No class chosen: the print dialog is not even shown; no job, no message.
        ScriptedMessages messages;
        bool pickerShown = false;
        bool dialogShown = false;
        w.selectClasses = [&] {
            pickerShown = true;
            gd->classSelected.fill(0);
        };
        {
            ScopedPrinterChooser chooser([&](const QString&) -> std::unique_ptr<QPrinter> {
                dialogShown = true;
                return nullptr;
            });
            w.onPrintClicked();
        }
        QVERIFY(pickerShown);
        QVERIFY(!dialogShown);
        QVERIFY(w.isVisible());
        QVERIFY(messages.asked().isEmpty());

        // A class chosen, then the print dialog cancelled: nothing printed, the window stays.
        w.selectClasses = [&] { gd->classSelected[2] = 1; };
        {
            PdfChooser cancel{QString()};
            w.onPrintClicked();
        }
        QVERIFY(w.isVisible());
        QVERIFY(messages.asked().isEmpty());

        // A file that cannot be written: a message, the window stays.
        w.selectClasses = [&] { gd->classSelected[1] = 1; };
        {
            PdfChooser chooser{QStringLiteral("/nonexistent-folder/soten.pdf")};
            w.onPrintClicked();
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().icon, MsgIcon::Critical);
        QVERIFY(w.isVisible());

        // Classes 1 and 3: two sheets, the completion message, the window closes.
        messages.clear();
        const QString pdf = mDir.filePath(QStringLiteral("soten.pdf"));
        w.selectClasses = [&] {
            gd->classSelected.fill(0);
            gd->classSelected[1] = 1;
            gd->classSelected[3] = 1;
        };
        {
            PdfChooser chooser{pdf};
            w.onPrintClicked();
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("印刷が終了しました"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        if (test::PdfPages(pdf) >= 0) QCOMPARE(test::PdfPages(pdf), 2);
        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        const QString text = test::PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("素点一覧表")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("組1番1")));
        QVERIFY(text.contains(QStringLiteral("組3番6")));
        QVERIFY(!text.contains(QStringLiteral("組2番1")));
        QVERIFY(text.contains(QStringLiteral("クラス平均点")));
        QVERIFY(text.contains(QStringLiteral("04-01-2005 13:05:09")));
    }

    void rawScorePreviewGrowsForALongClass()
    {
        QList<ReportPupil> pupils = test::EvenPupils(1, 60, 5, 70);
        pupils.append({2, 1, QString(), 1, {50, 50, 50, 50, 50}});
        auto gd = test::MakeReportGrade(2, 5, pupils);
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        RawScoreReportWindow w(session);
        w.show();
        // Sixty pupils, the averages and the stamp need 70 rows: the canvas is 71 rows high,
        // and its stamp row (68.9 .. 69.9) holds ink.
        QCOMPARE(w.mPane->canvasRows(), 71);
        const QImage& picture = w.mPane->mCanvases.at(0)->picture();
        QCOMPARE(picture.height(), 71 * 16 - 4);
        QVERIFY(hasInk(picture, QRect(0, int(68.9 * 16), 400, 16)));
        const int inside = w.mPane->mFrame->contentsRect().height();
        QCOMPARE(w.mPane->mVerticalBar->maximum(), 71 * 16 - inside);

        // The next class is short: back to 60 rows.
        w.onNextClassClicked();
        QCOMPARE(w.mPane->canvasRows(), 60);
        QCOMPARE(w.mPane->mCanvases.at(0)->picture().height(), 60 * 16 - 4);
        QCOMPARE(w.mPane->mVerticalBar->maximum(), 60 * 16 - inside);
    }

    void averagesWindow()
    {
        auto gd = test::MakeReportGrade(2, 5, namedPupils(2, 4));
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        AveragesReportWindow w(session);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("平均点・最高点一覧表"));
        QVERIFY(hasInk(w.mPane->mCanvases.at(0)->picture(), QRect(0, 0, 400, 16)));
        ScriptedMessages messages;
        const QString pdf = mDir.filePath(QStringLiteral("average.pdf"));
        {
            PdfChooser chooser{pdf};
            QTest::mouseClick(w.mPrintButton, Qt::LeftButton);
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        const QString text = test::PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("平均点・最高点一覧表")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("最高点")));
        QVERIFY(text.contains(QStringLiteral("印刷日時")) && text.contains(QStringLiteral("04-01-2005 13:05:09")));
    }

    void rankWindow()
    {
        // 201 pupils: one more than a preview page holds.
        auto gd = test::MakeReportGrade(4, 5, test::EvenPupils(4, 201, 5, 60));
        gd->subjectKind[2] = 1;
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        RankTableWindow w(session);
        w.show();
        QCOMPARE(w.mItemCombo->count(), 7);
        QCOMPARE(w.mItemCombo->itemText(2), QStringLiteral("社会(男子)"));
        QCOMPARE(w.currentItem(), 1);
        QCOMPARE(w.geometry().perPage(), 200);
        QCOMPARE(w.mPageLabel->text(), QStringLiteral("1/2"));
        QVERIFY(hasInk(w.mPane->mCanvases.at(1)->picture(), QRect(0, 0, 400, 16)));

        QTest::mouseClick(w.mPageSpin->downButton(), Qt::LeftButton); // next page
        QCOMPARE(w.currentPage(), 1);
        QCOMPARE(w.mPageLabel->text(), QStringLiteral("2/2"));
        QCOMPARE(w.mPane->viewportInside()->children().last(), w.mPane->mCanvases.at(1));
        w.onPageSpinDown(); // already the last page
        QCOMPARE(w.mPageLabel->text(), QStringLiteral("2/2"));
        w.onPageSpinUp();
        QCOMPARE(w.mPageLabel->text(), QStringLiteral("1/2"));
        w.onPageSpinUp();
        QCOMPARE(w.currentPage(), 0);

        // Choosing the item shown again goes back to its first page, at the top.
        w.onPageSpinDown();
        w.mPane->mVerticalBar->setValue(40);
        QCOMPARE(w.mPane->mVerticalBar->value(), 40);
        chooseInList(w.mItemCombo, 0);
        QCOMPARE(w.currentItem(), 1);
        QCOMPARE(w.currentPage(), 0);
        QCOMPARE(w.mPageLabel->text(), QStringLiteral("1/2"));
        QCOMPARE(w.mPane->viewportInside()->children().last(), w.mPane->mCanvases.at(0));
        QCOMPARE(w.mPane->mVerticalBar->value(), 0);

        w.onItemSpinDown(); // no item before the first
        QCOMPARE(w.currentItem(), 1);
        w.mPane->mVerticalBar->setValue(40);
        QTest::mouseClick(w.mItemSpin->upButton(), Qt::LeftButton); // next item
        QCOMPARE(w.currentItem(), 2);
        QCOMPARE(w.mItemCombo->currentIndex(), 1);
        QCOMPARE(w.mPane->mVerticalBar->value(), 0); // a new item starts at the top
        for (int i = 0; i < 10; ++i)
            w.onItemSpinUp();
        QCOMPARE(w.currentItem(), 7);

        // Items 1 and 3 printed: two A4 sheets each (192 entries a sheet).
        ScriptedMessages messages;
        const QString pdf = mDir.filePath(QStringLiteral("jun.pdf"));
        w.selectItems = [&] {
            gd->itemSelected.fill(0);
            gd->itemSelected[1] = 1;
            gd->itemSelected[3] = 1;
        };
        {
            PdfChooser chooser{pdf};
            w.onPrintClicked();
        }
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        if (test::PdfPages(pdf) >= 0) QCOMPARE(test::PdfPages(pdf), 4);
        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        const QString text = test::PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("教科別順位表")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("５教科合計")));
        QVERIFY(text.contains(QStringLiteral("社会(男子)")));
        QVERIFY(!text.contains(QStringLiteral("社会(女子)")));
    }

    void rankWindowWithNothingChosenStaysOpen()
    {
        auto gd = test::MakeReportGrade(2, 10, test::EvenPupils(2, 10, 10));
        for (int i = 1; i <= 10; ++i)
            gd->subjectKind[i] = 1;
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        ScriptedMessages messages;
        RankTableWindow w(session);
        w.show();
        // Twenty-one items would be needed: told, and the first twenty offered.
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().icon, MsgIcon::Warning);
        QCOMPARE(w.mItemCombo->count(), 20);
        messages.clear();
        w.selectItems = [&] { gd->itemSelected.fill(0); };
        const QString pdf = mDir.filePath(QStringLiteral("nothing.pdf"));
        {
            PdfChooser chooser{pdf};
            w.onPrintClicked();
        }
        QVERIFY(messages.asked().isEmpty());
        QVERIFY(w.isVisible());
        QVERIFY(!QFileInfo::exists(pdf));
        QTest::mouseClick(w.mCloseButton, Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }

    void windowsOnEmptyAndFullGrades_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<int>("pupils");
        QTest::addColumn<int>("subjects");
        QTest::newRow("no class") << 0 << 0 << 5;
        QTest::newRow("one empty class") << 1 << 0 << 5;
        QTest::newRow("one class of sixty") << 1 << 60 << 10;
        QTest::newRow("400 pupils in 9 classes") << 9 << 400 << 9;
        QTest::newRow("a test of three subjects") << 2 << 7 << 3;
    }
    void windowsOnEmptyAndFullGrades()
    {
        QFETCH(int, classes);
        QFETCH(int, pupils);
        QFETCH(int, subjects);
        auto gd =
            test::MakeReportGrade(classes, subjects, test::EvenPupils(std::max(classes, 1), pupils, subjects, 61));
        gd->classCount = classes;
        Session session{*gd, NullProgress::instance(), mNotice, QString()};
        ScriptedMessages messages;

        RawScoreReportWindow soten(session);
        soten.show();
        for (int i = 0; i < 10; ++i)
            soten.onNextClassClicked();
        QCOMPARE(soten.currentClass(), std::max(classes, 1));
        for (int i = 0; i < 10; ++i)
            soten.onPreviousClassClicked();
        QCOMPARE(soten.currentClass(), 1);

        AveragesReportWindow average(session);
        average.show();

        RankTableWindow jun(session);
        jun.show();
        QCOMPARE(jun.mPageLabel->text(), QStringLiteral("1/%1").arg(pupils > 200 ? 2 : 1));
        for (int i = 0; i < 25; ++i) {
            jun.onItemSpinUp();
            jun.onPageSpinDown();
        }
        QCOMPARE(jun.currentItem(), gd->itemCount);
        for (int i = 0; i < 25; ++i)
            jun.onItemSpinDown();
        QCOMPARE(jun.currentItem(), 1);
        QVERIFY(messages.asked().isEmpty());
    }

    void printDialogOffersNoPageRange()
    {
        // The sheets are always printed whole: a page range chosen in the dialog would be
        // ignored, so none is offered. Cancelling the dialog gives no printer.
        bool seen = false;
        bool pageRange = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            pageRange = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("印刷"));
            dialog->reject();
        });
        QVERIFY(!ChoosePrinter(nullptr, QStringLiteral("素点一覧表")));
        QVERIFY(seen);
        QVERIFY(!pageRange);
    }

private:
    QTemporaryDir mDir;
    SilentNotice mNotice;
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(ReportWindowsTest)
#include "tst_reportwindows.moc"
