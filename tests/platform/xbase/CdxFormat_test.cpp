#include "platform/xbase/CdxFormat.h"
#include "platform/xbase/XbTypes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tolvane {
namespace {

std::vector<uint8_t> Keys(const std::vector<std::string>& keys, size_t length) {
    std::vector<uint8_t> out;
    for (std::string k : keys) {
        k.resize(length, ' ');
        out.insert(out.end(), k.begin(), k.end());
    }
    return out;
}

CdxPadOf CharacterKeys() {
    return [](const std::string&, std::string&) { return ' '; };
}

TEST(CdxFormat, ThreeKeyLeafMatchesTheKnownPage) {
    const std::vector<uint8_t> keys = Keys({"ADAMS", "ADAMSON", "BAKER"}, 8);
    const std::vector<uint32_t> records = {3, 1, 2};
    const std::vector<uint8_t> file =
        WriteCdx({{"NAME", "NAME", ".NOT.DELETED()", true, false, 8, ' ', &keys, &records}});
    ASSERT_EQ(file.size(), 0x600u + 1024 + 512);

    // Tag directory: one root leaf, entry 00 06 60 (header at 0x600, trail 6), "NAME" at the end.
    const uint8_t* dir = file.data() + 0x400;
    EXPECT_EQ(dir[0], 3);
    EXPECT_EQ(std::vector<uint8_t>(dir + 24, dir + 27), (std::vector<uint8_t>{0x00, 0x06, 0x60}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dir) + 508, 4), "NAME");

    // Tag header: root, key length 8, options 0x68, signature, descending, expression pool.
    const uint8_t* tag = file.data() + 0x600;
    EXPECT_EQ(tag[0] | (tag[1] << 8), 0xA00);
    const std::vector<uint8_t> fixed(tag + 12, tag + 16);
    EXPECT_EQ(fixed, (std::vector<uint8_t>{0x08, 0x00, 0x68, 0x01}));
    const std::vector<uint8_t> tail(tag + 0x1F6, tag + 0x200);
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x01, 0x00, 0x05, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x05, 0x00}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tag) + 512, 20),
              std::string("NAME\0.NOT.DELETED()\0", 20));

    // The leaf, byte for byte.
    const uint8_t* leaf = file.data() + 0xA00;
    const std::vector<uint8_t> head(leaf, leaf + 36);
    EXPECT_EQ(head,
              (std::vector<uint8_t>{0x03, 0x00, 0x03, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                    0xd3, 0x01, 0xff, 0xff, 0x00, 0x00, 0x0f, 0x0f, 0x10, 0x04, 0x04, 0x03,
                                    0x03, 0x00, 0x30, 0x01, 0x00, 0x15, 0x02, 0x00, 0x30, 0x00, 0x00, 0x00}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(leaf) + 500, 12), "BAKERONADAMS");
}

TEST(CdxFormat, ManyKeysRoundTripThroughBranchPages) {
    std::vector<std::string> names;
    std::vector<uint32_t> records;
    for (uint32_t i = 1; i <= 20000; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "K%07u", i * 7 % 20011);
        names.push_back(buf);
    }
    std::sort(names.begin(), names.end());
    for (uint32_t i = 1; i <= names.size(); ++i) {
        records.push_back(i);
    }
    const std::vector<uint8_t> keys = Keys(names, 12);
    const std::vector<uint8_t> file = WriteCdx({{"K", "KEY", "", false, false, 12, ' ', &keys, &records}});
    std::vector<CdxTagRead> tags;
    std::vector<std::string> dropped;
    std::string error;
    ASSERT_TRUE(ReadCdx(file, 20000, CharacterKeys(), tags, dropped, error)) << error;
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_TRUE(tags[0].pagesOk) << tags[0].fault;
    EXPECT_EQ(tags[0].keys, keys);
    EXPECT_EQ(tags[0].records, records);
    EXPECT_TRUE(tags[0].forExpression.empty());
}

TEST(CdxFormat, DamagedPagesAreReportedNotTrusted) {
    const std::vector<uint8_t> keys = Keys({"ADAMS", "ADAMSON", "BAKER"}, 8);
    const std::vector<uint32_t> records = {3, 1, 2};
    const std::vector<uint8_t> good = WriteCdx({{"NAME", "NAME", "", false, false, 8, ' ', &keys, &records}});
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
    };
    const Case cases[] = {
        {"free space", 0xA00 + 12, 0x00}, {"entry width", 0xA00 + 23, 9}, {"record number", 0xA00 + 24, 0x09},
        {"root pointer", 0x600, 0x10},    {"attributes", 0xA00, 0x08},    {"sibling link", 0xA00 + 4, 0x00},
        {"key order", 0xA00 + 507, 'Z'},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        bad[c.offset] = c.value;
        std::vector<CdxTagRead> tags;
        std::vector<std::string> dropped;
        std::string error;
        ASSERT_TRUE(ReadCdx(bad, 3, CharacterKeys(), tags, dropped, error)) << c.what;
        ASSERT_EQ(tags.size(), 1u) << c.what;
        EXPECT_FALSE(tags[0].pagesOk) << c.what;
    }
    std::vector<uint8_t> noDirectory = good;
    noDirectory[0x400 + 23] = 7;
    std::vector<CdxTagRead> tags;
    std::vector<std::string> dropped;
    std::string error;
    EXPECT_FALSE(ReadCdx(noDirectory, 3, CharacterKeys(), tags, dropped, error));
    EXPECT_FALSE(error.empty());
}

TEST(CdxFormat, RecordNumbersTooLargeForTheFormatAreRefused) {
    // Key length 200: the 4-byte entries leave 16 bits for the record number.
    std::vector<uint8_t> keys(200, 'a');
    const std::vector<uint32_t> records = {70000};
    EXPECT_THROW(WriteCdx({{"LONG", "LONGKEY", "", false, false, 200, ' ', &keys, &records}}), EXBaseError);
}

} // namespace
} // namespace tolvane
