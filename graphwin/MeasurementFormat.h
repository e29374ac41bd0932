#pragma once
// The pieces of the measurement file format that writer and reader share:
// the fixed texts, default names, separators, the metadata line, the field
// splitting rules and the code limits that the metadata carries.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

inline constexpr std::string_view HeaderLineText = "Measurements from Vanto Evaluation Kit";
inline constexpr std::string_view kLineEnd = "\r\n";

// The caption with every space, \, /, ., :, ? and * made an underscore.
std::string DefaultFileName(std::string_view caption);

// The save dialog's second file type is comma-separated; the others use TAB.
char SeparatorForFilter(int filterIndex);

// Removes spaces (only spaces: a TAB is a separator) from both ends.
// Inline, with ParseInteger: the loader calls both for every value.
inline std::string_view TrimSpaces(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && *first == ' ') ++first;
    while (last != first && last[-1] == ' ') --last;
    return {first, std::size_t(last - first)};
}

// A signed decimal integer that fits 32 bits, or nothing.
inline std::optional<int> ParseInteger(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end) return std::nullopt;
    std::int64_t value = 0;
    for (; p != end; ++p) {
        const unsigned digit = unsigned(*p) - '0';
        if (digit > 9) return std::nullopt;
        value = value * 10 + digit;
        if (value > std::int64_t(1) << 31) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return int(value);
}

// Fields that are not integers load as 0.
inline int FieldValue(std::string_view field) { return ParseInteger(field).value_or(0); }

// The main window's code limits: 4095 and 0 unipolar, 2047 and -2048 bipolar.
struct CodeLimits {
    int MaxCode = 4095;
    int MinCode = 0;

    // Where the "home" scale puts the bottom and top edges: 2 % beyond the limits.
    int HomeYBottom() const;
    int HomeYTop() const;
};

// Channel numbers a file may name run from 0 to kMaxChannels - 1.
inline constexpr int kMaxChannels = 64;

// What a metadata line says. Absent keys and values that are not integers
// leave the limits as they are and the Sub-LSBs setting at 0.
struct MeasurementMetadata {
    int SubLsbs = 0;
    std::optional<int> MaxPossibleCode;
    std::optional<int> MinPossibleCode;
    // The channel of each data column, ascending; empty: column k is channel k.
    std::vector<int> Channels;
    // The first column of each data line numbers the lines.
    bool LineNumbers = false;
    // What was ignored and why, as the end of a sentence; empty when nothing was.
    std::string Problem;

    void ApplyTo(CodeLimits& limits) const;
};

// What the writer says about its columns beyond the code limits.
struct ColumnLayout {
    std::vector<int> Channels;  // the saved channels, ascending
    bool LineNumbers = false;
};

// ";~ SubLsbs=3 MaxPossibleCode=4095 MinPossibleCode=0" (SubLsbs only when not
// 0), then " Channels=1,3" when the columns are not channels 0, 1, 2, ... and
// " LineNumbers=1" when a line-number column leads.
std::string FormatMetadataLine(int subLsbs, const CodeLimits& limits, const ColumnLayout& columns = {});
// Parses the text after ";~ ". Limits that are not 32-bit integers, a maximum
// below the minimum and a channel list out of order are ignored and named in Problem.
MeasurementMetadata ParseMetadata(std::string_view text);

// Whether a line is the writer's header line; numbered tells whether it
// announces a line-number column.
bool IsHeaderLine(std::string_view line, bool& numbered);

// Splits one line into fields: at the first comma, else the first space, else
// the first TAB, again and again on the trimmed rest. Every line has at least
// one field. Stops once more than maxFields fields are found.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::size_t maxFields);

}  // namespace vx
