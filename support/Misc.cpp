#include "support/Misc.h"

#include "support/Exceptions.h"

namespace vx {

int HexCharToValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

std::uint8_t HexPairToByte(char high, char low) {
    return static_cast<std::uint8_t>(HexCharToValue(high) * 16 + HexCharToValue(low));
}

std::uint8_t BinaryStringToByte(const char* text) {
    if (text == nullptr) throw PlainTextError("null string in call to BinaryStringToByte");
    unsigned value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        value <<= 1;
        if (*p == '1')
            value += 1;
        else if (*p != '0')
            throw PlainTextError("Expected only 1's and 0's in this string");
    }
    return static_cast<std::uint8_t>(value);
}

void ByteToBinaryString(char* buffer, std::uint8_t value) {
    buffer[8] = '\0';
    for (int bit = 0; bit < 8; ++bit) buffer[7 - bit] = (value >> bit) & 1 ? '1' : '0';
}

char NibbleToHexChar(std::uint8_t nibble) {
    return static_cast<char>(nibble <= 9 ? '0' + nibble : 'A' + (nibble - 10));
}

namespace {

// Unsigned arithmetic so that long texts wrap instead of overflowing.
std::uint32_t HexValue(const std::string& text) {
    std::uint32_t value = 0;
    for (char c : text) value = value * 16u + static_cast<std::uint32_t>(HexCharToValue(c));
    return value;
}

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Leading white space, optional sign, decimal digits up to the first other
// character. Wraps modulo 2^32 where the C library's conversion would overflow;
// the low 8 bits, which are all a byte keeps, are those of the exact number.
std::uint32_t DecimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

// At most 99 characters after the prefix take part, as in a 100-byte buffer.
constexpr std::size_t MaxHexDigits = 99;

}  // namespace

std::int32_t HexStringToInt(const std::string& text) { return static_cast<std::int32_t>(HexValue(text)); }

std::uint8_t StringToByte(const std::string& text) {
    std::string copy = text;
    const bool negative = !copy.empty() && copy[0] == '-';
    if (negative) copy.erase(0, 1);

    std::uint32_t value = DecimalValue(copy);

    // The length test comes first: an 8-character hexadecimal text is refused here.
    if (copy.size() == 8) value = BinaryStringToByte(copy.c_str());

    for (const char* prefix : {"0x", "0X", "$"}) {
        const std::size_t at = copy.find(prefix);
        if (at != std::string::npos) {
            value = HexValue(copy.substr(at + std::char_traits<char>::length(prefix), MaxHexDigits));
            break;
        }
    }

    if (negative) value = 0u - value;
    return static_cast<std::uint8_t>(value);
}

void ByteToHexString(std::string& out, std::uint8_t value, std::string_view prefix) {
    const char digits[3] = {NibbleToHexChar(value >> 4), NibbleToHexChar(value & 0x0F), '\0'};
    out = std::string(prefix) + digits;
}

}  // namespace vx
