#include "platform/PortList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace vx {

namespace fs = std::filesystem;

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string driverOf(const fs::path& entry) {
    std::error_code ec;
    const fs::path driver = fs::read_symlink(entry / "device" / "driver", ec);
    return ec ? std::string() : driver.filename().string();
}

// The 8250 driver registers a port for every slot it might have; a slot
// without a chip reports UART type 0.
bool isPhantom8250(const fs::path& entry) {
    if (driverOf(entry) != "serial8250") return false;
    std::ifstream typeFile(entry / "type");
    int type = -1;
    return typeFile >> type && type == 0;
}

// Orders names with their digit runs compared as numbers.
bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            // Compare the numbers without leading zeros: longer is larger.
            size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int c = a.compare(si, ei - si, b, sj, ej - sj);
            if (c != 0) return c < 0;
            if (ei - i != ej - j) return ei - i < ej - j;  // "01" after "1"
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<std::string> listSerialPorts(const std::string& sysfsRoot, const std::string& devRoot) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "tty", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& entry = it->path();
        std::error_code linkError;
        if (!fs::is_symlink(entry / "device", linkError)) continue;
        if (isPhantom8250(entry)) continue;
        names.push_back(entry.filename().string());
    }
    std::sort(names.begin(), names.end(), naturalLess);

    std::vector<std::string> ports;
    for (const std::string& name : names) ports.push_back((fs::path(devRoot) / name).string());
    return ports;
}

}  // namespace vx
