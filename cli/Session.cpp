#include "cli/Session.h"

#include <charconv>

#include "app/CommandLine.h"
#include "cli/ExitCode.h"
#include "platform/PortList.h"

namespace vx {

Session::Session(const Options& o, ToolEnvironment& env)
    : options(o),
      environment(env),
      dialogs(env.err),
      progress(env.err, env.terminal),
      kit(env.clock, dialogs),
      control(kit.query(), dialogs) {
    if (!o.simulate) return;
    simulated = std::make_unique<SimulatedKit>(env.clock, *o.simulate);
    simulated->inputs().useDemoSignals();
    if (env.prepareSimulatedKit) env.prepareSimulatedKit(*simulated);
    // What the user asked for on the command line comes last, over any default.
    for (const ChannelInput& input : o.inputs) simulated->inputs()[input.channel] = input.signal;
    kit.addDevice(SimulatedKit::PortName, *simulated);
}

int Session::connect() {
    std::vector<std::string> ports;
    std::string port = options.port;
    if (simulated) {
        ports.push_back(SimulatedKit::PortName);
        if (port.empty()) port = SimulatedKit::PortName;
    } else if (port.empty()) {
        ports = environment.listPorts ? environment.listPorts() : listSerialPorts();
        port = ConnectionSequence::AutomaticPort;
    }
    const ModuleKind kind = options.simulate.value_or(ModuleKind::Arbord);
    const std::string loader =
        options.loader.empty() ? FindLoaderFile(LoaderFileFor(kind), environment.executable) : options.loader;

    ConnectionSequence& sequence = kit.sequence();
    bool prompted = false, wasLoading = false;
    const auto result = kit.connect(
        port, ports, loader, [this] { return stopAsked(); },
        [&] {
            // A board whose firmware is not fresh from a reset sends no beacon: ask for the button.
            if (sequence.ConnState() == ConnectionState::Beacon && !prompted &&
                sequence.view().LabelStatus.rfind("Please press", 0) == 0) {
                progress.finish();
                environment.err << "vx7318: " << sequence.view().LabelStatus << '\n';
                prompted = true;
            }
            // A tick sends several lines: show the bar once more after the last one.
            const bool loading = sequence.ConnState() == ConnectionState::Loading;
            if (loading || wasLoading)
                progress.show("Downloading", uint64_t(sequence.view().LoaderProgressBar.Position),
                              uint64_t(sequence.view().LoaderProgressBar.Max));
            wasLoading = loading;
        });
    progress.finish();
    switch (result.outcome) {
    case Kit::Outcome::Running: break;
    case Kit::Outcome::Stopped: return ExitInterrupted;
    case Kit::Outcome::NotFound: environment.err << "vx7318: " << result.message << '\n'; return ExitNoKit;
    case Kit::Outcome::LoaderMissing: return ExitFileError;  // the sequence has said which file
    case Kit::Outcome::LinkFailed: environment.err << "vx7318: " << result.message << '\n'; return ExitLinkFailure;
    }
    control.setVref(options.vref);
    control.selectComboBoxItem(3, options.bipolar ? 0 : 1);
    control.selectComboBoxItem(4, options.differential ? 0 : 1);
    return ExitSuccess;
}

void Session::setControlWord(int channel, bool scanAll) {
    control.selectComboBoxItem(2, scanAll ? 8 : size_t(channel));
    control.CtrlWordComboBoxChange();
}

std::string Session::voltsText(double volts, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, volts, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

int Session::prepareOutputAndConnect(OutputCheck& check) {
    if (!options.out.empty()) {
        if (const std::string error = check.check(options.out); !error.empty()) {
            environment.err << "vx7318: " << error << '\n';
            return ExitFileError;
        }
    }
    const int connected = connect();
    if (connected != ExitSuccess) check.discard();
    return connected;
}

}  // namespace vx
