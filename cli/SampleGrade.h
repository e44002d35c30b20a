#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

class QTextStream;

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

// The command "seiran-sample DIR [--grade G] [--classes N] [--pupils M] [--seed S]": 0 when the
// grade is written, 2 with a message on `err` for a bad argument or a failure, as the other
// commands do.
int RunSampleCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace seiran
