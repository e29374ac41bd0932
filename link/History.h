#pragma once
// The serial window's history: link events and line traffic, one text per
// line. The window shows it; the port layer and the sequence write to it.
//
// It stays bounded however long the program runs: a line longer than
// MaxLineLength continues on a new line (nothing is dropped from it), and
// at MaxLines the oldest tenth goes at once (one move of the rest for many
// lines). So it never holds more than MaxLines * MaxLineLength characters.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class Clock;

class History {
public:
    static constexpr size_t MaxLineLength = 256;
    static constexpr size_t MaxLines = 1000;

    enum class Change { LineAdded, LastLineExtended, FirstLineDeleted, Cleared };
    // For LastLineExtended, `added` is the text just appended to the last line.
    using ChangeCallback = std::function<void(Change, std::string_view added)>;

    void addLine(std::string_view text);
    // Extends the last line; with no line yet (or after endLine), starts a new one.
    void appendToLast(std::string_view text);
    // The next received text starts a line of its own: one line per query and
    // per reply.
    void endLine() { lineEnded_ = true; }
    void deleteFirstLine();
    void clear();

    size_t count() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const std::string& line(size_t index) const { return lines_.at(index); }
    const std::string& lastLine() const { return lines_.back(); }
    const std::vector<std::string>& lines() const { return lines_; }
    // When the line was started, in the clock's microseconds (0 without a clock).
    uint64_t stampMicros(size_t index) const { return stamps_.at(index); }

    void setClock(Clock* clock) { clock_ = clock; }
    void setOnChange(ChangeCallback callback) { onChange_ = std::move(callback); }

private:
    void startLine(std::string_view text);
    void extendLast(std::string_view text);
    void deleteFirstLines(size_t count);
    void changed(Change change, std::string_view added = {});

    // At most MaxLines each, so dropping the first line costs little.
    std::vector<std::string> lines_;
    std::vector<uint64_t> stamps_;
    bool lineEnded_ = false;
    Clock* clock_ = nullptr;
    ChangeCallback onChange_;
};

}  // namespace vx
