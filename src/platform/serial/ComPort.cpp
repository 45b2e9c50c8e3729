#include "platform/serial/ComPort.h"

#include "imaging/errors/IoError.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ByteRing.h"
#include "platform/serial/PortLog.h"
#include "platform/serial/PortTrace.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;
constexpr size_t kMaxTriggers = 16;
// While an output-level trigger waits on bytes in the driver's queue (which drains without an
// event) the dispatcher looks again after this long.
constexpr auto kOutputPoll = std::chrono::milliseconds(10);
constexpr auto kModemStatusPoll = std::chrono::milliseconds(kTickMs);
// Deliveries in one pass of the dispatcher before it looks at the device again.
constexpr int kDeliveriesPerPass = 32;

speed_t SpeedFor(int baud) {
    switch (baud) {
    case 300:
        return B300;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

enum class TriggerKind { Data, Timer, Status };

struct Trigger {
    TriggerHandle handle = 0;
    TriggerKind kind = TriggerKind::Data;
    StatusTrigger status = StatusTrigger::OutputFree;
    bool armed = false;
    size_t level = 0;
    Clock::time_point deadline;
    int lines = 0; // ModemStatus: the lines when it was armed
};

struct Delivery {
    uint16_t message = 0;
    TriggerHandle trigger = 0;
};

struct HandlerEntry {
    TriggerHandler fn;
    void* userData;
};

} // namespace

struct TComPort::State {
    // Guards everything below except what is marked otherwise.
    mutable std::mutex m;
    int fd = -1;
    int wakeFd = -1;
    std::string device;
    termios saved{};
    int baud = 19200;
    bool hungUp = false;
    bool faxBusy = false;

    ByteRing in;
    ByteRing out;
    uint64_t received = 0; // bytes ever put into `in`
    uint64_t taken = 0;    // bytes ever taken from `in`
    uint64_t seenReceived = 0;
    uint64_t seenTaken = 0;
    size_t holdMark = 0;   // stop reading the device at this input level
    size_t resumeMark = 0; // and read again at this one
    bool readingHeld = false;

    OutputFlow outFlow = OutputFlow::Free;
    bool outHeld = false; // XOFF received
    InputFlow inFlow = InputFlow::Free;
    size_t inFullMark = 0;
    size_t inResumeMark = 0;
    bool xoffSent = false;

    std::vector<Trigger> triggers;
    TriggerHandle nextHandle = 1;
    std::vector<HandlerEntry> handlers;
    std::deque<Delivery> posted;

    PortTrace trace;
    std::condition_variable inputArrived;

    // Dispatcher.
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<std::thread::id> dispatcherId{};
    std::mutex dispatchMutex; // held while a handler runs
    std::atomic<int> suspended{0};

    PortLog log; // thread-safe on its own
    bool logging = false;

    bool OnDispatcher() const { return std::this_thread::get_id() == dispatcherId.load(); }

    void Wake() const {
        if (wakeFd >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
        }
    }

    void Log(const std::string& event) {
        if (logging) {
            log.Write(event);
        }
    }

    size_t DriverQueued() const {
        int queued = 0;
        if (fd >= 0 && !hungUp && ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
            return static_cast<size_t>(queued);
        }
        return 0;
    }
    size_t OutUsed() const { return out.Size() + DriverQueued(); }
    size_t OutFree() const {
        const size_t used = OutUsed();
        return used >= out.Capacity() ? 0 : out.Capacity() - used;
    }

    int ModemLines() const {
        int lines = 0;
        if (fd < 0 || ::ioctl(fd, TIOCMGET, &lines) != 0) {
            return -1;
        }
        return lines & (TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD);
    }

    void DeviceFailed(const char* what, int err) {
        if (!hungUp) {
            hungUp = true;
            Log(std::string("Device ") + what + " failed: " + std::strerror(err) +
                "; port idle until closed");
        }
    }

    // Sends one flow character ahead of the queued output.
    void SendFlowChar(uint8_t c) {
        if (::write(fd, &c, 1) == 1) {
            trace.Add(TraceDirection::Out, &c, 1);
        }
    }

    void WriteOutput() {
        while (!out.Empty() && !outHeld && !hungUp) {
            size_t n = 0;
            const uint8_t* run = out.FrontRun(n);
            const ssize_t written = ::write(fd, run, n);
            if (written > 0) {
                trace.Add(TraceDirection::Out, run, static_cast<size_t>(written));
                out.Drop(static_cast<size_t>(written));
            } else if (written < 0 && errno == EINTR) {
                continue;
            } else {
                if (written < 0 && errno != EAGAIN) {
                    DeviceFailed("write", errno);
                }
                break;
            }
        }
    }

    // hangUpSeen: poll reported POLLHUP or POLLERR, so that a read of nothing means the device
    // went away (in raw mode with VMIN 0 a read of nothing is otherwise just "no data").
    void ReadInput(bool hangUpSeen) {
        uint8_t buf[4096];
        bool got = false;
        while (!hungUp && !readingHeld && in.Free() > 0) {
            const ssize_t n = ::read(fd, buf, std::min(sizeof buf, in.Free()));
            if (n > 0) {
                trace.Add(TraceDirection::In, buf, static_cast<size_t>(n));
                for (ssize_t i = 0; i < n; ++i) {
                    const uint8_t c = buf[i];
                    if (outFlow == OutputFlow::ObeyXonXoff && (c == kXon || c == kXoff)) {
                        outHeld = c == kXoff;
                        continue;
                    }
                    in.Push(&c, 1);
                    ++received;
                    got = true;
                }
                if (!outHeld) {
                    WriteOutput();
                }
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                if ((n == 0 && hangUpSeen) || (n < 0 && errno != EAGAIN)) {
                    DeviceFailed("read", n == 0 ? EIO : errno);
                }
                break;
            }
        }
        if (in.Size() >= holdMark) {
            readingHeld = true;
        }
        if (inFlow == InputFlow::SendXonXoff && !xoffSent && in.Size() >= inFullMark) {
            SendFlowChar(kXoff);
            xoffSent = true;
        }
        if (got) {
            inputArrived.notify_all();
        }
    }

    // After input was taken: let the device and the modem go on once the buffer has room again.
    void InputTaken(size_t n) {
        taken += n;
        if (xoffSent && in.Size() <= inResumeMark) {
            SendFlowChar(kXon);
            xoffSent = false;
        }
        if (readingHeld && in.Size() <= resumeMark) {
            readingHeld = false;
            Wake();
        }
    }

    Trigger* Find(TriggerHandle handle) {
        for (auto& t : triggers) {
            if (t.handle == handle) {
                return &t;
            }
        }
        return nullptr;
    }

    bool StatusMet(const Trigger& t) const {
        switch (t.status) {
        case StatusTrigger::OutputFree:
            return OutFree() >= t.level;
        case StatusTrigger::OutputUsed:
            return OutUsed() <= t.level;
        case StatusTrigger::ModemStatus: {
            const int lines = ModemLines();
            return lines >= 0 && lines != t.lines;
        }
        }
        return false;
    }

    bool DataDue() const { return !in.Empty() && (received != seenReceived || taken != seenTaken); }

    // The next delivery that is due, taken off its trigger; false when none.
    bool TakeDue(Delivery& d) {
        if (!posted.empty()) {
            d = posted.front();
            posted.pop_front();
            return true;
        }
        const auto now = Clock::now();
        for (auto& t : triggers) {
            if (t.armed && t.kind == TriggerKind::Timer && now >= t.deadline) {
                t.armed = false;
                d = {kTriggerTimer, t.handle};
                return true;
            }
        }
        for (auto& t : triggers) {
            if (t.armed && t.kind == TriggerKind::Status && StatusMet(t)) {
                t.armed = false;
                d = {kTriggerStatus, t.handle};
                return true;
            }
        }
        if (DataDue()) {
            for (auto& t : triggers) {
                if (t.kind == TriggerKind::Data) {
                    seenReceived = received;
                    seenTaken = taken;
                    d = {kTriggerAvail, t.handle};
                    return true;
                }
            }
        }
        return false;
    }

    bool AnyDue() const {
        if (!posted.empty()) {
            return true;
        }
        const auto now = Clock::now();
        bool hasData = false;
        for (const auto& t : triggers) {
            if (t.armed && t.kind == TriggerKind::Timer && now >= t.deadline) {
                return true;
            }
            if (t.armed && t.kind == TriggerKind::Status && StatusMet(t)) {
                return true;
            }
            hasData = hasData || t.kind == TriggerKind::Data;
        }
        return hasData && DataDue();
    }

    // How long the dispatcher may sleep in poll (-1: until woken or the device is ready).
    int PollTimeoutMs() const {
        if (suspended.load() > 0 || handlers.empty()) {
            return -1;
        }
        if (AnyDue()) {
            return 0;
        }
        auto wait = Clock::duration::max();
        const auto now = Clock::now();
        for (const auto& t : triggers) {
            if (!t.armed) {
                continue;
            }
            if (t.kind == TriggerKind::Timer) {
                wait = std::min(wait, t.deadline - now);
            } else if (t.status == StatusTrigger::ModemStatus) {
                wait = std::min<Clock::duration>(wait, kModemStatusPoll);
            } else {
                wait = std::min<Clock::duration>(wait, kOutputPoll);
            }
        }
        if (wait == Clock::duration::max()) {
            return -1;
        }
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
        return static_cast<int>(std::max<long long>(ms, 0));
    }

    // Calls the handlers for what is due, one delivery at a time.
    void Deliver() {
        for (int i = 0; i < kDeliveriesPerPass; ++i) {
            std::lock_guard running(dispatchMutex);
            Delivery d;
            std::vector<HandlerEntry> targets;
            {
                std::lock_guard lock(m);
                if (suspended.load() > 0) {
                    return;
                }
                if (handlers.empty()) {
                    posted.clear();
                    return;
                }
                if (!TakeDue(d)) {
                    return;
                }
                targets = handlers;
            }
            for (const auto& h : targets) {
                h.fn(h.userData, d.message, d.trigger);
            }
        }
    }

    void Run() {
        dispatcherId = std::this_thread::get_id();
        while (!stop.load()) {
            pollfd fds[2] = {{wakeFd, POLLIN, 0}, {-1, 0, 0}};
            int timeout;
            {
                std::lock_guard lock(m);
                if (!hungUp) {
                    fds[1].fd = fd;
                    fds[1].events = static_cast<short>((readingHeld || in.Free() == 0 ? 0 : POLLIN) |
                                                       (out.Empty() || outHeld ? 0 : POLLOUT));
                }
                timeout = PollTimeoutMs();
            }
            if (::poll(fds, 2, timeout) < 0 && errno != EINTR) {
                std::lock_guard lock(m);
                DeviceFailed("poll", errno);
            }
            if (fds[0].revents & POLLIN) {
                uint64_t count;
                [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
            }
            {
                std::lock_guard lock(m);
                if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                    ReadInput((fds[1].revents & (POLLHUP | POLLERR)) != 0);
                }
                if (fds[1].revents & POLLOUT) {
                    WriteOutput();
                }
            }
            Deliver();
        }
    }
};

TComPort::TComPort() : s_(std::make_unique<State>()) {
    InSize = 8192;
    OutSize = 8192;
    ComDevice = [](int n) { return "/dev/ttyS" + std::to_string(n - 1); };
}

TComPort::~TComPort() {
    Close();
}

std::string TComPort::DevicePath() const {
    if (!DeviceName.empty()) {
        return DeviceName;
    }
    return ComNumber > 0 && ComDevice ? ComDevice(ComNumber) : std::string();
}

bool TComPort::IsOpen() const {
    std::lock_guard lock(s_->m);
    return s_->fd >= 0;
}

int TComPort::Open() {
    State& s = *s_;
    if (IsOpen()) {
        return ecAlreadyOpen;
    }
    const std::string device = DevicePath();
    if (device.empty()) {
        return ecNoPortSelected;
    }
    if (SpeedFor(s.baud) == B0) {
        return ecBaudRate;
    }
    if (DataBits < 5 || DataBits > 8 || (StopBits != 1 && StopBits != 2)) {
        return ecByteSize;
    }
    if (InSize < 16 || OutSize < 16) {
        return ecMemory;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return ecBadId;
        case EBUSY:
            return ecHardware;
        default:
            return IoErrorFromErrno(err, IoOperation::Open);
        }
    }
    termios t{};
    if (!::isatty(fd) || ::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return ecBadId;
    }
    // TIOCEXCL keeps other programs from opening the device; the lock catches a program that
    // opened it before us (and root, which TIOCEXCL does not stop).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return ecHardware;
    }
    ::ioctl(fd, TIOCEXCL);
    s.saved = t;
    ::cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[DataBits - 5] | CREAD | CLOCAL | HUPCL;
    if (StopBits == 2) {
        t.c_cflag |= CSTOPB;
    }
    if (ParityMode != Parity::None) {
        t.c_cflag |= PARENB | (ParityMode == Parity::Odd ? PARODD : 0);
    }
    if (HWFlowOptions & (hwfUseRTS | hwfRequireCTS)) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, SpeedFor(s.baud));
    ::cfsetospeed(&t, SpeedFor(s.baud));
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return ecDefault;
    }
    ::tcflush(fd, TCIFLUSH);
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        ::close(fd);
        return ecNoHandles;
    }

    {
        std::lock_guard lock(s.m);
        s.fd = fd;
        s.wakeFd = wake;
        s.device = device;
        s.hungUp = false;
        s.in = ByteRing(InSize);
        s.out = ByteRing(OutSize);
        s.received = s.taken = s.seenReceived = s.seenTaken = 0;
        s.holdMark = BufferFull > 0 && BufferFull <= InSize ? BufferFull : InSize * 9 / 10;
        s.resumeMark = BufferResume > 0 && BufferResume < s.holdMark ? BufferResume : InSize / 10;
        s.readingHeld = false;
        s.outFlow = OutputFlow::Free;
        s.outHeld = false;
        s.inFlow = InputFlow::Free;
        s.xoffSent = false;
        s.posted.clear();
        s.trace.Start(Tracing ? TraceSize : 0, Clock::now());
        s.logging = Logging && s.log.Start(LogName) == 0;
    }
    s.Log("Open " + device + " at " + std::to_string(s.baud) + " baud, " + std::to_string(DataBits) +
          (ParityMode == Parity::None  ? "N"
           : ParityMode == Parity::Odd ? "O"
                                       : "E") +
          std::to_string(StopBits) + ((t.c_cflag & CRTSCTS) ? ", RTS/CTS" : ""));
    s.stop = false;
    s.thread = std::thread([&s] { s.Run(); });
    return ecOK;
}

