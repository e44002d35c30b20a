#pragma once

#include <QString>

class QWidget;

namespace seiran {

// The "CSVファイルに保存" dialog every window uses: it opens at the proposed path and adds ".csv"
// to a name typed without an extension before it asks about overwriting. Empty when cancelled.
QString AskCsvSavePath(QWidget* parent, const QString& proposedPath);

// A file name typed without an extension gets ".csv"; any other name is kept as typed.
QString WithCsvExtension(const QString& path);

} // namespace seiran
