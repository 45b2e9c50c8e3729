#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"
#include "platform/serial/PortTrace.h"
#include "platform/serial/PtyPair.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;

// Collects handler calls; `onCall` runs inside the handler on the dispatcher thread.
struct Recorder {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::pair<uint16_t, TriggerHandle>> calls;
    std::function<void(uint16_t, TriggerHandle)> onCall;

    static void Handler(void* self, uint16_t message, TriggerHandle trigger) {
        auto& r = *static_cast<Recorder*>(self);
        if (r.onCall) {
            r.onCall(message, trigger);
        }
        std::lock_guard lock(r.m);
        r.calls.emplace_back(message, trigger);
        r.cv.notify_all();
    }
    // Waits until `pred` holds for the calls so far.
    bool WaitFor(const std::function<bool(const std::vector<std::pair<uint16_t, TriggerHandle>>&)>& pred,
                 std::chrono::milliseconds within = 2s) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, within, [&] { return pred(calls); });
    }
    static size_t CountIn(const std::vector<std::pair<uint16_t, TriggerHandle>>& calls, uint16_t message,
                          TriggerHandle trigger) {
        size_t n = 0;
        for (const auto& c : calls) {
            n += c.first == message && c.second == trigger;
        }
        return n;
    }
    size_t Count(uint16_t message, TriggerHandle trigger) {
        std::lock_guard lock(m);
        return CountIn(calls, message, trigger);
    }
};

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.DeviceName = pty.SlavePath();
        ASSERT_EQ(port.Open(), ecOK);
    }
    void Register() { ASSERT_EQ(port.RegisterHandler(&Recorder::Handler, &rec), ecOK); }

    PtyPair pty;
    TComPort port;
    Recorder rec;
};

TEST(ComPortOpen, FailsWithTheCodeOfTheCause) {
    test::TempDir dir;
    test::WriteAll(dir.File("plain"), {1, 2, 3});
    const struct {
        std::string device;
        int comNumber;
        int expected;
    } cases[] = {
        {"", 0, ecNoPortSelected},
        {dir.File("missing"), 0, ecBadId},
        {dir.File("plain"), 0, ecBadId},
        {"", 3, ecOK}, // COM3 through the mapping
    };
    PtyPair pty;
    for (const auto& c : cases) {
        TComPort port;
        port.DeviceName = c.device;
        port.ComNumber = c.comNumber;
        port.ComDevice = [&](int n) { return n == 3 ? pty.SlavePath() : std::string(); };
        EXPECT_EQ(port.Open(), c.expected) << c.device << " COM" << c.comNumber;
    }
}

TEST(ComPortOpen, APortInUseFailsAndAnOpenPortCannotOpenAgain) {
    PtyPair pty;
    TComPort first;
    first.DeviceName = pty.SlavePath();
    ASSERT_EQ(first.Open(), ecOK);
    EXPECT_EQ(first.Open(), ecAlreadyOpen);
    TComPort second;
    second.DeviceName = pty.SlavePath();
    EXPECT_EQ(second.Open(), ecHardware);
    first.Close();
    EXPECT_EQ(second.Open(), ecOK);
}

TEST_F(ComPortTest, DataTriggerFiresAgainWhileTheHandlerTakesCharacters) {
    const int data = port.AddDataTrigger();
    ASSERT_GT(data, 0);
    std::string got;
    rec.onCall = [&](uint16_t, TriggerHandle) {
        uint8_t c;
        if (port.GetChar(c) == ecOK) {
            got += static_cast<char>(c); // one per call: the rest must come with further calls
        }
    };
    Register();
    pty.Write("hello");
    EXPECT_TRUE(rec.WaitFor([&](const auto&) { return port.CharReady() == 0 && got.size() == 5; }));
    EXPECT_EQ(got, "hello");
    EXPECT_GE(rec.Count(kTriggerAvail, data), 5u);
}

