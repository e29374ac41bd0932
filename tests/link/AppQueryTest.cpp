#include <gtest/gtest.h>

#include <cstring>

#include "link/RunningKit.h"
#include "sim/ModuleApplication.h"

namespace vx {

namespace {

uint32_t msSince(Clock& clock, uint64_t start) { return uint32_t((clock.micros() - start) / 1000); }

constexpr uint64_t CharMicros = 1042;  // ten bit times at 9600 baud

TEST(AppQuery, ReplyIsTheTextBeforeThePromptAndTheHistoryHasALineForEach) {
    RunningKit k;
    k.kit.inputs().setLevel(0, 1.0);  // code 1000, result word 3E80
    const char* first = k.protocol.AppQuery("R");
    EXPECT_STREQ(first, "3E80");

    // A prompt alone is an empty reply, and the next query overwrites the last.
    EXPECT_STREQ(k.protocol.AppQuery(">"), "");
    EXPECT_STREQ(first, "");

    // Only the final prompt goes; line ends and text stay as they came.
    const std::string help = ModuleApplication::Help;
    EXPECT_EQ(k.protocol.AppQuery("?"), help.substr(0, help.size() - 1));
    using Lines = std::vector<std::string>;
    EXPECT_EQ(k.port.MemoHistory().lines(),
              (Lines{"R", "3E80>", ">", ">", "?", "", "{0x0A}R read  A read all  XXhh control word",
                     "{0x0A}Zhhhh count  C capture  U upload  - back", "{0x0A}>"}));
}

// A reply that ends with the prompt is complete once the guard passes without
// more text; with the prompt ending off, only the quiet time ends it.
TEST(AppQuery, ReplyEndsAtThePromptOrAfterTheQuietTimeOrAMissingEcho) {
    for (const bool atPrompt : {true, false}) {
        RunningKit k;
        k.protocol.setEndReplyAtPrompt(atPrompt);
        const uint64_t start = k.clock.micros();
        EXPECT_EQ(std::strlen(k.protocol.AppQuery("R")), 4u);
        // "R" out, its echo back, then "hhhh>": seven characters.
        EXPECT_EQ(k.clock.micros(), start + 7 * CharMicros + (atPrompt ? 3 * CharMicros : 50'000)) << atPrompt;
    }
    // Text that follows a ">" within the guard belongs to the reply.
    for (const auto& [gapChars, reply] : {std::pair{0, "12>34"}, {2, "12>34"}, {4, "12"}}) {
        RunningKit k;
        const uint64_t firstPart = k.clock.micros() + 3 * CharMicros;  // after the echo of "X"
        k.kit.sendFromModuleAt(firstPart, "12>");
        k.kit.sendFromModuleAt(firstPart + (3 + gapChars) * CharMicros, "34>");
        EXPECT_STREQ(k.protocol.AppQuery("X"), reply) << gapChars;
    }
    // No echo: a short or empty reply, not a failure, and the rest of the query unsent.
    RunningKit k;
    k.kit.faults().echoesLeft = 1;  // the "X" comes back, the "X" after it does not
    const uint64_t start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("XX8F"), "");
    EXPECT_GE(msSince(k.clock, start), 3000u + 50u);
    EXPECT_LE(msSince(k.clock, start), 3000u + 50u + 10u);
    EXPECT_EQ(k.kit.controlWord().value, 0x8F);
}

// A module that never stops sending: the reply is cut at 511 characters, and
// the collection after a full buffer's line time plus the quiet time.
TEST(AppQuery, FloodingModuleIsCutOffInTextAndTime) {
    RunningKit k;
    const uint64_t start = k.clock.micros();
    k.kit.sendFromModuleAt(start + 3 * CharMicros, std::string(5000, 'x'));
    EXPECT_EQ(std::string(k.protocol.AppQuery("X")), std::string(511, 'x'));
    EXPECT_GE(k.clock.micros() - start, k.protocol.replyLimitMicros());
    EXPECT_LE(k.clock.micros() - start, k.protocol.replyLimitMicros() + 4 * CharMicros);
    EXPECT_EQ(k.port.MemoHistory().lastLine(), "Reply cut after 583 ms: the module kept sending");
}

// Disabled, nothing is sent and no time passes; a vanished device fails at
// once; a closed port gives an empty reply after the quiet time.
TEST(AppQuery, DisabledVanishedOrClosed) {
    {
        RunningKit k;
        k.protocol.setAppEnabled(false);
        const uint64_t start = k.clock.micros();
        EXPECT_STREQ(k.protocol.AppQuery("XX87"), AppQueryProtocol::Failure);
        EXPECT_EQ(k.clock.micros(), start);
        EXPECT_EQ(k.kit.controlWord().value, 0x8F);
        k.protocol.setAppEnabled(true);
        k.protocol.setAppQueryTimeoutMs(200);
        k.port.DoClosePort();
        EXPECT_STREQ(k.protocol.AppQuery("R"), "");
        EXPECT_EQ(msSince(k.clock, start), 200u);
    }
    {  // unplugged while the reply comes in
        RunningKit k;
        k.clock.at(k.clock.micros() + 20'000, [&] { k.kit.faults().unplugged = true; });
        const uint64_t start = k.clock.micros();
        EXPECT_STREQ(k.protocol.AppQuery("?"), AppQueryProtocol::Failure);
        EXPECT_STREQ(k.protocol.ReplyBuffer(), "");
        EXPECT_LT(msSince(k.clock, start), 25u) << "waited on after the device had gone";
    }
}

}  // namespace

}  // namespace vx
