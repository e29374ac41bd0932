#include "link/SerialPortLayer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include "sim/SimulatedKit.h"
#include "support/SpyDevice.h"

namespace vx {

namespace {

using Lines = std::vector<std::string>;

struct CountingObserver : PortObserver {
    int opened = 0;
    int closed = 0;
    void portOpened(SerialDevice&) override { ++opened; }
    void portClosed() override { ++closed; }
};

// The port layer on the simulated kit, seen through a spy, in virtual time
// that starts a second before the millisecond count wraps: every wait of
// three seconds spans the wrap.
class PortOnKit : public ::testing::Test {
protected:
    PortOnKit() { port.setObserver(&observer); }

    // Opens the kit's port, lets the board boot and throws away its beacon.
    void openKit() {
        port.setHwPort(SimulatedKit::PortName);
        ASSERT_TRUE(port.DoOpenPort());
        clock.advance(100);
        while (port.ReadRxBuffer()) {
        }
        port.MemoHistory().clear();
        spy.forget();
    }
    // Lets the board's bytes arrive, then reads them in one go.
    std::string receive(const std::string& bytes, size_t size = SerialPortLayer::RxBufferSize) {
        kit.sendFromModule(bytes);
        clock.advance(uint32_t(bytes.size() * 10 + 10));  // 1200 baud: 8.3 ms a byte
        buffer.assign(size, '\x7F');
        if (!port.ReadString(buffer.data(), size)) return "(nothing)";
        return buffer.data();
    }

    VirtualClock clock{uint64_t(0xFFFFFFFFu - 1000) * 1000};
    SimulatedKit kit{clock};
    SpyDevice spy{kit};
    SerialPortLayer port{spy, clock};
    CountingObserver observer;
    std::vector<char> buffer;
};

}  // namespace

TEST_F(PortOnKit, OpenConfiguresInOrderOrClosesAgainOnFailure) {
    EXPECT_FALSE(port.DoOpenPort());
    port.setHwPort("nowhere");
    EXPECT_FALSE(port.DoOpenPort());
    port.setHwPort(SimulatedKit::PortName);
    for (auto [call, text] : {std::pair{"purge 2", "Error 5: PurgeComm failed: Input/output error"},
                              std::pair{"setSettings 1200", "Error 5: SetCommState failed: Input/output error"}}) {
        spy.failNext(call, EIO);
        EXPECT_FALSE(port.DoOpenPort());
        EXPECT_FALSE(kit.isOpen());
    }
    EXPECT_EQ(port.MemoHistory().lines(),
              (Lines{"Error: DoOpenPort was called without a port name",
                     "Error 2: Cannot open nowhere: No such file or directory",
                     "Connected to serial port Simulated kit", "Error 5: PurgeComm failed: Input/output error",
                     "Closed serial port", "Connected to serial port Simulated kit",
                     "Error 5: SetCommState failed: Input/output error", "Closed serial port"}));
    EXPECT_EQ(observer.opened, 0);

    spy.forget();
    ASSERT_TRUE(port.DoOpenPort());
    EXPECT_EQ(spy.calls,
              (Lines{"open", "getSettings", "purge 1", "purge 2", "setSettings 1200", "setDtr 0", "setRts 0"}));
    EXPECT_TRUE(port.PortDcb().dataBits == 8 && port.PortDcb().parity == LineSettings::Parity::None &&
                port.PortDcb().stopBits == 1 && !port.PortDcb().ctsFlow && !port.PortDcb().xonXoff);
    // A second open changes nothing.
    spy.forget();
    port.setHwPort("elsewhere");
    EXPECT_TRUE(port.DoOpenPort());
    EXPECT_TRUE(spy.calls.empty());
    EXPECT_EQ(observer.opened, 1);

    // A line without modem control (a pseudo-terminal) is no use for the
    // loopback check, but it opens and carries data all the same.
    ASSERT_TRUE(port.DoClosePort());
    port.setHwPort(SimulatedKit::PortName);
    spy.failNext("setDtr 0", ENOTTY);
    EXPECT_TRUE(port.DoOpenPort());
    EXPECT_EQ(port.MemoHistory().lastLine(), "Error 25: EscapeCommFunction failed: Inappropriate ioctl for device");
}

TEST_F(PortOnKit, CloseTellsWhoResetsOnlyOnceClosedAndTheClosedPortRefusesTheRest) {
    int closed = 0;
    port.setOnClosed([&] { ++closed; });
    EXPECT_TRUE(port.DoClosePort());  // nothing open: nothing to say, see the history below
    openKit();
    spy.failNext("close", EIO);
    EXPECT_FALSE(port.DoClosePort());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(port.DoClosePort());
    EXPECT_EQ(port.MemoHistory().lines(),
              (Lines{"Error 5: CloseHandle failed: Input/output error", "Closed serial port"}));
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(kit.isOpen());
    EXPECT_EQ(observer.closed, 3);

    // Every other operation refuses a closed port silently.
    port.MemoHistory().clear();
    spy.forget();
    char two[2];
    EXPECT_FALSE(port.DoGetBaud() || port.SetCommState() || port.DoHwSetBaud(9600) ||
                 port.ReadString(two, sizeof two) || port.WriteCharNoEcho('A') || port.WriteStringNoEcho("A") ||
                 port.WriteStringWaitForEcho("A") || port.RtsCtsLoopbackPresent());
    EXPECT_TRUE(spy.calls.empty());
    EXPECT_TRUE(port.MemoHistory().empty());
}

TEST_F(PortOnKit, LoopbackCheckFailsAtTheStepThatGivesTheCableAway) {
    openKit();
    const Lines both = {"setRts 0", "getModemLines", "setRts 1", "getModemLines"};
    for (auto [cable, present, calls] : {std::tuple{Cable::Loopback, true, both},
                                         {Cable::NoLoopback, false, both},  // RTS left up
                                         {Cable::CtsStuckHigh, false, Lines{"setRts 0", "getModemLines"}}}) {
        spy.forget();
        kit.setCable(cable);
        EXPECT_EQ(port.RtsCtsLoopbackPresent(), present);
        EXPECT_EQ(spy.calls, calls);
    }
    spy.failNext("getModemLines", EIO);
    EXPECT_FALSE(port.RtsCtsLoopbackPresent());
    EXPECT_EQ(port.MemoHistory().lines(), Lines{"Error 5: GetCommModemStatus failed: Input/output error"});
}

TEST_F(PortOnKit, SetBaudSkipsTheCurrentRateRejectsTinyOnesAndRefreshesTheBox) {
    openKit();
    EXPECT_TRUE(port.DoHwSetBaud(1200));
    for (uint32_t tiny : {0u, 1u, 0x80000000u}) EXPECT_FALSE(port.DoHwSetBaud(tiny)) << tiny;  // last: negative signed
    EXPECT_TRUE(spy.calls.empty());
    EXPECT_TRUE(port.DoHwSetBaud(9600));
    EXPECT_EQ(spy.calls, (Lines{"setSettings 9600", "getSettings"}));

    spy.failNext("setSettings 4800", EIO);
    EXPECT_FALSE(port.DoHwSetBaud(4800));
    EXPECT_EQ(port.PortDcb().baud, 4800u);  // the rate asked for stays
    EXPECT_EQ(port.cbxHwBaud().text, "9600");
    spy.failNext("getSettings", EIO);
    EXPECT_EQ(port.DoGetBaud(), 0u);
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"Error 5: SetCommState failed: Input/output error",
                                                 "Error 5: GetCommState failed in DoGetBaud: Input/output error"}));

    // A new rate joins the box's list; opening again shows the port's
    // previous rate before setting it to 1200.
    ASSERT_TRUE(port.DoHwSetBaud(38400));
    EXPECT_EQ(port.cbxHwBaud().items, (Lines{"1200", "4800", "9600", "19200", "38400"}));
    ASSERT_TRUE(port.DoClosePort());
    ASSERT_TRUE(port.DoOpenPort());
    EXPECT_EQ(port.cbxHwBaud().text, "38400");
    EXPECT_EQ(port.DoGetBaud(), 1200u);
}

