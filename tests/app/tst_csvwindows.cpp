// CSV in the windows: the import preview, "CSV取込" of the roster editor and the score entry,
// and "CSVファイルに保存…" of a grid.
#include "CsvFile.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ImportPreviewDialog.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterCsvImport.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace seiran;

namespace {

struct Env
{
    test::GradeFixture fx{1, 2};
    SilentNotice notice;
    Session session{fx.gd(), NullProgress::instance(), notice, QString()};

    Env()
    {
        fx.writeStandard({{1, 1, QStringLiteral("山田　一"), 1, {50, 60, 70, 80, 90}},
                          {1, 2, QStringLiteral("佐藤　花子"), 2, {}},
                          {2, 1, QStringLiteral("=1+1"), 1, {}}});
        if (!fx.loadLists()) qFatal("lists");
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = fx.folder() + name;
        test::WriteFileBytes(path, bytes);
        return path;
    }
};

} // namespace

class CsvWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void previewAsksBeforeLeavingLinesOut()
    {
        Env env;
        RosterEditorWindow w(env.session);
        const QString path = env.write(QStringLiteral("list.csv"), QByteArray("組,番,氏名\n1,5,木村\n9,1,木下\n"));
        ImportPreviewDialog dialog(path, {}, true, [&w](const QList<CsvRecord>& records, const CsvLayout& layout) {
            return PreviewRosterCsv(w.roster(), records, layout, QStringLiteral("123456789"), 1);
        });
        QVERIFY(dialog.fault().isEmpty());
        QCOMPARE(dialog.mOutcomeTable->rowCount(), 2);
        QCOMPARE(dialog.mOutcomeTable->item(0, 3)->text(), QStringLiteral("新規"));
        QCOMPARE(dialog.mOutcomeTable->item(1, 3)->text(), QStringLiteral("取り込めない"));
        ScriptedMessages messages;
        dialog.onImportClicked(); // No is the default
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().text, QStringLiteral("取り込めない 1 行を除いて、1 人分を取り込みますか"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        messages.queue(MsgAnswer::Yes);
        dialog.onImportClicked();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // A column given another role by hand: the name column ignored leaves no 氏名.
        dialog.setColumnRole(2, CsvRole::None);
        QVERIFY(dialog.fault().contains(QStringLiteral("氏名")));
        QVERIFY(!dialog.mImportButton->isEnabled());
    }

    void rosterEditorImportsAndExports()
    {
        Env env;
        RosterEditorWindow w(env.session);
        QVERIFY(w.mCsvImportButton->isVisibleTo(&w));
        const QString path =
            env.write(QStringLiteral("list.csv"),
                      QStringLiteral("学級,番号,氏名,性別\n1,2,佐藤　花,女\n2,3,高橋　三,男\n").toUtf8());
        w.chooseImportFile = [&path] { return path; };
        int shown = 0;
        w.runImportPreview = [&shown](ImportPreviewDialog& dialog) {
            shown = dialog.preview().takenCount();
            return true;
        };
        w.onCsvImportClicked();
        QCOMPARE(shown, 2);
        QVERIFY(w.rosterChanged());
        QCOMPARE(w.roster().seat(1, 2).name, QStringLiteral("佐藤　花"));
        QCOMPARE(w.roster().seat(2, 3).flag, 1);
        QCOMPARE(w.mGrids[1]->TextMatrix(3, 1), QStringLiteral("高橋　三"));

        const QString out = env.fx.folder() + QStringLiteral("out.csv");
        w.chooseExportFile = [&out] { return out; };
        w.onCsvExportClicked();
        const QByteArray bytes = test::ReadFileBytes(out);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF組,番,氏名,性別,ふりがな,備考\r\n"));
        QVERIFY(bytes.contains(QStringLiteral("2,1,'=1+1,男,,\r\n").toUtf8())); // the formula guard
        QVERIFY(bytes.contains(QStringLiteral("2,3,高橋　三,男,,\r\n").toUtf8()));
    }

    void scoreEntryImportsIntoCells()
    {
        Env env;
        env.fx.gd().currentTest = 1;
        QVERIFY(LoadTestScores(env.fx.gd(), NullProgress::instance()).ok);
        ScoreEntryWindow w(env.session);
        QVERIFY(w.mCsvImportButton->isVisibleTo(&w));
        const QString path =
            env.write(QStringLiteral("scores.csv"), QStringLiteral("組,番,英語,国語\n1,1,,欠\n1,2,７５,-4\n").toUtf8());
        w.chooseImportFile = [&path] { return path; };
        w.runImportPreview = [](ImportPreviewDialog&) { return true; };
        const QByteArray before = env.fx.rosterBytes();
        w.onCsvImportClicked();
        QCOMPARE(w.mGrid->TextMatrix(1, FirstDataCol), QStringLiteral("-"));
        QCOMPARE(w.mGrid->TextMatrix(1, FirstDataCol + 4), QStringLiteral("90"));
        QCOMPARE(w.mGrid->TextMatrix(2, FirstDataCol + 4), QStringLiteral("75"));
        QCOMPARE(w.mGrid->TextMatrix(2, FirstDataCol), QStringLiteral("-4"));
        QCOMPARE(env.fx.rosterBytes(), before); // nothing written before 入力終了

        const QString out = env.fx.folder() + QStringLiteral("grid.csv");
        w.chooseExportFile = [&out] { return out; };
        w.onCsvExportClicked();
        QList<CsvRecord> records;
        CsvEncoding used = CsvEncoding::Auto;
        QVERIFY(ReadCsvFile(out, CsvEncoding::Auto, records, used).ok);
        QCOMPARE(records.first().fields.mid(0, 5), (QStringList{"組", "番", "氏   名", "性別", "国語"}));
        QCOMPARE(records.at(2).fields.mid(4), (QStringList{"-4", "", "", "", "75"}));
    }
};

QTEST_MAIN(CsvWindowsTest)
#include "tst_csvwindows.moc"
