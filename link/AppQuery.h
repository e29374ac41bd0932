#pragma once
// Application queries: once the module's application runs, the PC sends a
// short text, the module echoes it and answers, usually ending with the
// prompt ">". A reply is complete when the prompt came last and nothing
// followed it within a short guard, or else after AppQueryTimeoutMs of
// silence; a module that never stops sending is cut off after a bound.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "link/SerialPortLayer.h"

namespace vx {

// What the conversion control and the sampling tool send their queries
// through: the protocol itself, or the window in front of it.
class QuerySender {
public:
    virtual ~QuerySender() = default;
    // The reply, or "FAILURE".
    virtual std::string AppQuery(const std::string& query) = 0;
};

// The quiet times the App Query Timeout menu offers, in menu order; each
// item's caption is AppQueryTimeoutCaption of its value.
inline constexpr std::array<uint32_t, 10> AppQueryTimeoutChoicesMs = {10,  20,   50,   100,  200,
                                                                      500, 1000, 2000, 5000, 10000};
std::string AppQueryTimeoutCaption(uint32_t ms);  // "50 msec"

class AppQueryProtocol : public QuerySender {
public:
    static constexpr const char* Failure = "FAILURE";
    static constexpr size_t ReplyBufferSize = 512;
    static constexpr uint32_t DefaultTimeoutMs = 50;

    // Three character times: a module streaming a reply leaves at most about
    // one character time between characters, so a longer pause after ">"
    // means it waits at its prompt.
    static constexpr unsigned PromptGuardCharacters = 3;

    explicit AppQueryProtocol(SerialPortLayer& port);

    // At the port's current rate.
    uint64_t promptGuardMicros() const;
    // No real reply takes longer: a full reply buffer's line time after the
    // quiet time in which it must begin.
    uint64_t replyLimitMicros() const;

    std::string AppQuery(const std::string& query) override;
    // Points into ReplyBuffer (overwritten by the next query) or at Failure.
    const char* AppQuery(const char* query);

    bool cbAppEnabled() const { return appEnabled_; }
    // Every setting is passed on, also one that changes nothing: the idle
    // connection state repeats "disabled" on each tick.
    void setAppEnabled(bool on);
    void setEnableObserver(std::function<void(bool)> observer) { enableObserver_ = std::move(observer); }

    // The quiet time that ends a reply (App Query Timeout menu).
    uint32_t AppQueryTimeoutMs() const { return AppQueryTimeoutMs_; }
    void setAppQueryTimeoutMs(uint32_t ms) { AppQueryTimeoutMs_ = ms; }
    // Off: every reply ends only after AppQueryTimeoutMs of silence.
    bool EndReplyAtPrompt() const { return EndReplyAtPrompt_; }
    void setEndReplyAtPrompt(bool on) { EndReplyAtPrompt_ = on; }
    const char* ReplyBuffer() const { return ReplyBuffer_; }

private:
    void collectReply();
    void append(const char* text);
    bool promptCameLast() const { return lastReceived_ == '>'; }
    uint64_t characterMicros() const;

    SerialPortLayer& port_;
    uint32_t AppQueryTimeoutMs_ = DefaultTimeoutMs;
    bool EndReplyAtPrompt_ = true;
    char ReplyBuffer_[ReplyBufferSize] = {};
    size_t replyLength_ = 0;
    char lastReceived_ = '\0';
    bool appEnabled_ = false;
    std::function<void(bool)> enableObserver_;
};

}  // namespace vx
