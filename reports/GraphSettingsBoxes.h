#pragma once

#include "GraphReport.h"

class QGroupBox;
class QLineEdit;
class QRect;
class QString;
class QWidget;

namespace seiran {

// The graph settings as the graph windows show them: two frames ("５教科合計" and "各教科"), each
// with the text boxes "最高点" and "間隔".
struct GraphSettingsBoxes
{
    QGroupBox* totalFrame = nullptr;   // ５教科合計
    QGroupBox* subjectFrame = nullptr; // 各教科
    QLineEdit* totalMaximum = nullptr;
    QLineEdit* totalBand = nullptr;
    QLineEdit* subjectMaximum = nullptr;
    QLineEdit* subjectBand = nullptr;

    // Builds both frames on `parent` and shows `settings` in them.
    void build(QWidget* parent, const QRect& totalGeometry, const QRect& subjectGeometry,
               const GraphSettings& settings);
    void show(const GraphSettings& settings) const;
    // What the boxes say now (a box that is not a number reads as 0, which the check refuses).
    GraphSettings read() const;
};

} // namespace seiran
