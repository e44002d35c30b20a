#pragma once

#include <QString>

class QFileDevice;

namespace seiran {

// Every message about a failed file operation gives the reason in Japanese for the causes a
// teacher can do something about (容量不足, 書き込み権限がありません, 見つかりません), with the
// system's own text only as a detail in brackets: "容量不足です（No space left on device）".
enum class FileAccess { Read, Write };

// The reason from an errno value (0 or unknown: a general reason with the system text).
QString FileErrorReason(int errorNumber, FileAccess access);
// The reason from the system text a QFile, QSaveFile or std::error_code reported.
QString FileErrorReason(const QString& systemText, FileAccess access);
// `errorNumber` is errno taken right after the failed call: Qt reports some failures (a failed
// flush) as "Unknown error", and the number still tells the cause.
QString FileErrorReason(const QFileDevice& file, FileAccess access, int errorNumber = 0);

// Empty when `path` is missing or a regular file (or a link to one); otherwise the Japanese
// reason it must not be opened: a FIFO or a device would block or mislead the reader.
QString NotRegularFileReason(const QString& path);

} // namespace seiran
