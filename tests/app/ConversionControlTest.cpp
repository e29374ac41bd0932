#include <gtest/gtest.h>

#include "app/ConversionControl.h"
#include "link/RunningKit.h"
#include "support/ScriptedDialogs.h"

namespace vx {

namespace {

struct Fixture {
    RunningKit k;
    ScriptedDialogs dialogs;
    ConversionControl control{k.protocol, dialogs};
};

TEST(ConversionControl, ControlWordFromTheSelectorTextsAndTheReadingsShown) {
    // Bits beyond the eighth push the first ones out; a list's bits end at
    // its first other character.
    EXPECT_EQ(ConversionControl::ComposeControlWord({"111", "1x1", "000000"}), 0xC0);

    Fixture f;
    // Which selector changes (2 or 3), to what; the word sent; the lowest code.
    const std::tuple<int, const char*, int, int> cases[] = {
        {3, "1 unipolar", 0x8F, 0}, {3, "0 bipolar", 0x87, -2048}, {2, "101 ch3", 0xD7, -2048}};
    for (const auto& [list, text, word, minCode] : cases) {
        f.control.setComboBoxText(list, text);
        f.control.CtrlWordComboBoxChange();
        EXPECT_EQ(f.k.kit.controlWord().value, word) << text;
        EXPECT_EQ(f.control.state().MinCode, minCode) << text;
    }
    EXPECT_EQ(f.control.state().CurrentChannel, 3);

    // Scan sends channel 0's bits and keeps the channel; so does a typed
    // channel the converter does not have.
    f.control.menuInputScanAll1Click();
    EXPECT_TRUE(f.control.state().ScanAll && f.k.kit.controlWord().value == 0x87);
    f.control.setComboBoxText(2, "101 chx");
    f.control.CtrlWordComboBoxChange();
    EXPECT_TRUE(f.control.state().CurrentChannel == 3 && !f.control.state().ScanAll);

    // A bipolar, differential reading.
    f.k.kit.inputs().setLevel(0, 0.7);
    f.k.kit.inputs().setLevel(1, 1.9);
    f.control.selectComboBoxItem(2, 0);
    f.control.selectComboBoxItem(3, 0);  // bipolar
    f.control.selectComboBoxItem(4, 0);  // differential: channel 0 against 1
    f.control.CtrlWordComboBoxChange();
    EXPECT_EQ(f.control.ReadConversion(), ConversionControl::Reply::Conversion);
    f.control.DecodeConversion();
    EXPECT_NEAR(f.control.CodeToVolts(), 0.7 - 1.9, 0.001);
    EXPECT_EQ(f.control.state().CodeValue, f.control.state().BipolarCode);

    // Only four hex digits are a conversion; anything else keeps the bytes.
    uint8_t high = 1, low = 2;
    for (const char* reply : {"", "3E8", "3E800", "3EG0", " 3E8"})
        EXPECT_FALSE(ConversionControl::ParseWord(reply, high, low) || high != 1 || low != 2) << '"' << reply << '"';

    // The volts text marks the ends of the range. The reply's word, bipolar coding, the tare; the text. Tare moves
    // volts, not markers.
    const std::tuple<uint16_t, bool, int, const char*> words[] = {
        {0xFFF0, false, 0, "> 4.0950V"},   {0x8000, true, 0, "<-2.0480V"},  {0x3E80, false, 0, "  1.0000V"},
        {0x7FF0, true, 0, "> 2.0470V"},    {0x0000, false, 0, "< 0.0000V"}, {0x3E80, false, 1000, "  0.0000V"},
        {0xFFF0, false, 1000, "> 3.0950V"}};
    for (const auto& [word, bipolar, tare, text] : words) {
        f.control.selectComboBoxItem(3, bipolar ? 0 : 1);
        f.control.CtrlWordComboBoxChange();
        f.control.setTareOffset(tare);
        f.control.setRaw(uint8_t(word >> 8), uint8_t(word));
        f.control.DecodeConversion();
        EXPECT_EQ(std::string(f.control.VoltsText()), text);
    }
    // Whatever the number's width, the text stays within its buffer.
    f.control.setVref(1e30);
    EXPECT_EQ(std::string(f.control.VoltsText()).size(), ConversionControl::VoltsBufferSize - 1);
}

TEST(ConversionControl, VrefEntryTakesOnlyAPositiveNumber) {
    Fixture f;
    for (const char* good : {"2.5V", " 2.5 ", "+2.5e0"}) {
        f.control.setVref(4.096);
        f.control.setVrefEdit(good);
        f.control.SetVrefButtonClick();
        EXPECT_DOUBLE_EQ(f.control.state().Vref, 2.5) << good;
        EXPECT_EQ(f.control.state().VrefEdit, good) << "the field keeps what was typed";
    }

    // The field goes back to the Vref in use, not to the default.
    for (const char* bad : {"abc", "", "2.5.1", "V", "1e999", "nan", "2.5 V V", "0", "-1.5", "+-1", "inf"}) {
        f.control.setVrefEdit(bad);
        f.control.SetVrefButtonClick();
        EXPECT_DOUBLE_EQ(f.control.state().Vref, 2.5) << bad;
        EXPECT_EQ(f.control.state().VrefEdit, "2.500") << bad;
    }
    ASSERT_EQ(f.dialogs.messages.size(), 11u);
    EXPECT_EQ(f.dialogs.messages[0].caption + ": " + f.dialogs.messages[0].text,
              "VX7318 Evaluation Kit: VREF Voltage field should contain a number.");

    // Digits beyond the third decimal are kept in the field.
    f.control.setVref(2.5004);
    f.control.FillVrefEdit();
    EXPECT_EQ(f.control.state().VrefEdit, "2.5004");

    // The user's decimal separator as well as the point.
    const std::tuple<const char*, const char*, std::optional<double>> decimals[] = {
        {"2,048", ",", 2.048}, {"2.048", ",", 2.048}, {"2,048", ".", std::nullopt}, {"1,2,3", ",", std::nullopt}};
    for (const auto& [text, point, value] : decimals) EXPECT_EQ(ParseDecimal(text, point), value) << text << point;
}

}  // namespace

}  // namespace vx
