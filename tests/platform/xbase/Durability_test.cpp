// A writer killed at random instants while appending and editing: every posted record survives,
// the table opens, and its index agrees with it after the open.
#include "platform/xbase/XbTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace tolvane {
namespace {

constexpr int kSubject = 0, kVersion = 1, kDate = 2, kTime = 3, kDoc = 4;

std::string MemoText(uint32_t rec, int version) {
    return "memo " + std::to_string(rec) + " v" + std::to_string(version) + " " +
           std::string((rec * 31 + static_cast<uint32_t>(version) * 17) % 3000, 'x');
}

std::string Subject(uint32_t rec, int version) {
    return "rec " + std::to_string(rec) + " v" + std::to_string(version);
}

// Appends and edits until killed, reporting each posted change on fd: "rec version\n".
[[noreturn]] void Writer(const std::string& path, int fd, unsigned seed) {
    std::mt19937 random(seed);
    XbTable t;
    t.Open(path);
    for (;;) {
        const uint32_t count = t.RecordCount();
        uint32_t rec;
        int version;
        if (count > 0 && random() % 3 == 0) {
            rec = 1 + static_cast<uint32_t>(random() % count);
            t.SelectNaturalOrder();
            t.Goto(rec);
            version = static_cast<int>(t.GetInteger(kVersion)) + 1;
            t.Edit();
        } else {
            rec = count + 1;
            version = 0;
            t.Append();
            t.SetDate(kDate, {2020 + static_cast<int>(rec % 5), 1 + static_cast<int>(rec % 12), 1});
            t.SetString(kTime, "12:00");
        }
        t.SetString(kSubject, Subject(rec, version));
        t.SetNumber(kVersion, version);
        t.SetMemo(kDoc, MemoText(rec, version));
        t.Post();
        const std::string line = std::to_string(rec) + " " + std::to_string(version) + "\n";
        if (::write(fd, line.data(), line.size()) < 0) {
            ::_exit(1);
        }
    }
}

TEST(Durability, KilledWriterLosesNoPostedRecord) {
    test::TempDir dir;
    const std::string path = dir.File("QOB.DBF");
    XbTable::Create(path, {{"SUBJECT", XbFieldType::Character, 50, 0},
                           {"VERSION", XbFieldType::Numeric, 5, 0},
                           {"DATESENT", XbFieldType::Date, 8, 0},
                           {"TIMESENT", XbFieldType::Character, 5, 0},
                           {"RTFDOC", XbFieldType::Memo, 10, 0}});
    {
        XbTable t;
        t.Open(path);
        t.CreateTag("DATESENT", "DTOS(DATESENT)+TIMESENT", XbDirection::Descending, ".not. deleted()");
    }
    std::mt19937 random(20240305);
    std::map<uint32_t, int> posted; // record -> newest version reported posted
    for (int round = 0; round < 16; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            Writer(path, fds[1], static_cast<unsigned>(round));
        }
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        std::string reports;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) {
            reports.append(buf, static_cast<size_t>(n));
        }
        ::close(fds[0]);
        std::istringstream lines(reports);
        uint32_t rec;
        int version;
        while (lines >> rec >> version) {
            posted[rec] = std::max(posted[rec], version);
        }

        XbTable t;
        ASSERT_NO_THROW(t.Open(path)) << "round " << round;
        ASSERT_GE(t.RecordCount(), posted.empty() ? 0u : posted.rbegin()->first) << "round " << round;
        for (uint32_t r = 1; r <= t.RecordCount(); ++r) {
            const XbRecord record = t.ReadRecord(r);
            const auto v = static_cast<int>(record.Integer(kVersion));
            ASSERT_EQ(record.Text(kSubject), Subject(r, v)) << "round " << round;
            ASSERT_EQ(t.ReadMemo(r, kDoc), MemoText(r, v)) << "round " << round << " record " << r;
            const auto it = posted.find(r);
            ASSERT_TRUE(it == posted.end() || v >= it->second)
                << "round " << round << ": record " << r << " lost v" << it->second;
        }
        t.SelectOrder("DATESENT");
        EXPECT_EQ(t.ViewCount(), t.RecordCount());
        t.Close();
        EXPECT_TRUE(XbTable::Check(path).empty()) << "round " << round;
    }
    EXPECT_GT(posted.size(), 10u) << "the writer got too little done to test anything";
}

} // namespace
} // namespace tolvane
