#pragma once

#include "Snapshots.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace seiran {

// "バックアップから戻す": the grade's snapshots, newest first (日時, 理由, 名前, PC); "戻す" asks first
// (No is the default), holds the grade alone, keeps the state it replaces as a snapshot of its own
// and brings the grade back; "閉じる" ends. The high-school files come back only when asked.
class SnapshotRestoreWindow : public QDialog
{
    Q_OBJECT
public:
    SnapshotRestoreWindow(const QString& dataFolder, int grade, QWidget* parent = nullptr);

    // Controls
    QLabel* mIntroLabel = nullptr;
    QTableWidget* mList = nullptr;
    QCheckBox* mHighSchoolsCheck = nullptr; // 高校名のファイルも戻す
    QPushButton* mRestoreButton = nullptr;  // 戻す
    QPushButton* mCloseButton = nullptr;    // 閉じる

    // Whether the grade was brought back (the main window reads its lists again).
    bool restored() const { return mRestored; }
    const QList<SnapshotInfo>& snapshots() const { return mSnapshots; }

    void reload();
    void onRestoreClicked();

private:
    QString mDataFolder;
    int mGrade = 0;
    QList<SnapshotInfo> mSnapshots;
    bool mRestored = false;
};

} // namespace seiran
