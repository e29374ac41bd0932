#include "sim/ResidentFirmware.h"

#include "sim/LoaderImage.h"
#include "sim/ModuleBoard.h"

#include <algorithm>

namespace vx {

namespace {
constexpr size_t MaxLineLength = 520;  // longest S-record line is 514 characters
}

ResidentFirmware::ResidentFirmware(ModuleBoard& board) : board_(board) {}

void ResidentFirmware::restart() {
    expect_ = Expect::Anything;
    bannerSent_ = false;
    loading_ = false;
    line_.clear();
    lines_.clear();
    records_.clear();
}

std::string ResidentFirmware::banner(ModuleKind kind) {
    const char* name = "";
    switch (kind) {
    case ModuleKind::Arbord: name = "ARBORD MONITOR V2.1"; break;
    case ModuleKind::Brant: name = "BRANT MONITOR V1.4"; break;
    case ModuleKind::Cobalt: name = "COBALT MONITOR V3.0"; break;
    case ModuleKind::Cobalt16Wide: name = "COBALT MONITOR V3.0 - 16 BIT BUS"; break;
    case ModuleKind::Unknown: name = "MONITOR V0.9"; break;
    }
    return std::string("\r\nVANTO VX7318 EVALUATION MODULE\r\n") + name + "\r\n";
}

uint32_t ResidentFirmware::rateForDigit(ModuleKind kind, uint8_t digit) {
    const bool cobalt = kind == ModuleKind::Cobalt || kind == ModuleKind::Cobalt16Wide;
    if (kind != ModuleKind::Arbord && !cobalt) return 0;
    switch (digit) {
    case '1': return 1200;
    case '2': return cobalt ? 19200 : 2400;
    case '4': return 4800;
    case '9': return 9600;
    default: return 0;
    }
}

void ResidentFirmware::receive(uint8_t byte) {
    switch (expect_) {
    case Expect::CommandLetter:
        expect_ = Expect::Anything;
        command(byte);
        return;
    case Expect::RateDigit:
        expect_ = Expect::Anything;
        board_.echo(byte);
        if (uint32_t baud = rateForDigit(board_.kind(), byte)) board_.changeRateWhenSent(baud);
        return;
    case Expect::RateByte:
        expect_ = Expect::Anything;
        board_.changeRateWhenSent(rateForReload(byte));
        return;
    case Expect::Anything: break;
    }

    if (byte == Esc) {  // a command also ends a download; a partial line is dropped
        loading_ = false;
        line_.clear();
        board_.echoCommand(byte);
        expect_ = Expect::CommandLetter;
        return;
    }
    board_.echo(byte);
    if (loading_) {
        if (byte == '\r')
            endOfLine();
        else if (byte != '\n' && line_.size() <= MaxLineLength)
            line_ += char(byte);
    } else if (byte == ' ' && !bannerSent_) {
        bannerSent_ = true;
        board_.transmit(banner(board_.kind()));
    }
}

void ResidentFirmware::command(uint8_t letter) {
    const bool brant = board_.kind() == ModuleKind::Brant;
    switch (letter) {
    case 'R':
        board_.echoCommand(letter);
        board_.resetWhenSent();
        return;
    case 'L':
        board_.echoCommand(letter);
        loading_ = true;
        lines_.clear();
        records_.clear();
        return;
    case 'J':
        board_.echoCommand(letter);
        jump();
        return;
    case 'B':
        board_.echoCommand(letter);
        if (!brant) expect_ = Expect::RateDigit;
        return;
    case 'Q':
        board_.echoCommand(letter);
        if (brant) expect_ = Expect::RateByte;
        return;
    default: board_.echoCommand(letter);
    }
}

void ResidentFirmware::endOfLine() {
    std::string text = line_;
    line_.clear();
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.empty()) return;
    const auto record = text.size() <= MaxLineLength ? parseSRecord(text) : std::nullopt;
    lines_.push_back({text, record.has_value()});
    if (record) records_.push_back(*record);
}

bool ResidentFirmware::allLinesValid() const {
    return std::all_of(lines_.begin(), lines_.end(), [](const LoadedLine& l) { return l.valid; });
}

bool ResidentFirmware::endRecordSeen() const {
    return std::any_of(records_.begin(), records_.end(), [](const SRecord& r) { return r.isEnd(); });
}

bool ResidentFirmware::programValid() const {
    if (records_.empty() || !allLinesValid() || !endRecordSeen()) return false;
    std::vector<const SRecord*> data;
    for (const SRecord& r : records_)
        if (r.isData()) data.push_back(&r);
    std::stable_sort(data.begin(), data.end(),
                     [](const SRecord* a, const SRecord* b) { return a->address < b->address; });
    std::string image;
    for (const SRecord* r : data) image.append(r->data.begin(), r->data.end());
    const std::string signature = applicationSignature(board_.kind());
    return !signature.empty() && image.find(signature) != std::string::npos;
}

bool ResidentFirmware::patchLoaded() const {
    if (!allLinesValid() || !endRecordSeen()) return false;
    int dataLines = 0;
    bool patch = false;
    for (const LoadedLine& line : lines_) {
        if (line.text.size() > 1 && (line.text[1] == '1' || line.text[1] == '2' || line.text[1] == '3')) {
            ++dataLines;
            patch = line.text == PatchLine;
        }
    }
    return dataLines == 1 && patch;
}

void ResidentFirmware::jump() {
    const bool cobalt = board_.kind() == ModuleKind::Cobalt || board_.kind() == ModuleKind::Cobalt16Wide;
    if (cobalt && patchLoaded()) {
        board_.changeRateWhenSent(115200);
    } else if (programValid()) {
        board_.whenSent([this] { board_.startApplication(true); });
    } else {
        board_.whenSent([this] { board_.halt(); });
    }
}

}  // namespace vx
