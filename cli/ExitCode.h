#pragma once

namespace vx {

// What the tool's exit status tells a script.
enum ExitCode : int {
    ExitSuccess = 0,
    ExitBadArguments = 2,
    ExitNoKit = 3,
    ExitLinkFailure = 4,
    ExitFileError = 5,
    ExitInterrupted = 130,  // Ctrl-C: what was measured so far is kept
};

}  // namespace vx
