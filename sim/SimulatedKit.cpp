#include "sim/SimulatedKit.h"

#include "sim/ModuleApplication.h"
#include "sim/Wire.h"

#include <algorithm>
#include <cerrno>
#include <deque>

namespace vx {

struct SimulatedKit::Model {
    Model(Clock& c, ModuleKind kind) : clock(c), board(kind, toPc, faults, inputs) {}

    Clock& clock;
    SimFaults faults;
    AnalogInputs inputs;
    Wire toModule;
    Wire toPc;
    ModuleBoard board;

    bool open = false;
    LineSettings settings;
    bool rts = false;
    bool dtr = false;
    Cable cable = Cable::Loopback;
    std::deque<char> received;
    std::string receivedByModule;
    bool attended = false;
    std::optional<uint64_t> resetPressAt;  // the attendant's hand on the button
    bool pcSentSinceOpen = false;

    bool pcIs8N1() const {
        return settings.dataBits == 8 && settings.parity == LineSettings::Parity::None && settings.stopBits == 1;
    }
    unsigned pcFrameBits() const {
        return 1u + settings.dataBits + (settings.parity == LineSettings::Parity::None ? 0u : 1u) + settings.stopBits;
    }

    std::optional<uint64_t> nextEvent() const {
        std::optional<uint64_t> next;
        for (auto t : {board.nextTimer(), toModule.nextArrival(), toPc.nextArrival(), resetPressAt})
            if (t && (!next || *t < *next)) next = t;
        return next;
    }

    void runUntil(uint64_t now) {
        while (auto next = nextEvent()) {
            if (*next > now) break;
            if (board.nextTimer() == next) {
                board.runNextTimer();
            } else if (resetPressAt == next) {
                resetPressAt.reset();
                // Still waiting with nothing said: the program is asking for the button.
                if (open && !pcSentSinceOpen) board.reset(*next);
            } else if (toModule.nextArrival() == next) {
                const WireByte b = toModule.take();
                const bool clean = !b.garbled && b.senderBaud == board.rate();
                const uint8_t value = clean ? b.value : Wire::garble(b.value, b.senderBaud, board.rate());
                if (receivedByModule.size() >= 65536) receivedByModule.erase(0, 4096);
                receivedByModule += char(value);
                board.receive(value, b.arrival);
            } else {
                deliverToPc(toPc.take());
            }
        }
    }

