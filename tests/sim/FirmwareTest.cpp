// The resident firmware as the PC sees it: echo, download and jump.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vx {

// Beacon, banner and rates are seen end to end, where the sequence meets each
// kind and the tool reports the setup time; the firmware's echo is what the
// download's check relies on.
TEST(Firmware, BrantLeavesItsCommandsUnechoed) {
    KitDriver brant(ModuleKind::Brant);
    brant.openToBanner();
    brant.send("ab\x1BL");
    EXPECT_EQ(brant.readFor(200), "ab") << "ESC L is not echoed";
    brant.send("S9030000FC\r");
    EXPECT_EQ(brant.readFor(200), "S9030000FC\r") << "download lines are echoed";
}

// A bad checksum, a loader of another kind, the clock patch on an ARBORD
// board (COBALT boards reach 115200 baud through it end to end) or a jump
// with nothing loaded: the board halts, silent until reset.
TEST(Firmware, DownloadsThatCannotRunHaltTheBoard) {
    auto spoilt = KitDriver::loaderLines("KIT7318.ARB");
    spoilt[5].back() = spoilt[5].back() == '0' ? '1' : '0';  // spoil the checksum
    spoilt.insert(spoilt.begin() + 3, "");                   // empty lines are skipped
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

}  // namespace vx
