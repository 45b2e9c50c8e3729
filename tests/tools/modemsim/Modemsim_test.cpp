#include "engine/ModemSimProcess.h"
#include "imaging/apf/ApfFile.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <thread>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

// The blank line of 1728 white pixels after an EOL, in line order.
const std::vector<uint8_t> kWhiteLine = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};

std::vector<uint8_t> WhitePage(int rows) {
    std::vector<uint8_t> page;
    for (int i = 0; i < rows; ++i) {
        page.insert(page.end(), kWhiteLine.begin(), kWhiteLine.end());
    }
    for (int i = 0; i < 6; ++i) { // RTC
        page.push_back(0x00);
        page.push_back(0x80);
    }
    return page;
}

// The test as the host: writes and reads the simulated modem through our own port.
class Host {
public:
    explicit Host(const std::string& device) {
        port_.DeviceName = device;
        if (port_.Open() != ecOK) {
            throw std::runtime_error("cannot open " + device);
        }
    }
    // Sends bytes and collects what comes back until it contains `until` (what follows it stays
    // for the next exchange) or the time has passed.
    std::string Exchange(const std::string& bytes, const std::string& until,
                         std::chrono::milliseconds within = 2000ms) {
        for (size_t sent = 0; sent < bytes.size();) { // more than the output buffer takes at once
            const size_t n = std::min(bytes.size() - sent, port_.OutBuffFree());
            if (n == 0 || port_.PutString(std::string_view(bytes).substr(sent, n)) != ecOK) {
                std::this_thread::sleep_for(10ms);
                continue;
            }
            sent += n;
        }
        const auto end = std::chrono::steady_clock::now() + within;
        while (pending_.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
            if (port_.WaitForInput(50ms)) {
                uint8_t buf[4096];
                pending_.append(reinterpret_cast<char*>(buf), port_.GetBlock(buf, sizeof buf));
            }
        }
        const size_t at = pending_.find(until);
        const size_t cut = at == std::string::npos ? pending_.size() : at + until.size();
        std::string got = pending_.substr(0, cut);
        pending_.erase(0, cut);
        return got;
    }
    std::string Command(const std::string& command, const std::string& until = "OK\r\n",
                        std::chrono::milliseconds within = 2000ms) {
        return Exchange(command + "\r", until, within);
    }

private:
    TComPort port_;
    std::string pending_;
};

std::string Stuffed(const std::vector<uint8_t>& data) {
    std::string s;
    for (const uint8_t b : data) {
        if (b == 0x10) {
            s += '\x10';
        }
        s += static_cast<char>(b);
    }
    return s;
}

TEST(Modemsim, Class2PagesFromTheHostAreDecodedIntoTiff) {
    test::TempDir store;
    test::ModemSimProcess sim({"--store", store.Path().string()});
    Host host(sim.Link());
    host.Command("AT+FCLASS=2");
    host.Command("AT+FLID=\"+44 20 7946 0000\"");
    host.Command("AT+FDIS=1,3,0,2,0,0,0,0");
    const std::string connect = host.Command("ATDT5550100");
    EXPECT_NE(connect.find("+FCON\r\n"), std::string::npos) << connect;
    EXPECT_NE(connect.find("+FCSI:\"+1 555 0100\""), std::string::npos) << connect;
    EXPECT_NE(connect.find("+FDIS:1,5,0,2,0,0,0,0"), std::string::npos) << connect;
    EXPECT_NE(host.Command("AT+FDT", "CONNECT\r\n\x11").find("+FDCS:1,3,0,2,0,0,0,0"), std::string::npos);
    EXPECT_NE(host.Exchange(Stuffed(WhitePage(40)) + "\x10\x03", "OK\r\n").find("OK"), std::string::npos);
    const std::string end = host.Command("AT+FET=2");
    EXPECT_NE(end.find("+FPTS:1\r\n\r\n+FHNG:0\r\n\r\nOK\r\n"), std::string::npos) << end;
    const auto reports = sim.Reports(1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("\"result\": \"ok\", \"pages\": 1, \"host_id\": \"+44 20 7946 0000\""),
              std::string::npos)
        << reports[0];
    EXPECT_NE(reports[0].find("\"fine\": true"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\"rows\": [40], \"bad_rows\": 0"), std::string::npos) << reports[0];
    EXPECT_TRUE(std::filesystem::exists(store.File("call1.tif")));
}

