#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace seiran {

class FlexGrid;
struct Session;

// "進路希望・内申点一覧表": every pupil's first three choices and 内申点 in one read-only grid, to
// look up and to copy into a spreadsheet. Loads the high-school list, the choices and the
// points itself.
class CareerListWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CareerListWindow(Session& session, QWidget* parent = nullptr);

    FlexGrid* mGrid = nullptr;
    QPushButton* mCopyButton = nullptr;
    QPushButton* mCopyWithNamesButton = nullptr;
    QLabel* mMinSizeLabel = nullptr; // hidden; its position is the window's minimum size

    void onCopyClicked();
    void onCopyWithNamesClicked();
    void onGridWheel(int direction);

    // The size that shows every column of the list, a page of its rows and the buttons.
    QSize contentSize() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void load();
    void fill();
    void layoutControls();
    int copyButtonWidth() const;
    int copyWithNamesButtonWidth() const;

    Session& mSession;
};

} // namespace seiran