TEST_F(ComPortTest, DataTriggerWaitsForNewDataWhenTheHandlerTakesNothing) {
    const int data = port.AddDataTrigger();
    Register();
    pty.Write("x");
    ASSERT_TRUE(rec.WaitFor([&](const auto& c) { return !c.empty(); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(rec.Count(kTriggerAvail, data), 1u);
    pty.Write("y");
    EXPECT_TRUE(rec.WaitFor([&](const auto& c) { return c.size() == 2; }));
    EXPECT_EQ(port.CharReady(), 2u);
}

TEST_F(ComPortTest, TimerTriggerFiresOnceAfterItsTicksAndZeroDisablesIt) {
    const int timer = port.AddTimerTrigger();
    const int other = port.AddTimerTrigger();
    Register();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(port.SetTimerTrigger(timer, 2), ecOK);
    ASSERT_EQ(port.SetTimerTrigger(other, 1), ecOK);
    ASSERT_EQ(port.SetTimerTrigger(other, 0), ecOK);
    ASSERT_TRUE(rec.WaitFor([&](const auto& c) { return !c.empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2 * std::chrono::milliseconds(kTickMs) - 5ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(rec.Count(kTriggerTimer, timer), 1u);
    EXPECT_EQ(rec.Count(kTriggerTimer, other), 0u);
    EXPECT_EQ(port.SetTimerTrigger(port.AddDataTrigger(), 1), ecBadTriggerHandle);
}

TEST_F(ComPortTest, OutputTriggersFireOnFreeSpaceAndOnDrain) {
    const int space = port.AddStatusTrigger(StatusTrigger::OutputFree);
    const int drain = port.AddStatusTrigger(StatusTrigger::OutputUsed);
    Register();
    ASSERT_EQ(port.SetStatusTrigger(space, 4096), ecOK);
    EXPECT_TRUE(rec.WaitFor([&](const auto& c) { return !c.empty(); }));
    EXPECT_EQ(rec.Count(kTriggerStatus, space), 1u);

    ASSERT_EQ(port.PutString("ATZ\r"), ecOK);
    ASSERT_EQ(port.SetStatusTrigger(drain, 0), ecOK);
    EXPECT_EQ(pty.Read(1s, 4), "ATZ\r");
    EXPECT_TRUE(rec.WaitFor([&](const auto& c) { return Recorder::CountIn(c, kTriggerStatus, drain) == 1; }));
    EXPECT_EQ(port.OutBuffUsed(), 0u);
    EXPECT_EQ(port.OutBuffFree(), 8192u);
}

TEST_F(ComPortTest, APutThatDoesNotFitPutsNothing) {
    const std::vector<uint8_t> big(8193, 'x');
    EXPECT_EQ(port.PutBlock(big.data(), big.size()), ecPutBlockFail);
    EXPECT_EQ(port.OutBuffUsed(), 0u);
}

TEST_F(ComPortTest, XonXoffAreDataUnlessOutputFlowObeysThem) {
    pty.Write("\x11\x13");
    ASSERT_TRUE(port.WaitForInput(1s));
    std::this_thread::sleep_for(50ms);
    uint8_t raw[2] = {};
    EXPECT_EQ(port.GetBlock(raw, 2), 2u);
    EXPECT_EQ(raw[0], 0x11);
    EXPECT_EQ(raw[1], 0x13);

    port.SetOutputFlow(OutputFlow::ObeyXonXoff);
    pty.Write("\x13");
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(port.PutString("page"), ecOK);
    EXPECT_EQ(pty.Read(150ms), "");
    pty.Write("\x11");
    EXPECT_EQ(pty.Read(1s, 4), "page");
    EXPECT_EQ(port.CharReady(), 0u); // the flow characters were taken out of the input

    port.SetOutputFlow(OutputFlow::Free);
    pty.Write("\x13");
    ASSERT_TRUE(port.WaitForInput(1s));
    ASSERT_EQ(port.PutString("on"), ecOK);
    EXPECT_EQ(pty.Read(1s, 2), "on");
}

TEST_F(ComPortTest, InputFlowSendsXoffAtTheFullMarkAndXonAtTheResumeMark) {
    port.SetInputFlow(InputFlow::SendXonXoff, 10, 2);
    pty.Write("0123456789AB");
    EXPECT_EQ(pty.Read(1s, 1), "\x13");
    std::this_thread::sleep_for(50ms);
    uint8_t buf[16];
    EXPECT_EQ(port.GetBlock(buf, 5), 5u);
    EXPECT_EQ(pty.Read(100ms), ""); // 7 left, above the resume mark
    EXPECT_EQ(port.GetBlock(buf, 5), 5u);
    EXPECT_EQ(pty.Read(1s, 1), "\x11");
}

TEST_F(ComPortTest, APseudoTerminalHasNoModemControlLines) {
    EXPECT_EQ(port.SetDTR(false), LineControl::NotAvailable);
    EXPECT_EQ(port.SetRTS(true), LineControl::NotAvailable);
    EXPECT_EQ(port.CheckDCD(), Carrier::NotAvailable);
}

TEST_F(ComPortTest, RateChangesAtOnceAndUnknownRatesAreRefused) {
    EXPECT_EQ(port.Baud(), 19200);
    EXPECT_EQ(port.SetBaud(9600), ecOK);
    EXPECT_EQ(port.Baud(), 9600);
    EXPECT_EQ(port.SetBaud(12345), ecBaudRate);
    EXPECT_EQ(port.Baud(), 9600);
}

TEST_F(ComPortTest, NothingIsDeliveredWhileDispatchIsSuspended) {
    const int data = port.AddDataTrigger();
    const int timer = port.AddTimerTrigger();
    Register();
    port.SuspendDispatch();
    pty.Write("RING\r\n");
    ASSERT_EQ(port.SetTimerTrigger(timer, 1), ecOK);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(rec.Count(kTriggerAvail, data) + rec.Count(kTriggerTimer, timer), 0u);
    EXPECT_EQ(port.CharReady(), 6u); // input still arrives
    port.RestoreDispatch();
    EXPECT_TRUE(rec.WaitFor([&](const auto& c) { return c.size() == 2; }));
}

TEST_F(ComPortTest, APostedMessageNeverRunsDuringAHandlerCall) {
    port.AddDataTrigger();
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> entered{false};
    rec.onCall = [&](uint16_t message, TriggerHandle) {
        if (++inside > 1) {
            overlapped = true;
        }
        if (message == kTriggerAvail) {
            entered = true;
            std::this_thread::sleep_for(100ms);
            uint8_t c;
            port.GetChar(c);
        }
        --inside;
    };
    Register();
    pty.Write("x");
    while (!entered) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(port.PostMessage(0x7EA0, 7), ecOK);
    EXPECT_TRUE(rec.WaitFor([&](const auto& c) { return Recorder::CountIn(c, 0x7EA0, 7) == 1; }));
    EXPECT_FALSE(overlapped);
}

TEST_F(ComPortTest, DeregisteringWaitsForTheRunningCall) {
    port.AddDataTrigger();
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    rec.onCall = [&](uint16_t, TriggerHandle) {
        entered = true;
        std::this_thread::sleep_for(100ms);
        finished = true;
    };
    Register();
    pty.Write("x");
    while (!entered) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(port.DeregisterHandler(&Recorder::Handler, &rec), ecOK);
    EXPECT_TRUE(finished);
    EXPECT_EQ(port.DeregisterHandler(&Recorder::Handler, &rec), ecRegisterHandlerFailed);
}

TEST(ComPortTrace, TraceAndLogFilesShowTheTraffic) {
    test::TempDir dir;
    PtyPair pty;
    {
        TComPort port;
        port.DeviceName = pty.SlavePath();
        port.Tracing = true;
        port.TraceName = dir.File("QOBSEND.TRC");
        port.Logging = true;
        port.LogName = dir.File("QOBSEND.LOG");
        ASSERT_EQ(port.Open(), ecOK);
        ASSERT_EQ(port.PutString("AT\r"), ecOK);
        EXPECT_EQ(pty.Read(1s, 3), "AT\r");
        pty.Write("\r\nOK\r\n\x10\x03");
        ASSERT_TRUE(port.WaitForInput(1s));
        port.SetBaud(9600);
        std::this_thread::sleep_for(50ms);
        port.Close();
    }
    const auto text = [](const std::string& name) {
        std::ifstream in(name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    const std::string trace = text(dir.File("QOBSEND.TRC"));
    EXPECT_NE(trace.find(" TX \"AT<CR>\"\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" RX \"<CR><LF>OK<CR><LF><DLE><ETX>\"\n"), std::string::npos) << trace;
    const std::string log = text(dir.File("QOBSEND.LOG"));
    EXPECT_NE(log.find("Open " + pty.SlavePath() + " at 19200 baud, 8N1"), std::string::npos) << log;
    EXPECT_NE(log.find("Rate 9600 baud"), std::string::npos) << log;
    EXPECT_NE(log.find("Close "), std::string::npos) << log;
}

TEST(ComPortTrace, KeepsOnlyTheLatestBytes) {
    PortTrace trace;
    trace.Start(4, PortTrace::Clock::now());
    const uint8_t bytes[] = {'a', 'b', 'c', 'd', 'e', 'f'};
    trace.Add(TraceDirection::In, bytes, sizeof bytes);
    const std::string text = trace.Text("dev");
    EXPECT_NE(text.find("RX \"cdef\""), std::string::npos) << text;
    EXPECT_EQ(TraceByteText(0x8F), "<8F>");
    EXPECT_EQ(TraceByteText(0x13), "<XOFF>");
    EXPECT_EQ(TraceByteText('"'), "<22>");
}

} // namespace
} // namespace tolvane
