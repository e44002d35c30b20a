// The road a teacher takes: the main window's menu opens both career screens on a sample grade
// and they print.
#include "CareerGuidanceWindow.h"
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ModalAnswer.h"
#include "PrintTarget.h"
#include "ProgramFixture.h"
#include "ReportFonts.h"
#include "SampleGrade.h"
#include "SettingsStore.h"
#include "TargetSchoolListWindow.h"
#include "TestSupport.h"
#include "reports/ReportTestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace seiran;

class CareerRoadTest : public QObject
{
    Q_OBJECT
private slots:
    void bothScreensPrintFromTheMenu()
    {
        MapReportFonts();
        test::ProgramFixture p;
        p.folder = test::StdFilesFolder();
        QVERIFY(p.useSample(2, 2, 12));
        const auto window = p.start();
        MainWindow& w = *window;
        w.mGradeCombo->setCurrentIndex(1);
        QVERIFY(w.mTargetSchoolListButton->isEnabled());
        QVERIFY(w.mCareerGuidanceButton->isEnabled());
        QCOMPARE(w.mTargetSchoolListButton->text(), QStringLiteral("志望校・内申一覧表　表示・印刷"));
        QCOMPARE(w.mCareerGuidanceButton->text(), QStringLiteral("進路指導資料作成"));

        ScriptedMessages messages;
        QStringList files;
        ScopedPrinterChooser chooser([&](const QString& name) {
            files.append(p.dir.filePath(QStringLiteral("%1.pdf").arg(files.size())));
            Q_UNUSED(name);
            return MakePdfPrinter(files.last());
        });

        test::ModalAnswer<TargetSchoolListWindow> lists(
            [](TargetSchoolListWindow* window) { window->mPrintButton->click(); });
        w.onTargetSchoolListClicked();
        QVERIFY(lists.answered());
        QCOMPARE(w.gd().currentGrade, 2);

        test::ModalAnswer<CareerGuidanceWindow> guidance([](CareerGuidanceWindow* window) {
            window->mTestList->item(0)->setSelected(true);
            window->mTestList->item(1)->setSelected(true);
            window->mSecondChoiceBox->setChecked(true);
            window->mPrintButton->click();
        });
        w.onCareerGuidanceClicked();
        QVERIFY(guidance.answered());

        QCOMPARE(files.size(), 2);
        QCOMPARE(messages.asked().size(), 2);
        QCOMPARE(messages.asked().at(1).text, QStringLiteral("印刷が終了しました"));
        // Two class sheets, the point table and the applicant list; two class sheets, the
        // grade ranking and the school blocks.
        if (test::PdfPages(files.at(0)) >= 0) QCOMPARE(test::PdfPages(files.at(0)), 4);
        if (test::PdfPages(files.at(1)) >= 0) QVERIFY(test::PdfPages(files.at(1)) >= 4);
        if (test::HavePdfText()) {
            QVERIFY(test::PdfText(files.at(0)).contains(QStringLiteral("志望校別人数一覧表")));
            const QString text = test::PdfText(files.at(1));
            QVERIFY(text.contains(QStringLiteral("学年全体順位表")));
            QVERIFY(text.contains(QStringLiteral("内申点倍率")));
        }
    }
};

QTEST_MAIN(CareerRoadTest)
#include "tst_careerroad.moc"
