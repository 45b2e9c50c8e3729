// RTF to QTextDocument and back: how the model appears in the document, and that a document
// survives write, read and write byte for byte.
#include "RichTextTestSupport.h"
#include "platform/richtext/MergeField.h"
#include "platform/richtext/RichTextDocument.h"

#include <gtest/gtest.h>

#include <QTextCursor>

namespace tolvane {
namespace {

using test::BlockWithText;
using test::FixturePath;
using test::FormatOfText;
using test::ReadBytes;

TEST(RichTextDocument, TwipsAreReferencePixels) {
    EXPECT_EQ(richtext::TwipsToPixels(1440), richtext::ReferenceDpi());
    EXPECT_EQ(richtext::PixelsToTwips(richtext::TwipsToPixels(101)), 101);
    EXPECT_EQ(richtext::PixelsToTwips(richtext::TwipsToPixels(-360)), -360);
}

TEST(RichTextDocument, ModelAppearsInTheDocument) {
    QTextDocument doc;
    const TPageSetup page = richtext::ReadRtf(
        R"({\rtf1\paperw11906\margl720{\fonttbl{\f0 Arial;}}\pard\qc\li720\fi-360\sb240\sl-360\slmult0\f0\fs20 )"
        R"(Hello {\b bold} {\field{\*\fldinst MERGEFIELD TAG2}{\fldrslt [FAX#]}}\par\page\pard\sl480\slmult1 Two\par})",
        doc);
    EXPECT_EQ(page.Width, 11906);
    EXPECT_EQ(page.MarginLeft, 720);
    ASSERT_EQ(doc.blockCount(), 2);
    const QTextBlockFormat first = doc.begin().blockFormat();
    EXPECT_EQ(first.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(first.leftMargin(), richtext::TwipsToPixels(720));
    EXPECT_DOUBLE_EQ(first.textIndent(), richtext::TwipsToPixels(-360));
    EXPECT_DOUBLE_EQ(first.topMargin(), richtext::TwipsToPixels(240));
    EXPECT_EQ(first.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(first.lineHeight(), richtext::TwipsToPixels(360));
    EXPECT_EQ(first.pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    const QTextBlockFormat second = doc.begin().next().blockFormat();
    EXPECT_EQ(second.pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(second.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(second.lineHeight(), 200);

    const QTextCharFormat hello = FormatOfText(doc, "Hello");
    EXPECT_EQ(richtext::FontFamilyOf(hello), "Arial");
    EXPECT_DOUBLE_EQ(hello.fontPointSize(), 10);
    EXPECT_TRUE(FormatOfText(doc, "bold").font().bold());

    const QList<TMergeField> fields = richtext::FindMergeFields(doc);
    ASSERT_EQ(fields.size(), 1);
    EXPECT_EQ(fields[0].Tag, 2);
    EXPECT_EQ(fields[0].Text, "[FAX#]");
    EXPECT_EQ(doc.characterAt(fields[0].Position), QChar::ObjectReplacementCharacter);
    EXPECT_EQ(fields[0].Length, 7);
}

// A document written, read back and written again gives the same bytes.
class RoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, IsByteIdentical) {
    const QString name = GetParam();
    const QByteArray source =
        name.endsWith(".rtf") && !name.contains('{') ? ReadBytes(FixturePath(name)) : name.toUtf8();
    QTextDocument doc;
    const TPageSetup page = richtext::ReadRtf(source, doc);
    const QByteArray once = richtext::WriteRtf(doc, page);
    QTextDocument again;
    const TPageSetup page2 = richtext::ReadRtf(once, again);
    EXPECT_EQ(page2, page);
    const QByteArray twice = richtext::WriteRtf(again, page2);
    EXPECT_EQ(once.toStdString(), twice.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, RoundTrip,
    testing::Values(
        "letter.rtf", "formatting.rtf",
        R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Courier New;}}{\colortbl;\red0\green0\blue255;})"
        R"(\pard\qj\li100\ri7\fi33\sb1\sa2\sl250\slmult1\f1\fs17\cf1 odd {\i values}\par)"
        R"(\pard\sl-1\slmult0 {\field{\*\fldinst MERGEFIELD TAG1}{\fldrslt {\b\ul [R]}x}}\tab y\line\par)"
        R"(\pard\par\page\pard\fs60\par\page\page z\u-10179?\u-8704?\'80\par})",
        "plain text\r\nwith\fpages"));

TEST(RichTextDocument, EditedDocumentsWriteCanonically) {
    // Fragments split by edits and formats set piecewise give the same RTF as the document
    // typed in one go.
    QTextDocument typed;
    typed.setDefaultFont(QFont("Arial", 10));
    QTextCursor(&typed).insertText("Hello world");
    QTextDocument edited;
    edited.setDefaultFont(QFont("Arial", 10));
    QTextCursor c(&edited);
    c.insertText("Hello");
    c.insertText("rld");
    c.setPosition(5);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(" wo", bold);
    c.setPosition(5);
    c.setPosition(8, QTextCursor::KeepAnchor);
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    c.mergeCharFormat(normal);
    EXPECT_EQ(richtext::WriteRtf(edited, TPageSetup{}).toStdString(),
              richtext::WriteRtf(typed, TPageSetup{}).toStdString());
}

} // namespace
} // namespace tolvane
