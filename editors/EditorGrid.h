#pragma once

#include <QList>
#include <QString>

namespace seiran {

class FlexGrid;

// One column of an editor's grid: its heading, a text as wide as the column should be (in the
// grid's font) and whether its cells are centred.
struct EditorGridColumn
{
    QString heading;
    QString widthSample;
    bool centred = false;
};

// The grid of the subject, test and high-school editors: one fixed row of headings above
// `dataRows` rows, one fixed column (the list numbers), each column as wide as its sample.
// Returns the width of all the columns together.
int SetUpEditorGrid(FlexGrid* grid, const QList<EditorGridColumn>& columns, int dataRows);

} // namespace seiran