int TComPort::Close() {
    State& s = *s_;
    if (!IsOpen()) {
        return ecOK;
    }
    if (s.OnDispatcher()) {
        return ecBadHandle;
    }
    s.stop = true;
    s.Wake();
    s.thread.join();
    s.dispatcherId = std::thread::id();
    std::lock_guard lock(s.m);
    if (!s.hungUp) {
        ::tcsetattr(s.fd, TCSANOW, &s.saved);
    }
    ::close(s.fd);
    ::close(s.wakeFd);
    s.fd = s.wakeFd = -1;
    s.triggers.clear();
    s.handlers.clear();
    s.posted.clear();
    s.faxBusy = false;
    s.inputArrived.notify_all();
    if (s.trace.Active()) {
        if (const int rc = s.trace.WriteFile(TraceName, s.device); rc < 0) {
            s.Log("Trace file " + TraceName + " could not be written (" + std::to_string(rc) + ")");
        }
        s.trace.Start(0, Clock::now());
    }
    s.Log("Close " + s.device);
    s.log.Stop();
    s.logging = false;
    return ecOK;
}

int TComPort::SetBaud(int baud) {
    State& s = *s_;
    const speed_t speed = SpeedFor(baud);
    if (speed == B0) {
        return ecBaudRate;
    }
    std::lock_guard lock(s.m);
    s.baud = baud;
    if (s.fd < 0 || s.hungUp) {
        return ecOK;
    }
    termios t{};
    if (::tcgetattr(s.fd, &t) != 0) {
        return ecCommNotOpen;
    }
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(s.fd, TCSANOW, &t) != 0) {
        return ecBaudRate;
    }
    s.Log("Rate " + std::to_string(baud) + " baud");
    return ecOK;
}

