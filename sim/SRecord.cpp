#include "sim/SRecord.h"

namespace vx {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Address bytes per record type; 0 for types the firmware does not accept.
int addressBytes(char type) {
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9': return 2;
    case '2':
    case '8': return 3;
    case '3':
    case '7': return 4;
    default: return 0;
    }
}

}  // namespace

std::optional<SRecord> parseSRecord(std::string_view line) {
    if (line.size() < 4 || line[0] != 'S' || line.size() % 2 != 0) return std::nullopt;
    SRecord record;
    record.type = line[1];
    const int addressLength = addressBytes(record.type);
    if (addressLength == 0) return std::nullopt;

    std::vector<uint8_t> bytes;  // count, address, data, checksum
    for (size_t i = 2; i < line.size(); i += 2) {
        const int hi = hexDigit(line[i]), lo = hexDigit(line[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(uint8_t(hi << 4 | lo));
    }
    if (bytes[0] != bytes.size() - 1 || int(bytes[0]) < addressLength + 1) return std::nullopt;
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
    if (uint8_t(~sum) != bytes.back()) return std::nullopt;

    for (int i = 0; i < addressLength; ++i) record.address = record.address << 8 | bytes[1 + i];
    record.data.assign(bytes.begin() + 1 + addressLength, bytes.end() - 1);
    return record;
}

std::string formatSRecord(const SRecord& record) {
    static const char* digits = "0123456789ABCDEF";
    const int addressLength = addressBytes(record.type);
    std::vector<uint8_t> bytes;
    bytes.push_back(uint8_t(addressLength + record.data.size() + 1));
    for (int i = addressLength - 1; i >= 0; --i) bytes.push_back(uint8_t(record.address >> (8 * i)));
    bytes.insert(bytes.end(), record.data.begin(), record.data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(uint8_t(~sum));

    std::string line = {'S', record.type};
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return line;
}

}  // namespace vx
