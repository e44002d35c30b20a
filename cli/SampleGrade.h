#pragma once

#include "Result.h"

#include <QString>

namespace seiran {

struct SampleOptions
{
    int grade = 1;
    int classes = 4;
    int pupils = 35; // about this many pupils per class
    quint32 seed = 1;
};

// Writes a complete, plausible grade into `folder` through the data layer: the roster file,
// the subject list, the test list, the homeroom file, and (when missing) the high-school
// list. Names, sexes, readings, scores of the standard tests, naishin points and choices are
// drawn from the seed, so the same options give the same bytes.
Result WriteSampleGrade(const QString& folder, const SampleOptions& options);

} // namespace seiran
