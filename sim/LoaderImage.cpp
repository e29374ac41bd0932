#include "sim/LoaderImage.h"

#include "sim/SRecord.h"

#include <algorithm>
#include <vector>

namespace vx {

namespace {

const char* extension(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Arbord: return "ARB";
    case ModuleKind::Brant: return "BRT";
    case ModuleKind::Cobalt: return "COB";
    case ModuleKind::Cobalt16Wide: return "CWD";
    case ModuleKind::Unknown: break;
    }
    return "";
}

struct Layout {
    uint32_t loadAddress;
    char dataType;  // '1' for 16-bit, '2' for 24-bit addresses
    char endType;
};

Layout layoutOf(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Brant: return {0x2000, '1', '9'};
    case ModuleKind::Cobalt: return {0x010400, '2', '8'};
    case ModuleKind::Cobalt16Wide: return {0x020400, '2', '8'};
    default: return {0x4000, '1', '9'};
    }
}

// Signature, then filler code bytes from a small generator: the files must be
// the same on every build.
std::vector<uint8_t> imageOf(ModuleKind kind) {
    const std::string signature = applicationSignature(kind);
    std::vector<uint8_t> image(signature.begin(), signature.end());
    image.push_back(0);
    uint32_t state = 0x7318u + uint32_t(kind) * 977u;
    while (image.size() < 1024) {
        state = state * 1664525u + 1013904223u;
        image.push_back(uint8_t(state >> 24));
    }
    return image;
}

}  // namespace

std::string loaderFileName(ModuleKind kind) {
    return kind == ModuleKind::Unknown ? std::string() : std::string("KIT7318.") + extension(kind);
}

std::string applicationSignature(ModuleKind kind) {
    return kind == ModuleKind::Unknown ? std::string() : std::string("VX7318 APP ") + extension(kind);
}

std::string loaderFileText(ModuleKind kind) {
    const Layout layout = layoutOf(kind);
    const std::vector<uint8_t> image = imageOf(kind);
    const std::string name = loaderFileName(kind);

    std::string text = formatSRecord({'0', 0, std::vector<uint8_t>(name.begin(), name.end())}) + "\n";
    unsigned records = 0;
    for (size_t offset = 0; offset < image.size(); offset += 32, ++records) {
        const size_t end = std::min(image.size(), offset + 32);
        SRecord record{layout.dataType, uint32_t(layout.loadAddress + offset),
                       std::vector<uint8_t>(image.begin() + long(offset), image.begin() + long(end))};
        text += formatSRecord(record) + "\n";
    }
    text += formatSRecord({'5', records, {}}) + "\n";
    text += formatSRecord({layout.endType, layout.loadAddress, {}}) + "\n";
    return text;
}

}  // namespace vx
