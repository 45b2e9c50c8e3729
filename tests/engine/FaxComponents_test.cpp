#include "engine/AbstractFaxStatus.h"
#include "engine/FaxLog.h"
#include "engine/ModemSimProcess.h"
#include "engine/ReceiveFax.h"
#include "engine/SendFax.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

std::string FileText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A display that records what it is told.
class RecordingDisplay final : public TAbstractFaxStatus {
public:
    RecordingDisplay() { CreateDisplay(); }
    ~RecordingDisplay() override { DestroyDisplay(); }
    void UpdateDisplay(bool first, bool last) override {
        updates.push_back(std::string(first  ? "first"
                                      : last ? "last"
                                             : "update") +
                          " " + std::to_string(Fax()->SessionStatus()));
    }
    std::vector<std::string> updates;

protected:
    void CreateDisplay() override {}
    void DestroyDisplay() override {}
    void PropertiesChanged() override {}
};

// A sender on a simulated modem whose events run on the test's thread.
class SendSession : public ::testing::Test {
protected:
    void Start(std::vector<std::string> modemOptions) {
        sim = std::make_unique<test::ModemSimProcess>(std::move(modemOptions));
        port.DeviceName = sim->Link();
        fax.SetComPort(&port);
        ASSERT_EQ(port.Open(), ecOK);
        fax.SetEventRunner(&runner);
        fax.SetStatusDisplay(&display);
        fax.OnFaxStatus = [this](TCustomAbstractFax&, bool first, bool last) {
            events.push_back(std::string("status") + (first ? " first" : "") + (last ? " last" : ""));
        };
        fax.OnFaxLog = [this](TCustomAbstractFax&, TFaxLogCode code) {
            events.push_back("log " + std::to_string(code));
        };
        fax.OnFaxError = [this](TCustomAbstractFax&, int code) {
            events.push_back("error " + std::to_string(code));
        };
        fax.OnFaxFinish = [this](TCustomAbstractFax&, int code) {
            events.push_back("finish " + std::to_string(code));
            finished = true;
        };
    }
    void Run() {
        fax.BeginTransmit();
        ASSERT_TRUE(runner.RunUntil([this] { return finished; }, 20s));
    }

    std::unique_ptr<test::ModemSimProcess> sim;
    TComPort port;
    QueuedEventRunner runner;
    TSendFax fax;
    RecordingDisplay display;
    std::vector<std::string> events;
    bool finished = false;
};

TEST_F(SendSession, WithoutAJobItEndsAtOnce) {
    Start({});
    Run();
    EXPECT_EQ(events, (std::vector<std::string>{"status first", "status last", "finish 0"}));
    EXPECT_EQ(fax.FaxClass(), TFaxClass::fcClass2_0); // fcUnknown became fcDetect, then the result
    EXPECT_EQ(display.updates, (std::vector<std::string>{"first 1", "last 1"}));
    EXPECT_FALSE(fax.SessionRunning());
    EXPECT_FALSE(port.FaxBusy());
}

TEST_F(SendSession, AnEmptyPhoneNumberFromOnFaxNextEndsTheSession) {
    Start({"--fclass", "0,1,2"});
    int asked = 0;
    fax.OnFaxNext = [&](TSendFax&, std::string& phone, std::string& file, std::string&) {
        ++asked;
        EXPECT_TRUE(phone.empty());
        file = "fax.apf";
    };
    Run();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"status first", "status last", "finish 0"}));
    EXPECT_EQ(fax.FaxClass(), TFaxClass::fcClass2);
    EXPECT_EQ(fax.FaxFile(), "fax.apf");
}

TEST_F(SendSession, AFileThatIsNotApfFailsTheJobAndIsLogged) {
    Start({});
    test::TempDir dir;
    test::WriteAll(dir.File("letter.txt"), std::vector<uint8_t>(100, 'x'));
    TFaxLog log;
    log.FaxHistoryName = dir.File("ZEROROZ.HIS");
    fax.SetFaxLog(&log);
    fax.SetPhoneNumber("555 0100");
    fax.SetFaxFile(dir.File("letter.txt"));
    Run();
    EXPECT_EQ(events, (std::vector<std::string>{"status first", "log 1", "error -8001", "log 3",
                                                "status last", "finish -8001"}));
    const std::string history = FileText(dir.File("ZEROROZ.HIS"));
    EXPECT_EQ(history.rfind("Transmit " + dir.File("letter.txt") + " to 555 0100 started at ", 0), 0u)
        << history;
    EXPECT_NE(history.find("\r\nTransmit failed at "), std::string::npos) << history;
    EXPECT_NE(history.find("\r\n  (File is not an APF file) 0\r\n\r\n"), std::string::npos) << history;
    EXPECT_EQ(fax.LastError(), ecFaxBadFormat);
}

