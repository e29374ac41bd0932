#pragma once
// The downloaded application: text queries, each character echoed, each
// answer ended by the prompt ">".
//   XXhh   control word (ignored unless its start bit is set)
//   R      one conversion: four hex digits, the 16-bit result word
//   A      all eight channels: per channel four hex digits and a space
//   Zhhhh  number of samples for C
//   C      acquire that many samples at 6000/s into memory, then ">";
//          ">" received meanwhile stops it early
//   U      next stored sample: address low byte and the 16-bit word as six
//          hex digits (addresses step by 2, wrapping at 256); "." after the last
//   -      step the upload back one sample
//   ?      short help
//   >      just the prompt
// Lower-case letters count as upper-case. CR, LF and spaces between queries
// are echoed and otherwise ignored; any other text answers "?". ESC "R"
// resets the board as in the firmware.
#include "sim/Converter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

class ModuleBoard;

class ModuleApplication {
public:
    static constexpr uint32_t SamplesPerSecond = 6000;
    static constexpr const char* SignOn = "\r\nVX7318 ADC APPLICATION READY\r\n>";
    static constexpr const char* Help =
        "\r\nR read  A read all  XXhh control word\r\nZhhhh count  C capture  U upload  - back\r\n>";

    explicit ModuleApplication(ModuleBoard& board);

    void restart();  // power-on state: control word 8F, 0 samples, memory empty
    void start(bool signOn);
    void receive(uint8_t byte);

    bool acquiring() const { return acquiring_; }
    ControlWord controlWord() const { return control_; }
    uint16_t sampleCount() const { return sampleCount_; }
    const std::vector<uint16_t>& samples() const { return samples_; }
    size_t uploadPosition() const { return uploadPosition_; }

private:
    void single(char query);
    void extend(char c);
    void answer(const std::string& reply);
    void startAcquisition();
    void storeSamples(uint64_t until);
    std::string conversion(ControlWord word);

    ModuleBoard& board_;
    std::string pending_;  // an unfinished XXhh or Zhhhh
    bool escape_ = false;
    ControlWord control_;
    uint16_t sampleCount_ = 0;
    bool acquiring_ = false;
    unsigned acquisitionNumber_ = 0;
    uint64_t acquisitionStart_ = 0;
    std::vector<uint16_t> samples_;
    size_t uploadPosition_ = 0;
};

}  // namespace vx
