// The resident firmware as the PC sees it: beacon, banner, echo, rate
// commands, download and jump.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

// That a powered board sends no beacon when the port opens again is seen
// where the sequence asks for the reset button; which kind a banner names,
// where the sequence identifies each kind from it.
TEST(Firmware, BeaconAfterPowerOnAndResetsThenTheBannerOnceAndSilence) {
    KitDriver pc(ModuleKind::Cobalt);
    ASSERT_TRUE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_EQ(pc.readFor(49), "");  // still booting
    EXPECT_EQ(pc.readFor(20), "\xAA");
    pc.kit.resetModule();
    EXPECT_EQ(pc.readFor(100), "\xAA");
    pc.sendEscape("R");  // the firmware's own reset command
    EXPECT_EQ(pc.readFor(100), "\xAA");
    pc.send(" ");
    EXPECT_EQ(pc.readFor(5000).substr(0, 1), " ") << "the echoed space, then the banner";
    EXPECT_EQ(pc.readFor(5000), "");
    pc.send(" ");
    EXPECT_EQ(pc.readFor(100), " ") << "a second space is only echoed";
}

TEST(Firmware, BrantLeavesItsCommandsUnechoed) {
    KitDriver brant(ModuleKind::Brant);
    brant.openToBanner();
    brant.send("ab\x1BL");
    EXPECT_EQ(brant.readFor(200), "ab") << "ESC L is not echoed";
    brant.send("S9030000FC\r");
    EXPECT_EQ(brant.readFor(200), "S9030000FC\r") << "download lines are echoed";
}

TEST(Firmware, RateChangeLetsTheEchoOutFirstAndGarblesUntilThePcFollows) {
    KitDriver pc;
    pc.openToBanner();
    pc.send("\x1B" "B9");
    EXPECT_EQ(pc.readFor(100), "\x1B" "B9") << "the digit's echo still at 1200";
    EXPECT_EQ(pc.kit.moduleBaud(), 9600u);

    // The PC still at 1200: both directions garble, never into the sent byte.
    pc.send(">");
    const std::string garbled = pc.readFor(100);
    ASSERT_EQ(garbled.size(), 1u);
    EXPECT_NE(garbled[0], '>');
    EXPECT_NE(uint8_t(garbled[0]), 0xAA);
    pc.send(">");
    EXPECT_EQ(pc.readFor(100), garbled) << "garbling is a fixed function of byte and rates";

    pc.setBaud(9600);
    EXPECT_TRUE(pc.sendWithEcho("   >"));
}

// A bad checksum, a loader of another kind, the clock patch on an ARBORD
// board (COBALT boards reach 115200 baud through it end to end) or a jump
// with nothing loaded: the board halts, silent until reset.
TEST(Firmware, DownloadsThatCannotRunHaltTheBoard) {
    auto spoilt = KitDriver::loaderLines("KIT7318.ARB");
    spoilt[5].back() = spoilt[5].back() == '0' ? '1' : '0';  // spoil the checksum
    spoilt.insert(spoilt.begin() + 3, "");                     // empty lines are skipped
    const std::tuple<ModuleKind, std::vector<std::string>, size_t> cases[] = {
        {ModuleKind::Arbord, spoilt, 5},
        {ModuleKind::Cobalt, KitDriver::loaderLines("KIT7318.CWD"), SIZE_MAX},
        {ModuleKind::Arbord, {ResidentFirmware::PatchLine, "S9030000FC"}, SIZE_MAX},
        {ModuleKind::Arbord, {}, SIZE_MAX}};
    for (const auto& [kind, lines, bad] : cases) {
        KitDriver pc(kind);
        pc.openToBanner();
        EXPECT_EQ(pc.download(lines), "");
        EXPECT_EQ(pc.kit.moduleState(), ModuleState::Halted) << lines.size();
        EXPECT_EQ(pc.kit.moduleBaud(), 1200u);
        const auto loaded = pc.kit.loadedLines();
        ASSERT_EQ(loaded.size(), lines.size() - (bad != SIZE_MAX));
        for (size_t i = 0; i < loaded.size(); ++i) EXPECT_EQ(loaded[i].valid, i != bad) << i;
        pc.send("R");
        EXPECT_EQ(pc.readFor(1000), "");
        pc.kit.resetModule();
        EXPECT_EQ(pc.readFor(100), "\xAA");
    }
}
