#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;
class QResizeEvent;

namespace seiran {

struct Session;
class PreviewPane;

// What the report windows share: the caption, the heading in the top-left corner, buttons that
// act only when pressed (Enter in the class or item list presses none of them), and the preview
// pane that follows every resize of the window.
class ReportWindow : public QDialog
{
    Q_OBJECT
public:
    PreviewPane* mPane = nullptr;
    // The file "CSV保存" writes, given a suggested name; empty when cancelled. Tests replace it.
    std::function<QString(const QString& suggestedName)> chooseCsvFile;

protected:
    ReportWindow(Session& session, const QString& caption, QWidget* parent);

    // The window's heading, `width` pixels wide.
    QLabel* makeHeading(const QString& text, int width);
    QPushButton* makeButton(const QString& caption, int x);

    void resizeEvent(QResizeEvent* event) override;
    // "CSV保存": the table written to a file the user chooses, and a word on how it went.
    void saveCsvRows(const QList<QStringList>& rows, const QString& suggestedName);

    Session& mSession;
};

} // namespace seiran
