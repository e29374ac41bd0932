#pragma once
// The converter's control word and the conversion of its results into volts.
//
// The five selector lists' texts carry the control word's bits: each list's
// leading "0"s and "1"s, most significant first. The word goes to the module
// as "XX" and two hex digits; "R" reads one conversion as four hex digits,
// the 12-bit code left-justified in a 16-bit word. One object holds this state
// for the whole program: the main window shows it, the reading loop and the
// sampling tool read and update it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphwin/MeasurementFormat.h"

namespace vx {

class Dialogs;
class QuerySender;

// A decimal number as a user types it: "." or the locale's decimal point,
// blanks around it allowed; nothing for any other text or a value beyond
// the range of a double.
std::optional<double> ParseDecimal(std::string text, std::string_view localePoint);

// An editable drop-down list: its items and the text it shows.
struct Selector {
    std::vector<std::string> items;
    std::string text;

    void select(size_t index) { text = items.at(index); }
    // Index of the shown text among the items, or -1.
    int selectedIndex() const;
};

// What the main window shows of the conversion and what the reading loop,
// the sampling tool and the graph windows read, named as the program's
// controls and units name it.
struct ConversionState {
    // The selector lists, showing their start-up selections (word 8F).
    Selector ComboBox1{{"1 start bit"}, "1 start bit"};
    Selector ComboBox2{
        {"000 ch0", "100 ch1", "001 ch2", "101 ch3", "010 ch4", "110 ch5", "011 ch6", "111 ch7", "000 scan"},
        "000 ch0"};
    Selector ComboBox3{{"0 bipolar", "1 unipolar"}, "1 unipolar"};
    Selector ComboBox4{{"0 differential", "1 single-ended"}, "1 single-ended"};
    Selector ComboBox5{{"00 full power-down", "01 fast power-down", "10 reserved", "11 normal operation"},
                       "11 normal operation"};
    std::string VrefEdit = "4.096";

    uint8_t ControlByte = 0;
    int32_t CurrentChannel = 0;
    bool Bipolar = false;
    bool ScanAll = false;
    // Shared with every graph window: a loaded file may change them.
    CodeLimits Limits;
    int32_t& MaxCode = Limits.MaxCode;
    int32_t& MinCode = Limits.MinCode;
    double Vref = 4.096;
    int32_t TareOffset = 0;
    uint8_t RawHigh = 0;
    uint8_t RawLow = 0;
    uint16_t UnipolarCode = 0;
    int16_t BipolarCode = 0;
    int32_t CodeValue = 0;
};

// The state is a private base, so that the operations below use it by its
// names while callers read it through state() and change it through them.
class ConversionControl : private ConversionState {
public:
    static constexpr int32_t CodeSpan = 4096;
    static constexpr int32_t CodeDivisor = 16;
    static constexpr const char* DefaultVrefText = "4.096";
    static constexpr const char* VrefNotANumber = "VREF Voltage field should contain a number.";
    static constexpr size_t VoltsBufferSize = 30;

    ConversionControl(QuerySender& link, Dialogs& dialogs);
    ConversionControl(const ConversionControl&) = delete;
    ConversionControl& operator=(const ConversionControl&) = delete;

    const ConversionState& state() const { return *this; }

    // What the user typed or chose in selector box (1 to 5); the word is
    // composed and sent by CtrlWordComboBoxChange.
    void setComboBoxText(int box, const std::string& text);
    void selectComboBoxItem(int box, size_t index);
    // What the user typed in the Vref field; SetVrefButtonClick takes it.
    void setVrefEdit(const std::string& text) { VrefEdit = text; }
    // A reference voltage given other than by the field (positive volts).
    void setVref(double volts) { Vref = volts; }
    void setTareOffset(int32_t code) { TareOffset = code; }
    // A conversion's bytes that came other than by ReadConversion().
    void setRaw(uint8_t high, uint8_t low) {
        RawHigh = high;
        RawLow = low;
    }

    // Leading bits of the five texts in order; bits above bit 7 are lost.
    static uint8_t ComposeControlWord(const std::vector<std::string>& texts);

    // A selector changed: compose the word, send it, derive channel, coding
    // and scan mode from the texts.
    void CtrlWordComboBoxChange();
    // "XX" and the byte as two upper-case hex digits; the reply is not examined.
    bool SendControlByte(uint8_t byte);
    void SetControlWord(uint8_t byte);
    void SetChannel(int32_t channel) { CurrentChannel = channel; }

    // What a conversion query brought back.
    enum class Reply { Conversion, NoConversion, Failure };
    // Query "R". Four hexadecimal digits are a conversion, taken into the
    // bytes; "FAILURE" is a failure; any other reply carries no conversion
    // and leaves the bytes as they were.
    Reply ReadConversion(uint8_t& high, uint8_t& low);
    Reply ReadConversion() { return ReadConversion(RawHigh, RawLow); }
    // The 16-bit word of exactly four hexadecimal digits, high byte first;
    // false, bytes untouched, for any other text.
    static bool ParseWord(std::string_view digits, uint8_t& high, uint8_t& low);
    // RawHigh and RawLow into UnipolarCode, BipolarCode and CodeValue.
    void DecodeConversion();
    double CodeToVolts() const;
    // " 1.0000V" after a marker: ">" at the top of the range, "<" at the
    // bottom, else a space. Points into a buffer the next call overwrites.
    const char* VoltsText();

    // Reads VrefEdit into Vref ("2.5V" is fine). Anything but a positive
    // number is reported and changes nothing: the field shows the Vref in
    // use again. Accepts "." and the user's decimal separator.
    void SetVrefButtonClick();
    // The field as the main window shows it: "%5.3f" of Vref, or more digits
    // when three decimals would not give back the Vref in use.
    void FillVrefEdit();

    // Input menu: CH0..CH7 and Scan All pick an item of ComboBox2 and send.
    void menuInputChannelClick(int channel);
    void menuInputScanAll1Click();

private:
    Selector& comboBox(int box);

    QuerySender& link_;
    Dialogs& dialogs_;
    char voltsBuffer_[VoltsBufferSize] = {};
};

}  // namespace vx
