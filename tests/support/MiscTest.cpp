#include "support/Misc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/ThrownText.h"

namespace vx {

namespace {

TEST(HexText, DigitsPairsAndLongTexts) {
    for (int n = 0; n < 16; ++n) EXPECT_EQ(HexCharToValue(NibbleToHexChar(n)), n);
    EXPECT_EQ(HexPairToByte('F', 'f') + HexPairToByte('x', '7') + HexCharToValue('G'), 255 + 7);

    // Other characters count as zero digits (there is no prefix); 32 bits wrap.
    EXPECT_EQ(HexStringToInt("1g") + HexStringToInt("0x10"), 32);
    EXPECT_EQ(HexStringToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexStringToInt("123456789"), 0x23456789);

    std::string out = "old";
    ByteToHexString(out, 13);  // without the prefix: the sampling tool's address label
    EXPECT_EQ(out, "0x0D");
}

TEST(BinaryText, RoundTripAndErrors) {
    EXPECT_EQ(BinaryStringToByte(""), 0);
    EXPECT_EQ(BinaryStringToByte("111100001"), 225);  // only the last eight count
    char buffer[9] = "xxxxxxxx";
    for (int value = 0; value < 256; ++value) {
        ByteToBinaryString(buffer, static_cast<std::uint8_t>(value));
        EXPECT_EQ(BinaryStringToByte(buffer), value);
    }
    EXPECT_STREQ(buffer, "11111111");
    EXPECT_EQ(ThrownText([] { BinaryStringToByte(nullptr); }), "null string in call to BinaryStringToByte");
    EXPECT_EQ(ThrownText([] { BinaryStringToByte("102"); }), "Expected only 1's and 0's in this string");
}

TEST(StringToByte, DecimalBinaryAndHexadecimalTexts) {
    const std::pair<std::string, int> cases[] = {
        {"-1", 255},
        {"300", 44},  // low 8 bits
        {"$ff", 255},
        {"11110000", 240},  // exactly 8 characters: binary
        {"-11110000", 16},  // the sign is removed before the length test
        {"-0x01", 255},
        {"0x1$", 0x10},  // "0x" wins over "$", which is a zero digit here
        {"ab$34", 0x34},
        {"  7z", 7},                         // leading space skipped, stops at the first non-digit
        {"--2", 2},                          // one sign removed, the other read as a decimal sign
        {"0x1F ", 0xF0},                     // trailing characters are zero digits
        {"99999999999", 99999999999 % 256},  // wraps instead of overflowing
        {"-99999999999", (256 - 99999999999 % 256) % 256},
        {"$" + std::string(98, '0') + "12", 1},  // the 100th digit is beyond the limit
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(StringToByte(text), expected) << '"' << text << '"';

    // Eight characters must be binary digits.
    for (const char* text : {"$1234567", "0x0000FF", "-1234567a"})
        EXPECT_EQ(ThrownText([text] { StringToByte(text); }), "Expected only 1's and 0's in this string") << text;
}

}  // namespace

}  // namespace vx
