#include "engine/FaxRates.h"
#include "engine/ModemStrings.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(ModemStrings, BuiltInInitStringFollowsBusyDetectionAndBlindDialling) {
    EXPECT_EQ(BuiltInInitString(BusyDetection::Off, DialToneWait::Blind), "ATE0Q0V1X1S0=0S2=43");
    EXPECT_EQ(BuiltInInitString(BusyDetection::Off, DialToneWait::Wait), "ATE0Q0V1X2S0=0S2=43");
    EXPECT_EQ(BuiltInInitString(BusyDetection::On, DialToneWait::Blind), "ATE0Q0V1X3S0=0S2=43");
    EXPECT_EQ(BuiltInInitString(BusyDetection::On, DialToneWait::Wait), "ATE0Q0V1X4S0=0S2=43");
}

TEST(ModemStrings, ModemInitIsUpperCasedPrefixedAndCut) {
    EXPECT_EQ(ModemInitValue("&k3"), "AT&K3");
    EXPECT_EQ(ModemInitValue("at&f"), "AT&F");
    EXPECT_EQ(ModemInitValue(""), "");
    EXPECT_EQ(ModemInitValue(std::string(50, 'm')).size(), 40u);
    // One command line stays one: a carriage return cannot start a second command.
    EXPECT_EQ(ModemInitValue("&F\rATD123"), "AT&FATD123");
}

TEST(ModemStrings, DialStringCarriesNoControlCharactersOrSemicolons) {
    EXPECT_EQ(DialCommand(DialMethod::Tone, "9,", "555-0100"), "ATDT9,555-0100");
    EXPECT_EQ(DialCommand(DialMethod::Pulse, "", "123"), "ATDP123");
    EXPECT_EQ(DialCommand(DialMethod::Tone, "9;H\r", "555;\rATZ\n0\x1b"), "ATDT9H555ATZ0");
    EXPECT_EQ(DialCommand(DialMethod::Tone, "", std::string(45, '1')), "ATDT" + std::string(40, '1'));
}

TEST(ModemStrings, Class2And20CommandTables) {
    const auto c2 = Class2CommandTable(TFaxClass::fcClass2);
    const auto c20 = Class2CommandTable(TFaxClass::fcClass2_0);
    EXPECT_EQ(c2.selectClass, "AT+FCLASS=2");
    EXPECT_EQ(c20.selectClass, "AT+FCLASS=2.0");
    EXPECT_EQ(c2.hangupMarker, "FHNG");
    EXPECT_EQ(c20.hangupMarker, "FHS");
    EXPECT_EQ(c2.remoteCsiReport, "+FCSI");
    EXPECT_EQ(c20.pageStatusReport, "+FPS");
    for (const auto& t : {c2, c20}) {
        for (const auto* s : {&t.selectClass, &t.sessionParams, &t.localId, &t.capabilities, &t.connectReport,
                              &t.remoteCapsReport, &t.sessionReport, &t.remoteTsiReport, &t.remoteCsiReport,
                              &t.pageStatusReport, &t.hangupMarker}) {
            EXPECT_LE(s->size(), 13u) << *s;
        }
    }
}

TEST(ModemStrings, CapabilityAndIdentifierCommands) {
    const auto c2 = Class2CommandTable(TFaxClass::fcClass2);
    const auto c20 = Class2CommandTable(TFaxClass::fcClass2_0);
    EXPECT_EQ(Class2RateCode(9600), '3');
    EXPECT_EQ(Class2RateCode(12000), '4');
    EXPECT_EQ(Class2RateCode(2400), '0');
    EXPECT_EQ(Class2RateCode(5000), '3');
    EXPECT_EQ(SenderParamsCommand(c2, Resolution::Fine, 14400, PageWidth::Normal, '0'),
              "AT+FDIS=1,5,0,2,0,0,0,0");
    EXPECT_EQ(SenderParamsCommand(c20, Resolution::Normal, 9600, PageWidth::Wide, '1'),
              "AT+FIS=0,3,1,2,0,1,0,0");
    EXPECT_EQ(ReceiverCapsCommand(c2, 4800, '0'), "AT+FDCC=1,1,0,2,0,0,0,0");
    EXPECT_EQ(LocalIdCommand(c20, "+1 555 0199"), "AT+FLI=\"+1 555 0199\"");
    EXPECT_EQ(LocalIdCommand(c2, "a\"b\rc"), "AT+FLID=\"abc\"");
}

TEST(ModemStrings, ParseParametersReadsTheFixedPositions) {
    const auto p = ParseParameters("1,4,1,2,0,1,0,3");
    EXPECT_EQ(p.bps, 12000);
    EXPECT_TRUE(p.fine);
    EXPECT_TRUE(p.wide);
    EXPECT_TRUE(p.ecm);
    EXPECT_EQ(p.scanTimeCode, 3);
    const auto q = ParseParameters("0,9");
    EXPECT_EQ(q.bps, 9600);
    EXPECT_FALSE(q.fine);
    EXPECT_FALSE(q.ecm);
    EXPECT_EQ(q.scanTimeCode, 0);
    EXPECT_EQ(ParseParameters("0,0,0,2,0,2,0,9").scanTimeCode, 0);
    EXPECT_TRUE(ParseParameters("0,0,0,2,0,2,0,0").ecm);
}

TEST(ModemStrings, HangupCodeAndReportPrefix) {
    EXPECT_EQ(ParseHangupCode("+FHNG:0"), 0);
    EXPECT_EQ(ParseHangupCode("+FHNG: 27"), 27);
    EXPECT_EQ(ParseHangupCode("+FHS:100"), 100);
    EXPECT_EQ(ParseHangupCode("+FHS:1234"), 123);
    EXPECT_EQ(ParseHangupCode("FHNG"), 0);
    EXPECT_EQ(ParseHangupCode("+FHNG:x1"), 0);
    EXPECT_EQ(StripReportPrefix("  +FDCS: 0,3,0,2,0,0,0,0 \r"), "0,3,0,2,0,0,0,0");
    EXPECT_EQ(StripReportPrefix("AT+FCLASS=?"), "?");
    EXPECT_EQ(StripReportPrefix("0,1,2,2.0"), "0,1,2,2.0");
}

TEST(ModemStrings, CleanIdentifierKeepsInnerSpacesOfAQuotedNumber) {
    EXPECT_EQ(CleanIdentifier(StripReportPrefix("+FCSI: \"  +1 555 0100  \"")), "+1 555 0100");
    EXPECT_EQ(CleanIdentifier("\"ACME Corp.\""), "ACME Corp");
    EXPECT_EQ(CleanIdentifier(""), "");
    EXPECT_EQ(CleanIdentifier("\"\""), "");
}

TEST(FaxRates, RatesCodesAndMinimumLineBytes) {
    EXPECT_EQ(RateOfIndex(4), 9600);
    EXPECT_EQ(ModulationCode(5), "121");
    EXPECT_EQ(RateOfIndex(0), 0);
    EXPECT_EQ(MinimumLineBytes(5, false, 9600), 24); // 20 ms at 9600 bit/s
    EXPECT_EQ(MinimumLineBytes(2, true, 14400), 9);  // 5 ms fine
    EXPECT_EQ(MinimumLineBytes(0, false, 14400), 0);
    EXPECT_EQ(MinimumLineBytes(9, false, 9600), 0);
}

} // namespace
} // namespace tolvane
