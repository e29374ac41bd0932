#include "cli/Tool.h"

#include <filesystem>
#include <fstream>

#include "cli/ExitCode.h"
#include "cli/Session.h"
#include "platform/PortList.h"
#include "platform/PosixSerialDevice.h"
#include "vx_version.h"

namespace vx {

namespace {

namespace fs = std::filesystem;

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// What sysfs tells of a port: the USB adapter's product name, else its driver.
std::string describePort(const std::string& device) {
    std::error_code error;
    const fs::path sysfs = fs::path("/sys/class/tty") / fs::path(device).filename() / "device";
    fs::path folder = fs::canonical(sysfs, error);
    if (error) return "serial port";
    for (int up = 0; up < 4 && !folder.empty(); ++up, folder = folder.parent_path())
        if (fs::exists(folder / "product", error)) return firstLine(folder / "product");
    const fs::path driver = fs::read_symlink(sysfs / "driver", error);
    return error ? "serial port" : driver.filename().string() + " serial port";
}

}  // namespace

int ListPorts(const Options& options, ToolEnvironment& environment) {
    std::vector<std::string> ports = environment.listPorts ? environment.listPorts() : listSerialPorts();
    for (const std::string& port : ports) {
        PosixSerialDevice device(environment.clock);
        const bool opens = device.open(port);
        if (opens) device.close();
        environment.out << port << '\t' << describePort(port) << '\t'
                        << (opens ? "can be opened" : "cannot be opened: " + device.lastError().text) << '\n';
    }
    if (options.simulate) environment.out << SimulatedKit::PortName << "\tsimulated evaluation kit\tcan be opened\n";
    if (ports.empty() && !options.simulate) {
        environment.err << "vx7318: no serial ports found\n";
        return ExitNoKit;
    }
    return ExitSuccess;
}

int ConnectAndReport(Session& session) {
    static const char* const kinds[] = {"unknown", "BRANT", "ARBORD", "COBALT", "COBALT-16WIDE"};
    const ConnectionSequence& sequence = session.kit.sequence();
    std::ostream& out = session.environment.out;
    out << "port: " << session.kit.portName() << '\n'
        << "module: " << kinds[size_t(sequence.ModuleKind())] << '\n'
        << "rate: " << session.kit.port().PortDcb().baud << " baud\n"
        << "setup time: " << Session::voltsText(sequence.SetupTimeMs() / 1000.0, 1) << " s\n";
    return ExitSuccess;
}

int RunTool(const std::vector<std::string>& arguments, ToolEnvironment& environment) {
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.help.empty()) {
        environment.out << parsed.help;
        return ExitSuccess;
    }
    if (!parsed.error.empty()) {
        environment.err << "vx7318: " << parsed.error << '\n' << parsed.usage;
        return ExitBadArguments;
    }
    const Options& options = parsed.options;
    if (options.version) {
        environment.out << "vx7318 " << VX_VERSION << '\n';
        return ExitSuccess;
    }
    if (options.command == Subcommand::Ports) return ListPorts(options, environment);
    if (options.command == Subcommand::Analyze) return AnalyzeFile(options, environment);

    Session session(options, environment);
    switch (options.command) {
    case Subcommand::Connect: {
        const int connected = session.connect();
        return connected != ExitSuccess ? connected : ConnectAndReport(session);
    }
    case Subcommand::Read: return TakeReadings(session);
    case Subcommand::Sample: return SampleChannel(session);
    default: return ExitBadArguments;
    }
}

}  // namespace vx
