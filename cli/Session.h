#pragma once
// One run of the tool against one kit: the simulated kit when asked for,
// the link, the conversion state, and the connection to a running
// application that every subcommand but "ports" starts with.
#include <memory>
#include <string>

#include "app/ConversionControl.h"
#include "cli/Options.h"
#include "cli/OutputCheck.h"
#include "cli/Progress.h"
#include "cli/TerminalDialogs.h"
#include "cli/Tool.h"
#include "link/Kit.h"
#include "sim/SimulatedKit.h"

namespace vx {

class Session {
public:
    Session(const Options& options, ToolEnvironment& environment);

    // ExitSuccess once the application runs; otherwise the message is
    // printed and the exit code returned.
    int connect();
    // The output file (when one is named) checked, then connect(): the
    // first failure's exit code, or ExitSuccess. A file made by the check
    // is removed again when the connection fails.
    int prepareOutputAndConnect(OutputCheck& check);
    // The control word for one channel, or for a scan of all eight.
    void setControlWord(int channel, bool scanAll);
    bool stopAsked() const { return environment.stopAsked && environment.stopAsked(); }
    // "1.2345" with "." in every locale.
    static std::string voltsText(double volts, int decimals = 4);

    const Options& options;
    ToolEnvironment& environment;
    TerminalDialogs dialogs;
    Progress progress;
    std::unique_ptr<SimulatedKit> simulated;
    Kit kit;
    ConversionControl control;
};

// Each subcommand; the exit code.
int ListPorts(const Options& options, ToolEnvironment& environment);
int AnalyzeFile(const Options& options, ToolEnvironment& environment);
int ConnectAndReport(Session& session);
int TakeReadings(Session& session);
int SampleChannel(Session& session);

}  // namespace vx