int TComPort::Baud() const {
    std::lock_guard lock(s_->m);
    return s_->baud;
}

size_t TComPort::CharReady() {
    std::lock_guard lock(s_->m);
    return s_->in.Size();
}

int TComPort::GetChar(uint8_t& c) {
    return GetBlock(&c, 1) == 1 ? ecOK : ecBufferIsEmpty;
}

size_t TComPort::GetBlock(uint8_t* data, size_t n) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    const size_t got = s.in.Pop(data, n);
    if (got > 0) {
        s.InputTaken(got);
    }
    return got;
}

bool TComPort::WaitForInput(std::chrono::milliseconds timeout) {
    State& s = *s_;
    std::unique_lock lock(s.m);
    return s.inputArrived.wait_for(lock, timeout, [&] { return !s.in.Empty() || s.fd < 0; }) && !s.in.Empty();
}

int TComPort::FlushInBuffer() {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.fd < 0) {
        return ecCommNotOpen;
    }
    const size_t n = s.in.Size();
    s.in.Clear();
    ::tcflush(s.fd, TCIFLUSH);
    s.InputTaken(n);
    return ecOK;
}

int TComPort::PutChar(uint8_t c) {
    return PutBlock(&c, 1);
}

int TComPort::PutBlock(const uint8_t* data, size_t n) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.fd < 0) {
        return ecCommNotOpen;
    }
    if (s.hungUp) {
        return ecDeviceWrite;
    }
    if (n > s.out.Free()) {
        return ecPutBlockFail;
    }
    s.out.Push(data, n);
    s.WriteOutput();
    if (!s.out.Empty()) {
        s.Wake();
    }
    return ecOK;
}

