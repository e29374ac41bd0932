#include "graph/OffsetArray.h"

namespace vx {

std::uint32_t NextInstanceId() {
    // The graph engine lives on the user-interface thread; a plain counter will do.
    static std::uint32_t next = 0;
    return next++;
}

}  // namespace vx
