#pragma once
// Drives the simulated kit from the PC side, as the program would, on a
// virtual clock.
#include "sim/SimulatedKit.h"

#include <fstream>
#include <string>
#include <vector>

namespace vx {

struct KitDriver {
    VirtualClock clock;
    SimulatedKit kit;

    explicit KitDriver(ModuleKind kind = ModuleKind::Arbord) : kit(clock, kind) {}

    std::string drain() {
        std::string text;
        char buffer[512];
        for (long n; (n = kit.read(buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
        return text;
    }

    // Everything received within the next ms milliseconds.
    std::string readFor(uint32_t ms) {
        const uint64_t end = clock.micros() + uint64_t(ms) * 1000;
        std::string text = drain();
        while (clock.micros() < end) {
            kit.waitForInput(uint32_t((end - clock.micros() + 999) / 1000));
            text += drain();
        }
        return text;
    }

    // Everything received until quietMs milliseconds pass without a byte.
    std::string readUntilQuiet(uint32_t quietMs = 50) {
        std::string text = drain();
        while (kit.waitForInput(quietMs)) text += drain();
        return text;
    }

    void send(const std::string& text) { kit.write(text.data(), text.size()); }
    void setBaud(uint32_t baud) { kit.setSettings(LineSettings{baud}); }

    // An application query: its echo, then the reply up to 50 ms of quiet,
    // without the echo and the final prompt.
    std::string query(const std::string& text) {
        send(text);
        std::string reply = readUntilQuiet(50).substr(text.size());
        if (!reply.empty() && reply.back() == '>') reply.pop_back();
        return reply;
    }

    // Open, beacon, space, banner: the firmware waits for commands.
    void openToBanner() {
        kit.open(SimulatedKit::PortName);
        readFor(100);
        send(" ");
        readUntilQuiet(200);
    }

    // Load command, every line and its echo, Jump; returns the text after the jump.
    std::string download(const std::vector<std::string>& lines) {
        sendEscape("L");
        for (const std::string& line : lines) send(line + "\r"), readUntilQuiet(50);
        sendEscape("J");
        return readUntilQuiet(200);
    }

    // ESC commands, and their echo where the kind gives one (BRANT does not).
    void sendEscape(const std::string& command) {
        send("\x1B" + command);
        readFor(100);
    }

    static std::vector<std::string> loaderLines(const std::string& fileName) {
        std::ifstream in(std::string(VX_LOADER_DIR) + "/" + fileName);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
};

}  // namespace vx
