#pragma once
// Stops the main window's reading timer for a scope and then puts it back as
// it was, so that no live reading lands in a graph in the middle of a command.
#include "graphwin/GraphForm.h"

namespace vx {

class ReadingTimerPause {
public:
    explicit ReadingTimerPause(const GraphWindowHost& host) : host_(host) {
        wasEnabled_ = host.readingTimerEnabled && host.readingTimerEnabled();
        if (wasEnabled_ && host.setReadingTimerEnabled) host.setReadingTimerEnabled(false);
    }
    ~ReadingTimerPause() {
        if (wasEnabled_ && host_.setReadingTimerEnabled) host_.setReadingTimerEnabled(true);
    }
    ReadingTimerPause(const ReadingTimerPause&) = delete;
    ReadingTimerPause& operator=(const ReadingTimerPause&) = delete;

private:
    const GraphWindowHost& host_;
    bool wasEnabled_ = false;
};

}  // namespace vx
