// The RTF reader: text, destinations, escapes, formatting, page breaks, merge fields and
// malformed input.
#include "platform/richtext/rtf/RtfReader.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

namespace tolvane::rtf {
namespace {

std::string Utf8(const std::u16string& s) {
    return QString::fromStdU16String(s).toStdString();
}

// Paragraph texts joined by '|'; a merge marker shows as '*'.
std::string TextOf(const Document& doc) {
    std::string out;
    for (size_t i = 0; i < doc.Paragraphs.size(); ++i) {
        if (i > 0) {
            out += '|';
        }
        for (const Run& r : doc.Paragraphs[i].Runs) {
            out += r.Kind == RunKind::MergeMarker ? "*" : Utf8(r.Text);
        }
    }
    return out;
}

struct TextCase {
    const char* Name;
    std::string Rtf;
    std::string Text;
};

class ReaderText : public testing::TestWithParam<TextCase> {};

TEST_P(ReaderText, GivesTheText) {
    EXPECT_EQ(TextOf(ReadRtf(GetParam().Rtf)), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderText,
    testing::Values(
        TextCase{"Paragraphs", R"({\rtf1 Hello\par World})", "Hello|World"},
        TextCase{"FinalParEndsLastParagraph", R"({\rtf1 one\par})", "one"},
        TextCase{"EmptyParagraphsKept", R"({\rtf1 a\par\par b\par})", "a||b"},
        TextCase{"Empty", R"({\rtf1})", ""},
        TextCase{"HexEscapesAreCp1252", R"({\rtf1 caf\'e9 \'80\'93})",
                 "caf\xc3\xa9 \xe2\x82\xac\xe2\x80\x9c"},
        TextCase{"UnicodeSkipsFallback", R"({\rtf1\uc1 \u937?mega \u937\'3fmega})",
                 "\xce\xa9mega \xce\xa9mega"},
        TextCase{"UcTwo", R"({\rtf1\uc2 \u8364\'80\'80x})",
                 "\xe2\x82\xac"
                 "x"},
        TextCase{"UcIsGroupState", R"({\rtf1{\uc0 \u8364}\u8364?})", "\xe2\x82\xac\xe2\x82\xac"},
        TextCase{"FallbackEndsAtGroup", R"({\rtf1\uc3 {\u8364}x})",
                 "\xe2\x82\xac"
                 "x"},
        TextCase{"SurrogatePair", R"({\rtf1 \u-10179?\u-8704?})", "\xf0\x9f\x98\x80"},
        TextCase{"SkippedDestinations",
                 R"({\rtf1{\info{\title T}}{\*\generator X;}{\stylesheet{\s0 Normal;}}{\header H}Body})",
                 "Body"},
        TextCase{"UnknownWordsIgnored", R"({\rtf1\foo12 \bar text\baz-3 s})", "texts"},
        TextCase{"UnknownStarDestinationSkippedWithItsGroups", R"({\rtf1 a{\*\xyz b{c}d}e})", "ae"},
        TextCase{"TabAndLineBreak", R"({\rtf1 a\tab b\line c})",
                 "a\tb\xe2\x80\xa8"
                 "c"},
        TextCase{
            "NamedCharacters", R"({\rtf1\lquote\rquote\ldblquote\rdblquote\endash\emdash\bullet\~.})",
            "\xe2\x80\x98\xe2\x80\x99\xe2\x80\x9c\xe2\x80\x9d\xe2\x80\x93\xe2\x80\x94\xe2\x80\xa2\xc2\xa0."},
        TextCase{"EscapedSymbols", R"({\rtf1 \{x\}\\})", "{x}\\"},
        TextCase{"LineEndsAreNotText", "{\\rtf1 a\r\nb\nc}", "abc"},
        TextCase{"BinaryDataSkipped", R"({\rtf1 a{\pict\bin4 {}{}}b})", "ab"},
        TextCase{"HiddenText", R"({\rtf1 a{\v hidden}b\v c\v0 d})", "abd"},
        TextCase{"ListTextKept", R"({\rtf1{\listtext \'95\tab}Item\par})", "\xe2\x80\xa2\tItem"},
        TextCase{"TableCellsAsTabs", R"({\rtf1\trowd a\cell b\cell\row c\par})", "a\tb\t|c"},
        TextCase{"OtherFieldsGiveTheirResult", R"({\rtf1{\field{\*\fldinst PAGE}{\fldrslt 7}} of 9})",
                 "7 of 9"},
        TextCase{"UnicodePartOfUpr", R"({\rtf1{\upr{ansi}{\*\ud{uni}}}})", "uni"},
        TextCase{"FontTableNamesAreNotText", R"({\rtf1{\fonttbl{\f0\fswiss Arial{\*\falt Helv};}}x})", "x"},
        // Malformed input gives what text it can.
        TextCase{"UnclosedGroup", R"({\rtf1 abc)", "abc"},
        TextCase{"TextAfterTheDocument", R"({\rtf1 a}}}b)", "a"},
        TextCase{"BrokenHexEscape", "{\\rtf1 x\\'", "x"},
        TextCase{"HexEscapeOfAControlCharacter", R"({\rtf1 x\'04y})", "xy"},
        TextCase{"TrailingBackslash", "{\\rtf1 x\\", "x"},
        TextCase{"HugeParameters", R"({\rtf1\fs99999999999999 \u99999999 a\li-99999999999 b})", "b"},
        TextCase{"BinaryLongerThanInput", R"({\rtf1 a\bin999 xyz})", "a"},
        TextCase{"DeepNesting",
                 std::string("{\\rtf1 a") + std::string(100000, '{') + "b" + std::string(100000, '}') + "c}",
                 "ac"}),
    [](const testing::TestParamInfo<TextCase>& p) { return std::string(p.param.Name); });

TEST(RtfReader, CharacterFormattingFollowsGroupsAndPlain) {
    const Document doc =
        ReadRtf(R"({\rtf1\deff1{\fonttbl{\f0\froman Times New Roman;}{\f1\fswiss Arial;}})"
                R"({\colortbl;\red255\green0\blue0;})"
                R"(a{\b b\i c}d\ul e\ul0 f\uldb g\ulnone\ulc0 h\f0\fs20\cf1 i\cf0\plain j})");
    ASSERT_EQ(doc.Paragraphs.size(), 1u);
    const std::vector<rtf::Run>& runs = doc.Paragraphs[0].Runs;
    auto find = [&](char16_t c) -> const CharFormat& {
        for (const rtf::Run& r : runs) {
            if (r.Text.find(c) != std::u16string::npos) {
                return r.Format;
            }
        }
        throw std::runtime_error("missing text");
    };
    EXPECT_FALSE(find(u'a').Bold);
    EXPECT_TRUE(find(u'b').Bold);
    EXPECT_TRUE(find(u'c').Bold && find(u'c').Italic);
    EXPECT_FALSE(find(u'd').Bold || find(u'd').Italic);
    EXPECT_TRUE(find(u'e').Underline);
    EXPECT_FALSE(find(u'f').Underline);
    EXPECT_TRUE(find(u'g').Underline);
    EXPECT_FALSE(find(u'h').Underline);   // \ulc is the underline colour, not underline
    EXPECT_EQ(find(u'a').Font, u"Arial"); // \deff1
    EXPECT_EQ(find(u'a').HalfPoints, 24);
    EXPECT_EQ(find(u'i').Font, u"Times New Roman");
    EXPECT_EQ(find(u'i').HalfPoints, 20);
    EXPECT_EQ(find(u'i').Foreground, (Color{255, 0, 0}));
    EXPECT_FALSE(find(u'h').Foreground.has_value());
    EXPECT_EQ(find(u'j').Font, u"Arial");
    EXPECT_EQ(find(u'j').HalfPoints, 24);
    EXPECT_FALSE(find(u'j').Foreground.has_value());
}

TEST(RtfReader, ParagraphFormattingAppliesAtTheParagraphEnd) {
    const Document doc =
        ReadRtf(R"({\rtf1\pard\qc a\par\pard\qr\fi-360\li720\ri360\sb120\sa240\sl-300\slmult0 b\par)"
                R"(\qj c\par\pard\sl360\slmult1 d\qd\par\pard e})");
    ASSERT_EQ(doc.Paragraphs.size(), 5u);
    EXPECT_EQ(doc.Paragraphs[0].Format.Align, Alignment::Center);
    const ParaFormat& b = doc.Paragraphs[1].Format;
    EXPECT_EQ(b.Align, Alignment::Right);
    EXPECT_EQ(b.FirstIndent, -360);
    EXPECT_EQ(b.LeftIndent, 720);
    EXPECT_EQ(b.RightIndent, 360);
    EXPECT_EQ(b.SpaceBefore, 120);
    EXPECT_EQ(b.SpaceAfter, 240);
    EXPECT_EQ(b.LineSpacing, -300);
    EXPECT_FALSE(b.LineMultiple);
    EXPECT_EQ(doc.Paragraphs[2].Format.Align, Alignment::Justify); // no \pard: the rest carries on
    EXPECT_EQ(doc.Paragraphs[2].Format.LeftIndent, 720);
    EXPECT_EQ(doc.Paragraphs[3].Format.LineSpacing, 360);
    EXPECT_TRUE(doc.Paragraphs[3].Format.LineMultiple);
    EXPECT_EQ(doc.Paragraphs[3].Format.Align, Alignment::Justify);
    EXPECT_EQ(doc.Paragraphs[4].Format, ParaFormat{});
}

TEST(RtfReader, PageBreaks) {
    const Document doc =
        ReadRtf(R"({\rtf1 a\page b\par\page c\par\pard\pagebb d\par\pard e\sect f\sect\sbknone g})");
    ASSERT_EQ(TextOf(doc), "a|b|c|d|e|f|g");
    const bool expected[] = {false, true, true, true, false, true, false};
    for (size_t i = 0; i < doc.Paragraphs.size(); ++i) {
        EXPECT_EQ(doc.Paragraphs[i].Format.PageBreakBefore, expected[i]) << "paragraph " << i;
    }
}

TEST(RtfReader, PageBreakAtTheEndMakesAnEmptyLastPage) {
    const Document doc = ReadRtf(R"({\rtf1 a\par\page})");
    ASSERT_EQ(doc.Paragraphs.size(), 2u);
    EXPECT_TRUE(doc.Paragraphs[1].Format.PageBreakBefore);
    EXPECT_EQ(ReadRtf(R"({\rtf1 a\par\sect})").Paragraphs.size(), 1u);
}

TEST(RtfReader, PageSetup) {
    const Document doc =
        ReadRtf(R"({\rtf1\paperw11906\paperh16838\margl720\margr567\margt1000\margb1100 x})");
    EXPECT_EQ(doc.Page, (PageSetup{11906, 16838, 720, 567, 1000, 1100}));
    EXPECT_EQ(ReadRtf(R"({\rtf1 x})").Page, PageSetup{});
    // Section values of the first section count; absurd values are bounded.
    const Document sxn = ReadRtf(R"({\rtf1\pgwsxn-5\marglsxn99999999 x\sect\margrsxn9 y})");
    EXPECT_EQ(sxn.Page.Width, 1440);
    EXPECT_EQ(sxn.Page.MarginLeft, 31680);
    EXPECT_EQ(sxn.Page.MarginRight, 1800);
}

TEST(RtfReader, MergeFieldsKeepTheirTag) {
    const Document doc =
        ReadRtf(R"({\rtf1 To: {\field{\*\fldinst MERGEFIELD TAG1}{\fldrslt [RECIPIENT]}})"
                R"( {\field{\*\fldinst {MERGE}{FIELD "tag5" \\* MERGEFORMAT}}{\fldrslt {\b [TIME]}}})"
                R"({\field{\*\fldinst MERGEFIELD TAG2}}{\field{\*\fldinst MERGEFIELD Name}{\fldrslt N}}})");
    ASSERT_EQ(doc.Paragraphs.size(), 1u);
    const std::vector<rtf::Run>& runs = doc.Paragraphs[0].Runs;
    ASSERT_EQ(runs.size(), 8u);
    EXPECT_EQ(runs[0].Text, u"To: ");
    EXPECT_EQ(runs[1].Kind, RunKind::MergeMarker);
    EXPECT_EQ(runs[1].MergeTag, 1);
    EXPECT_EQ(runs[2].Text, u"[RECIPIENT]");
    EXPECT_EQ(runs[2].MergeTag, 1);
    EXPECT_EQ(runs[3].Text, u" ");
    EXPECT_EQ(runs[3].MergeTag, 0);
    EXPECT_EQ(runs[4].Kind, RunKind::MergeMarker);
    EXPECT_EQ(runs[4].MergeTag, 5);
    EXPECT_FALSE(runs[4].Format.Bold);
    EXPECT_EQ(runs[5].Text, u"[TIME]");
    EXPECT_TRUE(runs[5].Format.Bold);
    // A field without a result keeps its marker; a field that is not ours gives its text.
    EXPECT_EQ(runs[6].Kind, RunKind::MergeMarker);
    EXPECT_EQ(runs[6].MergeTag, 2);
    EXPECT_EQ(TextOf(doc), "To: *[RECIPIENT] *[TIME]*N");
}

TEST(RtfReader, MergeFieldNames) {
    EXPECT_EQ(MergeFieldName(3), "TAG3");
    EXPECT_EQ(MergeFieldTag("TAG3"), 3);
    EXPECT_EQ(MergeFieldTag("tag12"), 12);
    EXPECT_EQ(MergeFieldTag("TAG"), 0);
    EXPECT_EQ(MergeFieldTag("TAG0"), 0);
    EXPECT_EQ(MergeFieldTag("TAGX"), 0);
    EXPECT_EQ(MergeFieldTag("TAG99999999"), 0);
    EXPECT_EQ(MergeFieldTag("RECIPIENT"), 0);
}

TEST(RtfReader, PlainTextFiles) {
    EXPECT_FALSE(LooksLikeRtf("Hello"));
    EXPECT_TRUE(LooksLikeRtf("\xEF\xBB\xBF \r\n{\\rtf1}"));
    EXPECT_EQ(TextOf(ReadDocument("one\r\ntwo\nthree\rfour")), "one|two|three|four");
    EXPECT_EQ(TextOf(ReadDocument("caf\xc3\xa9")), "caf\xc3\xa9");               // UTF-8
    EXPECT_EQ(TextOf(ReadDocument("caf\xe9 \x80")), "caf\xc3\xa9 \xe2\x82\xac"); // not UTF-8: cp1252
    const Document paged = ReadDocument("a\fb\n\fc");
    ASSERT_EQ(TextOf(paged), "a|b|c");
    EXPECT_TRUE(paged.Paragraphs[1].Format.PageBreakBefore);
    EXPECT_TRUE(paged.Paragraphs[2].Format.PageBreakBefore);
}

} // namespace
} // namespace tolvane::rtf
