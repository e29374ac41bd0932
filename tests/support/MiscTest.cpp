#include "support/Misc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "support/Exceptions.h"

namespace {

std::string ThrownText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PlainTextError& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

TEST(HexText, DigitsPairsAndLongTexts)
{
    EXPECT_EQ(HexCharToValue('G'), 0);
    EXPECT_EQ(HexPairToByte('F', 'f'), 255);
    EXPECT_EQ(HexPairToByte('x', '7'), 7);
    for (int n = 0; n < 16; ++n)
        EXPECT_EQ(HexCharToValue(NibbleToHexChar(n)), n);
    EXPECT_EQ(NibbleToHexChar(10), 'A');

    // Other characters count as zero digits (there is no prefix); 32 bits wrap.
    EXPECT_EQ(HexStringToInt("1g") + HexStringToInt("0x10"), 32);
    EXPECT_EQ(HexStringToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexStringToInt("123456789"), 0x23456789);

    const std::string saved = HexPrefix;
    std::string out = "old";
    ByteToHexString(out, 13);
    EXPECT_EQ(out, "0x0D");
    HexPrefix = "";
    ByteToHexString(out, 165);
    EXPECT_EQ(out, "A5");
    HexPrefix = saved;
}

TEST(BinaryText, RoundTripAndErrors)
{
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

TEST(StringToByte, DecimalBinaryAndHexadecimalTexts)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},
        {"-1", 255},
        {"300", 44},              // low 8 bits
        {"0x1F", 31},
        {"$ff", 255},
        {"11110000", 240},        // exactly 8 characters: binary
        {"-11110000", 16},        // the sign is removed before the length test
        {"-0x01", 255},
        {"0x1$", 0x10},           // "0x" wins over "$", which is a zero digit here
        {"ab$34", 0x34},
        {"  7z", 7},              // leading space skipped, stops at the first non-digit
        {"--2", 2},               // one sign removed, the other read as a decimal sign
        {"abc", 0},
        {"0x1F ", 0xF0},          // trailing characters are zero digits
        {"99999999999", 99999999999 % 256},  // wraps instead of overflowing
        {"-99999999999", (256 - 99999999999 % 256) % 256},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringToByte(c.text), c.expected) << '"' << c.text << '"';

    // 100 digits after "$": the last one is beyond the limit and does not count.
    EXPECT_EQ(StringToByte("$" + std::string(98, '0') + "12"), 1);

    // Eight characters must be binary digits.
    for (const char* text : {"$1234567", "0x0000FF", "-1234567a"})
        EXPECT_EQ(ThrownText([text] { StringToByte(text); }), "Expected only 1's and 0's in this string") << text;
}

}  // namespace
