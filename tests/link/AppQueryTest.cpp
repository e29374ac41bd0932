#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/RunningKit.h"
#include "sim/ModuleApplication.h"

namespace {

uint32_t msSince(Clock& clock, uint64_t startMicros) { return uint32_t((clock.micros() - startMicros) / 1000); }

TEST(AppQuery, DisabledQueriesSendNothingAndFail) {
    RunningKit k;  // observers hear every setting: see the debugger bridge's tests
    k.protocol.setAppEnabled(false);

    const uint64_t start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("XX87"), AppQueryProtocol::Failure);
    EXPECT_EQ(k.protocol.AppQuery(std::string("R")), "FAILURE");
    EXPECT_EQ(k.clock.micros(), start);

    k.clock.sleep(100);
    char rx[SerialPortLayer::RxBufferSize];
    EXPECT_FALSE(k.port.ReadString(rx, sizeof rx)) << "the module echoed something";
    EXPECT_EQ(k.kit.controlWord().value, 0x8F);
    EXPECT_TRUE(k.port.MemoHistory.empty());
}

TEST(AppQuery, ReplyIsTheTextBeforeThePrompt) {
    RunningKit k;
    k.kit.inputs().setLevel(0, 1.0);  // code 1000, result word 3E80
    const char* first = k.protocol.AppQuery("R");
    EXPECT_STREQ(first, "3E80");
    EXPECT_EQ(first, k.protocol.ReplyBuffer);

    // A prompt alone is an empty reply, and the next query overwrites the last.
    EXPECT_STREQ(k.protocol.AppQuery(">"), "");
    EXPECT_STREQ(first, "");

    // Only the final prompt goes; line ends and text stay as they came.
    const std::string help = ModuleApplication::Help;
    EXPECT_EQ(k.protocol.AppQuery("?"), help.substr(0, help.size() - 1));
}

TEST(AppQuery, ReplyEndsAfterTheQuietTime) {
    RunningKit k;
    // "X" starts a control word: echoed, never answered.
    uint64_t start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("X"), "");
    const uint32_t echoMs = 3;  // two byte times at 9600 baud, rounded up
    EXPECT_GE(msSince(k.clock, start), 50u);
    EXPECT_LE(msSince(k.clock, start), 50u + echoMs);

    k.protocol.AppQueryTimeoutMs = 200;
    start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("X"), "");  // "XX": the digits are still to come
    EXPECT_GE(msSince(k.clock, start), 200u);
    EXPECT_LE(msSince(k.clock, start), 200u + 2 * echoMs);

    // A closed port: nothing to send or read, the quiet time passes all the same.
    k.port.DoClosePort();
    start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("R"), "");
    EXPECT_EQ(msSince(k.clock, start), 200u);
}

TEST(AppQuery, SlowReplyIsOneTextWhileItsGapsStayWithinTheQuietTime) {
    // At 1200 baud a character follows the last after 8.3 ms.
    RunningKit k(1200);
    const std::string help = ModuleApplication::Help;
    k.protocol.AppQueryTimeoutMs = 10;
    EXPECT_EQ(k.protocol.AppQuery("?"), help.substr(0, help.size() - 1));

    // Shorter than one character's time: the reply ends before it starts.
    k.protocol.AppQueryTimeoutMs = 5;
    EXPECT_STREQ(k.protocol.AppQuery("?"), "");
}

TEST(AppQuery, NoEchoGivesAShortOrEmptyReplyNotAFailure) {
    RunningKit k;
    k.kit.faults().echoesLeft = 1;  // the "X" comes back, the "X" after it does not
    const uint64_t start = k.clock.micros();
    EXPECT_STREQ(k.protocol.AppQuery("XX8F"), "");
    EXPECT_GE(msSince(k.clock, start), 3000u + 50u);
    EXPECT_LE(msSince(k.clock, start), 3000u + 50u + 10u);
    // The rest of the query was never sent: the word is still the power-on one
    // and the module still waits for the control word's digits.
    EXPECT_EQ(k.kit.controlWord().value, 0x8F);
    k.kit.faults().echoesLeft = -1;
    EXPECT_STREQ(k.protocol.AppQuery("87"), "");
    EXPECT_EQ(k.kit.controlWord().value, 0x87);
}

TEST(AppQuery, LongReplyIsCutAt511Characters) {
    RunningKit k;
    // The module sends the echo and 600 characters before its own answer.
    k.kit.sendFromModule("R" + std::string(600, 'x') + ">");
    const char* reply = k.protocol.AppQuery("R");
    EXPECT_EQ(std::strlen(reply), 511u);
    EXPECT_EQ(std::string(reply), std::string(511, 'x'));
}

TEST(AppQuery, VanishedDeviceFails) {
    {  // unplugged before the query: the first write fails
        RunningKit k;
        k.kit.faults().unplugged = true;
        EXPECT_STREQ(k.protocol.AppQuery("R"), AppQueryProtocol::Failure);
        EXPECT_STREQ(k.protocol.ReplyBuffer, "");
        ASSERT_EQ(k.port.MemoHistory.count(), 1u);
        EXPECT_EQ(k.port.MemoHistory.line(0), "Error 5: WriteFile failed: Input/output error");
    }
    {  // unplugged while the reply comes in
        RunningKit k(1200);
        k.clock.at(k.clock.micros() + 300'000, [&] { k.kit.faults().unplugged = true; });
        const uint64_t start = k.clock.micros();
        EXPECT_STREQ(k.protocol.AppQuery("?"), AppQueryProtocol::Failure);
        EXPECT_LT(msSince(k.clock, start), 310u) << "waited on after the device had gone";
        EXPECT_EQ(k.port.MemoHistory.lastLine(), "Error 5: ReadFile failed: Input/output error");
    }
}

}  // namespace
