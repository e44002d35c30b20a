#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QPushButton;

namespace seiran {

struct Session;

// "テストの選択" for one subject over several tests: "ＯＫ" writes the chosen tests into
// selectedItemCount / selectedItems and the subject into evalSubject. The choice of an earlier
// opening is cleared when the window opens, so closing it by its frame chooses nothing.
class SubjectTestsPicker : public QDialog
{
    Q_OBJECT
public:
    explicit SubjectTestsPicker(Session& session, QWidget* parent = nullptr);

    // The test that row r (from 0) of mTestList stands for.
    int testOfRow(int row) const { return mRowTest.value(row, 0); }

    QLabel* mPromptLabel = nullptr;
    QListWidget* mSubjectList = nullptr; // subjects
    QListWidget* mTestList = nullptr;    // tests with at least that many subjects
    QPushButton* mOkButton = nullptr;    // ＯＫ

    void onSubjectClicked();
    void onOkClicked();

private:
    Session& mSession;
    QList<int> mRowTest;
};

} // namespace seiran
