#include "platform/posix/PosixSerialDevice.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <initializer_list>
#include <utility>

#include "platform/posix/Deadline.h"
#include "platform/posix/DeviceIo.h"
#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

namespace {

using std::chrono::milliseconds;

struct BaudRate {
    std::uint32_t bitsPerSecond;
    speed_t code;
};

constexpr std::array kBaudRates{
    BaudRate{50, B50},           BaudRate{75, B75},           BaudRate{110, B110},
    BaudRate{134, B134},         BaudRate{150, B150},         BaudRate{200, B200},
    BaudRate{300, B300},         BaudRate{600, B600},         BaudRate{1200, B1200},
    BaudRate{1800, B1800},       BaudRate{2400, B2400},       BaudRate{4800, B4800},
    BaudRate{9600, B9600},       BaudRate{19200, B19200},     BaudRate{38400, B38400},
    BaudRate{57600, B57600},     BaudRate{115200, B115200},   BaudRate{230400, B230400},
    BaudRate{460800, B460800},   BaudRate{500000, B500000},   BaudRate{576000, B576000},
    BaudRate{921600, B921600},   BaudRate{1000000, B1000000}, BaudRate{1152000, B1152000},
    BaudRate{1500000, B1500000}, BaudRate{2000000, B2000000}, BaudRate{2500000, B2500000},
    BaudRate{3000000, B3000000}, BaudRate{3500000, B3500000}, BaudRate{4000000, B4000000},
};

bool SpeedCode(std::uint32_t bitsPerSecond, speed_t& code) {
    for (const auto& rate : kBaudRates) {
        if (rate.bitsPerSecond == bitsPerSecond) {
            code = rate.code;
            return true;
        }
    }
    return false;
}

std::uint32_t SpeedValue(speed_t code) {
    for (const auto& rate : kBaudRates) {
        if (rate.code == code) {
            return rate.bitsPerSecond;
        }
    }
    return 0;
}

tcflag_t SizeFlag(std::uint32_t dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

std::uint32_t DataBitsOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5:
            return 5;
        case CS6:
            return 6;
        case CS7:
            return 7;
        default:
            return 8;
    }
}

std::uint32_t ParityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) {
        return kParityNone;
    }
    return (cflag & PARODD) != 0 ? kParityOdd : kParityEven;
}

// Linux knows no 1.5 stop bits as such: the UART sends them for CSTOPB with 5-bit characters.
std::uint32_t StopBitsOf(tcflag_t cflag) {
    if ((cflag & CSTOPB) == 0) {
        return kStopBitsOne;
    }
    return (cflag & CSIZE) == CS5 ? kStopBitsOneAndHalf : kStopBitsTwo;
}

bool NoModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

// Unix98 pseudo-terminal slaves (136 to 143) and the legacy ones (3).
bool IsPseudoTerminalSlave(int fd, const std::string& path) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISCHR(info.st_mode)) {
        unsigned int majorNumber = major(info.st_rdev);
        if ((majorNumber >= 136 && majorNumber <= 143) || majorNumber == 3) {
            return true;
        }
    }
    return path.rfind("/dev/pts/", 0) == 0;
}

Error Validate(const SerialConfig& config, speed_t& speed) {
    bool valid = config.dataBits >= 5 && config.dataBits <= 8 && config.parity <= kParityEven &&
                 config.stopBits <= kStopBitsTwo && SpeedCode(config.baudRate, speed);
    // One and a half stop bits exist only for 5-bit characters.
    if (config.stopBits == kStopBitsOneAndHalf && config.dataBits != 5) {
        valid = false;
    }
    return valid ? Error::None() : Error{ErrorKind::InvalidArgument, EINVAL, NativeSource::Errno};
}

// Raw 8-bit transfer with the asked line settings and no flow control of the driver's own.
termios LineSettings(const termios& current, const SerialConfig& config, speed_t speed) {
    termios settings = current;
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    if (config.parityCheck) {
        settings.c_iflag |= INPCK;
    }
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    settings.c_cflag |= SizeFlag(config.dataBits) | CLOCAL | CREAD;
    if (config.parity != kParityNone) {
        settings.c_cflag |= PARENB;
        if (config.parity == kParityOdd) {
            settings.c_cflag |= PARODD;
        }
    }
    if (config.stopBits != kStopBitsOne) {
        settings.c_cflag |= CSTOPB;
    }
    // With a minimum of one byte an empty non-blocking read says EAGAIN, leaving 0 to a hang-up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    return settings;
}

