#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/ConversionControl.h"
#include "link/RunningKit.h"
#include "support/Misc.h"
#include "support/ScriptedDialogs.h"

namespace {

struct Fixture {
    RunningKit k;
    ScriptedDialogs dialogs;
    ConversionControl control{k.protocol, dialogs};

    // One "R" reading, decoded, in volts.
    double read() {
        EXPECT_TRUE(control.ReadConversion());
        control.DecodeConversion();
        return control.CodeToVolts();
    }
};

constexpr double Lsb = 4.096 / 4096;

TEST(ConversionControl, ControlWordFromTheSelectorTexts) {
    EXPECT_EQ(ConversionControl::ComposeControlWord({"1 start bit", "000 ch0", "1 unipolar", "1 single-ended",
                                                     "11 normal operation"}),
              0x8F);
    // Bits beyond the eighth push the first ones out; a list's bits end at
    // its first other character.
    EXPECT_EQ(ConversionControl::ComposeControlWord({"111", "1x1", "000000"}), 0xC0);
    EXPECT_EQ(ConversionControl::ComposeControlWord({"", "abc"}), 0x00);

    Fixture f;
    EXPECT_EQ(f.control.ControlByte, 0);  // nothing sent before a change
    f.control.CtrlWordComboBoxChange();
    EXPECT_EQ(f.control.ControlByte, 0x8F);
    EXPECT_EQ(f.k.kit.controlWord().value, 0x8F);

    f.control.ComboBox3.select(0);  // "0 bipolar"
    f.control.CtrlWordComboBoxChange();
    EXPECT_EQ(f.k.kit.controlWord().value, 0x87);
    EXPECT_TRUE(f.control.Bipolar);

    f.control.ComboBox3.select(1);
    f.control.ComboBox2.text = "101 ch3";
    f.control.CtrlWordComboBoxChange();
    EXPECT_EQ(f.k.kit.controlWord().value, 0xDF);
    EXPECT_EQ(f.control.CurrentChannel, 3);
    EXPECT_FALSE(f.control.Bipolar);

    // Scan sends channel 0's bits and keeps the channel.
    f.control.menuInputScanAll1Click();
    EXPECT_EQ(f.control.ComboBox2.text, "000 scan");
    EXPECT_EQ(f.control.ControlByte, 0x8F);
    EXPECT_TRUE(f.control.ScanAll);
    EXPECT_EQ(f.control.CurrentChannel, 3);

    // A typed channel the converter does not have leaves the channel alone.
    f.control.ComboBox2.text = "101 chx";
    f.control.CtrlWordComboBoxChange();
    EXPECT_EQ(f.control.CurrentChannel, 3);
    EXPECT_FALSE(f.control.ScanAll);
}

TEST(ConversionControl, EachChannelMenuReadsItsOwnInput) {
    Fixture f;
    for (int ch = 0; ch < 8; ++ch) f.k.kit.inputs().setLevel(ch, 0.25 + 0.4 * ch);
    for (int ch = 0; ch < 8; ++ch) {
        f.control.menuInputChannelClick(ch);
        EXPECT_EQ(f.control.CurrentChannel, ch);
        EXPECT_EQ(f.k.kit.controlWord().channel(), ch) << f.control.ComboBox2.text;
        EXPECT_NEAR(f.read(), 0.25 + 0.4 * ch, Lsb) << "channel " << ch;
    }
}

TEST(ConversionControl, ReadingsInBothCodings) {
    Fixture f;
    f.k.kit.inputs().setLevel(0, 3.3);
    f.control.CtrlWordComboBoxChange();
    EXPECT_NEAR(f.read(), 3.3, Lsb);
    EXPECT_EQ(f.control.CodeValue, f.control.UnipolarCode);

    f.k.kit.inputs().setLevel(0, 0.7);
    f.k.kit.inputs().setLevel(1, 1.9);
    f.control.ComboBox3.select(0);  // bipolar
    f.control.ComboBox4.select(0);  // differential: channel 0 against 1
    f.control.CtrlWordComboBoxChange();
    EXPECT_NEAR(f.read(), 0.7 - 1.9, Lsb);
    EXPECT_LT(f.control.CodeValue, 0);
    EXPECT_EQ(f.control.CodeValue, f.control.BipolarCode);

    // A failed query keeps the last bytes; so does a reply of another length.
    const uint8_t high = f.control.RawHigh, low = f.control.RawLow;
    f.k.protocol.setAppEnabled(false);
    EXPECT_FALSE(f.control.ReadConversion());
    f.k.protocol.setAppEnabled(true);
    f.k.kit.sendFromModule("R12345");  // the echo, then five characters
    EXPECT_TRUE(f.control.ReadConversion());
    EXPECT_EQ(f.control.RawHigh, high);
    EXPECT_EQ(f.control.RawLow, low);
}

TEST(ConversionControl, VoltsTextMarksTheEndsOfTheRange) {
    Fixture f;
    auto text = [&](uint8_t high, uint8_t low, bool bipolar) {
        f.control.Bipolar = bipolar;
        f.control.MaxCode = bipolar ? 2047 : 4095;
        f.control.MinCode = bipolar ? -2048 : 0;
        f.control.RawHigh = high;
        f.control.RawLow = low;
        f.control.DecodeConversion();
        return std::string(f.control.VoltsText());
    };
    EXPECT_EQ(text(0xFF, 0xF0, false), "> 4.0950V");
    EXPECT_EQ(f.control.UnipolarCode, 4095);
    EXPECT_EQ(text(0x80, 0x00, true), "<-2.0480V");
    EXPECT_EQ(f.control.BipolarCode, -2048);
    EXPECT_EQ(text(0x3E, 0x80, false), "  1.0000V");
    EXPECT_EQ(text(0x7F, 0xF0, true), "> 2.0470V");
    EXPECT_EQ(text(0x00, 0x00, false), "< 0.0000V");

    // Tare shifts the volts, not the markers.
    f.control.TareOffset = 1000;
    EXPECT_EQ(text(0x3E, 0x80, false), "  0.0000V");
    EXPECT_EQ(text(0xFF, 0xF0, false), "> 3.0950V");
    f.control.TareOffset = 0;

    // Whatever the number's width, the text stays within its buffer.
    f.control.Vref = 1e30;
    EXPECT_EQ(text(0x3E, 0x80, false).size(), ConversionControl::VoltsBufferSize - 1);
}

TEST(ConversionControl, VrefEntry) {
    Fixture f;
    f.control.VrefEdit = "2.5V";
    f.control.SetVrefButtonClick();
    EXPECT_DOUBLE_EQ(f.control.Vref, 2.5);
    EXPECT_TRUE(f.dialogs.messages.empty());

    for (const char* bad : {"abc", "", "2.5.1", "V", "1e999", "nan", "2.5 V V"}) {
        f.control.VrefEdit = bad;
        f.control.SetVrefButtonClick();
        EXPECT_DOUBLE_EQ(f.control.Vref, 2.5) << bad;
        EXPECT_EQ(f.control.VrefEdit, "4.096") << bad;
    }
    ASSERT_EQ(f.dialogs.messages.size(), 7u);
    EXPECT_EQ(f.dialogs.messages[0].text, "VREF Voltage field should contain a number.");
    EXPECT_EQ(f.dialogs.messages[0].caption, "VX7318 Evaluation Kit");
    EXPECT_EQ(f.dialogs.messages[0].buttons, MsgButtons::Ok);

    f.control.VrefEdit = " 3.3 ";
    f.control.SetVrefButtonClick();
    EXPECT_DOUBLE_EQ(f.control.Vref, 3.3);
    f.control.FillVrefEdit();
    EXPECT_EQ(f.control.VrefEdit, "3.300");
}

TEST(ConversionControl, DecimalTextWithEitherSeparator) {
    EXPECT_EQ(ParseDecimal("2,048", ","), 2.048);
    EXPECT_EQ(ParseDecimal("2.048", ","), 2.048);
    EXPECT_EQ(ParseDecimal("+1.5e0", "."), 1.5);
    for (const char* bad : {"2,048", "+-1", "inf"}) EXPECT_EQ(ParseDecimal(bad, "."), std::nullopt) << bad;
    EXPECT_EQ(ParseDecimal("1,2,3", ","), std::nullopt);
}

}  // namespace