TEST_F(PortOnKit, ReceivedTextIsShownVisiblyAndBreaksTheHistoryAtCarriageReturns) {
    EXPECT_EQ(VisibleString(std::string("Az ~\r\x1b\x7f\x80\xAA\xff\0", 11)),
              "Az ~{0x0D}{0x1B}{0x7F}{0x80}{0xAA}{0xFF}{0x00}");  // how the history shows bytes
    openKit();
    EXPECT_EQ(receive(std::string("A\0B", 3)), "A^B");
    port.setSkipNulls(true);
    EXPECT_EQ(receive(std::string("A\0B\0\0C", 6)), "ABC");
    EXPECT_EQ(receive(std::string("\0", 1)), "");  // a character came, even if none is kept
    EXPECT_EQ(receive(""), "(nothing)");
    EXPECT_EQ(receive("OK\r\n>"), "OK\r\n>");
    EXPECT_EQ(port.EditHwRecv(), "OK{0x0D}{0x0A}>");
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"A^BABCOK", "{0x0A}>"}));

    port.MemoHistory().clear();
    receive(
        "\x1b\xAA"
        "a\rb\r\r");
    port.setCaptureRx(false);
    receive("off");
    port.setCaptureRx(true);
    port.setDownloading(true);
    receive("loading");
    EXPECT_EQ(port.EditHwRecv(), "loading");
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"{0x1B}{0xAA}a", "b", "", ""}));

    // Text after a carriage return is kept whole.
    port.setDownloading(false);
    port.MemoHistory().clear();
    const std::string a(150, 'a'), b(150, 'b');
    receive("\r" + a + "\r" + b, 512);
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"", a, b}));
    // A read fills the buffer it is given and no more.
    EXPECT_EQ(receive("abcdef", 4), "abc");
}

