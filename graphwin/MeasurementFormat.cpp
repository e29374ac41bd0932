#include "graphwin/MeasurementFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

std::string DefaultFileName(std::string_view caption)
{
    std::string name(caption);
    for (char& c : name) {
        switch (c) {
        case ' ': case '\\': case '/': case '.': case ':': case '?': case '*':
            c = '_';
            break;
        default:
            break;
        }
    }
    return name;
}

char SeparatorForFilter(int filterIndex)
{
    return filterIndex == 1 ? ',' : '\t';
}

namespace {
// Limits near the ends of the int range put the 2 % margin outside it.
int clampedToInt(double v)
{
    return int(std::clamp(v, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}
}  // namespace

int CodeLimits::HomeYBottom() const
{
    const double span = double(MaxCode) - double(MinCode);
    return clampedToInt(double(MinCode) - span * 0.02);
}

int CodeLimits::HomeYTop() const
{
    const double span = double(MaxCode) - double(MinCode);
    return clampedToInt(double(MaxCode) + span * 0.02);
}

void MeasurementMetadata::ApplyTo(CodeLimits& limits) const
{
    if (MaxPossibleCode)
        limits.MaxCode = *MaxPossibleCode;
    if (MinPossibleCode)
        limits.MinCode = *MinPossibleCode;
}

std::string FormatMetadataLine(int subLsbs, const CodeLimits& limits)
{
    std::string line = ";~ ";
    if (subLsbs != 0)
        line += "SubLsbs=" + std::to_string(subLsbs) + " ";
    line += "MaxPossibleCode=" + std::to_string(limits.MaxCode);
    line += " MinPossibleCode=" + std::to_string(limits.MinCode);
    return line;
}

MeasurementMetadata ParseMetadata(std::string_view text)
{
    MeasurementMetadata meta;
    text = TrimSpaces(text);
    while (text.find('=') != std::string_view::npos) {
        const std::size_t p = text.find('=');
        const std::string_view key = text.substr(0, p);
        const std::size_t s = text.find(' ');
        std::string_view value;
        if (s != std::string_view::npos) {
            // A space before the "=" leaves the key without a value.
            if (s > p)
                value = text.substr(p + 1, s - p - 1);
            text = text.substr(s + 1);
        } else {
            value = text.substr(p + 1);
            text = {};
        }
        const std::optional<int> number = ParseInteger(value);
        if (key == "SubLsbs")
            meta.SubLsbs = number.value_or(0);
        else if (key == "MaxPossibleCode" && number)
            meta.MaxPossibleCode = number;
        else if (key == "MinPossibleCode" && number)
            meta.MinPossibleCode = number;
    }
    return meta;
}

void SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::size_t maxFields)
{
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
        if (next >= end)
            return;  // none left in the rest either
        if (next < from)
            next = from;
        const void* found = std::memchr(next, c, std::size_t(end - next));
        next = found ? static_cast<const char*>(found) : end;
    };
    for (;;) {
        if (fields.size() > maxFields)
            return;
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
