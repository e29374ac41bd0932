#pragma once
// Motorola S-record lines: parsing with checksum check, and formatting.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct SRecord {
    char type = '0';  // '0'..'9' as in the line ("S1" -> '1')
    uint32_t address = 0;
    std::vector<uint8_t> data;

    bool isData() const { return type == '1' || type == '2' || type == '3'; }
    bool isEnd() const { return type == '7' || type == '8' || type == '9'; }
};

// One line without its line end. Empty when the line is malformed, of a type
// other than S0 S1 S2 S3 S5 S7 S8 S9, or its checksum is wrong.
std::optional<SRecord> parseSRecord(std::string_view line);
// The line (without line end) for a record, upper-case hexadecimal.
std::string formatSRecord(const SRecord& record);

}  // namespace vx
