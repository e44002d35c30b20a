#pragma once

#include <QString>

namespace seiran {

// Outcome of a data operation: success, or a Japanese message for the user that names the
// file and what failed. The data layer never shows the message itself.
struct Result
{
    bool ok = true;
    QString message;

    static Result success() { return {}; }
    static Result failure(const QString& message) { return {false, message}; }
    explicit operator bool() const { return ok; }
};

} // namespace seiran
