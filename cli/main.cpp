// vx7318: the evaluation kit from the command line.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Tool.h"
#include "platform/Clock.h"
#include "support/NumericLocale.h"

namespace vx {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void askToStop(int signal) { stopSignal = signal; }

// Ctrl-C (and a polite kill) ends the run cleanly; a second one ends it at once.
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (| head) shows as a failed write, not a kill.
    std::signal(SIGPIPE, SIG_IGN);
}

std::string executablePath(const char* argv0) {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, size_t(length)) : std::string(argv0);
}

}  // namespace

}  // namespace vx

using namespace vx;

int main(int argc, char** argv) {
    UseCNumericLocale();
    catchStopSignals();
    ToolEnvironment environment{realClock(),
                                std::cout,
                                std::cerr,
                                ::isatty(STDERR_FILENO) == 1,
                                [] { return stopSignal != 0; },
                                executablePath(argv[0]),
                                {},
                                {}};
    return RunTool(std::vector<std::string>(argv + 1, argv + argc), environment);
}
