#include "EditorGrid.h"

#include "FlexGrid.h"
#include "GridWindow.h"

namespace seiran {

int SetUpEditorGrid(FlexGrid* grid, const QList<EditorGridColumn>& columns, int dataRows)
{
    grid->setCols(int(columns.size()));
    grid->setFixedCols(1);
    grid->setFixedRows(1);
    grid->setRows(dataRows + 1);
    int width = 0;
    for (int c = 0; c < columns.size(); ++c) {
        const EditorGridColumn& column = columns.at(c);
        grid->setTextMatrix(0, c, column.heading);
        grid->setColWidth(c, MeasuredColWidth(grid, column.widthSample));
        if (column.centred) grid->setColAlignment(c, Qt::AlignCenter);
        width += grid->ColWidth(c);
    }
    return width;
}

} // namespace seiran
