// "read": readings of the listed channels at a steady interval, decoded by
// the program's own conversion logic, into a measurement file line by line (so an
// interrupted or crashed run keeps every reading taken) or as CSV on
// standard output.
#include <array>
#include <cctype>
#include <ctime>
#include <optional>

#include "app/ReadingLoop.h"
#include "cli/ExitCode.h"
#include "cli/OutputCheck.h"
#include "cli/Session.h"
#include "graphwin/MyFile.h"
#include "link/AppQuery.h"
#include "support/Misc.h"

namespace vx {

namespace {

// A few replies lost on the line are skipped; this many in a row mean the
// kit has stopped answering.
constexpr int MaxIncompleteInARow = 3;

struct Value {
    int32_t code;
    double volts;
};
using Values = std::array<std::optional<Value>, 8>;

bool hexDigits(const std::string& text, size_t at) {
    for (size_t i = at; i < at + 4; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// One "R" for a single channel or one "A" for a scan of all eight. Only
// whole, well-formed results count: a reply cut short or garbled on the
// line leaves its channels empty rather than passing an old or made-up
// value for a new one. False when the query failed outright.
bool readOnce(ConversionControl& control, QuerySender& link, bool scanAll, Values& values) {
    values = {};
    const std::string reply = link.AppQuery(scanAll ? "A" : "R");
    if (reply == AppQueryProtocol::Failure) return false;
    const size_t groups = scanAll ? 8 : 1;
    if (reply.size() != (scanAll ? ReadingLoop::ScanReplyLength : 4)) return true;
    for (size_t g = 0; g < groups; ++g) {
        const size_t at = 5 * g;
        if (!hexDigits(reply, at)) continue;
        control.setRaw(HexPairToByte(reply[at], reply[at + 1]), HexPairToByte(reply[at + 2], reply[at + 3]));
        control.DecodeConversion();
        values[scanAll ? g : size_t(control.state().CurrentChannel)] =
            Value{control.state().CodeValue, control.CodeToVolts()};
    }
    return true;
}

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

// Where the readings go: a measurement file (codes, each line written out as
// it is taken) or CSV on standard output (time and volts).
class ReadingOutput {
public:
    explicit ReadingOutput(Session& session) : o_(session.options), env_(session.environment) {}

    // False when the file cannot be opened; the reason is on standard error.
    bool begin(const ConversionControl& control) {
        if (o_.out.empty()) {
            env_.out << "time_s," << channelNames(o_.channels, ",") << '\n' << std::flush;
            return bool(env_.out);
        }
        const std::string coding = std::string(control.state().Bipolar ? "bipolar" : "unipolar") +
                                   (o_.differential ? " differential" : " single-ended");
        file_.Open(o_.out);
        file_.WriteLine("; VX7318 " + channelNames(o_.channels, " ") + " every " + std::to_string(o_.everyMs) +
                        " ms, Vref " + Session::voltsText(control.state().Vref, 3) + " V, " + coding + ", from " +
                        localTime());
        file_.WriteLine(FormatMetadataLine(0, control.state().Limits));
        return !failed();
    }
    // False when the line could not be written.
    bool write(uint64_t elapsedMicros, const Values& values) {
        const bool toFile = !o_.out.empty();
        const char separator = toFile ? SeparatorFor(o_.out) : ',';
        std::string line = toFile ? "" : Session::voltsText(elapsedMicros / 1e6, 3);
        for (size_t k = 0; k < o_.channels.size(); ++k) {
            const Value& value = *values[size_t(o_.channels[k])];
            if (k > 0 || !toFile) line += separator;
            line += toFile ? std::to_string(value.code) : Session::voltsText(value.volts);
        }
        if (toFile) {
            file_.WriteLine(line);
            return !failed();
        }
        env_.out << line << '\n' << std::flush;
        return bool(env_.out);  // false: the reader of our output went away
    }
    // False, with the reason on standard error, when the file is not whole.
    bool finish() {
        if (o_.out.empty() || file_.Close()) return true;
        failed();
        return false;
    }

private:
    bool failed() {
        if (!file_.Failed()) return false;
        if (!reported_)
            env_.err << "vx7318: the readings could not be written to " << o_.out << ": " << file_.Error()->Describe()
                     << '\n';
        reported_ = true;
        return true;
    }

    const Options& o_;
    ToolEnvironment& env_;
    OutputFile file_;
    bool reported_ = false;
};

bool complete(const Values& values, const std::vector<int>& channels) {
    for (int c : channels)
        if (!values[size_t(c)]) return false;
    return true;
}

}  // namespace

int TakeReadings(Session& session) {
    const Options& o = session.options;
    ToolEnvironment& env = session.environment;
    OutputCheck check;
    if (const int prepared = session.prepareOutputAndConnect(check); prepared != ExitSuccess) return prepared;
    ConversionControl& control = session.control;
    const bool scanAll = o.channels.size() > 1;
    session.setControlWord(o.channels.front(), scanAll);

    ReadingOutput output(session);
    if (!output.begin(control)) {
        check.discard();
        return ExitFileError;
    }

    Clock& clock = env.clock;
    const uint64_t start = clock.micros();
    uint64_t due = start;
    int incompleteInARow = 0;
    int status = ExitSuccess;
    for (uint64_t n = 0; o.forMs ? due - start < *o.forMs * 1000 : n < o.count; ++n) {
        // Waits in short steps so that Ctrl-C is heard at once.
        while (!session.stopAsked() && clock.micros() < due) clock.sleepUntil(std::min(due, clock.micros() + 100'000));
        if (session.stopAsked()) {
            status = ExitInterrupted;
            break;
        }
        const uint64_t taken = clock.micros();
        Values values;
        if (!readOnce(control, session.kit.query(), scanAll, values)) {
            env.err << "vx7318: the kit did not answer reading " << n + 1 << " (" << AppQueryProtocol::Failure << ")\n";
            status = ExitLinkFailure;
            break;
        }
        if (!complete(values, o.channels)) {
            if (++incompleteInARow == MaxIncompleteInARow) {
                env.err << "vx7318: the kit stopped answering after reading " << n + 1 - MaxIncompleteInARow << '\n';
                status = ExitLinkFailure;
                break;
            }
            env.err << "vx7318: reading " << n + 1 << " came back incomplete and is left out\n";
        } else {
            incompleteInARow = 0;
            if (!output.write(taken - start, values)) {
                status = ExitFileError;
                break;
            }
        }
        session.progress.show("Reading", o.forMs ? (clock.micros() - start) / 1000 : n + 1,
                              o.forMs ? *o.forMs : o.count);
        due += uint64_t(o.everyMs) * 1000;
        if (due < clock.micros()) due = clock.micros();  // late: the next reading at once, none made up
    }
    session.progress.finish();
    if (!output.finish() && status == ExitSuccess) status = ExitFileError;
    return status;
}

}  // namespace vx
