#pragma once

namespace vx {

// The program's title; it also captions every message box.
inline constexpr const char* ApplicationTitle = "VX7318 Evaluation Kit";

}  // namespace vx