size_t TComPort::OutBuffUsed() {
    std::lock_guard lock(s_->m);
    return s_->OutUsed();
}

size_t TComPort::OutBuffFree() {
    std::lock_guard lock(s_->m);
    return s_->OutFree();
}

int TComPort::FlushOutBuffer() {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.fd < 0) {
        return ecCommNotOpen;
    }
    s.out.Clear();
    ::tcflush(s.fd, TCOFLUSH);
    s.Wake();
    return ecOK;
}

namespace {

LineControl SetLine(int fd, int line, bool on) {
    int bits = line;
    if (fd < 0 || ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        return LineControl::NotAvailable;
    }
    return LineControl::Done;
}

} // namespace

LineControl TComPort::SetDTR(bool on) {
    std::lock_guard lock(s_->m);
    return SetLine(s_->fd, TIOCM_DTR, on);
}

LineControl TComPort::SetRTS(bool on) {
    std::lock_guard lock(s_->m);
    return SetLine(s_->fd, TIOCM_RTS, on);
}

Carrier TComPort::CheckDCD() {
    std::lock_guard lock(s_->m);
    const int lines = s_->ModemLines();
    if (lines < 0) {
        return Carrier::NotAvailable;
    }
    return (lines & TIOCM_CD) ? Carrier::On : Carrier::Off;
}

