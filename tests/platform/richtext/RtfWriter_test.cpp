// The RTF writer: the exact form of what it writes, and escapes.
#include "platform/richtext/rtf/RtfReader.h"
#include "platform/richtext/rtf/RtfWriter.h"

#include <gtest/gtest.h>

namespace tolvane::rtf {
namespace {

Run TextRun(std::u16string text, CharFormat format = {}, int tag = 0) {
    Run r;
    r.Text = std::move(text);
    r.Format = std::move(format);
    r.MergeTag = tag;
    return r;
}

Run Marker(int tag, CharFormat format = {}) {
    Run r;
    r.Kind = RunKind::MergeMarker;
    r.Format = std::move(format);
    r.MergeTag = tag;
    return r;
}

CharFormat Font(std::u16string name, int halfPoints) {
    CharFormat f;
    f.Font = std::move(name);
    f.HalfPoints = halfPoints;
    return f;
}

// The body of the output: everything after the header lines.
std::string Body(const std::string& rtf) {
    size_t pos = 0;
    for (int line = 0; line < 4; ++line) {
        pos = rtf.find('\n', pos) + 1;
    }
    return rtf.substr(pos);
}

TEST(RtfWriter, WritesAPlainStandardDocument) {
    Document doc;
    doc.Page = PageSetup{12240, 15840, 720, 720, 720, 720};
    CharFormat arial = Font(u"Arial", 20);
    CharFormat bold = arial;
    bold.Bold = true;
    CharFormat red = Font(u"Courier New", 24);
    red.Foreground = Color{255, 0, 0};
    red.Italic = true;
    red.Underline = true;

    Paragraph title;
    title.Format.Align = Alignment::Center;
    title.Format.SpaceAfter = 240;
    title.MarkFormat = bold;
    title.Runs = {TextRun(u"Fax ", arial), TextRun(u"Cover", bold)};
    Paragraph body;
    body.Format.FirstIndent = -360;
    body.Format.LeftIndent = 720;
    body.Format.RightIndent = 360;
    body.Format.SpaceBefore = 120;
    body.Format.LineSpacing = 360;
    body.Format.LineMultiple = true;
    body.MarkFormat = arial;
    body.Runs = {TextRun(u"To: ", arial), Marker(1, arial), TextRun(u"[RECIPIENT]", arial, 1),
                 TextRun(u" 12 ", red)};
    Paragraph next;
    next.Format.PageBreakBefore = true;
    next.Format.Align = Alignment::Justify;
    next.Format.LineSpacing = -300;
    next.MarkFormat = arial;
    next.Runs = {TextRun(u"Page two", arial)};
    doc.Paragraphs = {title, body, next};

    EXPECT_EQ(WriteRtf(doc),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
              "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fmodern\\fcharset0 Courier New;}}\n"
              "{\\colortbl;\\red255\\green0\\blue0;}\n"
              "\\paperw12240\\paperh15840\\margl720\\margr720\\margt720\\margb720\n"
              "\\pard\\qc\\sa240\\fs20 Fax \\b Cover\\par\n"
              "\\pard\\fi-360\\li720\\ri360\\sb120\\sl360\\slmult1\\b0 To: "
              "{\\field{\\*\\fldinst MERGEFIELD TAG1}{\\fldrslt [RECIPIENT]}}"
              "\\f1\\fs24\\i\\ul\\cf1  12 \\f0\\fs20\\i0\\ulnone\\cf0\\par\n"
              "\\page\n"
              "\\pard\\qj\\sl-300\\slmult0 Page two\\par\n"
              "}");
}

TEST(RtfWriter, EscapesText) {
    Document doc;
    Paragraph p;
    p.Runs = {TextRun(u"{a}\\b\tc\u2028d caf\u00e9 \u20ac \u03a9\uff21\x01!")};
    doc.Paragraphs = {p};
    EXPECT_EQ(Body(WriteRtf(doc)),
              "\\pard\\{a\\}\\\\b\\tab c\\line d caf\\'e9 \\'80 \\u937\\'3f\\u-223\\'3f!\\par\n}");
}

TEST(RtfWriter, FieldFormattingStaysInsideTheField) {
    Document doc;
    CharFormat bold;
    bold.Bold = true;
    Paragraph p;
    p.Runs = {Marker(4), TextRun(u"[DATE]", bold, 4), TextRun(u"x"), Marker(5)};
    doc.Paragraphs = {p};
    EXPECT_EQ(Body(WriteRtf(doc)), "\\pard{\\field{\\*\\fldinst MERGEFIELD TAG4}{\\fldrslt\\b [DATE]}}x"
                                   "{\\field{\\*\\fldinst MERGEFIELD TAG5}{\\fldrslt}}\\par\n}");
}

TEST(RtfWriter, FontTableHoldsTheFontsInOrderOfUse) {
    Document doc;
    Paragraph p;
    p.MarkFormat = Font(u"Times;New\tRoman", 24);
    p.Runs = {TextRun(u"a", Font(u"", 24)), TextRun(u"b", Font(u"  Verdana ", 24))};
    doc.Paragraphs = {p};
    const std::string rtf = WriteRtf(doc);
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fswiss\\fcharset0 Verdana;}"
                       "{\\f2\\froman\\fcharset0 TimesNewRoman;}}"),
              std::string::npos)
        << rtf;
    const Document back = ReadRtf(rtf);
    EXPECT_EQ(back.Paragraphs[0].Runs[1].Format.Font, u"Verdana");
    EXPECT_EQ(back.Paragraphs[0].MarkFormat.Font, u"TimesNewRoman");
}

TEST(RtfWriter, WhatItWritesReadsBackAsTheSameDocument) {
    Document doc;
    CharFormat f = Font(u"Arial", 20);
    Paragraph a;
    a.MarkFormat = f;
    a.Runs = {TextRun(u"\u00dcml\u00e4ut \u2013 \U0001F600 {x}", f), Marker(3, f),
              TextRun(u"[SUBJECT]", f, 3)};
    Paragraph empty;
    empty.MarkFormat = Font(u"Arial", 40);
    Paragraph broken;
    broken.Format.PageBreakBefore = true;
    broken.MarkFormat = f;
    doc.Paragraphs = {a, empty, broken};
    EXPECT_EQ(ReadRtf(WriteRtf(doc)), doc);
}

} // namespace
} // namespace tolvane::rtf
