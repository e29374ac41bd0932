#include "sim/InputSpec.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "sim/Converter.h"

namespace vx {

namespace {

std::vector<std::string_view> splitItems(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const std::size_t comma = text.find(',');
        items.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return items;
        text.remove_prefix(comma + 1);
    }
}

// A number followed by exactly the unit (or no unit when unit is empty).
std::optional<double> numberWithUnit(std::string_view text, std::string_view unit) {
    if (text.size() < unit.size() || text.substr(text.size() - unit.size()) != unit) return std::nullopt;
    text.remove_suffix(unit.size());
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || status != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double fromDb(double db) { return std::pow(10.0, db / 20); }

}  // namespace

std::optional<ChannelInput> ParseInputSpec(std::string_view text, std::string& error) {
    const std::string whole(text);
    auto fail = [&](const std::string& why) {
        error = "Simulated input \"" + whole + "\": " + why;
        return std::nullopt;
    };
    const std::size_t equals = text.find('='), colon = text.find(':');
    if (equals == std::string_view::npos || colon == std::string_view::npos || colon < equals)
        return fail("write CHANNEL=KIND:ITEMS, e.g. 4=sine:1000Hz,-1dBFS,noise=0.5,h3=-70dBc.");
    const auto channel = numberWithUnit(text.substr(0, equals), "");
    if (!channel || *channel != std::floor(*channel) || *channel < 0 || *channel >= AnalogInputs::Channels)
        return fail("the channel is 0 to 7.");
    const std::string_view kind = text.substr(equals + 1, colon - equals - 1);
    if (kind != "level" && kind != "ramp" && kind != "sine") return fail("the kind is level, ramp or sine.");

    ChannelInput input{int(*channel), {}};
    InputSignal& s = input.signal;
    bool haveMain = false, haveFrequency = false, haveOffset = false;
    for (std::string_view item : splitItems(text.substr(colon + 1))) {
        const std::size_t eq = item.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view name = item.substr(0, eq), value = item.substr(eq + 1);
            if (name == "offset") {
                const auto v = numberWithUnit(value, "V");
                if (!v) return fail("offset is in volts, e.g. offset=2.048V.");
                s.level = *v;
                haveOffset = true;
            } else if (name == "noise") {
                const auto v = numberWithUnit(value, "");
                if (!v || *v < 0) return fail("noise is an RMS in LSB, e.g. noise=0.5.");
                s.noiseRms = *v * Converter::LsbVolts;
            } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '2' && name[1] <= '6') {
                const auto v = numberWithUnit(value, "dBc");
                if (!v || kind != "sine") return fail("harmonics belong to a sine, in dBc, e.g. h3=-70dBc.");
                s.harmonics[std::size_t(name[1] - '2')] = fromDb(*v);
            } else {
                return fail("unknown setting \"" + std::string(name) + "\".");
            }
            continue;
        }
        if (const auto hz = numberWithUnit(item, "Hz"); hz && kind == "sine" && !haveFrequency && *hz >= 0) {
            s.sineHz = *hz;
            haveFrequency = true;
        } else if (const auto dbfs = numberWithUnit(item, "dBFS"); dbfs && kind == "sine" && !haveMain) {
            s.sineAmplitude = fromDb(*dbfs) * Converter::Vref / 2;
            haveMain = true;
        } else if (const auto rate = numberWithUnit(item, "V/s"); rate && kind == "ramp" && !haveMain) {
            s.rampPerSecond = *rate;
            haveMain = true;
        } else if (const auto volts = numberWithUnit(item, "V"); volts && kind != "ramp" && !haveMain) {
            (kind == "sine" ? s.sineAmplitude : s.level) = *volts;
            haveMain = true;
        } else {
            return fail("\"" + std::string(item) + "\" is not understood here.");
        }
    }
    if (!haveMain || (kind == "sine" && !haveFrequency))
        return fail(kind == "sine"   ? "a sine needs a frequency and an amplitude, e.g. sine:1000Hz,-1dBFS."
                    : kind == "ramp" ? "a ramp needs its rate, e.g. ramp:0.5V/s."
                                     : "a level needs its voltage, e.g. level:1.25V.");
    if (kind == "sine" && !haveOffset) s.level = Converter::Vref / 2;
    return input;
}

}  // namespace vx
