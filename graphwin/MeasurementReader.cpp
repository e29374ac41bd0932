#include "graphwin/MeasurementReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <algorithm>
#include <optional>
#include <vector>

#include "graphwin/MyFile.h"
#include "platform/Clock.h"

namespace vx {

namespace {

// Walks the lines of a text: CR LF, a lone CR and a lone LF each end a line;
// a NUL ends the text. A line end at the very end adds no empty line.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : text_(text.substr(0, text.find('\0'))), nextCr_(Find('\r')), nextLf_(Find('\n')) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = std::min(Seek(nextCr_, '\r'), Seek(nextLf_, '\n'));
        ++number_;
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        return true;
    }

    // 1-based number of the line last returned.
    std::size_t Number() const { return number_; }

private:
    // The first c at or after pos_, or the text's size.
    std::size_t Find(char c) const {
        const void* found = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
        return found ? std::size_t(static_cast<const char*>(found) - text_.data()) : text_.size();
    }

    // Each kind of line end is searched forward once over the whole text.
    std::size_t Seek(std::size_t& next, char c) const {
        if (next < pos_) next = Find(c);
        return next;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
    std::size_t nextCr_;  // stale while before pos_
    std::size_t nextLf_;
};

bool IsBlank(std::string_view line) { return TrimSpaces(line).empty(); }

std::string LineTooLong(std::size_t number) {
    return "line " + std::to_string(number) + " is longer than " + std::to_string(kMaxLineLength) + " characters";
}

// Where the data lines begin, after the title, the metadata and the header.
struct DataStart {
    LineReader reader;
    std::string_view line;  // the first data line, when haveData
    bool haveData;
    bool numbered;  // the first column holds line numbers
};

// Title, metadata and the writer's header line; nothing when the file is
// refused (result.Error says why).
std::optional<DataStart> ReadPreamble(std::string_view content, LoadResult& result) {
    LoadedMeasurements& out = result.Data;
    // UTF-16 puts a NUL beside every ASCII character, which would end the text
    // after one digit; a UTF-8 byte-order mark is no part of the first value.
    const std::string_view start = content.substr(0, 2);
    const bool utf16 =
        start.size() == 2 && (start == "\xFF\xFE" || start == "\xFE\xFF" || (start[0] == '\0') != (start[1] == '\0'));
    if (utf16) {
        result.Error = "it is not a text file the program reads (it looks like UTF-16; save it as UTF-8 or ASCII)";
        return std::nullopt;
    }
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    DataStart at{LineReader(content), {}, false, false};
    LineReader& reader = at.reader;
    std::string_view& line = at.line;

    // Title: a first line with a ";" anywhere in it.
    if (!reader.Next(line)) {
        result.Error = "it is empty";
        return std::nullopt;
    }
    bool pending = true;  // line is not yet used up as title or metadata
    if (line.find(';') != std::string_view::npos) {
        if (line.size() > kMaxLineLength) {
            result.Error = LineTooLong(reader.Number());
            return std::nullopt;
        }
        out.Title = std::string(TrimSpaces(line.substr(1)));
        pending = reader.Next(line);
        if (!pending) {
            result.Error = "it holds a title line and no data";
            return std::nullopt;
        }
    }
    // Metadata: the next line, if it holds ";~ " anywhere.
    if (line.find(";~ ") != std::string_view::npos) {
        if (line.size() > kMaxLineLength) {
            result.Error = LineTooLong(reader.Number());
            return std::nullopt;
        }
        out.HasMetadata = true;
        out.Metadata = ParseMetadata(TrimSpaces(line.substr(std::min<std::size_t>(3, line.size()))));
        result.Warning = out.Metadata.Problem;
        pending = false;
    }

    // The writer's header line, the first line with text after the metadata,
    // announces the line-number column when it starts with "Line".
    bool& haveData = at.haveData;
    haveData = pending || reader.Next(line);
    while (haveData && IsBlank(line) && line.size() <= kMaxLineLength) haveData = reader.Next(line);
    bool& numbered = at.numbered;
    numbered = out.Metadata.LineNumbers;
    if (bool headerNumbered = false; haveData && IsHeaderLine(line, headerNumbered)) {
        numbered = numbered || headerNumbered;
        haveData = reader.Next(line);
    }
    return at;
}

// First pass: count the data lines, which fixes the tape's length, and
// refuse overlong lines before any memory is taken for them.
std::optional<std::size_t> CountRecords(DataStart at, LoadResult& result) {
    std::size_t records = 0;
    for (bool have = at.haveData; have; have = at.reader.Next(at.line)) {
        if (at.line.size() > kMaxLineLength) {
            result.Error = LineTooLong(at.reader.Number());
            return std::nullopt;
        }
        if (!IsBlank(at.line)) ++records;
    }
    if (records > kMaxValues) {
        result.Error = "its " + std::to_string(records) + " data lines are more than the " +
                       std::to_string(kMaxValues) + " records a graph holds";
        return std::nullopt;
    }
    return records;
}

// Second pass: every field becomes one reading of its channel.
bool FillTape(DataStart at, std::size_t records, Clock& clock, const LoadProgress& progress, LoadResult& result) {
    LoadedMeasurements& out = result.Data;
    // The channel of each data column: as the metadata lists them (the writer
    // leaves an empty field before a first channel other than 0), then on
    // from the last one listed.
    const std::vector<int>& listed = out.Metadata.Channels;
    const std::size_t skipped = (at.numbered ? 1 : 0) + (!listed.empty() && listed.front() != 0 ? 1 : 0);
    auto channelOf = [&listed](std::size_t column) {
        if (column < listed.size()) return std::uint32_t(listed[column]);
        return std::uint32_t((listed.empty() ? 0 : listed.back() + 1) + int(column - listed.size()));
    };

    TZorTape& tape = out.Tape;
    // Channels count from 0 even when the first saved one was not channel 0.
    (void)tape.Channels[0];
    tape.SetNumRecords(std::uint32_t(records));
    tape.SetThisChannel(0);
    tape.SetThisRecord(0);
    out.Records = records;
    LineReader& reader = at.reader;
    std::string_view& line = at.line;
    std::vector<std::string_view> fields;
    std::uint32_t noted = clock.ticks();
    std::size_t r = 0;
    std::uint32_t knownChannels = 0;
    for (bool have = at.haveData; have; have = reader.Next(line)) {
        if (IsBlank(line)) continue;
        SplitFields(line, fields, kMaxColumns);
        if (fields.size() > kMaxColumns) {
            result.Error = "line " + std::to_string(reader.Number()) + " has more than " + std::to_string(kMaxColumns) +
                           " columns";
            return false;
        }
        // Every line is one record: one with no reading in it gives the first channel a 0.
        const std::size_t first = std::min(skipped, fields.size() - 1);
        const std::size_t columns = fields.size() - first;
        if (columns > out.Columns) {
            const std::size_t channels = channelOf(columns - 1) + 1;
            if (channels * records > kMaxValues) {
                result.Error = "line " + std::to_string(reader.Number()) + " makes " + std::to_string(channels) +
                               " channels of " + std::to_string(records) + " records, more than the " +
                               std::to_string(kMaxValues) + " values a graph holds";
                return false;
            }
            // Room for the new channels before they hold records: growing
            // the channel array later would copy every record once more.
            tape.SetNumChannels(int(channels));
            out.Columns = columns;
        }
        for (std::size_t k = 0; k < columns; ++k) {
            const std::uint32_t channel = channelOf(k);
            tape.DataPointCh(channel, first < skipped ? 0 : FieldValue(fields[first + k]));
            // A channel first met in the middle of the file gets full storage
            // (channels met before have it already).
            if (channel >= knownChannels) {
                if (tape.Channels[int(channel)].Data.Capacity() < int(records))
                    tape.SetNumRecords(std::uint32_t(records));
                knownChannels = channel + 1;
            }
        }
        if (progress && std::uint32_t(clock.ticks() - noted) > 1000) {
            progress(int(r * 100 / records));
            noted = clock.ticks();
        }
        ++r;
    }
    return true;
}

}  // namespace

