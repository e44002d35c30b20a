#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace seiran {

class FlexGrid;

// Window sizes are given in twips, 15 to a pixel.
constexpr int TwipsPerPixel = 15;
// Space between the window's edge, the controls along the top and the grid.
constexpr int WindowMargin = 8;
// Cell text is drawn with a small inset; measured column widths leave room for it.
constexpr int CellPadding = 8;

// Width of a grid column that holds `text` in the grid's font.
int MeasuredColWidth(const FlexGrid* grid, const QString& text);

// Clipboard text of the grid's selection, whichever way it was dragged: cells joined by Tab,
// CR LF after every row.
QString SelectionCopyText(const FlexGrid* grid);

// Clears the clipboard and puts the text on it.
void PutOnClipboard(const QString& text);

// What the grid windows (the entry screens and the roster editor) share: the class selector,
// "次", "前" and four command buttons wired to their handlers, the hidden label whose position
// is the minimum window size with its resize rule, Escape closing like the close box, and the
// copy button. A window arranges the controls in the rows of its top panel and places them in
// layoutControls().
class GridWindow : public QDialog
{
    Q_OBJECT
public:
    // Captions of Command3 (finish), Command4 (copy), Command5 (paste) and Command6.
    struct Captions
    {
        QString finish;
        QString copy;
        QString paste;
        QString sixth;
    };

    GridWindow(const Captions& captions, QWidget* parent);
    ~GridWindow() override;

    // Controls
    QComboBox* Combo_class = nullptr;
    QPushButton* Command1 = nullptr; // 次
    QPushButton* Command2 = nullptr; // 前
    QPushButton* Command3 = nullptr; // finish
    QPushButton* Command4 = nullptr; // copy
    QPushButton* Command5 = nullptr; // paste
    QPushButton* Command6 = nullptr;
    QLabel* labMinsize = nullptr; // hidden; its position is the window's minimum size

    // Handlers of the shared controls.
    virtual void Combo_class_Click() = 0;
    virtual void Command1_Click() = 0;
    virtual void Command2_Click() = 0;
    virtual void Command3_Click() = 0;
    // Copies the selection of the grid in use.
    void Command4_Click();
    virtual void Command5_Click() = 0;
    virtual void Command6_Click() = 0;

protected:
    // Minimum window size in twips; the window is never made smaller.
    void setMinimumSizeTwips(int width, int height);
    // The grid the buttons act on.
    virtual FlexGrid* activeGrid() const = 0;
    // Finishes an edit in progress before a button acts (nothing by default).
    virtual void commitPendingEdit() {}
    // Places the controls for the current window size.
    virtual void layoutControls() = 0;
    // Places the top panel across the window; returns the rectangle left below it for the grid,
    // with the margin on every side.
    QRect placeTopPanel();

    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

    // The controls along the top, in rows (mTopRows) filled by the window.
    QWidget* mTopPanel = nullptr;
    QVBoxLayout* mTopRows = nullptr;
};

} // namespace seiran
