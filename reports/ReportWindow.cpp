#include "ReportWindow.h"

#include "PreviewPane.h"

#include <QLabel>
#include <QPushButton>

namespace seiran {

ReportWindow::ReportWindow(Session& session, const QString& caption, QWidget* parent)
    : QDialog(parent), mSession(session)
{
    setWindowTitle(caption);
    resize(1000, 760);
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
