#include "Progress.h"

namespace seiran {

NullProgress& NullProgress::instance()
{
    static NullProgress progress;
    return progress;
}

} // namespace seiran