    void deliverToPc(const WireByte& b) {
        if (!open || received.size() >= ReceiveBufferSize) return;
        const bool clean = !b.garbled && b.senderBaud == settings.baud && pcIs8N1();
        received.push_back(char(clean ? b.value : Wire::garble(b.value, b.senderBaud, settings.baud)));
    }
};

SimulatedKit::SimulatedKit(Clock& clock, ModuleKind kind) : model_(std::make_unique<Model>(clock, kind)) {}

SimulatedKit::~SimulatedKit() = default;

void SimulatedKit::catchUp() const { model_->runUntil(model_->clock.micros()); }

// Common start of the port calls: closed port or vanished adapter.
bool SimulatedKit::failIfUnusable() {
    if (!model_->open) return !fail(EBADF);
    if (model_->faults.unplugged) {
        setGone(true);
        return !fail(EIO);
    }
    catchUp();
    return false;
}

bool SimulatedKit::open(const std::string& name) {
    if (name != PortName || model_->faults.unplugged) return fail(ENOENT);
    if (model_->open) return fail(EBUSY);
    catchUp();
    model_->open = true;
    model_->rts = model_->dtr = true;
    setGone(false);
    model_->pcSentSinceOpen = false;
    const uint64_t now = model_->clock.micros();
    // A board powered before sends no beacon now; the attendant steps in.
    if (model_->attended && model_->board.powered()) model_->resetPressAt = now + uint64_t(AttendantResetMs) * 1000;
    model_->board.powerOn(now);
    return true;
}

bool SimulatedKit::close() {
    if (!model_->open) return fail(EBADF);
    catchUp();
    model_->open = false;
    model_->received.clear();
    return true;
}

bool SimulatedKit::isOpen() const { return model_->open; }

bool SimulatedKit::getSettings(LineSettings& out) {
    if (failIfUnusable()) return false;
    out = model_->settings;
    return true;
}

bool SimulatedKit::setSettings(const LineSettings& settings) {
    if (failIfUnusable()) return false;
    if (settings.baud == 0 || settings.dataBits < 5 || settings.dataBits > 8 || settings.stopBits < 1 ||
        settings.stopBits > 2)
        return fail(EINVAL);
    model_->settings = settings;
    return true;
}

long SimulatedKit::read(char* buffer, size_t max) {
    if (failIfUnusable()) return -1;
    auto& received = model_->received;
    const size_t count = std::min(max, received.size());
    std::copy_n(received.begin(), count, buffer);
    received.erase(received.begin(), received.begin() + long(count));
    return long(count);
}

long SimulatedKit::write(const char* data, size_t length) {
    if (failIfUnusable()) return -1;
    const uint64_t now = model_->clock.micros();
    model_->pcSentSinceOpen = model_->pcSentSinceOpen || length > 0;
    for (size_t i = 0; i < length; ++i)
        model_->toModule.send(uint8_t(data[i]), now, model_->settings.baud, model_->pcFrameBits(), !model_->pcIs8N1());
    return long(length);
}

bool SimulatedKit::waitForInput(uint32_t timeoutMs) {
    if (model_->open && model_->faults.unplugged) return true;  // the next read reports it
    if (failIfUnusable()) return false;
    Clock& clock = model_->clock;
    const uint64_t deadline = clock.micros() + uint64_t(timeoutMs) * 1000;
    while (model_->received.empty()) {
        if (clock.micros() >= deadline) return false;
        const auto next = model_->nextEvent();
        clock.sleepUntil(next ? std::min(*next, deadline) : deadline);
        if (model_->faults.unplugged) return true;
        catchUp();
    }
    return true;
}

bool SimulatedKit::setRts(bool on) {
    if (failIfUnusable()) return false;
    model_->rts = on;
    return true;
}

bool SimulatedKit::setDtr(bool on) {
    if (failIfUnusable()) return false;
    model_->dtr = on;
    return true;
}

bool SimulatedKit::getModemLines(ModemLines& out) {
    if (failIfUnusable()) return false;
    out = ModemLines{};
    switch (model_->cable) {
    case Cable::Loopback: out.cts = model_->rts; break;
    case Cable::NoLoopback: out.cts = false; break;
    case Cable::CtsStuckHigh: out.cts = true; break;
    }
    out.dsr = model_->dtr;
    return true;
}

bool SimulatedKit::purge(unsigned flags) {
    if (failIfUnusable()) return false;
    if (flags & PurgeTxClear) model_->toModule.dropUnstarted(model_->clock.micros());
    if (flags & PurgeRxClear) model_->received.clear();
    return true;
}

void SimulatedKit::setCable(Cable cable) { model_->cable = cable; }

void SimulatedKit::setAttended(bool on) { model_->attended = on; }

void SimulatedKit::resetModule() {
    catchUp();
    model_->board.reset(model_->clock.micros());
}

void SimulatedKit::runApplication() {
    catchUp();
    model_->board.runApplicationNow(model_->clock.micros());
}

void SimulatedKit::sendFromModule(const std::string& bytes) {
    catchUp();
    // Through the board's own transmitter, so it queues behind its output.
    model_->board.at(model_->clock.micros(), [this, bytes] { model_->board.transmit(bytes); });
    catchUp();
}

void SimulatedKit::sendFromModuleAt(uint64_t at, const std::string& bytes) {
    catchUp();
    model_->board.at(at, [this, bytes] { model_->board.transmit(bytes); });
}

SimFaults& SimulatedKit::faults() { return model_->faults; }
AnalogInputs& SimulatedKit::inputs() { return model_->inputs; }

ModuleKind SimulatedKit::kind() const { return model_->board.kind(); }

uint32_t SimulatedKit::moduleBaud() const {
    catchUp();
    return model_->board.rate();
}

ModuleState SimulatedKit::moduleState() const {
    catchUp();
    return model_->board.state();
}

std::vector<LoadedLine> SimulatedKit::loadedLines() const {
    catchUp();
    return model_->board.firmware().loadedLines();
}

bool SimulatedKit::programValid() const {
    catchUp();
    return model_->board.firmware().programValid();
}

ControlWord SimulatedKit::controlWord() const {
    catchUp();
    return model_->board.application().controlWord();
}

uint16_t SimulatedKit::sampleCount() const {
    catchUp();
    return model_->board.application().sampleCount();
}

std::vector<uint16_t> SimulatedKit::storedSamples() const {
    catchUp();
    return model_->board.application().samples();
}

std::string SimulatedKit::receivedByModule() const {
    catchUp();
    return model_->receivedByModule;
}

}  // namespace vx
