#pragma once

#include <QDialog>
#include <QPageSize>
#include <functional>
#include <optional>

class QGridLayout;
class QListWidget;
class QProgressBar;
class QPushButton;
class QPrinter;

namespace seiran {

class PageCanvas;
struct Session;
struct TestSeries;

// What the two report-card windows share: the class list (all selected on open), the progress
// bar, "印刷開始" and "終了", and the print job that reads the chosen tests, asks for the
// printer, checks that the cards fit its paper and prints them straight away (no preview).
class CardPrintWindow : public QDialog
{
    Q_OBJECT
public:
    QListWidget* mClassList = nullptr;
    QPushButton* mUpButton = nullptr;   // ▲
    QPushButton* mDownButton = nullptr; // ▼
    QProgressBar* mProgressBar = nullptr;
    QPushButton* mPrintButton = nullptr;
    QPushButton* mCloseButton = nullptr;

    // Classes selected in the class list, in class order.
    QList<int> selectedClasses() const;

protected:
    CardPrintWindow(Session& session, const QString& caption, QWidget* parent);

    struct CardJob
    {
        QString documentName;
        QList<int> tests;
        // Paper set on the chosen printer before the check; none keeps the printer's own.
        std::optional<QPageSize::PageSizeId> paper;
        // Empty when the cards fit a sheet of this many columns and rows.
        std::function<QString(QSizeF sheet)> fitProblem;
        std::function<int(PageCanvas&, const TestSeries&)> print;
    };
    // The window's lists: `list` (under `heading`) with "▲"/"▼" beside it, then the class list
    // under "組". Makes the two buttons.
    QGridLayout* buildListsLayout(const QString& heading, QWidget* list);
    // Reads the tests, asks for the printer and prints; true when the job was completed.
    bool runCardJob(const CardJob& job);
    // The progress bar of a print run (0 at its end).
    void showProgress(int percent);

    Session& mSession;
};

// The "▲"/"▼" of the card windows: moves the current row of a list one place up (-1) or down (1),
// keeping its selection and making it current; nothing at the ends.
void MoveListRow(QListWidget* list, int step);

} // namespace seiran