TEST_F(PortOnKit, WritesWithoutEchoCaptureTheTextVisibly) {
    openKit();
    EXPECT_TRUE(port.WriteCharNoEcho('\x1b'));
    EXPECT_TRUE(port.WriteStringNoEcho("R\r"));
    // The end of a text: nothing to send.
    EXPECT_FALSE(port.WriteCharNoEcho('\0') || port.WriteStringNoEcho("") || port.WriteStringNoEcho(nullptr));
    port.setCaptureTx(false);
    EXPECT_TRUE(port.WriteStringNoEcho("quiet") && port.WriteCharNoEcho('q'));
    EXPECT_EQ(spy.written, "\x1bR\rquietq");
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"{0x1B}", "R{0x0D}"}));

    // A write that fails or stops short is no success, and nothing claims the text went out.
    port.setCaptureTx(true);
    port.MemoHistory().clear();
    spy.shortenNextWrite(2);
    EXPECT_FALSE(port.WriteStringNoEcho("ABCD"));
    spy.shortenNextWrite(0);
    EXPECT_FALSE(port.WriteCharNoEcho('A'));
    spy.failNext("write", EIO);
    EXPECT_FALSE(port.WriteCharNoEcho('A'));
    spy.failNext("write", EIO);
    EXPECT_FALSE(port.WriteStringWaitForEcho("A"));
    EXPECT_EQ(port.MemoHistory().lines(), (Lines{"Error 5: WriteFile failed: Input/output error",
                                                 "Error 5: WriteFile failed: Input/output error"}));
}

// Each character must come back, in order, within three seconds; other
// characters are passed over. (Whole lines at once: the download's tests.)
TEST_F(PortOnKit, EchoedTextIsCheckedCharacterByCharacter) {
    openKit();
    kit.faults().echoesLeft = 1;
    kit.sendFromModule("x");
    clock.advance(10);
    uint32_t start = clock.ticks();
    EXPECT_FALSE(port.WriteStringWaitForEcho("ABC"));
    EXPECT_TRUE(clock.ticks() - start >= 3000 && clock.ticks() - start <= 3040) << clock.ticks() - start;
    EXPECT_EQ(spy.written, "AB");
    EXPECT_EQ(port.MemoHistory().lines(), Lines{"xA"});

    // A failed read ends the wait at once, without retrying for three seconds.
    kit.faults().echoesLeft = -1;
    port.MemoHistory().clear();
    spy.failNext("read", EIO);
    start = clock.ticks();
    EXPECT_FALSE(port.WriteStringWaitForEcho("AB"));
    EXPECT_LT(clock.ticks() - start, 100u);
    EXPECT_EQ(port.MemoHistory().lines(), Lines{"Error 5: ReadFile failed: Input/output error"});
}

// How the window hears of each change is seen in the serial window's tests.
TEST(History, AppendsToTheLastLineOrStartsALineAndSplitsLongText) {
    VirtualClock clock(5000);
    History history;
    history.setClock(&clock);
    history.appendToLast("OK");  // no line yet: this starts one
    history.appendToLast(">");
    history.endLine();  // the next text is a line of its own
    clock.advance(7);
    history.appendToLast("R");
    history.addLine("Closed serial port");
    history.deleteFirstLine();
    EXPECT_EQ(history.lines(), (Lines{"R", "Closed serial port"}));
    EXPECT_EQ(history.stampMicros(0), 12000u);

    // Text beyond MaxLineLength goes on in new lines, with nothing dropped and
    // a byte's notation never split between two lines.
    const size_t max = History::MaxLineLength;
    const std::string c(max - 3, 'c'), e(max, 'e');
    for (const auto& [start, appended, expected] :
         {std::tuple{std::string(), std::string(max + 10, 'a'), Lines{std::string(max, 'a'), std::string(10, 'a')}},
          {"xy", std::string(max, 'b'), Lines{"xy" + std::string(max - 2, 'b'), "bb"}},
          {c, "{0x1B}d", Lines{c, "{0x1B}d"}},
          {e, "f", Lines{e, "f"}}}) {
        History one;
        one.addLine(start);
        one.appendToLast(appended);
        EXPECT_EQ(one.lines(), expected) << start.size() << "+" << appended;
    }
}

// Hours of readings, each an echo and a reply: at most the newest MaxLines
// lines of at most MaxLineLength characters are kept, the window told of each.
TEST(History, StaysBoundedInLinesAndCharacters) {
    History history;
    size_t shown = 0;
    history.setOnChange([&](History::Change change, std::string_view) {
        shown += change == History::Change::LineAdded ? 1 : change == History::Change::FirstLineDeleted ? -1 : 0;
    });
    for (int reading = 0; reading < 100000; ++reading) {
        history.addLine("R");
        history.endLine();
        history.appendToLast(reading % 1000 == 0 ? std::string(3 * History::MaxLineLength, 'x') : "3E80>");
    }
    EXPECT_TRUE(history.count() <= History::MaxLines && history.count() > History::MaxLines * 9 / 10);
    EXPECT_EQ(shown, history.count());
    EXPECT_EQ(history.lastLine(), "3E80>");
}

}  // namespace vx
