#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

namespace seiran {

class FlexGrid;

// The find field under a grid: each keystroke asks for a search from the current row, Enter and
// F3 for the next match, Shift+F3 for the previous one, Escape closes the field. A search that
// found nothing turns the field light red until the next one.
class FindBar : public QFrame
{
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QLabel* mPromptLabel = nullptr; // 検索
    QLineEdit* mFindEdit = nullptr;
    QLabel* mHintLabel = nullptr; // the keys, in short

    // Shows the bar with its text selected and the focus in the field.
    void open();
    void setNotFound(bool notFound);
    bool notFound() const { return mNotFound; }
    QString text() const;

signals:
    // step 0: from the current row (a keystroke), 1: the next match, -1: the previous one.
    void searchRequested(const QString& text, int step);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mNotFound = false;
};

// The whole of what the bar's short texts stand for.
QString FindBarToolTip();

// Makes `row` of a grid visible, scrolling as little as possible.
void ScrollRowIntoView(FlexGrid* grid, int row);

} // namespace seiran
