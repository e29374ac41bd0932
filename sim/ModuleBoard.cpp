#include "sim/ModuleBoard.h"

#include "sim/ModuleApplication.h"
#include "sim/ResidentFirmware.h"

#include <algorithm>

namespace vx {

ModuleBoard::ModuleBoard(ModuleKind kind, Wire& toPc, SimFaults& faults, const AnalogInputs& inputs)
    : kind_(kind),
      toPc_(toPc),
      faults_(faults),
      inputs_(inputs),
      firmware_(std::make_unique<ResidentFirmware>(*this)),
      application_(std::make_unique<ModuleApplication>(*this)) {}

ModuleBoard::~ModuleBoard() = default;

void ModuleBoard::reset(uint64_t at) {
    now_ = at;
    toPc_.dropUnarrived(at);
    timers_.clear();
    rate_ = ResetBaud;
    mode_ = Mode::Booting;
    firmware_->restart();
    application_->restart();
    this->at(at + BootMicros, [this] {
        mode_ = Mode::Firmware;
        transmit(0xAA);
    });
}

void ModuleBoard::powerOn(uint64_t at) {
    if (!powered()) reset(at);
}

void ModuleBoard::runApplicationNow(uint64_t at) {
    now_ = at;
    timers_.clear();
    firmware_->restart();
    application_->restart();
    mode_ = Mode::Application;
}

void ModuleBoard::receive(uint8_t byte, uint64_t at) {
    now_ = at;
    if (mode_ == Mode::Off || mode_ == Mode::Booting || mode_ == Mode::Halted) return;
    if (faults_.resetAfterReceived > 0 && --faults_.resetAfterReceived == 0) {
        faults_.resetAfterReceived = -1;
        reset(at);
        return;
    }
    if (mode_ == Mode::Firmware)
        firmware_->receive(byte);
    else
        application_->receive(byte);
}

std::optional<uint64_t> ModuleBoard::nextTimer() const {
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first;
}

void ModuleBoard::runNextTimer() {
    auto node = timers_.extract(timers_.begin());
    now_ = std::max(now_, node.key());
    node.mapped()();
}

ModuleState ModuleBoard::state() const {
    switch (mode_) {
    case Mode::Off: return ModuleState::Off;
    case Mode::Booting: return ModuleState::Booting;
    case Mode::Firmware: return firmware_->loading() ? ModuleState::Loading : ModuleState::Firmware;
    case Mode::Application: return application_->acquiring() ? ModuleState::Acquiring : ModuleState::Application;
    case Mode::Halted: return ModuleState::Halted;
    }
    return ModuleState::Off;
}

void ModuleBoard::transmit(uint8_t byte) {
    if (faults_.silent) return;
    bool garbled = false;
    if (faults_.garbledFromModule > 0) {
        --faults_.garbledFromModule;
        garbled = true;
    }
    toPc_.send(byte, now_, rate_, 10, garbled);
}

void ModuleBoard::transmit(std::string_view text) {
    for (char c : text) transmit(uint8_t(c));
}

void ModuleBoard::echo(uint8_t byte) {
    if (faults_.echoesLeft == 0) return;
    if (faults_.echoesLeft > 0) --faults_.echoesLeft;
    if (faults_.wrongEchoes > 0) {
        --faults_.wrongEchoes;
        byte = byte == '~' ? '!' : uint8_t(byte + 1);
    }
    transmit(byte);
}

void ModuleBoard::echoCommand(uint8_t byte) {
    if (kind_ != ModuleKind::Brant) echo(byte);
}

void ModuleBoard::at(uint64_t time, std::function<void()> action) {
    timers_.emplace(std::max(time, now_), std::move(action));
}

void ModuleBoard::whenSent(std::function<void()> action) { at(std::max(now_, toPc_.idleAt()), std::move(action)); }

void ModuleBoard::changeRateWhenSent(uint32_t baud) {
    whenSent([this, baud] { rate_ = baud; });
}

void ModuleBoard::resetWhenSent() {
    whenSent([this] { reset(now_); });
}

void ModuleBoard::startApplication(bool signOn) {
    mode_ = Mode::Application;
    application_->start(signOn);
}

}  // namespace vx
