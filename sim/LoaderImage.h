#pragma once
// The application each module kind runs, as shipped in its loader file. The
// image starts with a signature by which the resident firmware's jump knows
// the program belongs to its board.
#include "support/ModuleKind.h"

#include <string>

namespace vx {

// "KIT7318.ARB", ".BRT", ".COB", ".CWD"; empty for Unknown.
std::string loaderFileName(ModuleKind kind);
// "VX7318 APP ARB" and so on; empty for Unknown.
std::string applicationSignature(ModuleKind kind);
// The whole loader file: S0 header, data records, S5 count, S9 or S8 end; LF line ends.
std::string loaderFileText(ModuleKind kind);

}  // namespace vx