LoadResult ParseMeasurements(std::string_view content, Clock& clock, const LoadProgress& progress) {
    LoadResult result;
    const auto start = ReadPreamble(content, result);
    if (!start) return result;
    const auto records = CountRecords(*start, result);
    if (!records || !FillTape(*start, *records, clock, progress, result)) return result;

    TZorTape& tape = result.Data.Tape;
    // As the new window shows it: Sub-LSBs from the file, default colours.
    if (tape.Channels.Count() > 0) {
        for (int c = tape.Channels.Low(); c <= tape.Channels.High(); ++c) {
            tape.Channels[c].SetSubLsbs(result.Data.Metadata.SubLsbs);
            tape.Channels[c].PlotColor = DefaultPlotColors[std::size_t(c) % DefaultPlotColors.size()];
        }
    }
    return result;
}

LoadResult LoadMeasurementFile(const std::string& path, Clock& clock, const LoadProgress& progress) {
    auto failed = [&path](const std::string& why) {
        LoadResult result;
        result.Error = "The file " + path + " could not be loaded: " + why + ".";
        return result;
    };
    auto systemError = [&](const char* call) { return failed(FileError::FromErrno(call, errno).Describe()); };
    const std::string tooLarge =
        "it is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB, the most a measurement file may hold";

    // Without O_NONBLOCK a named pipe would hold the program until someone writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return systemError("open");
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        LoadResult result = systemError("fstat");
        ::close(fd);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed("it is not a plain file");
    }
    if (std::size_t(st.st_size) > kMaxFileBytes) {
        ::close(fd);
        return failed(tooLarge);
    }
    std::string content;
    content.reserve(std::size_t(st.st_size));
    // The file may grow while it is read: read at most one byte past the limit.
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            LoadResult result = systemError("read");
            ::close(fd);
            return result;
        }
        if (n == 0) break;
        content.append(chunk, std::size_t(n));
        if (content.size() > kMaxFileBytes) {
            ::close(fd);
            return failed(tooLarge);
        }
    }
    // A file written to while it is read would load with a cut last number.
    struct stat after {};
    const bool changed = ::fstat(fd, &after) != 0 || std::size_t(st.st_size) != content.size() ||
                         after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
                         after.st_mtim.tv_nsec != st.st_mtim.tv_nsec;
    ::close(fd);
    if (changed) return failed("it changed size while it was being read; load it again once it is complete");

    LoadResult result = ParseMeasurements(content, clock, progress);
    if (!result.Ok())
        result = failed(result.Error);
    else if (!result.Warning.empty())
        result.Warning = "The file " + path + " was loaded, but " + result.Warning + ".";
    return result;
}

}  // namespace vx
