#include "app/ConversionControl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "app/ApplicationTitle.h"
#include "link/AppQuery.h"
#include "platform/Dialogs.h"
#include "support/Misc.h"
#include "support/NumericLocale.h"

namespace vx {

namespace {

// Fixed-point text with "." whatever the locale, right-aligned in width
// characters like printf's "%*.*f".
std::string fixedText(double value, int width, int decimals) {
    char digits[400];  // room for any double in fixed notation
    const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    std::string text(digits, result.ptr);
    if (text.size() < size_t(width)) text.insert(0, size_t(width) - text.size(), ' ');
    return text;
}

}  // namespace

std::optional<double> ParseDecimal(std::string text, std::string_view localePoint) {
    if (!localePoint.empty() && localePoint != ".") {
        const size_t at = text.find(localePoint);
        if (at != std::string::npos) text.replace(at, localePoint.size(), ".");
    }
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;

    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc{} || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

int Selector::selectedIndex() const {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : int(found - items.begin());
}

ConversionControl::ConversionControl(QuerySender& link, Dialogs& dialogs) : link_(link), dialogs_(dialogs) {}

Selector& ConversionControl::comboBox(int box) {
    Selector* const boxes[] = {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5};
    return *boxes[std::clamp(box, 1, 5) - 1];
}

void ConversionControl::setComboBoxText(int box, const std::string& text) { comboBox(box).text = text; }

void ConversionControl::selectComboBoxItem(int box, size_t index) { comboBox(box).select(index); }

uint8_t ConversionControl::ComposeControlWord(const std::vector<std::string>& texts) {
    uint8_t word = 0;
    for (const std::string& text : texts) {
        for (char c : text) {
            if (c != '0' && c != '1') break;
            word = uint8_t(word << 1 | (c == '1' ? 1 : 0));
        }
    }
    return word;
}

void ConversionControl::CtrlWordComboBoxChange() {
    const std::vector<std::string> texts{ComboBox1.text, ComboBox2.text, ComboBox3.text, ComboBox4.text,
                                         ComboBox5.text};
    SetControlWord(ComposeControlWord(texts));

    std::string joined;
    for (const std::string& text : texts) joined += text;
    // Only a channel the converter has: a typed "chx" would otherwise give a
    // channel number far outside the eight rows that show the readings.
    const size_t ch = joined.find("ch");
    if (ch != std::string::npos && ch + 2 < joined.size()) {
        const char digit = joined[ch + 2];
        if (digit >= '0' && digit <= '7') CurrentChannel = digit - '0';
    }
    Bipolar = joined.find("bip") != std::string::npos;
    MaxCode = Bipolar ? 2047 : 4095;
    MinCode = Bipolar ? -2048 : 0;
    ScanAll = joined.find("scan") != std::string::npos;
}

bool ConversionControl::SendControlByte(uint8_t byte) {
    std::string digits;
    ByteToHexString(digits, byte, "");
    link_.AppQuery("XX" + digits);
    return true;
}

void ConversionControl::SetControlWord(uint8_t byte) {
    SendControlByte(byte);
    ControlByte = byte;
}

ConversionControl::Reply ConversionControl::ReadConversion(uint8_t& high, uint8_t& low) {
    const std::string reply = link_.AppQuery("R");
    if (reply == AppQueryProtocol::Failure) return Reply::Failure;
    return ParseWord(reply, high, low) ? Reply::Conversion : Reply::NoConversion;
}

bool ConversionControl::ParseWord(std::string_view digits, uint8_t& high, uint8_t& low) {
    const auto isHex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(), isHex)) return false;
    high = HexPairToByte(digits[0], digits[1]);
    low = HexPairToByte(digits[2], digits[3]);
    return true;
}

void ConversionControl::DecodeConversion() {
    const uint16_t word = uint16_t(RawHigh << 8 | RawLow);
    UnipolarCode = uint16_t(word / CodeDivisor);
    BipolarCode = int16_t(UnipolarCode < CodeSpan / 2 ? UnipolarCode : UnipolarCode - CodeSpan);
    CodeValue = Bipolar ? BipolarCode : UnipolarCode;
}

double ConversionControl::CodeToVolts() const {
    const double lsb = Vref / CodeSpan / 1;  // gain 1
    const int32_t code = Bipolar ? BipolarCode : UnipolarCode;
    return (code - TareOffset) * lsb;
}

const char* ConversionControl::VoltsText() {
    const char marker = CodeValue >= MaxCode ? '>' : CodeValue <= MinCode ? '<' : ' ';
    const std::string text = marker + fixedText(CodeToVolts(), 7, 4) + "V";
    const size_t length = std::min(text.size(), VoltsBufferSize - 1);
    std::memcpy(voltsBuffer_, text.data(), length);
    voltsBuffer_[length] = '\0';
    return voltsBuffer_;
}

void ConversionControl::SetVrefButtonClick() {
    std::string text = VrefEdit;
    const size_t v = text.find('V');
    if (v != std::string::npos) text.erase(v, 1);
    // A zero or negative reference would give no or inverted voltages.
    const auto value = ParseDecimal(text, UserDecimalPoint());
    if (value && *value > 0) {
        Vref = *value;
        return;
    }
    dialogs_.message({VrefNotANumber, ApplicationTitle, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
    FillVrefEdit();
}

void ConversionControl::FillVrefEdit() {
    VrefEdit = fixedText(Vref, 5, 3);
    if (ParseDecimal(VrefEdit, ".") == Vref) return;
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, Vref, std::chars_format::fixed);
    VrefEdit.assign(digits, result.ptr);
}

void ConversionControl::menuInputChannelClick(int channel) {
    ComboBox2.select(size_t(channel));
    CtrlWordComboBoxChange();
}

void ConversionControl::menuInputScanAll1Click() {
    for (size_t i = ComboBox2.items.size(); i-- > 0;) {
        const std::string& item = ComboBox2.items[i];
        if (item.find("scan") != std::string::npos || item.find("Scan") != std::string::npos ||
            item.find("SCAN") != std::string::npos)
            ComboBox2.select(i);
    }
    CtrlWordComboBoxChange();
}

}  // namespace vx
