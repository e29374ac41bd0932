#include "sim/SimulatedKit.h"

#include <gtest/gtest.h>

namespace {

struct Pc {
    VirtualClock clock;
    SimulatedKit kit;
    explicit Pc(ModuleKind kind = ModuleKind::Arbord) : kit(clock, kind) {}

    std::string readFor(uint32_t ms) {
        std::string text;
        const uint64_t end = clock.micros() + uint64_t(ms) * 1000;
        while (clock.micros() < end) {
            kit.waitForInput(uint32_t((end - clock.micros() + 999) / 1000));
            char buf[256];
            long n = kit.read(buf, sizeof buf);
            if (n > 0) text.append(buf, size_t(n));
        }
        return text;
    }
};

}  // namespace

TEST(SimulatedKit, BeaconAfterOpen) {
    Pc pc;
    ASSERT_TRUE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_EQ(pc.readFor(100), "\xAA");
    pc.kit.write(" ", 1);
    std::string banner = pc.readFor(1000);
    EXPECT_NE(banner.find("VANTO"), std::string::npos) << banner;
    EXPECT_NE(banner.find("ARBOR"), std::string::npos);
}
