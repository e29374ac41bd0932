#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graph/ZorTape.h"
#include "support/ThrownText.h"

namespace vx {

namespace {

using Codes = std::vector<int>;

Codes Records(const TZorTape& tape, int ch, int count) {
    Codes values;
    for (int r = 0; r < count; ++r) values.push_back(tape.Channels[ch].Data[r]);
    return values;
}

const std::string kPastEnd = "Vanto TZorTape::SetThisRecord -- exceeds NumRecords";
const std::string kUsedPastEnd = "Vanto TZorTape::SetRecordsUsed -- exceeds NumRecords";

}  // namespace

// The cursor moves on when a channel repeats in a record; a channel's first
// value draws it as a flat line; a hidden channel that receives a value
// keeps its history. A value by colour goes to the lowest channel of it.
TEST(ZorTape, CursorFirstValuesHiddenChannelsAndColours) {
    TZorTape tape(1, 8);
    tape.Channels[0].Data.ReserveRight(8);
    tape.DataPointCh(0, 42);
    tape.DataPointCh(1, 6);
    EXPECT_EQ(Records(tape, 0, 8), Codes(8, 42));
    tape.DataPointCh(0, 43);
    EXPECT_EQ(tape.Channels[1].Data[0], 6);
    EXPECT_EQ((std::vector<std::uint32_t>{tape.ThisRecord(), tape.RecordsUsed()}), (std::vector<std::uint32_t>{1, 1}));
    EXPECT_FALSE(tape.Channels[1].PointInRecord);
    tape.SetThisChannel(0);
    tape.SetThisChannelEnabled(false);
    tape.DataPointCh(0, 7);
    EXPECT_TRUE(tape.GetThisChannelEnabled());
    EXPECT_EQ(Records(tape, 0, 8), (Codes{42, 43, 7, 42, 42, 42, 42, 42}));

    tape.SetThisChannel(2);
    tape.SetPlotColor(0xFF0000);
    tape.Channels[3].PlotColor = 0xFF0000;
    tape.DataPoint(0xFF0000, 3);
    tape.DataPoint(0x00FF00, 1);  // nobody has green
    EXPECT_EQ(tape.Channels[2].Data[2], 3);
    EXPECT_EQ(std::pair(tape.Channels[3].Data.Count(), tape.ThisChannel()), std::pair(0, 2u));
}

// A wrapping tape keeps the newest records; one that does not wrap refuses to
// run past its end, and a tape of no length still holds one record.
TEST(ZorTape, TheEndOfTheTapeWrapsOrIsRefused) {
    TZorTape tape(1, 4);
    for (int v = 1; v <= 6; ++v) tape.DataPointCh(0, v);
    EXPECT_EQ(Records(tape, 0, 4), (Codes{5, 6, 3, 4}));
    EXPECT_EQ(tape.RecordsUsed(), 4u);
    tape.SetThisRecord(10);
    EXPECT_EQ(tape.ThisRecord(), 2u);

    TZorTape flat(1, 4);
    flat.Wrap = false;
    for (int v = 1; v <= 5; ++v)
        EXPECT_EQ(ThrownText([&] { flat.DataPointCh(0, v); }), v == 5 ? kPastEnd : "(nothing thrown)");
    EXPECT_EQ(Records(flat, 0, 4), (Codes{1, 2, 3, 4}));
    EXPECT_EQ(flat.Channels[0].Data.High(), 3);
    EXPECT_EQ(ThrownText([&] { flat.SetRecordsUsed(5); }), kUsedPastEnd);
    flat.SetNumRecords(2);
    EXPECT_EQ(flat.RecordsUsed(), 2u);

    TZorTape none(1, 0);
    none.DataPointCh(0, 5);
    EXPECT_EQ(ThrownText([&] { none.DataPointCh(0, 6); }), kUsedPastEnd);
    none.SetThisRecord(5);
    EXPECT_EQ(none.ThisRecord(), 0u);
    none.Wrap = false;
    EXPECT_EQ(ThrownText([&] { none.SetThisRecord(0); }), kPastEnd);
}

}  // namespace vx
