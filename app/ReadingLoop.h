#pragma once
// Reading the converter: one "R" (or, scanning all channels, one "A") per
// reading, each result shown in its channel's row, fed to the real-time
// graph and passed through the statistics: the mean and rms of the last ten
// voltages, the lowest and highest codes, and a filtered code that also
// serves as the tare offset.
//
// The texts the main window shows live in ReadingsView, under the names of
// the labels that show them; the window copies them after every operation.
#include <array>
#include <cstdint>
#include <string>

#include "app/ConversionControl.h"
#include "app/ReadingTimer.h"
#include "support/ZrQueue.h"

namespace vx {

class QuerySender;

// Where readings go besides the window's texts.
class ReadingTarget {
public:
    virtual ~ReadingTarget() = default;
    // The status changed: draw it now, the query that follows blocks.
    virtual void showStatus(const std::string& status) = 0;
    // One result for the graph that is being fed.
    virtual void Graph_Data_Point(int channel, int32_t code) = 0;
    // The automatic rescale of the graph that is being fed.
    virtual bool AutoScale() = 0;
    virtual void SetAutoScale(bool on) = 0;
};

// What the main window shows of the readings.
struct ReadingsView {
    static constexpr int Channels = 8;
    static constexpr const char* UnknownVolts = "+?.??? V";
    static constexpr const char* UnknownCode = "???";

    std::string StatusLabel = "*";
    bool StatusVisible = true;
    bool AUTOREADcheckbox = false;
    std::string UpdateRateComboBox = "500";
    std::array<std::string, Channels> Vin;
    std::array<std::string, Channels> Code;
    std::string VAvg = UnknownVolts, CodeRms = UnknownVolts, VMin = UnknownVolts, VMax = UnknownVolts;
    std::string CodeAvg = UnknownCode, CodeMin = UnknownCode, CodeMax = UnknownCode;
    bool TareCheckBox = false;
    std::string TareCheckBoxCaption = "Tare Offset = 0";
};

// The shown texts are a private base, so that the operations below write
// them by their labels' names while callers only read them through view().
class ReadingLoop : private ReadingsView {
public:
    using ReadingsView::Channels;
    using ReadingsView::UnknownCode;
    using ReadingsView::UnknownVolts;
    static constexpr size_t ScanReplyLength = 40;
    static constexpr double FilterWeight = 0.95;
    static constexpr int FallbackInterval = 100;
    static constexpr const char* ClearedVolts = "+?.???V";

    ReadingLoop(ConversionControl& control, QuerySender& link, ReadingTarget& target, Clock& clock);

    // One reading: the "&Read" button, the timer and the window's first show.
    // A reply without a conversion shows "!" and changes nothing else;
    // "FAILURE" also stops automatic reading, and so does an exception,
    // which then goes on to the caller.
    void UpdateButtonClick();
    void Timer1Timer();
    void AUTOREADcheckboxClick(bool ticked);
    // The rate list's text as milliseconds; text that is no number, and an
    // interval of 0 or below (which would never fire), give 100 ms.
    void UpdateRateComboBoxChange(const std::string& text);
    void StopAutoRead();
    // The last decoded result, as channel CurrentChannel's, everywhere.
    void ShowConversion() { ShowConversion(control_.state().CurrentChannel); }
    // The last decoded result as the given channel's.
    void ShowConversion(int channel);
    void TareCheckBoxClick(bool ticked);
    void ClearStatisticsButtonClick();

    static int IntervalFromText(const std::string& text);

    // The reading timer (paused by modal tools, restored after a reading).
    ReadingTimer& Timer1() { return timer1_; }
    const ReadingsView& view() const { return *this; }

    // --- Statistics ---
    // They start from the first reading after start-up or a clear: the queue
    // and the filter then hold that reading, not zeros.
    const TZrQueue& Queue() const { return queue_; }
    // Kept unrounded, so that it settles on the readings' mean rather than
    // drifting toward zero; rounded to the nearest code where shown or tared.
    double FilteredCode() const { return filteredCode_; }
    int32_t RoundedFilteredCode() const;

private:
    void setStatus(const char* status);
    // True when every channel of the reply was shown.
    bool readAllChannels(const std::string& reply);
    // False when the module failed ("FAILURE"): automatic reading is off.
    bool readOnce();
    bool fail();

    ReadingTimer timer1_;
    TZrQueue queue_;
    int32_t minCodeSeen_ = 4095;
    int32_t maxCodeSeen_ = 0;
    double filteredCode_ = 0;
    bool statisticsStarted_ = false;
    bool haveReading_ = false;

    ConversionControl& control_;
    QuerySender& link_;
    ReadingTarget& target_;
};

}  // namespace vx
