#pragma once

#include "Result.h"

#include <QList>

namespace seiran {

struct GradeData;
class IProgress;

// The chosen score slotNumbers of one in-use pupil of the class blocks.
struct PupilScoreSlots
{
    int classNo = 0;
    int number = 0;
    QList<int> values; // one per requested slot, in the order asked for
};

// Reads the score slotNumbers `slotNumbers` (1..200) of every in-use record of the class blocks, in load
// order (class, then attendance number), without touching the grade's tables. The roster file
// is only read: a missing file gives no pupils. A slot outside 1..200 is refused.
Result ReadScoreSlots(const GradeData& gd, const QList<int>& slotNumbers, QList<PupilScoreSlots>& pupils,
                      IProgress& progress);

} // namespace seiran
