#pragma once
// The simulated evaluation kit: cable, line and board, as a serial device.
//
// Time is lazy: every call first brings the model up to the clock, handling
// every byte arrival and board timer due by then, in time order. A byte takes
// its frame's bit times at the sender's rate and bytes queue back to back in
// each direction, so an echoed character costs two byte times. Bytes sent and
// received at different rates (or by a PC side not set to 8N1) arrive
// garbled, in both directions.
//
// Power: the board is powered when the port is first opened and boots then
// (beacon 0xAA after 50 ms); closing the port does not switch it off, and what
// it sends while the port is closed is lost. The PC side keeps a 4096-byte
// receive buffer like a tty; what overflows it is dropped.
//
// Cable: RTS is looped to CTS (or, faulty, not looped or CTS stuck high); DSR
// follows DTR, which the kit's cable loops as well. Opening raises RTS and DTR
// like a tty. Hardware and software flow control settings are accepted but
// have no effect. The line settings start as LineSettings' defaults (1200 8N1).
//
// Single-threaded: call it from one thread, like the port it stands for.
#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "sim/AnalogInputs.h"
#include "sim/Converter.h"
#include "sim/ModuleBoard.h"
#include "sim/ResidentFirmware.h"
#include "sim/SimFaults.h"
#include "support/ModuleKind.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vx {

enum class Cable { Loopback, NoLoopback, CtsStuckHigh };

class SimulatedKit : public SerialDevice {
public:
    static constexpr const char* PortName = "Simulated kit";
    static constexpr size_t ReceiveBufferSize = 4096;

    SimulatedKit(Clock& clock, ModuleKind kind = ModuleKind::Arbord);
    ~SimulatedKit() override;

    // SerialDevice. open() accepts only PortName (others: ENOENT; twice: EBUSY);
    // calls on a closed port fail with EBADF.
    bool open(const std::string& name) override;
    bool close() override;
    bool isOpen() const override;
    bool getSettings(LineSettings& out) override;
    bool setSettings(const LineSettings& settings) override;
    long read(char* buffer, size_t max) override;
    long write(const char* data, size_t length) override;
    // Sleeps on the clock from one model event to the next until a byte is
    // waiting or the time-out has passed; burns no CPU in real time.
    bool waitForInput(uint32_t timeoutMs) override;
    bool setRts(bool on) override;
    bool setDtr(bool on) override;
    bool getModemLines(ModemLines& out) override;
    bool purge(unsigned flags) override;

    void setCable(Cable cable);
    // Someone at the bench: when the port is opened on a board powered
    // earlier (so no beacon comes) and the PC has sent nothing after
    // AttendantResetMs, they press the reset button, as a person does when
    // the program asks for it. Off unless switched on.
    void setAttended(bool on);
    static constexpr uint32_t AttendantResetMs = 4500;
    // The board's reset button: firmware restarts at 1200 baud, beacon 0xAA, banner.
    void resetModule();
    // Puts the board straight into the running application at its current rate.
    void runApplication();
    // The board transmits these raw bytes now (queued behind what it is sending).
    void sendFromModule(const std::string& bytes);
    // The same, at a later moment of the clock (micros).
    void sendFromModuleAt(uint64_t at, const std::string& bytes);
    SimFaults& faults();
    AnalogInputs& inputs();

    // Observers; each first brings the model up to the clock.
    ModuleKind kind() const;
    uint32_t moduleBaud() const;
    ModuleState moduleState() const;
    // Lines received since the last Load command, with their checksum verdicts.
    std::vector<LoadedLine> loadedLines() const;
    bool programValid() const;
    ControlWord controlWord() const;
    uint16_t sampleCount() const;
    std::vector<uint16_t> storedSamples() const;
    // The last bytes that reached the board (up to 64 KiB), as it read them:
    // garbled where the rates differed, and including what it ignored.
    std::string receivedByModule() const;

private:
    struct Model;
    // Handles everything due by the clock's time.
    void catchUp() const;
    bool failIfUnusable();

    std::unique_ptr<Model> model_;
};

}  // namespace vx
