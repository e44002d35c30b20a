#pragma once

#include <QDialog>

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

protected:
    ReportWindow(Session& session, const QString& caption, QWidget* parent);

    // The window's heading, `width` pixels wide.
    QLabel* makeHeading(const QString& text, int width);
    QPushButton* makeButton(const QString& caption, int x);

    void resizeEvent(QResizeEvent* event) override;

    Session& mSession;
};

} // namespace seiran
