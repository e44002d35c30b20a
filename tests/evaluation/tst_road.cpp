// From the menu button to the evaluation screen in the real main window, on a sample grade.
#include "EvaluationSetupWindow.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "HyoteiWindow.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "ReportFonts.h"
#include "SampleGrade.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace seiran;

namespace {
// Acts on the next modal window of type T from inside its own event loop.
template <typename T> class WhenModal
{
public:
    explicit WhenModal(std::function<void(T*)> action) : mAction(std::move(action))
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

class RoadTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void fromTheMenuToTheLevels()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(data));
        SampleOptions options;
        options.grade = 2;
        options.classes = 3;
        options.pupils = 30;
        QVERIFY(WriteSampleGrade(data, options).ok);
        const QString program = dir.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
        store.setValue(QStringLiteral("Data_dir"), data + u'/');
        store.sync();
        ScriptedMessages messages;
        MainWindow w(program, store);
        w.mGradeCombo->setCurrentIndex(1);
        QVERIFY(w.mHyoteiButton->isEnabled());

        // Left without a choice: no evaluation screen.
        messages.queue(MsgAnswer::Yes);
        WhenModal<EvaluationSetupWindow> cancel([](EvaluationSetupWindow* s) { s->mCancelButton->click(); });
        w.mHyoteiButton->click();
        QVERIFY(cancel.done());
        QCOMPARE(w.gd().selectedItemCount, 0);

        int pupils = 0;
        QString firstLevel;
        WhenModal<EvaluationSetupWindow> setup([](EvaluationSetupWindow* s) {
            s->mSubjectList->setCurrentRow(2);
            s->mTestGrid->setTextMatrix(1, 1, QStringLiteral("1"));
            s->mTestGrid->setTextMatrix(2, 1, QStringLiteral("0.5"));
            s->mComputeButton->click();
        });
        WhenModal<HyoteiWindow> evaluation([&](HyoteiWindow* h) {
            pupils = h->run()->pupilCount;
            firstLevel = h->mGrid->TextMatrix(2, 4);
            h->mCloseButton->click();
        });
        w.mHyoteiButton->click();
        QVERIFY(setup.done());
        QVERIFY(evaluation.done());
        QCOMPARE(w.gd().evalSubject, 3);
        QCOMPARE(w.gd().selectedItemCount, 2);
        QVERIFY(pupils > 60);
        QCOMPARE(w.gd().studentCount, pupils);
        QCOMPARE(firstLevel, QStringLiteral("5"));
    }
};

QTEST_MAIN(RoadTest)
#include "tst_road.moc"
