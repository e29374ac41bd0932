#pragma once
// Drives the simulated kit from the PC side, the way the program's port layer
// does, on a virtual clock.
#include "sim/SimulatedKit.h"

#include <fstream>
#include <string>
#include <vector>

struct KitDriver {
    VirtualClock clock;
    SimulatedKit kit;

    explicit KitDriver(ModuleKind kind = ModuleKind::Arbord) : kit(clock, kind) {}

    std::string drain() {
        std::string text;
        char buffer[512];
        long n;
        while ((n = kit.read(buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
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

    // One character at a time, each awaited for up to 3000 ms; other
    // characters are discarded. False at the first missing echo.
    bool sendWithEcho(const std::string& text) {
        for (char c : text) {
            kit.write(&c, 1);
            const uint64_t end = clock.micros() + 3'000'000;
            bool echoed = false;
            while (!echoed && clock.micros() < end) {
                if (!kit.waitForInput(uint32_t((end - clock.micros() + 999) / 1000))) break;
                char got;
                while (!echoed && kit.read(&got, 1) == 1) echoed = got == c;
            }
            if (!echoed) return false;
        }
        return true;
    }

    // An application query: echoed characters, then the reply up to 50 ms of
    // quiet, without its final prompt.
    std::string query(const std::string& text) {
        sendWithEcho(text);
        std::string reply = readUntilQuiet(50);
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

    // Load command, every line with echo, Jump; returns the text after the jump.
    std::string download(const std::vector<std::string>& lines) {
        sendEscape("L");
        for (const std::string& line : lines) sendWithEcho(line + "\r");
        sendEscape("J");
        return readUntilQuiet(200);
    }

    // ESC commands: BRANT does not echo them, the others do.
    void sendEscape(const std::string& command) {
        const std::string text = "\x1B" + command;
        if (kit.kind() == ModuleKind::Brant) {
            send(text);
            readFor(uint32_t(text.size() * 10));
        } else {
            sendWithEcho(text);
        }
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
