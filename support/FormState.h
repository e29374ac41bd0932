#pragma once
// What a logic object hands its window to show: a progress bar's range and
// position, and the result that closes a modal window.
#include <algorithm>

namespace vx {

struct ProgressBar {
    int Min = 0;
    int Max = 100;
    int Position = 0;
    int Step = 1;
    // The position stays within the range, as a progress bar keeps it.
    void SetPosition(int position) { Position = std::clamp(position, Min, std::max(Min, Max)); }
};

// What closing a modal window reports to the one that showed it; a running
// loop of the sampling tool also reads it as its cancel flag.
enum class FormResult { None, Ok, Cancel };

}  // namespace vx
