#pragma once
// The board's resident firmware: beacon and banner, echo, and the ESC
// commands Reset, Load (S-record lines), Jump and the rate changes.
#include "sim/SRecord.h"
#include "support/ModuleKind.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

class ModuleBoard;

struct LoadedLine {
    std::string text;
    bool valid = false;  // well-formed, accepted type, checksum right
};

class ResidentFirmware {
public:
    static constexpr uint8_t Esc = 0x1B;
    // The COBALT clock patch: loaded and jumped to, it moves the firmware to 115200 baud.
    static constexpr const char* PatchLine = "S2160100007577177AFA0437350004377AFC087A000204C8";

    explicit ResidentFirmware(ModuleBoard& board);

    void restart();  // after reset: nothing loaded, banner not yet sent
    void receive(uint8_t byte);

    bool loading() const { return loading_; }
    // Lines received since the last Load command, in order.
    const std::vector<LoadedLine>& loadedLines() const { return lines_; }
    // The last load holds this board's application, complete and without bad lines.
    bool programValid() const;
    bool patchLoaded() const;

    static std::string banner(ModuleKind kind);
    // Rate for ESC "B" digit on this kind; 0 when the digit means nothing.
    static uint32_t rateForDigit(ModuleKind kind, uint8_t digit);
    // Rate for ESC "Q" byte (BRANT's timer reload value).
    static uint32_t rateForReload(uint8_t reload) { return 28800 / (256 - reload); }

private:
    enum class Expect { Anything, CommandLetter, RateDigit, RateByte };

    void command(uint8_t letter);
    void endOfLine();
    void jump();
    bool allLinesValid() const;
    bool endRecordSeen() const;

    ModuleBoard& board_;
    Expect expect_ = Expect::Anything;
    bool bannerSent_ = false;
    bool loading_ = false;
    std::string line_;
    std::vector<LoadedLine> lines_;
    std::vector<SRecord> records_;
};

}  // namespace vx