TEST(Modemsim, PagesToTheHostAreBitReversedInClass2Only) {
    test::TempDir dir;
    const std::string file = dir.File("doc.apf");
    ApfWriter w;
    ASSERT_EQ(w.Create(file), ecOK);
    ASSERT_EQ(w.BeginPage(0), ecOK);
    const auto page = WhitePage(3);
    ASSERT_EQ(w.WritePageData(page.data(), page.size()), ecOK);
    ASSERT_EQ(w.EndPage(), ecOK);
    ASSERT_EQ(w.WriteHeader(0, "far"), ecOK);
    ASSERT_EQ(w.Close(), ecOK);
    for (const std::string fclass : {"2", "2.0"}) {
        test::ModemSimProcess sim({"--call", file, "--call-delay", "0", "--ring-interval", "200"});
        Host host(sim.Link());
        host.Command("AT+FCLASS=" + fclass);
        host.Exchange("", "RING");
        const std::string answer = host.Command("ATA");
        EXPECT_NE(answer.find(fclass == "2" ? "+FTSI:\"+1 555 0100\"" : "+FTI:\"+1 555 0100\""),
                  std::string::npos)
            << answer;
        host.Command("AT+FDR", "CONNECT\r\n");
        const std::string data = host.Exchange("\x12", "OK\r\n");
        std::vector<uint8_t> expected = page;
        if (fclass == "2") {
            for (auto& b : expected) {
                uint8_t r = 0;
                for (int i = 0; i < 8; ++i) {
                    r = static_cast<uint8_t>(r << 1 | ((b >> i) & 1));
                }
                b = r;
            }
        }
        EXPECT_EQ(data.substr(0, data.find("\x10\x03")), Stuffed(expected)) << fclass;
        EXPECT_NE(data.find("+FET:2"), std::string::npos) << data;
        EXPECT_NE(host.Command("AT+FDR").find(fclass == "2" ? "+FHNG:0" : "+FHS:00"), std::string::npos);
    }
}

TEST(Modemsim, DialOutcomesFollowTheResultSet) {
    const struct {
        std::vector<std::string> options;
        const char* init;
        const char* expected;
    } cases[] = {
        {{"--busy"}, "ATX4", "BUSY"},
        {{"--busy"}, "ATX2", "NO CARRIER"},
        {{"--no-dial-tone"}, "ATX4", "NO DIALTONE"},
        {{"--no-dial-tone"}, "ATX3", "NO CARRIER"},
        {{"--voice"}, "ATX4", "VOICE"},
        {{"--no-answer"}, "ATX4", "NO ANSWER"},
    };
    for (const auto& c : cases) {
        test::ModemSimProcess sim(c.options);
        Host host(sim.Link());
        host.Command(c.init);
        host.Command("AT+FCLASS=2");
        EXPECT_NE(host.Command("ATDT1", c.expected).find(c.expected), std::string::npos) << c.options[0];
    }
}

TEST(Modemsim, FaxtoolModemShowsClassesAndModulations) {
    test::ModemSimProcess sim({"--fclass", "0,1,2", "--modulations", "24,48,72,96,121"});
    const auto result = test::RunCommand(std::string(TOLVANE_BINARY_DIR) + "/tools/faxtool modem --device " +
                                         test::ShellQuote(sim.Link()));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("> ATE0Q0V1X4S0=0S2=43\n< OK\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Classes offered:   1, 2\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Detection picks:   Class 2\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Class 1 transmit:  2400 4800 7200 9600 12000\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Class 1 receive:   2400 4800 7200 9600 12000\n"), std::string::npos)
        << result.out;

    test::ModemSimProcess silent({"--silent"});
    const auto none =
        test::RunCommand(std::string(TOLVANE_BINARY_DIR) + "/tools/faxtool modem --timeout 1 --device " +
                         test::ShellQuote(silent.Link()));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no fax class detected"), std::string::npos) << none.err;
}

