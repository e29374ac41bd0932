#pragma once
// Conversions between bytes and their hexadecimal, binary and decimal texts.
// Unknown characters count as the digit 0; only the binary parser reports errors
// (PlainTextError with its exact message).
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// '0'-'9', 'A'-'F', 'a'-'f' give 0 to 15; anything else gives 0.
int HexCharToValue(char c);

std::uint8_t HexPairToByte(char high, char low);

// Text of '0' and '1', most significant first; only the last eight digits count.
// Throws PlainTextError for a null pointer or any other character.
std::uint8_t BinaryStringToByte(const char* text);

// Writes eight digits, most significant first, and a terminator: buffer needs 9 bytes.
void ByteToBinaryString(char* buffer, std::uint8_t value);

// 0-9 give '0'-'9', 10-15 give 'A'-'F'.
char NibbleToHexChar(std::uint8_t nibble);

// Hexadecimal digits without prefix; other characters count as 0; wraps at 32 bits.
std::int32_t HexStringToInt(const std::string& text);

// Decimal ("12", "-1"), 8-digit binary ("11110000") or hexadecimal after
// "0x", "0X" or "$" ("0x1F", "$ff"); returns the low 8 bits.
std::uint8_t StringToByte(const std::string& text);

// prefix followed by two upper-case digits ("0x0D").
void ByteToHexString(std::string& out, std::uint8_t value, std::string_view prefix = "0x");

}  // namespace vx
