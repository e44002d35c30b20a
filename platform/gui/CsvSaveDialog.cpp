#include "CsvSaveDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace seiran {

QString AskCsvSavePath(QWidget* parent, const QString& proposedPath)
{
    QFileDialog dialog(parent, QStringLiteral("CSVファイルに保存"), proposedPath,
                       QStringLiteral("CSVファイル (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                   : QString();
}

QString WithCsvExtension(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty() || !info.suffix().isEmpty()) return path;
    // "名簿." has an empty extension too: the dot stays, the extension is added.
    return path + (path.endsWith(u'.') ? QStringLiteral("csv") : QStringLiteral(".csv"));
}

} // namespace seiran