// Class 1: the host runs T.30 itself; these scripts play a minimal host against the far machine.
const std::string kDleEtx = "\x10\x03";

std::string Frame(std::initializer_list<int> bytes) {
    std::string f;
    for (const int b : bytes) {
        f += static_cast<char>(b);
    }
    return f + kDleEtx;
}

std::string IdFrame(int fcf, const std::string& id) {
    std::string padded = id;
    padded.resize(20, ' ');
    return std::string("\xFF\x03") + static_cast<char>(fcf) + std::string(padded.rbegin(), padded.rend()) +
           kDleEtx;
}

// The control field of the frame in a modem answer (0 when there is none).
int ControlField(const std::string& answer) {
    const size_t at = answer.find('\xFF');
    return at != std::string::npos && at + 2 < answer.size() ? static_cast<uint8_t>(answer[at + 2]) : 0;
}

// Dials, reads the far machine's DIS and sends TSI, DCS (V.29 9600) and the training check;
// returns the far machine's answer to it.
int DialAndTrain(Host& host) {
    host.Command("AT+FCLASS=1");
    std::string answer = host.Command("ATD5550100", "OK\r\n", 15s);
    while (ControlField(answer) != 0x80 && !answer.empty()) { // CSI first, then DIS
        answer = host.Command("AT+FRH=3", "OK\r\n", 5s);
    }
    host.Command("AT+FTH=3", "CONNECT\r\n");
    host.Exchange(IdFrame(0x43, "+44 20 7946 0000"), "CONNECT\r\n");
    host.Exchange(Frame({0xFF, 0x13, 0x83, 0x00, 0x06, 0x88, 0x00}), "OK\r\n", 5s);
    host.Command("AT+FTM=96", "CONNECT\r\n");
    host.Exchange(std::string(1728, '\0') + kDleEtx, "OK\r\n", 5s);
    return ControlField(host.Command("AT+FRH=3", "OK\r\n", 5s));
}

TEST(ModemsimClass1, AHostSendsAPageToTheFarMachine) {
    test::ModemSimProcess sim({});
    Host host(sim.Link());
    ASSERT_EQ(DialAndTrain(host), 0x84); // CFR
    host.Command("AT+FTM=96", "CONNECT\r\n");
    std::string page(100, '\0');
    const auto white = WhitePage(30);
    page.append(white.begin(), white.end());
    host.Exchange(page + kDleEtx, "OK\r\n", 10s);
    host.Command("AT+FTH=3", "CONNECT\r\n");
    host.Exchange(Frame({0xFF, 0x13, 0x2F}), "OK\r\n", 5s);                // EOP
    EXPECT_EQ(ControlField(host.Command("AT+FRH=3", "OK\r\n", 5s)), 0x8C); // MCF
    host.Command("AT+FTH=3", "CONNECT\r\n");
    host.Exchange(Frame({0xFF, 0x13, 0xFB}), "OK\r\n", 5s); // DCN
    host.Command("ATH");
    const auto reports = sim.Reports(1, 10s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("\"class\": \"1\", \"result\": \"ok\", \"pages\": 1"), std::string::npos)
        << reports[0];
    EXPECT_NE(reports[0].find("\"host_id\": \"+44 20 7946 0000"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\"rate\": 9600"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\"rows\": [30]"), std::string::npos) << reports[0];
}

TEST(ModemsimClass1, BadTrainingIsAnsweredWithFtt) {
    test::ModemSimProcess sim({"--bad-training"});
    Host host(sim.Link());
    EXPECT_EQ(DialAndTrain(host), 0x44); // FTT
    host.Command("ATH");
}

