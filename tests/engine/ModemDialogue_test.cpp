#include "engine/ModemDialogue.h"
#include "engine/ModemSimProcess.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"
#include "platform/serial/PtyPair.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

// The dialogue on a port to a simulated modem, recording what is sent and read.
class SimulatedModem {
public:
    explicit SimulatedModem(std::vector<std::string> options) : sim(std::move(options)) {
        port.DeviceName = sim.Link();
        if (port.Open() != ecOK) {
            throw std::runtime_error("cannot open " + sim.Link());
        }
        state.replyTimeout = 18; // about 1 s: the simulator answers at once or not at all
        dialogue.onExchange = [this](bool sent, std::string_view text) {
            transcript.push_back((sent ? "> " : "< ") + std::string(text));
        };
    }
    size_t Sent(const std::string& command) const {
        size_t n = 0;
        for (const auto& line : transcript) {
            n += line == "> " + command;
        }
        return n;
    }

    test::ModemSimProcess sim;
    TComPort port;
    DialogueState state;
    ModemDialogue dialogue{port, state};
    std::vector<std::string> transcript;
};

TEST(ModemDialogue, ClassDetectionPicksTheBestOfferedClass) {
    const struct {
        const char* offered;
        TFaxClass expected;
    } cases[] = {
        {"0,1,2,2.0", TFaxClass::fcClass2_0}, {"0,1,2.0", TFaxClass::fcClass2_0},
        {"0,1,2", TFaxClass::fcClass2},       {"0,1", TFaxClass::fcClass1},
        {"0", TFaxClass::fcUnknown},
    };
    for (const auto& c : cases) {
        SimulatedModem modem({"--fclass", c.offered});
        EXPECT_EQ(modem.dialogue.DetectClass(), c.expected) << c.offered;
        EXPECT_EQ(modem.Sent(modem.state.initString), 1u) << c.offered;
    }
    EXPECT_FALSE(ClassesOffered("0,1,2.0").class2);
    EXPECT_TRUE(ClassesOffered("0,1,2,2.0").class2);
}

TEST(ModemDialogue, AnEchoingModemIsInitialisedASecondTime) {
    SimulatedModem modem({"--echo"});
    EXPECT_EQ(modem.dialogue.DetectClass(), TFaxClass::fcClass2_0);
    EXPECT_EQ(modem.Sent(modem.state.initString), 2u);
    EXPECT_EQ(modem.transcript[1], "< " + modem.state.initString); // the echo came first
}

TEST(ModemDialogue, ErrorOrSilenceToTheInitStringFailsAtTheFirstAttempt) {
    for (const auto& options :
         {std::vector<std::string>{"--error-on", "S0=0"}, std::vector<std::string>{"--silent"}}) {
        SimulatedModem modem(options);
        EXPECT_EQ(modem.dialogue.DetectClass(), TFaxClass::fcUnknown) << options[0];
        EXPECT_EQ(modem.Sent(modem.state.initString), 1u) << options[0];
        EXPECT_EQ(modem.Sent("AT+FCLASS=?"), 0u) << options[0];
    }
}

TEST(ModemDialogue, NoiseBetweenResultsIsIgnored) {
    SimulatedModem modem({"--garbage"});
    EXPECT_EQ(modem.dialogue.DetectClass(), TFaxClass::fcClass2_0);
}

TEST(ModemDialogue, SyncCommandKeepsTheLineBeforeOk) {
    SimulatedModem modem({});
    EXPECT_TRUE(modem.dialogue.SyncCommand("AT+FCLASS=?"));
    EXPECT_EQ(modem.state.syncResponse, "0,1,2,2.0");
    EXPECT_TRUE(modem.dialogue.SyncCommand("ATE0"));
    EXPECT_EQ(modem.state.syncResponse, "OK");
    EXPECT_FALSE(modem.dialogue.SyncCommand("AT+FCLASS=7"));
    EXPECT_EQ(modem.state.syncResponse, "ERROR");
}

TEST(ModemDialogue, ASetCancelFlagEndsTheWaitAtOnce) {
    SimulatedModem modem({"--silent"});
    std::atomic<bool> cancel{true};
    ModemDialogue dialogue(modem.port, modem.state, 0, &cancel);
    modem.state.replyTimeout = 182;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(dialogue.SyncCommand("AT"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(ModemDialogue, ModulationQueryReadsTheList) {
    {
        SimulatedModem modem({"--modulations", "24,48,72,96"});
        RateFlags local{};
        int index = 0;
        ASSERT_TRUE(modem.dialogue.QueryModulations(ModulationDirection::Transmit, local, index));
        EXPECT_EQ(index, 4);
        EXPECT_EQ(local, (RateFlags{false, true, true, true, true, false, false}));
        EXPECT_EQ(modem.Sent("AT+FTM=?"), 1u);
    }
    {
        SimulatedModem modem({});
        RateFlags local{};
        int index = 0;
        ASSERT_TRUE(modem.dialogue.QueryModulations(ModulationDirection::Receive, local, index));
        EXPECT_EQ(index, 6);
        EXPECT_EQ(modem.Sent("AT+FRM=?"), 1u);
    }
    {
        SimulatedModem modem({"--fclass", "0,2"});
        RateFlags local{};
        int index = 0;
        EXPECT_FALSE(modem.dialogue.QueryModulations(ModulationDirection::Transmit, local, index));
    }
}

// The hang-up sequences, with the test playing the modem.
class HangupTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.DeviceName = pty.SlavePath();
        ASSERT_EQ(port.Open(), ecOK);
    }
    test::PtyPair pty;
    TComPort port;
    DialogueState state;
    ModemDialogue dialogue{port, state};
};

TEST_F(HangupTest, SenderWithoutCarrierDetectSendsAth0) {
    dialogue.Hangup();
    EXPECT_EQ(pty.Read(200ms), "ATH0\r");
}

TEST_F(HangupTest, ReceiverEscapesAndSendsAth) {
    const auto start = std::chrono::steady_clock::now();
    dialogue.HangupReceiver();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3s); // the guard times around "+++"
    EXPECT_EQ(pty.Read(200ms), "+++ATH\r");
}

TEST_F(HangupTest, InitBaudZeroNeverChangesTheRate) {
    state.initBaud = 0;
    dialogue.SwitchToInitBaud();
    dialogue.SwitchToNormalBaud();
    EXPECT_EQ(port.Baud(), 19200);
    state.initBaud = 9600;
    state.normalBaud = 19200;
    dialogue.SwitchToInitBaud();
    EXPECT_EQ(port.Baud(), 9600);
    dialogue.SwitchToNormalBaud();
    EXPECT_EQ(port.Baud(), 19200);
}

TEST_F(HangupTest, ADialCommandReachesTheModemAsOneCommandLine) {
    dialogue.SendCommand(DialCommand(DialMethod::Tone, "9;", "555\r0100;ATZ"));
    EXPECT_EQ(pty.Read(500ms), "ATDT95550100ATZ\r");
}

} // namespace
} // namespace tolvane