void TComPort::SetOutputFlow(OutputFlow flow) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.outFlow == flow) {
        return;
    }
    s.outFlow = flow;
    s.outHeld = false;
    s.Log(flow == OutputFlow::ObeyXonXoff ? "Output flow: obeying XON/XOFF" : "Output flow: free");
    s.Wake();
}

void TComPort::SetInputFlow(InputFlow flow, size_t fullMark, size_t resumeMark) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (flow == InputFlow::Free && s.xoffSent && s.fd >= 0) {
        s.SendFlowChar(kXon);
    }
    s.inFlow = flow;
    s.inFullMark = fullMark;
    s.inResumeMark = resumeMark;
    s.xoffSent = false;
    s.Log(flow == InputFlow::SendXonXoff
              ? "Input flow: XOFF at " + std::to_string(fullMark) + ", XON at " + std::to_string(resumeMark)
              : std::string("Input flow: free"));
}

namespace {

int AddTrigger(std::vector<Trigger>& triggers, TriggerHandle& next, Trigger t) {
    if (triggers.size() >= kMaxTriggers) {
        return ecNoMoreTriggers;
    }
    t.handle = next++;
    triggers.push_back(t);
    return t.handle;
}

} // namespace

int TComPort::AddDataTrigger() {
    std::lock_guard lock(s_->m);
    return AddTrigger(s_->triggers, s_->nextHandle, Trigger{0, TriggerKind::Data, {}, true, 0, {}, 0});
}

