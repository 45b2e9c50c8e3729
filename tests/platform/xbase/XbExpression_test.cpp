#include "platform/xbase/XbExpression.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tolvane {
namespace {

XbLayout FaxLayout() {
    return XbLayout({{{"SUBJECT", XbFieldType::Character, 10, 0}, 1},
                     {{"SENT", XbFieldType::Logical, 1, 0}, 11},
                     {{"DATESENT", XbFieldType::Date, 8, 0}, 12},
                     {{"TIMESENT", XbFieldType::Character, 5, 0}, 20},
                     {{"PAGES", XbFieldType::Numeric, 2, 0}, 25},
                     {{"RTFDOC", XbFieldType::Memo, 10, 0}, 27}});
}

//                        deleted SUBJECT     L DATESENT TIMESENT PAGES RTFDOC
const char kRecord[] = "*"
                       "Report    "
                       "T"
                       "20240305"
                       "14:07"
                       "12"
                       "         8";

struct Valid {
    const char* text;
    XbExpression::Kind kind;
    size_t keyLength;
};

TEST(XbExpression, SupportedExpressionsCompileWithTheirKeyLength) {
    const XbLayout layout = FaxLayout();
    const Valid cases[] = {
        {"SUBJECT", XbExpression::Kind::Character, 10},
        {"subject", XbExpression::Kind::Character, 10},
        {"DTOS(DATESENT)+TIMESENT", XbExpression::Kind::Character, 13},
        {"dtos( datesent ) + timesent", XbExpression::Kind::Character, 13},
        {"(SUBJECT+TIMESENT)", XbExpression::Kind::Character, 15},
        {"datesent", XbExpression::Kind::Date, 8},
        {"PAGES", XbExpression::Kind::Numeric, 8},
        {".not. deleted()", XbExpression::Kind::Logical, 1},
        {".NOT.DELETED()", XbExpression::Kind::Logical, 1},
        {"!DELETED()", XbExpression::Kind::Logical, 1},
        {"SENT", XbExpression::Kind::Logical, 1},
        {".NOT. .NOT. SENT", XbExpression::Kind::Logical, 1},
    };
    for (const Valid& c : cases) {
        const XbExpression e = XbExpression::Compile(c.text, layout);
        EXPECT_EQ(e.ResultKind(), c.kind) << c.text;
        EXPECT_EQ(e.KeyLength(), c.keyLength) << c.text;
    }
}

TEST(XbExpression, OutsideTheLanguageIsAClearError) {
    const XbLayout layout = FaxLayout();
    const std::pair<const char*, const char*> cases[] = {
        {"UPPER(SUBJECT)", "function UPPER() is not supported"},
        {"NOSUCH", "no field NOSUCH"},
        {"DTOS(SUBJECT)", "DTOS needs a date field"},
        {"SUBJECT+PAGES", "joins character values only"},
        {"DATESENT+TIMESENT", "joins character values only"},
        {".NOT. SUBJECT", ".NOT. needs a logical value"},
        {"RTFDOC", "memo field RTFDOC cannot be used"},
        {"SUBJECT = 'x'", "unexpected '='"},
        {"DTOS(DATESENT", "expected ')'"},
        {"", "unexpected end"},
    };
    for (const auto& [text, message] : cases) {
        try {
            XbExpression::Compile(text, layout);
            ADD_FAILURE() << text << " compiled";
        } catch (const EXBaseError& e) {
            EXPECT_EQ(e.Code(), XbError::BadExpression);
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(XbExpression, EvaluatesOnRecordBytes) {
    const XbLayout layout = FaxLayout();
    const auto* rec = reinterpret_cast<const uint8_t*>(kRecord);
    uint8_t key[16] = {};
    XbExpression::Compile("DTOS(DATESENT)+TIMESENT", layout).EvalKey(rec, key);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(key), 13), "2024030514:07");
    EXPECT_FALSE(XbExpression::Compile(".not. deleted()", layout).EvalBool(rec));
    EXPECT_TRUE(XbExpression::Compile("SENT", layout).EvalBool(rec));
}

TEST(XbExpression, DateAndNumberKeysSortAsValues) {
    // 1981-01-01 is Julian day 2444606 -> C1 42 A6 9F 00 00 00 00.
    const XbLayout layout = FaxLayout();
    std::string rec(kRecord);
    rec.replace(12, 8, "19810101");
    uint8_t key[8];
    XbExpression::Compile("DATESENT", layout).EvalKey(reinterpret_cast<const uint8_t*>(rec.data()), key);
    EXPECT_EQ(std::vector<uint8_t>(key, key + 8), (std::vector<uint8_t>{0xC1, 0x42, 0xA6, 0x9F, 0, 0, 0, 0}));

    uint8_t minus[8], zero[8], plus[8];
    NumberKey(-2.5, minus);
    NumberKey(0.0, zero);
    NumberKey(7.0, plus);
    EXPECT_LT(std::memcmp(minus, zero, 8), 0);
    EXPECT_LT(std::memcmp(zero, plus, 8), 0);
}

} // namespace
} // namespace tolvane
