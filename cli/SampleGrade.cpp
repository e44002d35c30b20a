#include "SampleGrade.h"

namespace seiran {

Result WriteSampleGrade(const QString&, const SampleOptions&)
{
    return Result::failure(QStringLiteral("not yet"));
}

} // namespace seiran
