// "read": readings of the listed channels at a steady interval, through the
// program's own reading logic, into a measurement file line by line (so an
// interrupted or crashed run keeps every reading taken) or as CSV on
// standard output.
#include <array>
#include <ctime>
#include <optional>

#include "app/ReadingLoop.h"
#include "cli/ExitCode.h"
#include "cli/OutputCheck.h"
#include "cli/Session.h"
#include "graphwin/MyFile.h"

namespace {

// What one reading delivers per channel: the code and its voltage.
class ChannelValues : public ReadingTarget {
public:
    explicit ChannelValues(const ConversionControl& control) : control_(control) {}

    struct Value {
        int32_t code;
        double volts;
    };
    std::array<std::optional<Value>, ReadingLoop::Channels> values;

    void showStatus(const std::string&) override {}
    void Graph_Data_Point(int channel, int32_t code) override {
        if (channel >= 0 && channel < ReadingLoop::Channels) values[size_t(channel)] = Value{code, control_.CodeToVolts()};
    }
    bool AutoScale() override { return false; }
    void SetAutoScale(bool) override {}

private:
    const ConversionControl& control_;
};

std::string localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string channelNames(const std::vector<int>& channels, const char* separator) {
    std::string names;
    for (int c : channels) names += (names.empty() ? "" : separator) + ("CH" + std::to_string(c));
    return names;
}

}  // namespace

int TakeReadings(Session& session) {
    const Options& o = session.options;
    ToolEnvironment& env = session.environment;
    OutputCheck check;
    if (!o.out.empty()) {
        if (const std::string error = check.check(o.out); !error.empty()) {
            env.err << "vx7318: " << error << '\n';
            return ExitFileError;
        }
    }
    if (const int connected = session.connect(); connected != ExitSuccess) {
        check.discard();
        return connected;
    }

    ConversionControl& control = session.control;
    const bool scanAll = o.channels.size() > 1;
    session.setControlWord(o.channels.front(), scanAll);
    ChannelValues values(control);
    ReadingLoop loop(control, session.kit.query(), values, env.clock);

    const char separator = o.out.empty() ? ',' : SeparatorFor(o.out);
    OutputFile file;
    if (o.out.empty()) {
        env.out << "time_s," << channelNames(o.channels, ",") << '\n' << std::flush;
    } else {
        file.Open(o.out);
        const std::string coding = std::string(control.Bipolar ? "bipolar" : "unipolar") +
                                   (o.differential ? " differential" : " single-ended");
        file.WriteLine("; VX7318 " + channelNames(o.channels, " ") + " every " + std::to_string(o.everyMs) +
                       " ms, Vref " + Session::voltsText(control.Vref, 3) + " V, " + coding + ", from " + localTime());
        file.WriteLine(FormatMetadataLine(0, control.Limits));
        check.keep();
    }

    Clock& clock = env.clock;
    const uint64_t start = clock.micros();
    const uint64_t everyMicros = uint64_t(o.everyMs) * 1000;
    const uint64_t total = o.forMs ? *o.forMs : o.count;
    uint64_t due = start;
    int status = ExitSuccess;
    for (uint64_t n = 0;; ++n) {
        if (o.forMs ? due - start >= *o.forMs * 1000 : n >= o.count) break;
        // Waits in short steps so that Ctrl-C is heard at once.
        while (!session.stopAsked() && clock.micros() < due) clock.sleepUntil(std::min(due, clock.micros() + 100'000));
        if (session.stopAsked()) {
            status = ExitInterrupted;
            break;
        }
        const uint64_t taken = clock.micros();
        values.values = {};
        loop.UpdateButtonClick();
        if (loop.StatusLabel == "!") {
            env.err << "vx7318: the kit did not answer reading " << n + 1 << " (" << AppQueryProtocol::Failure
                    << ")\n";
            status = ExitLinkFailure;
            break;
        }
        std::string line = o.out.empty() ? Session::voltsText((taken - start) / 1e6, 3) : "";
        bool complete = true;
        for (size_t k = 0; k < o.channels.size(); ++k) {
            const auto& value = values.values[size_t(o.channels[k])];
            complete = complete && value.has_value();
            if (!value) break;
            if (k > 0 || o.out.empty()) line += (o.out.empty() ? ',' : separator);
            line += o.out.empty() ? Session::voltsText(value->volts) : std::to_string(value->code);
        }
        if (!complete) {
            env.err << "vx7318: reading " << n + 1 << " came back incomplete and is left out\n";
        } else if (o.out.empty()) {
            env.out << line << '\n' << std::flush;
            if (!env.out) {
                status = ExitFileError;  // the reader of our output went away
                break;
            }
        } else {
            file.WriteLine(line);
            if (file.Failed()) break;
        }
        session.progress.show("Reading", o.forMs ? (clock.micros() - start) / 1000 : n + 1, total);
        due += everyMicros;
        if (due < clock.micros()) due = clock.micros();  // late: the next reading at once, none made up
    }
    session.progress.finish();
    if (!o.out.empty() && !file.Close() && status != ExitLinkFailure) {
        env.err << "vx7318: the readings could not be written to " << o.out << ": "
                << (file.Error() ? file.Error()->Describe() : "unknown error") << '\n';
        return ExitFileError;
    }
    return status;
}
