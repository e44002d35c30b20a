#pragma once

#include <QString>

namespace seiran {

// Reads one value from an INI text file (CP932 or UTF-8), as the operating system's
// private-profile reader does: section and key compare without regard to case, surrounding
// blanks and one pair of quotes are removed, at most 255 characters are returned. A missing
// file, section or key yields the default.
QString ReadIniString(const QString& filePath, const QString& section, const QString& key,
                      const QString& defaultValue = QStringLiteral("*"));

} // namespace seiran
