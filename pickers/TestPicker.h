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
class TestPicker : public QDialog
{
    Q_OBJECT
public:
    TestPicker(Session& session, QComboBox* testCombo, QWidget* parent = nullptr);

    QLabel* mPromptLabel = nullptr;
    QListWidget* mTestList = nullptr;
    QPushButton* mOkButton = nullptr;     // ＯＫ
    QPushButton* mCancelButton = nullptr; // 中止

    void onOkClicked();
    void onCancelClicked();

    void reject() override;

private:
    Session& mSession;
    QComboBox* mTestCombo;
};

} // namespace seiran
