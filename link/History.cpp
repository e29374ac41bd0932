#include "link/History.h"

void History::addLine(std::string_view text) {
    lines_.emplace_back(text);
    changed(Change::LineAdded);
}

void History::appendToLast(std::string_view text) {
    if (lines_.empty()) {
        addLine(text);
        return;
    }
    lines_.back() += text;
    changed(Change::LastLineExtended);
}

void History::deleteFirstLine() {
    if (lines_.empty()) return;
    lines_.erase(lines_.begin());
    changed(Change::FirstLineDeleted);
}

void History::clear() {
    lines_.clear();
    changed(Change::Cleared);
}

void History::changed(Change change) {
    if (onChange_) onChange_(change);
}
