#include "graphwin/MeasurementFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vx {

std::string DefaultFileName(std::string_view caption) {
    std::string name(caption);
    for (char& c : name) {
        switch (c) {
        case ' ':
        case '\\':
        case '/':
        case '.':
        case ':':
        case '?':
        case '*': c = '_'; break;
        default: break;
        }
    }
    return name;
}

char SeparatorForFilter(int filterIndex) { return filterIndex == 1 ? ',' : '\t'; }

namespace {
// Limits near the ends of the int range put the 2 % margin outside it.
int clampedToInt(double v) {
    return int(std::clamp(v, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}
}  // namespace

int CodeLimits::HomeYBottom() const {
    const double span = double(MaxCode) - double(MinCode);
    return clampedToInt(double(MinCode) - span * 0.02);
}

int CodeLimits::HomeYTop() const {
    const double span = double(MaxCode) - double(MinCode);
    return clampedToInt(double(MaxCode) + span * 0.02);
}

void MeasurementMetadata::ApplyTo(CodeLimits& limits) const {
    if (MaxPossibleCode) limits.MaxCode = *MaxPossibleCode;
    if (MinPossibleCode) limits.MinCode = *MinPossibleCode;
}

std::string FormatMetadataLine(int subLsbs, const CodeLimits& limits, const ColumnLayout& columns) {
    std::string line = ";~ ";
    if (subLsbs != 0) line += "SubLsbs=" + std::to_string(subLsbs) + " ";
    line += "MaxPossibleCode=" + std::to_string(limits.MaxCode);
    line += " MinPossibleCode=" + std::to_string(limits.MinCode);
    bool inOrder = true;
    for (std::size_t k = 0; k < columns.Channels.size(); ++k) inOrder = inOrder && columns.Channels[k] == int(k);
    if (!inOrder) {
        line += " Channels=";
        for (std::size_t k = 0; k < columns.Channels.size(); ++k)
            line += (k ? "," : "") + std::to_string(columns.Channels[k]);
    }
    if (columns.LineNumbers) line += " LineNumbers=1";
    return line;
}

namespace {

// "1,3,4": ascending channel numbers below kMaxChannels, or nothing.
std::optional<std::vector<int>> ParseChannelList(std::string_view text) {
    std::vector<int> channels;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::optional<int> n = ParseInteger(text.substr(0, comma));
        if (!n || *n < 0 || *n >= kMaxChannels || (!channels.empty() && *n <= channels.back())) return std::nullopt;
        channels.push_back(*n);
        if (comma == std::string_view::npos) return channels;
        text.remove_prefix(comma + 1);
    }
}

void Note(std::string& problem, const std::string& text) { problem += (problem.empty() ? "" : "; ") + text; }

}  // namespace

MeasurementMetadata ParseMetadata(std::string_view text) {
    MeasurementMetadata meta;
    text = TrimSpaces(text);
    while (text.find('=') != std::string_view::npos) {
        const std::size_t p = text.find('=');
        const std::string_view key = text.substr(0, p);
        const std::size_t s = text.find(' ');
        std::string_view value;
        if (s != std::string_view::npos) {
            // A space before the "=" leaves the key without a value.
            if (s > p) value = text.substr(p + 1, s - p - 1);
            text = text.substr(s + 1);
        } else {
            value = text.substr(p + 1);
            text = {};
        }
        const std::optional<int> number = ParseInteger(value);
        const bool limit = key == "MaxPossibleCode" || key == "MinPossibleCode";
        if (key == "SubLsbs")
            meta.SubLsbs = number.value_or(0);
        else if (key == "MaxPossibleCode" && number)
            meta.MaxPossibleCode = number;
        else if (key == "MinPossibleCode" && number)
            meta.MinPossibleCode = number;
        else if (limit)
            Note(meta.Problem, "its " + std::string(key) + " \"" + std::string(value) +
                                   "\" is not a 32-bit whole number and is ignored");
        else if (key == "LineNumbers")
            meta.LineNumbers = number == 1;
        else if (key == "Channels") {
            if (auto channels = ParseChannelList(value))
                meta.Channels = std::move(*channels);
            else
                Note(meta.Problem, "its channel list \"" + std::string(value) +
                                       "\" is not ascending channel numbers below " + std::to_string(kMaxChannels) +
                                       " and is ignored");
        }
    }
    if (meta.MaxPossibleCode && meta.MinPossibleCode && *meta.MaxPossibleCode < *meta.MinPossibleCode) {
        Note(meta.Problem, "its MaxPossibleCode " + std::to_string(*meta.MaxPossibleCode) +
                               " is below its MinPossibleCode " + std::to_string(*meta.MinPossibleCode) +
                               ", so both are ignored");
        meta.MaxPossibleCode.reset();
        meta.MinPossibleCode.reset();
    }
    return meta;
}

bool IsHeaderLine(std::string_view line, bool& numbered) {
    line = TrimSpaces(line);
    numbered = line.size() > 5 && line.substr(0, 4) == "Line" && (line[4] == '\t' || line[4] == ',');
    return (numbered ? line.substr(5) : line) == HeaderLineText;
}

void SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::size_t maxFields) {
    fields.clear();
    // Whether the rest still holds a comma (or a space) can only change from
    // yes to no as the rest shrinks, so each kind of separator is searched
    // forward once: the whole line costs one pass, however many fields it has.
    const char* const begin = line.data();
    const char* end = begin + line.size();
    const char* rest = begin;
    const char* nextComma = begin;
    const char* nextSpace = begin;
    const char* nextTab = begin;
    // next is the first c at or after from, or end when there is none.
    auto seek = [&end](const char*& next, const char* from, char c) {
        if (next >= end) return;  // none left in the rest either
        if (next < from) next = from;
        const void* found = std::memchr(next, c, std::size_t(end - next));
        next = found ? static_cast<const char*>(found) : end;
    };
    for (;;) {
        if (fields.size() > maxFields) return;
        seek(nextComma, rest, ',');
        const char* sep = nextComma;
        if (sep >= end) {
            seek(nextSpace, rest, ' ');
            sep = nextSpace;
        }
        if (sep >= end) {
            seek(nextTab, rest, '\t');
            sep = nextTab;
        }
        if (sep >= end) {
            fields.push_back(TrimSpaces(std::string_view(rest, std::size_t(end - rest))));
            return;
        }
        fields.push_back(TrimSpaces(std::string_view(rest, std::size_t(sep - rest))));
        // The rest is trimmed at both ends; its end is the line's, so trimming
        // it once for good is the same as trimming every rest.
        const std::string_view after = TrimSpaces(std::string_view(sep + 1, std::size_t(end - sep - 1)));
        if (after.empty()) {
            fields.push_back({});  // a separator at the end: one more, empty field
            return;
        }
        rest = after.data();
        end = after.data() + after.size();
    }
}

}  // namespace vx
