// Our RTF against other programs: LibreOffice's RTF loads with its text and formatting, and
// unrtf reads every RTF we write with the same text.
#include "RichTextTestSupport.h"
#include "platform/richtext/MergeField.h"
#include "platform/richtext/RichTextDocument.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextCursor>
#include <map>

namespace tolvane {
namespace {

using test::BlockWithText;
using test::FixturePath;
using test::FormatOfText;
using test::ReadBytes;

Qt::Alignment HorizontalAlignment(const QTextBlock& b) {
    return b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}
bool BreaksBefore(const QTextBlock& b) {
    return (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
}

TEST(LibreOfficeRtf, LetterLoadsWithItsFormatting) {
    QTextDocument doc;
    richtext::ReadRtf(ReadBytes(FixturePath("letter.rtf")), doc);
    ASSERT_EQ(doc.blockCount(), 8) << doc.toPlainText().toStdString();

    const QTextBlock title = BlockWithText(doc, "Fax Cover Sheet");
    EXPECT_EQ(HorizontalAlignment(title), Qt::AlignHCenter);
    EXPECT_TRUE(FormatOfText(doc, "Fax Cover").font().bold());
    EXPECT_DOUBLE_EQ(FormatOfText(doc, "Fax Cover").fontPointSize(), 16);
    EXPECT_EQ(richtext::PixelsToTwips(title.blockFormat().bottomMargin()), 240);

    EXPECT_EQ(BlockWithText(doc, "To:\tJane Smith").isValid(), true);
    EXPECT_TRUE(FormatOfText(doc, "Smith").font().bold());
    EXPECT_FALSE(FormatOfText(doc, "Jane").font().bold());
    EXPECT_EQ(richtext::FontFamilyOf(FormatOfText(doc, "Jane")), "Arial");
    EXPECT_DOUBLE_EQ(FormatOfText(doc, "Jane").fontPointSize(), 10);
    EXPECT_TRUE(FormatOfText(doc, "Quarterly figures").font().italic());
    EXPECT_TRUE(FormatOfText(doc, "next steps").font().underline());
    EXPECT_FALSE(FormatOfText(doc, " and ").font().underline());
    EXPECT_TRUE(doc.find(QString("next steps") + QChar::LineSeparator + "second line").hasSelection());

    const QTextBlock indented = doc.findBlock(doc.find("An indented").selectionStart());
    EXPECT_EQ(HorizontalAlignment(indented), Qt::AlignJustify);
    EXPECT_EQ(richtext::PixelsToTwips(indented.blockFormat().leftMargin()), 720);
    EXPECT_EQ(richtext::PixelsToTwips(indented.blockFormat().rightMargin()), 360);
    EXPECT_EQ(richtext::PixelsToTwips(indented.blockFormat().textIndent()), -360);
    EXPECT_EQ(richtext::PixelsToTwips(indented.blockFormat().topMargin()), 120);

    EXPECT_EQ(HorizontalAlignment(BlockWithText(doc, "Signed, J. Doe")), Qt::AlignRight);
    EXPECT_EQ(richtext::FontFamilyOf(FormatOfText(doc, "J. Doe")), "Courier New");
    EXPECT_DOUBLE_EQ(FormatOfText(doc, "J. Doe").fontPointSize(), 12);

    EXPECT_FALSE(BreaksBefore(title));
    EXPECT_TRUE(BreaksBefore(BlockWithText(doc, "Page two: the document proper.")));
    EXPECT_FALSE(BreaksBefore(BlockWithText(doc, "")));
    EXPECT_TRUE(BreaksBefore(BlockWithText(doc, "Page three.")));
}

TEST(LibreOfficeRtf, HtmlConversionLoadsWithItsFormatting) {
    QTextDocument doc;
    richtext::ReadRtf(ReadBytes(FixturePath("formatting.rtf")), doc);
    EXPECT_TRUE(FormatOfText(doc, "bold words").font().bold());
    EXPECT_FALSE(FormatOfText(doc, "Plain start").font().bold());
    EXPECT_TRUE(FormatOfText(doc, "italic words").font().italic());
    EXPECT_TRUE(FormatOfText(doc, "underlined words").font().underline());
    EXPECT_EQ(HorizontalAlignment(BlockWithText(doc, "Centred line")), Qt::AlignHCenter);
    EXPECT_EQ(HorizontalAlignment(BlockWithText(doc, "Right line")), Qt::AlignRight);
    EXPECT_EQ(HorizontalAlignment(doc.findBlock(doc.find("Justified").selectionStart())), Qt::AlignJustify);
    EXPECT_TRUE(BreaksBefore(BlockWithText(doc, "Second page starts here")));
    EXPECT_TRUE(BreaksBefore(BlockWithText(doc, "Third page")));
    EXPECT_TRUE(doc.find(QString::fromUtf8("Ümlaut café – “quotes” € and Ωmega")).hasSelection());
}

// unrtf --html with its own entity table (html.conf) turned back into text.
class UnrtfText {
public:
    UnrtfText() {
        QFile conf("/usr/share/unrtf/html.conf");
        if (!conf.open(QIODevice::ReadOnly)) {
            return;
        }
        QString code;
        for (const QString& line : QString::fromUtf8(conf.readAll()).split('\n')) {
            static const QRegularExpression decimal("^(\\d+)$");
            static const QRegularExpression hex("^<U([0-9A-Fa-f]+)>$");
            if (auto m = decimal.match(line); m.hasMatch()) {
                code = QString(QChar(m.captured(1).toInt()));
            } else if (auto h = hex.match(line); h.hasMatch()) {
                code = QString(QChar(h.captured(1).toInt(nullptr, 16)));
            } else if (!code.isEmpty() && line.startsWith('\t') && line.trimmed().startsWith('&')) {
                entities_.emplace(line.trimmed(), code); // the first table is Unicode's
                code.clear();
            } else {
                code.clear();
            }
        }
    }
    bool Available() const { return !entities_.empty(); }

    QString Of(const QString& rtfFile) const {
        const test::ProcessResult r =
            test::RunCommand("unrtf --html " + test::ShellQuote(rtfFile.toStdString()));
        QString html = QString::fromUtf8(r.out);
        html.remove(QRegularExpression("<!--.*?-->", QRegularExpression::DotMatchesEverythingOption));
        html.remove(QRegularExpression("<head>.*</head>", QRegularExpression::DotMatchesEverythingOption));
        // Character formatting joins text; everything else separates it.
        html.remove(QRegularExpression("</?(b|i|u|s|span|font|sup|sub)\\b[^>]*>"));
        html.replace(QRegularExpression("<[^>]*>"), " ");
        QString text;
        static const QRegularExpression entity("&(#(\\d+)|[A-Za-z0-9]+);");
        qsizetype at = 0;
        for (auto it = entity.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            text += html.mid(at, m.capturedStart() - at);
            if (!m.captured(2).isEmpty()) {
                const char32_t cp = m.captured(2).toUInt();
                text += QString::fromUcs4(&cp, 1);
            } else {
                const auto e = entities_.find(m.captured(0));
                text += e != entities_.end() ? e->second : m.captured(0);
            }
            at = m.capturedEnd();
        }
        return text + html.mid(at);
    }

private:
    std::map<QString, QString> entities_;
};

// Text as a reader shows it, white space folded.
QString Folded(QString text) {
    text.replace(QChar::ObjectReplacementCharacter, QString());
    text.replace(QChar::Nbsp, ' ');
    return text.simplified();
}

class UnrtfReadsOurs : public testing::TestWithParam<const char*> {};

TEST_P(UnrtfReadsOurs, WithTheSameText) {
    static const UnrtfText unrtf;
    ASSERT_TRUE(unrtf.Available()) << "unrtf is not installed (scripts/install-deps)";
    const QString name = GetParam();
    QTextDocument doc;
    const QByteArray source = name.endsWith(".rtf") ? ReadBytes(FixturePath(name)) : name.toUtf8();
    richtext::ReadRtf(source, doc);
    test::TempDir dir;
    const QString file = QString::fromStdString(dir.File("ours.rtf"));
    test::WriteAll(file.toStdString(), [&] {
        const QByteArray rtf = richtext::WriteRtf(doc, TPageSetup{});
        return std::vector<uint8_t>(rtf.begin(), rtf.end());
    }());
    EXPECT_EQ(Folded(unrtf.Of(file)).toStdString(), Folded(doc.toPlainText()).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, UnrtfReadsOurs,
    testing::Values(
        "letter.rtf", "formatting.rtf",
        R"({\rtf1 Dear {\field{\*\fldinst MERGEFIELD TAG1}{\fldrslt [RECIPIENT]}}, {\b see} {\i the}\par)"
        R"(\page\pard\qc braces \{ \} and \\ backslash\tab tab\par)"
        R"(\pard Gr\'fc\'dfe: \u8364\'3f 5, \u8220\'3fquoted\u8221\'3f, \u937\'3fmega, \u20013\'3f\u25991\'3f.\par})"));

} // namespace
} // namespace tolvane
