#include "link/AppQuery.h"

#include <algorithm>
#include <cstring>

namespace vx {

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
    ReplyBuffer_[0] = '\0';
    lastReceived_ = '\0';

    // One history line for the query's echo, one for the reply.
    port_.MemoHistory().endLine();
    // A character that is not echoed ends the sending; whatever the module
    // says is still collected.
    port_.WriteStringWaitForEcho(query);
    port_.MemoHistory().endLine();
    if (!port_.deviceGone()) collectReply();
    port_.MemoHistory().endLine();
    // An unplugged adapter fails every read and write: an empty reply would
    // pass for an answer, and a caller would show its last reading as new.
    if (port_.deviceGone()) {
        replyLength_ = 0;
        ReplyBuffer_[0] = '\0';
        return Failure;
    }

    if (replyLength_ > 0 && ReplyBuffer_[replyLength_ - 1] == '>') ReplyBuffer_[--replyLength_] = '\0';
    return ReplyBuffer_;
}

uint64_t AppQueryProtocol::characterMicros() const {
    const uint64_t baud = std::max<uint32_t>(port_.PortDcb().baud, 1);
    return (10'000'000 + baud - 1) / baud;  // 8N1: ten bit times
}

uint64_t AppQueryProtocol::promptGuardMicros() const { return PromptGuardCharacters * characterMicros(); }

uint64_t AppQueryProtocol::replyLimitMicros() const {
    return ReplyBufferSize * characterMicros() + uint64_t(AppQueryTimeoutMs_) * 1000;
}

// Reads until the prompt came last and the guard passed without more text,
// or until AppQueryTimeoutMs have passed without new text. The waits block
// in the device, so a slow reply costs no processor time.
void AppQueryProtocol::collectReply() {
    Clock& clock = port_.clock();
    const uint64_t start = clock.micros();
    const uint64_t limit = replyLimitMicros();
    uint32_t quietSince = clock.ticks();
    for (uint32_t quiet = 0; quiet < AppQueryTimeoutMs_; quiet = clock.ticks() - quietSince) {
        if (clock.micros() - start >= limit) {
            port_.MemoHistory().addLine("Reply cut after " + std::to_string(limit / 1000) +
                                        " ms: the module kept sending");
            return;
        }
        const uint64_t guard = promptGuardMicros();
        if (EndReplyAtPrompt_ && promptCameLast() && guard < uint64_t(AppQueryTimeoutMs_ - quiet) * 1000) {
            // Text that follows at once belongs to the reply; none means the
            // module waits at its prompt.
            clock.sleepMicros(guard);
            if (!port_.ReadRxBuffer()) return;
            append(port_.RxBuffer());
            quietSince = clock.ticks();
            continue;
        }
        port_.device().waitForInput(AppQueryTimeoutMs_ - quiet);
        if (port_.ReadRxBuffer()) {
            append(port_.RxBuffer());
            quietSince = clock.ticks();
            continue;
        }
        if (port_.deviceGone()) return;
        // The wait ended without anything to read (a closed port, a failed
        // read): sit out the rest of the quiet time instead of asking again
        // at once, which would spin and fill the history with error lines.
        const uint32_t waited = clock.ticks() - quietSince;
        if (waited < AppQueryTimeoutMs_) clock.sleep(AppQueryTimeoutMs_ - waited);
    }
}

void AppQueryProtocol::append(const char* text) {
    if (text[0] != '\0') lastReceived_ = text[std::strlen(text) - 1];
    const size_t room = ReplyBufferSize - 1 - replyLength_;
    const size_t length = std::min(std::strlen(text), room);
    std::memcpy(ReplyBuffer_ + replyLength_, text, length);
    replyLength_ += length;
    ReplyBuffer_[replyLength_] = '\0';
}

}  // namespace vx