// What a pseudo-terminal keeps of the settings: the kernel makes it 8 bits without parity.
termios VirtualLineSettings(termios settings) {
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD);
    settings.c_cflag |= CS8;
    return settings;
}

bool SameLine(const termios& a, const termios& b, bool ignoreSizeAndParity) {
    tcflag_t mask = CSTOPB | CLOCAL | CREAD | CRTSCTS;
    if (!ignoreSizeAndParity) {
        mask |= CSIZE | PARENB | PARODD;
    }
    return (a.c_cflag & mask) == (b.c_cflag & mask) && cfgetospeed(&a) == cfgetospeed(&b) &&
           cfgetispeed(&a) == cfgetispeed(&b) && (a.c_iflag & INPCK) == (b.c_iflag & INPCK);
}

// How long a held output waits before it looks at DSR again.
constexpr milliseconds kDsrPollStep{5};
// How long a write waits before it looks at the driver's output queue again.
constexpr milliseconds kDrainPollStep{2};

// A serial line is a byte stream that poll() can wait on.
constexpr TransferRules kSerialRules{};

}  // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::Open(const std::string& path, Error& error,
                                                           std::shared_ptr<WaitPacer> pacer) {
    // The lock refuses a second opener even where TIOCEXCL does not (a privileged one).
    UniqueFd fd = OpenLocked(path, true, error);
    if (!fd.Valid()) {
        return nullptr;
    }
    termios current{};
    if (tcgetattr(fd.Get(), &current) != 0) {
        error = ErrorFromErrno(errno, During::Open);
        return nullptr;
    }
    if (ioctl(fd.Get(), TIOCEXCL) != 0) {
        error = ErrorFromErrno(errno, During::Open);
        return nullptr;
    }
    int modemBits = 0;
    bool noModemLines = ioctl(fd.Get(), TIOCMGET, &modemBits) != 0 && NoModemLines(errno);
    bool virtualLine = noModemLines || IsPseudoTerminalSlave(fd.Get(), path);
    error = Error::None();
    return std::unique_ptr<PosixSerialDevice>(
        new PosixSerialDevice(std::move(fd), path, virtualLine, std::move(pacer)));
}

PosixSerialDevice::PosixSerialDevice(UniqueFd fd, std::string path, bool virtualLine,
                                     std::shared_ptr<WaitPacer> pacer)
    : fd_(std::move(fd)),
      path_(std::move(path)),
      virtualLine_(virtualLine),
      pacer_(std::move(pacer)) {}

PosixSerialDevice::~PosixSerialDevice() {
    // Lets the next program open the line as usual once this one is done with it.
    ioctl(fd_.Get(), TIOCNXCL);
}

