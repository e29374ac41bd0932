#pragma once
// Runs a program and collects what it prints, for callers that need the
// output of a helper program (outside readers in tests, timing in benchmarks).
#include <string>
#include <vector>

namespace vx {

struct ProcessOutput {
    bool started = false;
    int exitCode = -1;   // -1 when the program did not exit normally
    std::string output;  // standard output, and standard error when asked for
};

// Started by its argument vector, never through a shell; waits for the end.
ProcessOutput RunForOutput(const std::vector<std::string>& args, bool withErrors = false);

}  // namespace vx
