#pragma once

#include "CsvImport.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace seiran {

// "CSV取込": what a file would do before anything changes. The decoded first lines under a role
// selector per column (the encoding and every role can be changed), then each line's outcome
// (新規, 変更 old → new, 変更なし, 氏名なし, 他学年, 取り込めない and why) and the counts. "取込"
// takes the preview; with refused lines it first asks whether to take the rest.
class ImportPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    using PreviewFn = std::function<CsvImportPreview(const QList<CsvRecord>& records, const CsvLayout& layout)>;

    // Reads the file itself (and again when the encoding changes); `needName` for a roster.
    ImportPreviewDialog(const QString& path, const QStringList& subjectNames, bool needName, PreviewFn preview,
                        QWidget* parent = nullptr);

    QComboBox* mEncodingCombo = nullptr;
    QTableWidget* mColumnsTable = nullptr; // row 0 the role selectors, then the file's first lines
    QTableWidget* mOutcomeTable = nullptr;
    QLabel* mCountsLabel = nullptr;
    QPushButton* mImportButton = nullptr; // 取込
    QPushButton* mCancelButton = nullptr; // キャンセル

    const CsvImportPreview& preview() const { return mPreview; }
    const CsvLayout& layout() const { return mLayout; }
    // A problem with the file as a whole (encoding, header), empty when the lines were read.
    QString fault() const { return mFault; }
    // Gives column `column` (from 0) the role, as its selector would.
    void setColumnRole(int column, int role);

    void onEncodingChanged();
    void onRoleChanged();
    void onImportClicked();

private:
    void readFile();
    void fillColumns();
    void refreshPreview();

    QString mPath;
    QStringList mSubjects;
    bool mNeedName = false;
    PreviewFn mPreviewFn;
    QList<CsvRecord> mRecords;
    CsvLayout mLayout;
    CsvImportPreview mPreview;
    QString mFault;
    QList<QComboBox*> mRoleCombos;
};

} // namespace seiran
