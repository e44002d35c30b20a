#pragma once

namespace seiran {

struct GradeData;

// Totals, grade and class ranks, averages by class and sex, and maxima of the current test.
void AggregateTest(GradeData& gd);

} // namespace seiran
