#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace seiran {

struct Session;
class PreviewPane;

// "平均点・最高点一覧表": the averages and maxima of the current test on one page, shown at once
// and printed on "印刷".
class frmPrintAverage : public QDialog
{
    Q_OBJECT
public:
    explicit frmPrintAverage(Session& session, QWidget* parent = nullptr);
    ~frmPrintAverage() override;

    QLabel* Label1 = nullptr;
    QPushButton* Command2 = nullptr; // 印刷
    QPushButton* Command1 = nullptr; // 終了
    PreviewPane* pane = nullptr;

    void display();
    void Command2_Click();
    void Command1_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Session& mSession;
};

} // namespace seiran
