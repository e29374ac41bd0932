#include "platform/PosixSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>

namespace vx {

namespace {

struct Rate {
    speed_t speed;
    uint32_t baud;
};

// Every rate a port may report; the program itself sets only kSettableRates.
constexpr Rate kRates[] = {
    {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},     {B134, 134},     {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},   {B1800, 1800},   {B2400, 2400},
    {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

constexpr uint32_t kSettableRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

bool settableSpeed(uint32_t baud, speed_t& speed) {
    for (uint32_t rate : kSettableRates) {
        if (rate != baud) continue;
        for (const Rate& r : kRates)
            if (r.baud == baud) {
                speed = r.speed;
                return true;
            }
    }
    return false;
}

bool baudOf(speed_t speed, uint32_t& baud) {
    for (const Rate& r : kRates)
        if (r.speed == speed) {
            baud = r.baud;
            return true;
        }
    return false;
}

bool sizeFlag(uint8_t dataBits, tcflag_t& flag) {
    switch (dataBits) {
    case 5: flag = CS5; return true;
    case 6: flag = CS6; return true;
    case 7: flag = CS7; return true;
    case 8: flag = CS8; return true;
    default: return false;
    }
}

uint8_t dataBitsOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

// Raw bytes both ways, modem control lines ignored for open/read, a read
// returns as soon as one byte is there (and O_NONBLOCK makes it return at
// once when none is).
void makeRaw(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

// Errors after which the device will not come back on this descriptor.
bool meansGone(int code) { return code == EIO || code == ENXIO || code == ENODEV; }

}  // namespace

PosixSerialDevice::PosixSerialDevice(Clock& clock) : clock_(clock) {}

PosixSerialDevice::~PosixSerialDevice() { close(); }

bool PosixSerialDevice::open(const std::string& name) {
    if (isOpen()) return fail(EBUSY);
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);

    auto giveUp = [&](int code) {
        ::close(fd);
        return fail(code);
    };
    // TIOCEXCL keeps other programs out but not root; the lock keeps out every
    // other open, this program's own included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return giveUp(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(fd, TIOCEXCL) != 0) return giveUp(errno);

    termios t{};
    if (::tcgetattr(fd, &t) != 0) return giveUp(errno);
    makeRaw(t);  // keeps the rate the port had
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return giveUp(errno);

    fd_ = fd;
    setGone(false);
    return true;
}

bool PosixSerialDevice::close() {
    if (!isOpen()) return true;
    ::ioctl(fd_, TIOCNXCL);  // the exclusive flag outlives this descriptor otherwise
    const int fd = fd_;
    // The descriptor is released even when close() reports an error, so the
    // device counts as closed either way.
    fd_ = -1;
    if (::close(fd) != 0) return fail(errno);
    return true;
}

bool PosixSerialDevice::getSettings(LineSettings& out) {
    if (!isOpen()) return fail(EBADF);
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail(errno);
    uint32_t baud = 0;
    if (!baudOf(cfgetospeed(&t), baud)) return fail(EINVAL);

    out.baud = baud;
    out.dataBits = dataBitsOf(t.c_cflag);
    if (!(t.c_cflag & PARENB))
        out.parity = LineSettings::Parity::None;
    else
        out.parity = (t.c_cflag & PARODD) ? LineSettings::Parity::Odd : LineSettings::Parity::Even;
    out.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    out.ctsFlow = (t.c_cflag & CRTSCTS) != 0;
    out.xonXoff = (t.c_iflag & IXON) != 0;
    return true;
}

bool PosixSerialDevice::setSettings(const LineSettings& settings) {
    if (!isOpen()) return fail(EBADF);
    speed_t speed{};
    tcflag_t size{};
    if (!settableSpeed(settings.baud, speed) || !sizeFlag(settings.dataBits, size) ||
        (settings.stopBits != 1 && settings.stopBits != 2))
        return fail(EINVAL);

    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail(errno);
    makeRaw(t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    t.c_cflag |= size;
    if (settings.parity != LineSettings::Parity::None) t.c_cflag |= PARENB;
    if (settings.parity == LineSettings::Parity::Odd) t.c_cflag |= PARODD;
    if (settings.stopBits == 2) t.c_cflag |= CSTOPB;
    if (settings.ctsFlow) t.c_cflag |= CRTSCTS;
    if (settings.xonXoff) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 0x11;
        t.c_cc[VSTOP] = 0x13;
    }
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return fail(errno);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return fail(errno);
    return true;
}

long PosixSerialDevice::read(char* buffer, size_t max) {
    if (!isOpen()) return failed(EBADF);
    if (max == 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, max);
        if (n > 0) return long(n);
        if (n == 0) {
            // End of file on a terminal: the other end hung up.
            setGone(true);
            return failed(EIO);
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        const int code = errno;
        if (meansGone(code)) setGone(true);
        return failed(code);
    }
}

long PosixSerialDevice::write(const char* data, size_t length) {
    if (!isOpen()) return failed(EBADF);
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd_, data + done, length - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int code = errno;
            if (meansGone(code)) setGone(true);
            return failed(code);
        }
        // The output queue is full: wait for room, but not forever (a stalled
        // handshake line would otherwise hang the caller).
        const int events = waitFor(POLLOUT, kWriteStallMs);
        if (events < 0) return failed(errno);
        if (events == 0) return failed(ETIMEDOUT);
        if (!(events & POLLOUT)) {
            setGone(true);
            return failed(EIO);
        }
    }
    return long(length);
}

bool PosixSerialDevice::waitForInput(uint32_t timeoutMs) {
    if (!isOpen()) return fail(EBADF);
    const int events = waitFor(POLLIN, timeoutMs);
    if (events < 0) return fail(errno);
    // A hang-up or error counts as input: the next read reports it.
    return events != 0;
}

int PosixSerialDevice::waitFor(short events, uint32_t timeoutMs) {
    auto pollFor = [&](int ms) {
        pollfd p{fd_, events, 0};
        int r;
        do r = ::poll(&p, 1, ms);
        while (r < 0 && errno == EINTR && ms == 0);
        if (r < 0) return errno == EINTR ? 0 : -1;
        return r == 0 ? 0 : int(p.revents);
    };

    if (dynamic_cast<RealClock*>(&clock_) == nullptr) {
        // Time is not real: what the kernel has now is all there will be
        // before the clock reaches the deadline.
        const int now = pollFor(0);
        if (now != 0) return now;
        clock_.sleep(timeoutMs);
        return pollFor(0);
    }

    const uint64_t deadline = clock_.micros() + uint64_t(timeoutMs) * 1000;
    for (;;) {
        const uint64_t now = clock_.micros();
        const int leftMs = now >= deadline ? 0 : int(std::min<uint64_t>((deadline - now + 999) / 1000, INT_MAX));
        const int r = pollFor(leftMs);
        if (r != 0 || leftMs == 0) return r;
        // A signal cut the wait short (or poll rounded down): wait out the rest.
    }
}

bool PosixSerialDevice::setModemLine(int line, bool on) {
    if (!isOpen()) return fail(EBADF);
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0) return fail(errno);
    return true;
}

bool PosixSerialDevice::setRts(bool on) { return setModemLine(TIOCM_RTS, on); }

bool PosixSerialDevice::setDtr(bool on) { return setModemLine(TIOCM_DTR, on); }

bool PosixSerialDevice::getModemLines(ModemLines& out) {
    if (!isOpen()) return fail(EBADF);
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) return fail(errno);
    out.cts = bits & TIOCM_CTS;
    out.dsr = bits & TIOCM_DSR;
    out.ring = bits & TIOCM_RNG;
    out.dcd = bits & TIOCM_CAR;
    return true;
}

bool PosixSerialDevice::purge(unsigned flags) {
    if (!isOpen()) return fail(EBADF);
    // The abort flags end pending transfers; our transfers never pend, and
    // the queued data is to be kept, so they ask for nothing.
    const bool tx = flags & PurgeTxClear;
    const bool rx = flags & PurgeRxClear;
    if (!tx && !rx) return true;
    const int queue = tx && rx ? TCIOFLUSH : tx ? TCOFLUSH : TCIFLUSH;
    if (::tcflush(fd_, queue) != 0) return fail(errno);
    return true;
}

}  // namespace vx
