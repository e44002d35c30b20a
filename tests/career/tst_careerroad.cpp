// The road a teacher takes: the main window's menu opens both career screens on a sample grade
// and they print.
#include "CareerGuidanceWindow.h"
#include "GradeData.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PrintTarget.h"
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

namespace {
// Acts on the first modal window of type T that opens.
template <typename T> class WhenOpen
{
public:
    explicit WhenOpen(std::function<void(T*)> action) : mAction(std::move(action))
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                mTimer.stop();
                mDone = true;
                mAction(window);
            }
        });
        mTimer.start();
    }
    bool done() const { return mDone; }

private:
    std::function<void(T*)> mAction;
    QTimer mTimer;
    bool mDone = false;
};
} // namespace

class CareerRoadTest : public QObject
{
    Q_OBJECT
private slots:
    void bothScreensPrintFromTheMenu()
    {
        MapReportFonts();
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        SampleOptions options;
        options.grade = 2;
        options.classes = 2;
        options.pupils = 12;
        QVERIFY(WriteSampleGrade(data, options).ok);
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        settings.setValue(QStringLiteral("Data_dir"), data + u'/');
        MainWindow w(test::StdFilesFolder(), settings);
        w.mGradeCombo->setCurrentIndex(1);
        QVERIFY(w.mTargetSchoolListButton->isEnabled());
        QVERIFY(w.mCareerGuidanceButton->isEnabled());
        QCOMPARE(w.mTargetSchoolListButton->text(), QStringLiteral("志望校・内申一覧表　表示・印刷"));
        QCOMPARE(w.mCareerGuidanceButton->text(), QStringLiteral("進路指導資料作成"));

        ScriptedMessages messages;
        QStringList files;
        ScopedPrinterChooser chooser([&](const QString& name) {
            files.append(dir.filePath(QStringLiteral("%1.pdf").arg(files.size())));
            Q_UNUSED(name);
            return MakePdfPrinter(files.last());
        });

        WhenOpen<TargetSchoolListWindow> lists([](TargetSchoolListWindow* window) { window->mPrintButton->click(); });
        w.onTargetSchoolListClicked();
        QVERIFY(lists.done());
        QCOMPARE(w.gd().currentGrade, 2);

        WhenOpen<CareerGuidanceWindow> guidance([](CareerGuidanceWindow* window) {
            window->mTestList->item(0)->setSelected(true);
            window->mTestList->item(1)->setSelected(true);
            window->mSecondChoiceBox->setChecked(true);
            window->mPrintButton->click();
        });
        w.onCareerGuidanceClicked();
        QVERIFY(guidance.done());

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
