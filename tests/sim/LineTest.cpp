// The line, the cable, the device calls and the faults, seen from the PC.
#include "KitDriver.h"

#include <gtest/gtest.h>

#include <cerrno>

// What an echo and a reply cost in line time the query tests see to the microsecond.

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

// That the cable loops RTS to CTS is seen by the port layer's loopback check.
TEST(Line, DeviceCallsReportErrnoCodesAndAnUnpluggedAdapterFails) {
    VirtualClock clock;
    SimulatedKit kit(clock);
    char buffer[8];
    LineSettings settings;
    ModemLines lines;
    auto error = [&](bool failed) { return failed ? kit.lastError().code : 0; };
    EXPECT_EQ(error(!kit.open("/dev/ttyS0")), ENOENT);
    // A closed port: every call fails.
    for (bool failed : {kit.read(buffer, 8) == -1, kit.write("x", 1) == -1, !kit.waitForInput(10),
                        !kit.getSettings(settings), !kit.getModemLines(lines), !kit.close()})
        EXPECT_EQ(error(failed), EBADF);
    EXPECT_FALSE(kit.lastError().text.empty());

    ASSERT_TRUE(kit.open(SimulatedKit::PortName));
    EXPECT_EQ(error(!kit.open(SimulatedKit::PortName)), EBUSY);
    settings.baud = 0;
    EXPECT_EQ(error(!kit.setSettings(settings)), EINVAL);
    EXPECT_EQ(kit.read(buffer, 8), 0);
    for (bool dtr : {false, true}) {  // DSR follows DTR
        kit.setDtr(dtr);
        kit.getModemLines(lines);
        EXPECT_EQ(lines.dsr, dtr);
    }

    // An unplugged adapter fails with EIO until it is plugged in and opened
    // again; that it ends a wait under way is seen by the query tests.
    kit.faults().unplugged = true;
    EXPECT_EQ(error(kit.write("x", 1) == -1), EIO);
    EXPECT_TRUE(kit.gone() && kit.close());
    EXPECT_EQ(error(!kit.open(SimulatedKit::PortName)), ENOENT);
    kit.faults().unplugged = false;
    EXPECT_TRUE(kit.open(SimulatedKit::PortName) && !kit.gone());
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

// A silent board and garbled text are seen where the connection and the
// command-line tool meet them.
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
