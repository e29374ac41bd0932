// The line, the cable, the device calls and the faults, seen from the PC.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <cerrno>

// At 9600 baud the query tests see the same timing to the microsecond.
TEST(Line, EchoedCharacterCostsTwentyBitTimesAndCharactersQueueBackToBack) {
    KitDriver pc;
    pc.openToBanner();
    pc.readFor(10);
    const uint64_t start = pc.clock.micros();
    pc.send("x");
    ASSERT_TRUE(pc.kit.waitForInput(1000));
    EXPECT_NEAR(double(pc.clock.micros() - start), 20e6 / 1200, 2);
    EXPECT_EQ(pc.drain(), "x");

    // Five echoes end six byte times later.
    const uint64_t burst = pc.clock.micros();
    pc.send("abcde");
    std::string got;
    while (got.size() < 5 && pc.kit.waitForInput(1000)) got += pc.drain();
    EXPECT_EQ(got, "abcde");
    EXPECT_NEAR(double(pc.clock.micros() - burst), 60e6 / 1200, 5);
}

// A wait must jump from event to event, never spin.
TEST(Line, WaitingSleepsFromEventToEventWithoutSpinning) {
    struct CountingClock : VirtualClock {
        void sleepUntil(uint64_t deadline) override {
            ++sleeps;
            VirtualClock::sleepUntil(deadline);
        }
        int sleeps = 0;
    } clock;
    SimulatedKit kit(clock);
    kit.open(SimulatedKit::PortName);
    EXPECT_TRUE(kit.waitForInput(1000));  // boot timer, then the beacon
    EXPECT_EQ(clock.micros(), 50'000u + 8'333u);
    EXPECT_LE(clock.sleeps, 2);
    char c;
    kit.read(&c, 1);
    clock.sleeps = 0;
    EXPECT_FALSE(kit.waitForInput(3000));  // nothing due: straight to the time-out
    EXPECT_EQ(clock.sleeps, 1);
}

TEST(Line, DeviceCallsReportErrnoCodesAndAnUnpluggedAdapterFails) {
    KitDriver pc;
    char buffer[8];
    LineSettings settings;
    ModemLines lines;
    EXPECT_FALSE(pc.kit.open("/dev/ttyS0"));
    EXPECT_EQ(pc.kit.lastError().code, ENOENT);
    // A closed port: every call fails with EBADF.
    const bool failed[] = {pc.kit.read(buffer, 8) == -1, pc.kit.write("x", 1) == -1, !pc.kit.waitForInput(10),
                           !pc.kit.getSettings(settings), !pc.kit.getModemLines(lines), !pc.kit.close()};
    for (bool f : failed) EXPECT_TRUE(f);
    EXPECT_EQ(pc.kit.lastError().code, EBADF);
    EXPECT_FALSE(pc.kit.lastError().text.empty());

    ASSERT_TRUE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_FALSE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_EQ(pc.kit.lastError().code, EBUSY);
    settings.baud = 0;
    EXPECT_FALSE(pc.kit.setSettings(settings));
    EXPECT_EQ(pc.kit.lastError().code, EINVAL);
    EXPECT_EQ(pc.kit.read(buffer, 8), 0);

    // An unplugged adapter fails with EIO until it is plugged in and opened
    // again; that it ends a wait under way is seen by the query tests.
    pc.kit.faults().unplugged = true;
    EXPECT_EQ(pc.kit.write("x", 1), -1);
    EXPECT_EQ(pc.kit.lastError().code, EIO);
    EXPECT_TRUE(pc.kit.gone());
    EXPECT_TRUE(pc.kit.close());
    EXPECT_FALSE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_EQ(pc.kit.lastError().code, ENOENT);
    pc.kit.faults().unplugged = false;
    EXPECT_TRUE(pc.kit.open(SimulatedKit::PortName));
    EXPECT_FALSE(pc.kit.gone());
}

// CTS follows RTS through the cable's loop, unless the cable is faulty; DSR follows DTR.
TEST(Line, CableLoopsRtsToCtsUnlessFaultyAndDsrFollowsDtr) {
    KitDriver pc;
    pc.kit.open(SimulatedKit::PortName);
    struct Case {
        Cable cable;
        bool rts, cts;
    };
    for (const Case c : {Case{Cable::Loopback, true, true}, Case{Cable::Loopback, false, false},
                         Case{Cable::NoLoopback, true, false}, Case{Cable::CtsStuckHigh, false, true}}) {
        pc.kit.setCable(c.cable);
        pc.kit.setRts(c.rts);
        pc.kit.setDtr(c.rts);
        ModemLines lines;
        pc.kit.getModemLines(lines);
        EXPECT_EQ(lines.cts, c.cts) << int(c.cable) << c.rts;
        EXPECT_EQ(lines.dsr, c.rts);
    }
}

TEST(Line, ReceiveBufferHoldsFourKilobytesPurgeClearsItAndModuleTextQueuesBehindEchoes) {
    KitDriver pc;
    pc.openToBanner();
    pc.kit.sendFromModule(std::string(5000, 'x'));
    pc.clock.advance(10'000);  // 5000 bytes at 1200 baud take 41.7 s
    pc.clock.advance(40'000);
    EXPECT_EQ(pc.drain().size(), SimulatedKit::ReceiveBufferSize);

    pc.kit.sendFromModule("abc");
    pc.clock.advance(100);
    pc.kit.purge(PurgeRxClear);
    EXPECT_EQ(pc.drain(), "");

    // Clearing the transmit queue drops what has not started yet.
    pc.send("12345");
    pc.clock.sleepMicros(1000);
    pc.kit.purge(PurgeTxAbort | PurgeTxClear);
    EXPECT_EQ(pc.readFor(100), "1");

    pc.send("ab");
    pc.clock.sleepMicros(17'000);  // both arrived; echo of "a" on the line
    pc.kit.sendFromModule("!");
    EXPECT_EQ(pc.readFor(100), "ab!");
}

// Lost and wrong echoes are seen through the port layer's echo waits.
TEST(Faults, GarbledTextAndASilentBoard) {
    KitDriver pc;
    pc.kit.faults().silent = true;
    pc.kit.open(SimulatedKit::PortName);
    EXPECT_EQ(pc.readFor(1000), "") << "no beacon";
    pc.kit.faults().silent = false;

    pc.kit.faults().garbledFromModule = 1;
    pc.send("ok");
    const std::string got = pc.readFor(100);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_NE(got[0], 'o');
    EXPECT_EQ(got[1], 'k');
}

TEST(Faults, ResetInTheMiddleOfAQueryOrAnUpload) {
    KitDriver pc;
    pc.kit.open(SimulatedKit::PortName);
    pc.readFor(100);
    pc.kit.runApplication();
    pc.kit.faults().resetAfterReceived = 3;
    pc.send("XX8F");
    EXPECT_EQ(pc.readFor(200), "XX\xAA") << "two echoes, then the reset's beacon";
    EXPECT_EQ(pc.kit.moduleState(), ModuleState::Firmware);

    pc.kit.runApplication();
    pc.query("Z0004");
    pc.query("C");
    pc.readFor(10);
    EXPECT_EQ(pc.query("U").size(), 6u);
    pc.send("U");
    pc.clock.sleepMicros(17'000);  // the reply is on its way
    pc.kit.resetModule();
    EXPECT_EQ(pc.readFor(200), "U\xAA") << "the reply is cut off";
}
