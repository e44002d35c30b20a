#include "ReportWindow.h"

#include "CsvFile.h"
#include "CsvSaveDialog.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "PreviewPane.h"
#include "Session.h"
#include "WindowSize.h"

#include <QDir>

#include <QLabel>
#include <QPushButton>

namespace seiran {

ReportWindow::ReportWindow(Session& session, const QString& caption, QWidget* parent)
    : QDialog(parent), mSession(session)
{
    setWindowTitle(caption);
    // The preview wants room; on a small screen the window stays inside it.
    ResizeToOpen(this, QSize(1000, 760));
    chooseCsvFile = [this](const QString& suggestedName) {
        return AskCsvSavePath(this, QDir(mSession.gd.dataFolder).filePath(suggestedName));
    };
}

void ReportWindow::saveCsvRows(const QList<QStringList>& rows, const QString& suggestedName)
{
    const QString path = WithCsvExtension(chooseCsvFile(suggestedName));
    if (path.isEmpty()) return;
    if (const Result saved = SaveCsvFile(path, rows); !saved) {
        ShowMessage(saved.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    ShowMessage(QStringLiteral("CSVファイル %1 に保存しました").arg(QDir::toNativeSeparators(path)), MsgButtons::Ok,
                MsgIcon::Information, 1, QString(), this);
}

QLabel* ReportWindow::makeHeading(const QString& text, int width)
{
    auto* label = new QLabel(text, this);
    QFont heading = label->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    label->setFont(heading);
    label->setGeometry(12, 8, width, 32);
    return label;
}

QPushButton* ReportWindow::makeButton(const QString& caption, int x)
{
    auto* button = new QPushButton(caption, this);
    button->setGeometry(x, 9, 72, 32);
    button->setAutoDefault(false);
    return button;
}

void ReportWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (mPane) mPane->fitToWindow();
}

} // namespace seiran
