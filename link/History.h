#pragma once
// The serial window's history: link events and line traffic, one text per
// line. The window shows it; the port layer and the sequence write to it.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class History {
public:
    enum class Change { LineAdded, LastLineExtended, FirstLineDeleted, Cleared };
    using ChangeCallback = std::function<void(Change)>;

    void addLine(std::string_view text);
    // Extends the last line; with no line yet, starts the first one.
    void appendToLast(std::string_view text);
    void deleteFirstLine();
    void clear();

    size_t count() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const std::string& line(size_t index) const { return lines_.at(index); }
    const std::string& lastLine() const { return lines_.back(); }
    const std::vector<std::string>& lines() const { return lines_; }

    void setOnChange(ChangeCallback callback) { onChange_ = std::move(callback); }

private:
    void changed(Change change);

    std::vector<std::string> lines_;
    ChangeCallback onChange_;
};
