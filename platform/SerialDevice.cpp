#include "platform/SerialDevice.h"

#include <cstring>

namespace vx {

std::string systemErrorText(int code) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text;
}

bool SerialDevice::fail(int code) {
    error_.code = code;
    error_.text = systemErrorText(code);
    return false;
}

}  // namespace vx
