#pragma once
// Reads a measurement file into a record tape, value by value, exactly as live
// readings would arrive: column k of each line goes to channel k, and each
// line becomes one record. The program's own header line, line-number column
// and list of saved channels are recognised, so its files load back as
// saved. Hostile files cannot take unbounded memory: the limits below give a
// clear message instead.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "graph/ZorTape.h"
#include "graphwin/MeasurementFormat.h"

namespace vx {

class Clock;

// Far beyond what the program writes (8192 records of 20 channels is under
// 1 MiB), far below what would strain memory.
inline constexpr std::size_t kMaxFileBytes = 64u << 20;
inline constexpr std::size_t kMaxLineLength = 4096;
// The graph window has buttons for channels 0 to 19; wider files still load.
inline constexpr std::size_t kMaxColumns = kMaxChannels;
// Records times channels: the tape's codes take at most 64 MiB.
inline constexpr std::size_t kMaxValues = 16u << 20;

// Called with the share of lines read, 0 to 99, when more than a second has
// passed since the load began or since the last call.
using LoadProgress = std::function<void(int percent)>;

struct LoadedMeasurements {
    std::string Title;  // empty when the file has no title line
    bool HasMetadata = false;
    MeasurementMetadata Metadata;
    std::size_t Records = 0;  // data lines: the tape's NumRecords
    std::size_t Columns = 0;  // data columns of the widest line
    TZorTape Tape{1, 64};
};

struct LoadResult {
    bool Ok() const { return Error.empty(); }
    std::string Error;    // why nothing was loaded
    std::string Warning;  // what of the file was ignored, when something was
    LoadedMeasurements Data;
};

// Parses a whole file's text. Errors read as the end of a sentence
// ("it is empty", "line 7 has more than 64 columns").
LoadResult ParseMeasurements(std::string_view content, Clock& clock, const LoadProgress& progress = {});

// Reads and parses the file at path. Errors are whole sentences naming the file.
LoadResult LoadMeasurementFile(const std::string& path, Clock& clock, const LoadProgress& progress = {});

}  // namespace vx
