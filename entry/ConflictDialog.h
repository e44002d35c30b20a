#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QPushButton;
class QTableWidget;

namespace seiran {

// One clash as the table shows it: the pupil, the column's header and the three values in the
// grid's own texts.
struct ConflictRowText
{
    QString classLabel;
    QString number;
    QString name;
    QString field;
    QString base;  // 開いた時
    QString mine;  // あなた
    QString saved; // 保存済み
};

// "ほかの人の保存と重なりました": the cells this window changed that someone else saved
// differently since it opened. キャンセル is the default and Escape's answer.
class ConflictDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Answer {
        KeepMine,  // 自分の値で上書き
        KeepSaved, // 保存済みの値を残す
        Cancel     // the edits stay in the window
    };

    ConflictDialog(const QList<ConflictRowText>& rows, QWidget* parent = nullptr);

    QTableWidget* mTable = nullptr;
    QPushButton* mMineButton = nullptr;
    QPushButton* mSavedButton = nullptr;
    QPushButton* mCancelButton = nullptr;

    Answer answer() const { return mAnswer; }

private:
    Answer mAnswer = Answer::Cancel;
};

} // namespace seiran
