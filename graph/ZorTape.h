#pragma once
// The record store behind every graph: one integer code per channel and record.
// A cursor (ThisChannel, ThisRecord) says where the next value lands; it moves
// to the next record when a channel receives its second value for the current
// one, and with Wrap on it runs round the tape like a ring.
#include <cstdint>

#include "graph/GraphChannel.h"
#include "graph/OffsetArray.h"

namespace vx {

class TZorTape {
public:
    // The first integer is accepted and ignored; the second is the tape length.
    TZorTape(int unused, std::uint32_t numRecords);

    int GetNumChannels() const;
    // Reserves room for n channels (grow only); creates none.
    void SetNumChannels(int n);

    std::uint32_t NumRecords() const { return numRecords_; }
    // Reserves n records in every channel in use, lowers RecordsUsed to n if needed.
    void SetNumRecords(std::uint32_t n);

    std::uint32_t RecordsUsed() const { return recordsUsed_; }
    // Throws "Vanto TZorTape::SetRecordsUsed -- exceeds NumRecords" above NumRecords.
    void SetRecordsUsed(std::uint32_t n);

    std::uint32_t ThisChannel() const { return thisChannel_; }
    void SetThisChannel(std::uint32_t n) { thisChannel_ = n; }

    std::uint32_t ThisRecord() const { return thisRecord_; }
    // Wraps modulo NumRecords, or without Wrap throws
    // "Vanto TZorTape::SetThisRecord -- exceeds NumRecords" at or past the end.
    void SetThisRecord(std::uint32_t n);

    // Cursor channel, cursor record and RecordsUsed back to 0; the data stay.
    void ResetCursor();

    // Colour and switch of channel ThisChannel, which these create if needed.
    TColor GetPlotColor();
    void SetPlotColor(TColor color);
    bool GetThisChannelEnabled();
    void SetThisChannelEnabled(bool enabled);

    // Stores one value at the cursor in channel ch (see ZorTape.cpp).
    void DataPointCh(std::uint32_t ch, std::int32_t value);
    // Stores the value in the lowest-numbered channel in use of that colour, if any.
    void DataPoint(TColor color, std::int32_t value);

    OffsetArray<GraphChannel> Channels;  // by channel number; growth step 0
    bool Wrap = true;

private:
    std::uint32_t numRecords_;
    std::uint32_t recordsUsed_ = 0;
    std::uint32_t thisChannel_ = 0;
    std::uint32_t thisRecord_ = 0;
};

}  // namespace vx
