#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace seiran {

struct Session;

// A test's row in the test pickers: the name left-aligned in 20 characters (padded or cut),
// then "(", the subject count and "科目)".
QString TestPickerRow(const QString& name, int subjectCount);
// The name alone, left-aligned in 20 characters.
QString TestPickerName(const QString& name);

// "テストの選択": fills the main window's test list and its own list with the grade's tests.
// "ＯＫ" sets the main window's list to the chosen test (whose handler loads it); "中止", or
// closing the window, sets currentTest to -1.
class frmSelectTest : public QDialog
{
    Q_OBJECT
public:
    frmSelectTest(Session& session, QComboBox* comTest, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QListWidget* List_test_name = nullptr;
    QPushButton* Command2 = nullptr; // ＯＫ
    QPushButton* Command1 = nullptr; // 中止

    void Command2_Click();
    void Command1_Click();

    void reject() override;

private:
    Session& mSession;
    QComboBox* mComTest;
};

} // namespace seiran
