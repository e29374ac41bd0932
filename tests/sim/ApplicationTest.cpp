// The downloaded application's queries and the converter behind them.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vx {

namespace {

// A kit whose board runs the application at 9600 baud.
struct AppDriver : KitDriver {
    explicit AppDriver(ModuleKind kind = ModuleKind::Arbord) : KitDriver(kind) {
        kit.open(SimulatedKit::PortName);
        readFor(100);
        sendEscape(kind == ModuleKind::Brant ? "Q\xFD" : "B9");
        setBaud(9600);
        kit.runApplication();
    }
    // Control word as the program sends it.
    void control(const char* hex) { query(std::string("XX") + hex); }
};

}  // namespace

TEST(Application, EchoesQueriesAndEndsEachReplyWithThePrompt) {
    AppDriver pc;
    // Line ends and spaces only echo; unknown text and a cut-off query get "?".
    const std::pair<const char*, const char*> exchanges[] = {
        {"R", "R0000>"},    {"XX8F", "XX8F>"}, {"Z0010", "Z0010>"},  {">", ">>"},
        {"\r\n ", "\r\n "}, {"XA", "XA?>"},    {"Z12\r", "Z12\r?>"}, {"w", "w?>"}};
    for (const auto& [sent, answer] : exchanges) {
        pc.send(sent);
        EXPECT_EQ(pc.readUntilQuiet(), answer) << sent;
    }
}

// Each reply word is read back against inputs chosen so that every channel
// gives its own code; that each channel's menu reads its own input is seen
// in the conversion control's tests.
TEST(Application, ControlWordSelectsChannelModeAndPowerAndReadAllGivesEveryChannel) {
    AppDriver pc;
    const double levels[] = {1.0, 3.0, 5.0, -0.5, 2.1005, 2.6005, 3.1005, 3.6005};  // 5 V above Vref
    for (int ch = 0; ch < 8; ++ch) pc.kit.inputs().setLevel(ch, levels[ch]);
    const std::pair<const char*, const char*> cases[] = {
        {"9F", "FFF0"}, {"DF", "0000"}, {"FF", "E100"},  // unipolar, clamped at 4095 and 0; left-justified
        {"0F", "E100"},                                  // no start bit: the converter keeps its word
        {"FC", "0000"},                                  // full power-down reads 0
        {"FD", "E100"},                                  // fast power-down converts
        {"D7", "E0C0"},                                  // ch3 bipolar: -500 as 12-bit two's complement
        {"C7", "7FF0"},                                  // ch1 bipolar: 3000 clamps to 2047
        {"C3", "7D00"},                                  // ch1 against ch0, bipolar differential: +2000
        {"8B", "0000"},                                  // ch0 unipolar differential: negative clamps to 0
        {"93", "7FF0"},                                  // ch2 - ch3 = 5.5 V bipolar: clamps to 2047
    };
    for (const auto& [control, reply] : cases) {
        pc.control(control);
        EXPECT_EQ(pc.query("R"), reply) << control;
    }
    pc.control("EF");  // channel 5: A ignores the selected channel
    EXPECT_EQ(pc.query("A"), "3E80 BB80 FFF0 0000 8340 A280 C1C0 E100 ");
}

// Ramps and sines are read in the sampling and the tool's tests; the upload's
// format and addresses, wrapping past FE, in the sampling tool's.
TEST(Application, SamplingStoresAtSixThousandPerSecondAndUploadStepsBothWays) {
    AppDriver pc;
    pc.kit.inputs()[0] = InputSignal{0.0, 6.0};  // 1 mV per sample
    pc.query("Z0082");                           // 130 samples
    const uint64_t start = pc.clock.micros();
    pc.send("C");
    EXPECT_EQ(pc.readFor(5), "C");
    EXPECT_EQ(pc.readUntilQuiet(50), ">");
    EXPECT_NEAR(double(pc.clock.micros() - 50'000 - start) / 1e6, 130.0 / 6000, 0.003);

    const auto samples = pc.kit.storedSamples();
    ASSERT_EQ(samples.size(), 130u);
    EXPECT_NEAR(samples[129] >> 4, (samples[0] >> 4) + 129, 2);
    for (int i = 0; i < 130; ++i) pc.query("U");
    // After the last sample "."; "-" steps back (sample 128 again, address wrapped).
    for (const char* step : {"U.", "U.", "-", "-", "U00", "U02", "U."}) {
        const std::string reply = pc.query(std::string(1, step[0]));
        EXPECT_EQ(step[0] == 'U' ? reply.substr(0, std::strlen(step + 1)) : reply, step + 1) << step;
    }
}

}  // namespace vx