TEST_F(SendSession, AFailedPreparationIsReportedWithoutLogEntries) {
    Start({"--error-on", "S0=0"});
    Run();
    EXPECT_EQ(events,
              (std::vector<std::string>{"status first", "error -8071", "status last", "finish -8071"}));
    EXPECT_EQ(fax.FaxClass(), TFaxClass::fcUnknown);
}

TEST(FaxComponents, StartChecksRaise) {
    TSendFax fax;
    EXPECT_THROW(fax.BeginTransmit(), EPortNotAssigned);
    TComPort port;
    port.DeviceName = "/dev/null";
    fax.SetComPort(&port);
    EXPECT_THROW(fax.BeginTransmit(), ECommNotOpen);
    TReceiveFax receiver;
    receiver.SetComPort(&port);
    port.OutSize = 4096;
    EXPECT_THROW(receiver.BeginReceive(), ECommNotOpen);
}

TEST(FaxComponents, SmallOutputBufferIsRefused) {
    test::ModemSimProcess sim({});
    TComPort port;
    port.DeviceName = sim.Link();
    TSendFax fax;
    fax.SetComPort(&port);
    port.OutSize = 4096;
    ASSERT_EQ(port.Open(), ecOK);
    EXPECT_THROW(fax.BeginTransmit(), EOutputBufferTooSmall);
}

TEST(FaxComponents, PropertySettersApplyTheirRules) {
    TSendFax fax;
    fax.SetModemInit("&c1");
    EXPECT_EQ(fax.ModemInit(), "AT&C1");
    fax.SetStationID(std::string(25, '7'));
    EXPECT_EQ(fax.StationID().size(), 20u);
    fax.SetDesiredBPS(14400);
    fax.SetDesiredBPS(1200);
    EXPECT_EQ(fax.DesiredBPS(), 14400);
    fax.SetDialWait(60);
    EXPECT_EQ(fax.DialWait(), 60);
    EXPECT_EQ(SecondsToTicks(60), 1092u);
    EXPECT_EQ(TicksToSeconds(182), 10u);

    TReceiveFax receiver;
    receiver.SetDestinationDir("/var/fax");
    EXPECT_EQ(receiver.DestinationDir(), "/var/fax/");
    EXPECT_EQ(receiver.FaxClass(), TFaxClass::fcDetect);
    EXPECT_EQ(fax.FaxClass(), TFaxClass::fcUnknown);

    TComPort port;
    port.OutSize = 100;
    fax.SetComPort(&port);
    EXPECT_EQ(port.OutSize, 8192u);
    EXPECT_EQ(port.HWFlowOptions, hwfUseRTS | hwfRequireCTS);
    EXPECT_EQ(port.Baud(), 19200);
}

TEST(FaxComponents, ADisplayOrLogBelongsToOneComponentAtATime) {
    TSendFax a;
    TReceiveFax b;
    RecordingDisplay display;
    TFaxLog log;
    a.SetStatusDisplay(&display);
    a.SetFaxLog(&log);
    EXPECT_EQ(display.Fax(), &a);
    display.SetFax(&b);
    log.SetFax(&b);
    EXPECT_EQ(a.StatusDisplay(), nullptr);
    EXPECT_EQ(a.FaxLog(), nullptr);
    EXPECT_EQ(b.StatusDisplay(), &display);
    {
        TFaxLog other;
        b.SetFaxLog(&other);
        EXPECT_EQ(log.Fax(), nullptr);
    }
    EXPECT_EQ(b.FaxLog(), nullptr); // the destroyed log unlinked itself
}

TEST(FaxLogEntries, EntriesByCodeAndKind) {
    test::TempDir dir;
    TReceiveFax receiver;
    TFaxLog log;
    log.FaxHistoryName = dir.File("history.his");
    receiver.SetFaxLog(&log);
    receiver.SetFaxFile("/srv/receive/FAX0001.APF");
    log.AddHistoryEntry(lgReceiveStart);
    log.AddHistoryEntry(lgTransmitOk); // a sender's code from a receiver: nothing
    log.AddHistoryEntry(lgReceiveOk);
    log.AddHistoryEntry(lgReceiveSkip);
    log.AddHistoryEntry(lgReceiveFail);
    const std::string text = FileText(log.FaxHistoryName);
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 8u) << text;
    EXPECT_EQ(lines[0].rfind("Receive /srv/receive/FAX0001.APF from  started at ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("Receive finished OK at ", 0), 0u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3].rfind("Receive skipped at ", 0), 0u);
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5].rfind("Receive failed at ", 0), 0u);
    EXPECT_EQ(lines[6], "  (OK)");
    EXPECT_EQ(lines[7], "");

    TSendFax sender;
    TFaxLog quiet;
    quiet.FaxHistoryName.clear();
    sender.SetFaxLog(&quiet);
    quiet.AddHistoryEntry(lgTransmitStart); // no name: nothing written anywhere
    EXPECT_EQ(quiet.Fax(), &sender);
}

} // namespace
} // namespace tolvane
