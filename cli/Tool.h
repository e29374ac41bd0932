#pragma once
// The command-line tool without its process: parses the arguments, connects
// to a kit and runs the subcommand, writing to the given streams. main()
// hands in the real clock and streams; tests hand in a virtual clock and
// string streams, so a whole run takes no real time.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Clock.h"

namespace vx {

class SimulatedKit;

struct ToolEnvironment {
    Clock& clock;
    std::ostream& out;
    std::ostream& err;
    bool terminal = false;                                // standard error is a terminal: show progress
    std::function<bool()> stopAsked;                      // Ctrl-C was pressed
    std::string executable;                               // where the loader files are looked for
    std::function<std::vector<std::string>()> listPorts;  // the machine's serial ports
    // Sets up the simulated kit (inputs, faults); by default it shows the demo signals.
    std::function<void(SimulatedKit&)> prepareSimulatedKit;
};

// The process's exit status (see ExitCode.h).
int RunTool(const std::vector<std::string>& arguments, ToolEnvironment& environment);

}  // namespace vx
