#include "link/History.h"

#include <algorithm>

#include "platform/Clock.h"

namespace vx {

namespace {

// How much of `text` fits into a line that already holds `used` characters,
// without splitting a "{0xHH}" byte between two lines.
size_t fitting(std::string_view text, size_t used) {
    const size_t room = History::MaxLineLength - used;
    if (text.size() <= room) return text.size();
    if (room == 0) return 0;
    const size_t open = text.rfind('{', room - 1);
    if (open == std::string_view::npos || room - open >= 6) return room;
    const size_t close = text.find('}', open);
    const bool splitsByte = close != std::string_view::npos && close >= room;
    return splitsByte && (open > 0 || used > 0) ? open : room;
}

}  // namespace

void History::addLine(std::string_view text) {
    lineEnded_ = false;
    startLine(text);
}

void History::appendToLast(std::string_view text) {
    if (lines_.empty() || lineEnded_) {
        addLine(text);
        return;
    }
    extendLast(text);
}

void History::startLine(std::string_view text) {
    do {
        if (lines_.size() >= MaxLines) deleteFirstLines(MaxLines / 10);
        const size_t first = fitting(text, 0);
        lines_.emplace_back(text.substr(0, first));
        stamps_.push_back(clock_ ? clock_->micros() : 0);
        changed(Change::LineAdded);
        text.remove_prefix(first);
    } while (!text.empty());
}

void History::extendLast(std::string_view text) {
    std::string& last = lines_.back();
    const size_t first = fitting(text, last.size());
    if (first > 0) {
        last.append(text.substr(0, first));
        changed(Change::LastLineExtended, text.substr(0, first));
    }
    if (first < text.size()) startLine(text.substr(first));
}

void History::deleteFirstLine() { deleteFirstLines(1); }

void History::deleteFirstLines(size_t count) {
    count = std::min(count, lines_.size());
    lines_.erase(lines_.begin(), lines_.begin() + long(count));
    stamps_.erase(stamps_.begin(), stamps_.begin() + long(count));
    for (size_t i = 0; i < count; ++i) changed(Change::FirstLineDeleted);
}

void History::clear() {
    lines_.clear();
    stamps_.clear();
    changed(Change::Cleared);
}

void History::changed(Change change, std::string_view added) {
    if (onChange_) onChange_(change, added);
}

}  // namespace vx
