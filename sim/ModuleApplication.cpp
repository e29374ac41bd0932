#include "sim/ModuleApplication.h"

#include "sim/ModuleBoard.h"
#include "sim/ResidentFirmware.h"

#include <cctype>
#include <cstdio>

namespace vx {

namespace {

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

uint64_t sampleTime(uint64_t start, size_t index) {
    return start + uint64_t(index) * 1'000'000 / ModuleApplication::SamplesPerSecond;
}

}  // namespace

ModuleApplication::ModuleApplication(ModuleBoard& board) : board_(board) {}

void ModuleApplication::restart() {
    pending_.clear();
    escape_ = false;
    control_ = ControlWord{};
    sampleCount_ = 0;
    acquiring_ = false;
    ++acquisitionNumber_;
    samples_.clear();
    uploadPosition_ = 0;
}

void ModuleApplication::start(bool signOn) {
    restart();
    if (signOn) board_.transmit(SignOn);
}

void ModuleApplication::receive(uint8_t byte) {
    if (acquiring_) {  // the sampling loop only watches for the stop character
        if (byte == '>') {
            storeSamples(board_.now());
            board_.transmit(">");
        }
        return;
    }
    if (escape_) {
        escape_ = false;
        board_.echoCommand(byte);
        if (byte == 'R') board_.resetWhenSent();
        return;
    }
    if (byte == ResidentFirmware::Esc) {
        pending_.clear();
        escape_ = true;
        board_.echoCommand(byte);
        return;
    }
    board_.echo(byte);
    const char c = char(std::toupper(byte));
    if (!pending_.empty())
        extend(c);
    else if (c == '\r' || c == '\n' || c == ' ')
        return;
    else if (c == 'X' || c == 'Z')
        pending_ = c;
    else
        single(c);
}

void ModuleApplication::single(char query) {
    switch (query) {
    case 'R': answer(conversion(control_)); return;
    case 'A': {
        std::string reply;
        for (int ch = 0; ch < 8; ++ch) reply += conversion(control_.withChannel(ch)) + " ";
        answer(reply);
        return;
    }
    case 'C': startAcquisition(); return;
    case 'U':
        if (uploadPosition_ < samples_.size()) {
            const unsigned address = unsigned(uploadPosition_ * 2) & 0xFF;
            answer(hex(address, 2) + hex(samples_[uploadPosition_], 4));
            ++uploadPosition_;
        } else {
            answer(".");
        }
        return;
    case '-':
        if (uploadPosition_ > 0) --uploadPosition_;
        answer("");
        return;
    case '?': board_.transmit(Help); return;
    case '>': answer(""); return;
    default: answer("?");
    }
}

void ModuleApplication::extend(char c) {
    const bool control = pending_[0] == 'X';
    const bool fits = control ? (pending_.size() == 1 ? c == 'X' : isHex(c)) : isHex(c);
    if (!fits) {
        pending_.clear();
        answer("?");
        return;
    }
    pending_ += c;
    if (control && pending_.size() == 4) {
        const ControlWord word{uint8_t(std::stoul(pending_.substr(2), nullptr, 16))};
        if (word.start()) control_ = word;  // without its start bit the converter ignores the byte
        pending_.clear();
        answer("");
    } else if (!control && pending_.size() == 5) {
        sampleCount_ = uint16_t(std::stoul(pending_.substr(1), nullptr, 16));
        pending_.clear();
        answer("");
    }
}

void ModuleApplication::answer(const std::string& reply) { board_.transmit(reply + ">"); }

std::string ModuleApplication::conversion(ControlWord word) {
    return hex(Converter::resultWord(word, board_.inputs(), board_.now()), 4);
}

void ModuleApplication::startAcquisition() {
    samples_.clear();
    uploadPosition_ = 0;
    acquiring_ = true;
    acquisitionStart_ = board_.now();
    const unsigned number = ++acquisitionNumber_;
    const uint64_t end = sampleTime(acquisitionStart_, sampleCount_);
    board_.at(end, [this, number, end] {
        if (!acquiring_ || number != acquisitionNumber_) return;
        storeSamples(end);
        board_.transmit(">");
    });
}

// Converts every sample due by `until` (all of them at the normal end).
void ModuleApplication::storeSamples(uint64_t until) {
    acquiring_ = false;
    for (size_t i = 0; i < sampleCount_; ++i) {
        const uint64_t t = sampleTime(acquisitionStart_, i);
        if (t > until) break;
        const double exact = double(acquisitionStart_) / 1e6 + double(i) / SamplesPerSecond;
        samples_.push_back(Converter::resultWordAt(control_, board_.inputs(), exact));
    }
}

}  // namespace vx
