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
class frmSelectTest2 : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectTest2(Session& session, QWidget* parent = nullptr);

    // The test that row r (from 0) of List_test_name stands for.
    int testOfRow(int row) const { return mRowTest.value(row, 0); }

    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;          // subjects
    QListWidget* List_test_name = nullptr; // tests with at least that many subjects
    QPushButton* Command2 = nullptr;       // ＯＫ

    void List1_Click();
    void Command2_Click();

private:
    Session& mSession;
    QList<int> mRowTest;
};

} // namespace seiran