int TComPort::AddTimerTrigger() {
    std::lock_guard lock(s_->m);
    return AddTrigger(s_->triggers, s_->nextHandle, Trigger{0, TriggerKind::Timer, {}, false, 0, {}, 0});
}

int TComPort::AddStatusTrigger(StatusTrigger kind) {
    std::lock_guard lock(s_->m);
    return AddTrigger(s_->triggers, s_->nextHandle, Trigger{0, TriggerKind::Status, kind, false, 0, {}, 0});
}

int TComPort::SetTimerTrigger(TriggerHandle trigger, uint32_t ticks) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    Trigger* t = s.Find(trigger);
    if (t == nullptr || t->kind != TriggerKind::Timer) {
        return ecBadTriggerHandle;
    }
    t->armed = ticks > 0;
    t->deadline = Clock::now() + std::chrono::milliseconds(int64_t{ticks} * kTickMs);
    s.Wake();
    return ecOK;
}

int TComPort::SetStatusTrigger(TriggerHandle trigger, size_t level) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    Trigger* t = s.Find(trigger);
    if (t == nullptr || t->kind != TriggerKind::Status) {
        return ecBadTriggerHandle;
    }
    t->armed = true;
    t->level = level;
    t->lines = s.ModemLines();
    s.Wake();
    return ecOK;
}

int TComPort::DisableStatusTrigger(TriggerHandle trigger) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    Trigger* t = s.Find(trigger);
    if (t == nullptr || t->kind != TriggerKind::Status) {
        return ecBadTriggerHandle;
    }
    t->armed = false;
    return ecOK;
}

int TComPort::RemoveTrigger(TriggerHandle trigger) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    for (auto it = s.triggers.begin(); it != s.triggers.end(); ++it) {
        if (it->handle == trigger) {
            s.triggers.erase(it);
            return ecOK;
        }
    }
    return ecBadTriggerHandle;
}

int TComPort::RegisterHandler(TriggerHandler handler, void* userData) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.fd < 0) {
        return ecCommNotOpen;
    }
    s.handlers.push_back({handler, userData});
    s.Wake();
    return ecOK;
}

int TComPort::DeregisterHandler(TriggerHandler handler, void* userData) {
    State& s = *s_;
    std::unique_lock<std::mutex> running;
    if (!s.OnDispatcher()) {
        running = std::unique_lock(s.dispatchMutex);
    }
    std::lock_guard lock(s.m);
    for (auto it = s.handlers.begin(); it != s.handlers.end(); ++it) {
        if (it->fn == handler && it->userData == userData) {
            s.handlers.erase(it);
            return ecOK;
        }
    }
    return ecRegisterHandlerFailed;
}

int TComPort::PostMessage(uint16_t message, TriggerHandle trigger) {
    State& s = *s_;
    std::lock_guard lock(s.m);
    if (s.fd < 0) {
        return ecCommNotOpen;
    }
    s.posted.push_back({message, trigger});
    s.Wake();
    return ecOK;
}

void TComPort::SuspendDispatch() {
    State& s = *s_;
    if (s.OnDispatcher()) {
        ++s.suspended;
        return;
    }
    std::lock_guard running(s.dispatchMutex);
    ++s.suspended;
}

void TComPort::RestoreDispatch() {
    State& s = *s_;
    if (s.suspended.load() > 0) {
        --s.suspended;
    }
    std::lock_guard lock(s.m);
    s.Wake();
}

void TComPort::SetFaxBusy(bool busy) {
    std::lock_guard lock(s_->m);
    s_->faxBusy = busy;
}

bool TComPort::FaxBusy() const {
    std::lock_guard lock(s_->m);
    return s_->faxBusy;
}

} // namespace tolvane
