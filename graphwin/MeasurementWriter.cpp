#include "graphwin/MeasurementWriter.h"

#include <charconv>
#include <vector>

#include "graphwin/MyFile.h"

namespace vx {

namespace {

void AppendNumber(std::string& line, long long value) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;  // 24 characters hold any 64-bit number
    line.append(digits, end);
}

// A caption is one line of the file whatever it holds.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return text;
}

}  // namespace

SaveResult WriteMeasurements(const std::string& path, const TZorTape& tape, const SaveSettings& settings) {
    const char sep = settings.Separator;

    // The enabled channels, by number from 0; numbers below the lowest in
    // use have no channel and write nothing.
    std::vector<const GraphChannel*> columns;
    std::vector<bool> leadingSeparator;
    ColumnLayout layout;
    // A header line announces the line numbers itself.
    layout.LineNumbers = settings.SaveLineNumbers && !settings.SaveHeaderLine;
    if (tape.Channels.Count() > 0) {
        for (int c = 0; c <= tape.Channels.High(); ++c) {
            if (!tape.Channels.IsAllocated(c) || !tape.Channels[c].Enabled) continue;
            columns.push_back(&tape.Channels[c]);
            leadingSeparator.push_back(c != 0);
            layout.Channels.push_back(c);
        }
    }

    ReplacementFile replacement;
    if (!replacement.Begin(path))
        return {"The measurements could not be saved to " + path + ": " + replacement.Describe() + "."};
    OutputFile& file = replacement.Output();
    file.WriteLine("; " + OneLine(settings.Caption));
    file.WriteLine(FormatMetadataLine(settings.SubLsbs, settings.Limits, layout));
    if (settings.SaveHeaderLine) {
        if (settings.SaveLineNumbers) file.Write(std::string("Line") + sep);
        file.WriteLine(HeaderLineText);
    }

    std::string line;
    for (std::uint32_t r = 0; r < tape.NumRecords() && !file.Failed(); ++r) {
        line.clear();
        if (settings.SaveLineNumbers) {
            AppendNumber(line, r);
            line += sep;
        }
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (leadingSeparator[k]) line += sep;
            // Slots that no reading has reached hold 0.
            const OffsetArray<int>& data = columns[k]->Data;
            AppendNumber(line, r <= 0x7fffffffu && data.IsAllocated(int(r)) ? data[int(r)] : 0);
        }
        // Data lines go out in 512-character batches rather than one system
        // call each: a long tape saves in a fraction of the time.
        line += kLineEnd;
        file.Write(line);
    }

    SaveResult result;
    if (!replacement.Commit())
        result.Error = "The measurements could not be saved to " + path + ": " + replacement.Describe() + ".";
    return result;
}

}  // namespace vx