Error PosixSerialDevice::GetConfig(SerialConfig& config) {
    termios current{};
    if (tcgetattr(fd_.Get(), &current) != 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    SerialConfig read = requested_;
    read.baudRate = SpeedValue(cfgetospeed(&current));
    read.dataBits = DataBitsOf(current.c_cflag);
    read.parity = ParityOf(current.c_cflag);
    read.stopBits = StopBitsOf(current.c_cflag);
    read.parityCheck = (current.c_iflag & INPCK) != 0;
    if (virtualLine_ && configured_) {
        // No wire carries these, so the line is what was asked of it.
        read.dataBits = requested_.dataBits;
        read.parity = requested_.parity;
        read.stopBits = requested_.stopBits;
    }
    int modemBits = 0;
    if (ioctl(fd_.Get(), TIOCMGET, &modemBits) == 0) {
        read.dtrOn = (modemBits & TIOCM_DTR) != 0;
        read.rtsOn = (modemBits & TIOCM_RTS) != 0;
    } else if (!NoModemLines(errno)) {
        return ErrorFromErrno(errno, During::Use);
    }
    config = read;
    return Error::None();
}

Error PosixSerialDevice::SetConfig(const SerialConfig& config) {
    speed_t speed = B0;
    if (Error invalid = Validate(config, speed); !invalid.Ok()) {
        return invalid;
    }
    termios previous{};
    if (tcgetattr(fd_.Get(), &previous) != 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    termios wanted = LineSettings(previous, config, speed);
    int applyResult = tcsetattr(fd_.Get(), TCSANOW, &wanted);
    if (applyResult != 0 && errno == EINVAL && virtualLine_) {
        // A pseudo-terminal may refuse a parity it cannot keep; give it what it can.
        wanted = VirtualLineSettings(wanted);
        applyResult = tcsetattr(fd_.Get(), TCSANOW, &wanted);
    }
    if (applyResult != 0) {
        Error failed = ErrorFromErrno(errno, During::Use);
        tcsetattr(fd_.Get(), TCSANOW, &previous);
        return failed;
    }
    // The driver may take part of the settings and still report success; check them all.
    termios applied{};
    if (tcgetattr(fd_.Get(), &applied) != 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    if (!SameLine(applied, wanted, virtualLine_)) {
        tcsetattr(fd_.Get(), TCSANOW, &previous);
        return {ErrorKind::InvalidArgument, EINVAL, NativeSource::Errno};
    }
    if (Error lines = SetModemLines(config); !lines.Ok()) {
        tcsetattr(fd_.Get(), TCSANOW, &previous);
        return lines;
    }
    requested_ = config;
    configured_ = true;
    return Error::None();
}

Error PosixSerialDevice::SetModemLines(const SerialConfig& config) {
    int raise = 0;
    int drop = 0;
    (config.dtrOn ? raise : drop) |= TIOCM_DTR;
    (config.rtsOn ? raise : drop) |= TIOCM_RTS;
    for (auto [request, bits] : {std::pair{TIOCMBIS, raise}, std::pair{TIOCMBIC, drop}}) {
        if (bits == 0) {
            continue;
        }
        if (ioctl(fd_.Get(), request, &bits) != 0 && !NoModemLines(errno)) {
            return ErrorFromErrno(errno, During::Use);
        }
    }
    return Error::None();
}

Error PosixSerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
    return Error::None();
}

Error PosixSerialDevice::GetDsr(bool& dsrOn) {
    int modemBits = 0;
    if (ioctl(fd_.Get(), TIOCMGET, &modemBits) != 0) {
        if (NoModemLines(errno)) {
            // Without modem lines nothing can say the printer is away.
            dsrOn = true;
            return Error::None();
        }
        return ErrorFromErrno(errno, During::Use);
    }
    dsrOn = (modemBits & TIOCM_DSR) != 0;
    return Error::None();
}

Error PosixSerialDevice::Purge() {
    if (tcflush(fd_.Get(), TCIOFLUSH) != 0) {
        return ErrorFromErrno(errno, During::Use);
    }
    return Error::None();
}

Error PosixSerialDevice::WaitForDsr(const Deadline& deadline) {
    if (!requested_.dsrOutputFlow) {
        return Error::None();
    }
    for (;;) {
        bool dsrOn = false;
        if (Error error = GetDsr(dsrOn); !error.Ok()) {
            return error;
        }
        if (dsrOn) {
            return Error::None();
        }
        if (deadline.Passed()) {
            return {ErrorKind::TimedOut, ETIMEDOUT, NativeSource::Errno};
        }
        deadline.SleepAtMost(kDsrPollStep);
    }
}

void PosixSerialDevice::DrainOutput(const Deadline& deadline) {
    for (;;) {
        int queued = 0;
        if (ioctl(fd_.Get(), TIOCOUTQ, &queued) != 0 || queued <= 0 || deadline.Passed()) {
            return;
        }
        deadline.SleepAtMost(kDrainPollStep);
    }
}

IoResult PosixSerialDevice::Write(std::span<const std::uint8_t> data) {
    Deadline deadline(
        RequestBudget(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()),
        pacer_.get());
    IoResult result =
        WriteWithDeadline(fd_, data, deadline, kSerialRules, [&] { return WaitForDsr(deadline); });
    if (result.error.Ok()) {
        // The printer reads the command only once it is on the wire, so the caller's pause that
        // follows starts from there.
        DrainOutput(deadline);
    }
    return result;
}

IoResult PosixSerialDevice::Read(std::span<std::uint8_t> buffer) {
    return ReadReply(buffer, {});
}

IoResult PosixSerialDevice::ReadReply(std::span<std::uint8_t> buffer,
                                      const ReplyComplete& complete) {
    Deadline deadline(
        RequestBudget(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()),
        pacer_.get());
    return ReadWithDeadline(fd_, buffer, deadline, kSerialRules, complete);
}

}  // namespace corvane::platform::posix
