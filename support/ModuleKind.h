#pragma once
#include <cstdint>

namespace vx {

// The board variants of the kit. Each has its own resident firmware banner,
// rate commands and application (loader file).
enum class ModuleKind : uint8_t { Unknown = 0, Brant = 1, Arbord = 2, Cobalt = 3, Cobalt16Wide = 4 };

}  // namespace vx
