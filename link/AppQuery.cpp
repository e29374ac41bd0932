#include "link/AppQuery.h"

#include <algorithm>
#include <cstring>

std::string AppQueryTimeoutCaption(uint32_t ms) { return std::to_string(ms) + " msec"; }

AppQueryProtocol::AppQueryProtocol(SerialPortLayer& port) : port_(port) {}

void AppQueryProtocol::setAppEnabled(bool on) {
    appEnabled_ = on;
    if (enableObserver_) enableObserver_(on);
}

std::string AppQueryProtocol::AppQuery(const std::string& query) { return AppQuery(query.c_str()); }

const char* AppQueryProtocol::AppQuery(const char* query) {
    if (!appEnabled_) return Failure;
    replyLength_ = 0;
    ReplyBuffer[0] = '\0';

    // A character that is not echoed ends the sending; whatever the module
    // says is still collected.
    port_.WriteStringWaitForEcho(query);
    if (!port_.deviceGone()) collectReply();
    // An unplugged adapter fails every read and write: an empty reply would
    // pass for an answer, and a caller would show its last reading as new.
    if (port_.deviceGone()) {
        replyLength_ = 0;
        ReplyBuffer[0] = '\0';
        return Failure;
    }

    if (replyLength_ > 0 && ReplyBuffer[replyLength_ - 1] == '>') ReplyBuffer[--replyLength_] = '\0';
    return ReplyBuffer;
}

// Reads until AppQueryTimeoutMs have passed without new text. The waits block
// in the device, so a slow reply costs no processor time.
void AppQueryProtocol::collectReply() {
    Clock& clock = port_.clock();
    uint32_t quietSince = clock.ticks();
    for (uint32_t quiet = 0; quiet < AppQueryTimeoutMs; quiet = clock.ticks() - quietSince) {
        port_.device().waitForInput(AppQueryTimeoutMs - quiet);
        if (port_.ReadString(port_.RxBuffer, SerialPortLayer::RxBufferSize)) {
            append(port_.RxBuffer);
            quietSince = clock.ticks();
            continue;
        }
        if (port_.deviceGone()) return;
        // The wait ended without anything to read (a closed port, a failed
        // read): sit out the rest of the quiet time instead of asking again
        // at once, which would spin and fill the history with error lines.
        const uint32_t waited = clock.ticks() - quietSince;
        if (waited < AppQueryTimeoutMs) clock.sleep(AppQueryTimeoutMs - waited);
    }
}

void AppQueryProtocol::append(const char* text) {
    const size_t room = ReplyBufferSize - 1 - replyLength_;
    const size_t length = std::min(std::strlen(text), room);
    std::memcpy(ReplyBuffer + replyLength_, text, length);
    replyLength_ += length;
    ReplyBuffer[replyLength_] = '\0';
}