TEST(ModemsimClass1, TheFarMachineCallsAndSendsADocument) {
    test::TempDir dir;
    const std::string file = dir.File("doc.apf");
    {
        ApfWriter w;
        ASSERT_EQ(w.Create(file), ecOK);
        ASSERT_EQ(w.BeginPage(0), ecOK);
        const auto page = WhitePage(20);
        ASSERT_EQ(w.WritePageData(page.data(), page.size()), ecOK);
        ASSERT_EQ(w.EndPage(), ecOK);
        ASSERT_EQ(w.WriteHeader(0, ""), ecOK);
        ASSERT_EQ(w.Close(), ecOK);
    }
    test::ModemSimProcess sim({"--call", file, "--call-delay", "0", "--ring-interval", "500"});
    Host host(sim.Link());
    host.Command("AT+FCLASS=1");
    ASSERT_NE(host.Exchange("", "RING", 3s).find("RING"), std::string::npos);
    host.Command("ATA", "CONNECT\r\n", 5s);
    host.Exchange(IdFrame(0x40, "+1 555 0199"), "CONNECT\r\n", 5s);
    host.Exchange(Frame({0xFF, 0x13, 0x80, 0x00, 0x46, 0xF8, 0x00}), "OK\r\n", 5s); // DIS: V.29, fine
    int fcf = 0;
    for (int frames = 0; frames < 4 && (fcf & 0xFE) != 0x82; ++frames) { // TSI, then DCS
        fcf = ControlField(host.Command("AT+FRH=3", "OK\r\n", 5s));
    }
    ASSERT_EQ(fcf & 0xFE, 0x82);
    host.Command("AT+FRM=96", "\x10\x03", 5s); // the training check
    host.Command("AT+FTH=3", "CONNECT\r\n", 5s);
    host.Exchange(Frame({0xFF, 0x13, 0x84}), "OK\r\n", 5s); // CFR
    const std::string page = host.Command("AT+FRM=96", "\x10\x03", 10s);
    EXPECT_GT(page.size(), 20u * 3);
    EXPECT_EQ(ControlField(host.Command("AT+FRH=3", "OK\r\n", 5s)) & 0xFE, 0x2E); // EOP
    host.Command("AT+FTH=3", "CONNECT\r\n", 5s);
    host.Exchange(Frame({0xFF, 0x13, 0x8C}), "OK\r\n", 5s);                       // MCF
    EXPECT_EQ(ControlField(host.Command("AT+FRH=3", "OK\r\n", 5s)) & 0xFE, 0xFA); // DCN
    host.Command("ATH");
    const auto reports = sim.Reports(1, 10s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(
        reports[0].find("\"direction\": \"from-remote\", \"class\": \"1\", \"result\": \"ok\", \"pages\": 1"),
        std::string::npos)
        << reports[0];
    EXPECT_NE(reports[0].find("\"host_id\": \"+1 555 0199"), std::string::npos) << reports[0];
}

TEST(ModemsimClass1, TheBridgeJoinsTwoModems) {
    test::TempDir dir;
    test::ModemSimProcess sim({"--bridge", dir.File("second")});
    Host caller(sim.Link());
    Host called(dir.File("second"));
    caller.Command("AT+FCLASS=1");
    called.Command("AT+FCLASS=1");
    caller.Exchange("ATD2\r", "");
    EXPECT_NE(called.Exchange("", "RING", 3s).find("RING"), std::string::npos);
    called.Command("ATA", "CONNECT\r\n", 5s);
    called.Exchange(IdFrame(0x40, "CALLED"), "CONNECT\r\n", 5s);
    called.Exchange(Frame({0xFF, 0x13, 0x80, 0x00, 0x46, 0xF8, 0x00}), "OK\r\n", 5s);
    std::string answer = caller.Exchange("", "OK\r\n", 10s);
    EXPECT_EQ(ControlField(answer), 0x40) << answer; // the CSI
    EXPECT_NE(answer.find(std::string("DELLAC")), std::string::npos) << answer;
    EXPECT_EQ(ControlField(caller.Command("AT+FRH=3", "OK\r\n", 5s)), 0x80); // the DIS
    caller.Command("ATH");
}

} // namespace
} // namespace tolvane
