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

// Refuses options the program could not open: grade 1-3, 1-9 classes, 1-55 pupils a class, and
// no more pupils in use than a grade holds (the loader's limit of 400; 9 x 55 would exceed it).
Result CheckSampleOptions(const SampleOptions& options);

// Writes a complete, plausible grade into `folder` through the data layer: the roster file,
// the subject list, the test list, the homeroom file, and (when missing) the high-school
// list. Names, sexes, readings, scores of the standard tests, naishin points and choices are
// drawn from the seed, so the same options give the same bytes. Options CheckSampleOptions
// refuses write nothing.
Result WriteSampleGrade(const QString& folder, const SampleOptions& options);

} // namespace seiran
