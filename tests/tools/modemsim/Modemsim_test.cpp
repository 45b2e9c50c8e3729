#include "engine/ModemSimProcess.h"
#include "imaging/apf/ApfFile.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

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
    // Sends bytes and collects what comes back until it contains `until` (or a second passes).
    std::string Exchange(const std::string& bytes, const std::string& until) {
        port_.PutString(bytes);
        std::string got;
        const auto end = std::chrono::steady_clock::now() + 2s;
        while (got.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
            if (port_.WaitForInput(50ms)) {
                uint8_t buf[4096];
                got.append(reinterpret_cast<char*>(buf), port_.GetBlock(buf, sizeof buf));
            }
        }
        return got;
    }
    std::string Command(const std::string& command, const std::string& until = "OK\r\n") {
        return Exchange(command + "\r", until);
    }

private:
    TComPort port_;
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

} // namespace
} // namespace tolvane
