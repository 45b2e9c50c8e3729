// Pages drawn at fax resolution: where pages start and end, where the text lands, and that it
// is drawn bi-level.
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RichTextPageLayout.h"
#include "platform/richtext/WPRichText.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTextBlock>

namespace tolvane {
namespace {

// The fax page: 1664 x 2156 at 192 dots per inch, text from (98, 49), lowest line 2107.
constexpr int kWidth = 1664;
constexpr int kHeight = 2156;
const QPoint kOrigin(98, 49);
constexpr int kLowest = 2107;
constexpr int kLayoutWidth = 1615;

QImage WhitePage() {
    QImage page(kWidth, kHeight, QImage::Format_Mono);
    page.setColor(0, qRgb(255, 255, 255));
    page.setColor(1, qRgb(0, 0, 0));
    page.fill(0);
    return page;
}

// The box around the black pixels (empty when there are none).
QRect InkBox(const QImage& page) {
    int left = page.width();
    int right = -1;
    int top = page.height();
    int bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

std::unique_ptr<RichTextPageLayout> LayoutOf(const char* rtf, int wrap = kLayoutWidth) {
    static QTextDocument doc;
    doc.setDefaultFont(QFont("Arial", 10));
    richtext::ReadRtf(rtf, doc);
    TPageLayoutOptions options;
    options.Dpi = 192;
    options.WrapWidth = wrap;
    return std::make_unique<RichTextPageLayout>(doc, options);
}

int Draw(const RichTextPageLayout& layout, int start, QImage& page) {
    QPainter p(&page);
    return layout.DrawPage(p, start, kOrigin, kLowest);
}

constexpr const char* kThreePages = R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20 First page\par second line\par)"
                                    R"(\page Second page\par\page\pard\sb480 Third page\par})";

TEST(RichTextPageLayout, PagesEndAtHardPageBreaksOnly) {
    const auto layout = LayoutOf(kThreePages);
    ASSERT_EQ(layout->PageCount(), 3);
    const QTextDocument& doc = layout->Document();
    EXPECT_EQ(layout->PageStart(1), doc.find("Second page").selectionStart());
    EXPECT_EQ(layout->PageStart(2), doc.find("Third page").selectionStart());
    QImage page = WhitePage();
    EXPECT_EQ(Draw(*layout, 0, page), layout->PageStart(1));
    EXPECT_EQ(Draw(*layout, layout->PageStart(1), page), layout->PageStart(2));
    EXPECT_EQ(Draw(*layout, layout->PageStart(2), page), 0);
    // A page break on the first paragraph does not make an empty first page.
    EXPECT_EQ(LayoutOf(R"({\rtf1\page a\par b})")->PageCount(), 1);
}

TEST(RichTextPageLayout, TextLiesInTheExpectedBox) {
    const auto layout = LayoutOf(kThreePages);
    for (int index = 0; index < 3; ++index) {
        QImage page = WhitePage();
        Draw(*layout, layout->PageStart(index), page);
        const QRect ink = InkBox(page);
        SCOPED_TRACE(index);
        // 10 point Arial at 192 dpi: capitals about 19 pixels high, a line about 30.
        EXPECT_GE(ink.left(), kOrigin.x());
        EXPECT_LE(ink.left(), kOrigin.x() + 6);
        const int top = kOrigin.y() + (index == 2 ? 64 : 0); // the third page has 24 points before
        EXPECT_GE(ink.top(), top + 2);
        EXPECT_LE(ink.top(), top + 12);
        const int lines = index == 0 ? 2 : 1;
        EXPECT_GE(ink.bottom(), top + 18 + (lines - 1) * 28);
        EXPECT_LE(ink.bottom(), top + lines * 34);
        EXPECT_LT(ink.right(), kOrigin.x() + 300);
    }
}

TEST(RichTextPageLayout, DrawingFromAPositionStartsWithItsLine) {
    const auto layout = LayoutOf(kThreePages);
    QImage whole = WhitePage();
    Draw(*layout, 0, whole);
    QImage fromSecond = WhitePage();
    const int second = layout->Document().find("second line").selectionStart();
    EXPECT_EQ(Draw(*layout, second + 3, fromSecond), layout->PageStart(1));
    const QRect a = InkBox(whole);
    const QRect b = InkBox(fromSecond);
    EXPECT_LT(b.bottom() - b.top(), (a.bottom() - a.top()) / 2 + 4);
    EXPECT_LE(b.top(), kOrigin.y() + 12);
}

TEST(RichTextPageLayout, TextBelowTheLowestLineIsCutOff) {
    std::string rtf = R"({\rtf1\fs20 )";
    for (int i = 0; i < 200; ++i) {
        rtf += "Line " + std::to_string(i) + "\\par ";
    }
    rtf += "}";
    const auto layout = LayoutOf(rtf.c_str());
    EXPECT_EQ(layout->PageCount(), 1);
    QImage page = WhitePage();
    EXPECT_EQ(Draw(*layout, 0, page), 0);
    const QRect ink = InkBox(page);
    EXPECT_LE(ink.bottom(), kLowest);
    EXPECT_GT(ink.bottom(), kLowest - 40);
}

TEST(RichTextPageLayout, LinesWrapAtTheLayoutWidth) {
    const char* rtf =
        R"({\rtf1\fs20 words words words words words words words words words words words words)"
        R"( words words words words words words words words words words words words words words)"
        R"( words words words words words words words words words words words words words words})";
    QImage wide = WhitePage();
    Draw(*LayoutOf(rtf), 0, wide);
    QImage narrow = WhitePage();
    Draw(*LayoutOf(rtf, 600), 0, narrow);
    EXPECT_LE(InkBox(narrow).right(), kOrigin.x() + 600);
    EXPECT_GT(InkBox(narrow).bottom(), InkBox(wide).bottom());
    EXPECT_GT(InkBox(wide).right(), kOrigin.x() + 1400);
}

TEST(RichTextPageLayout, DrawsBiLevelWithoutMarkers) {
    QImage colour(kWidth, 200, QImage::Format_RGB32);
    colour.fill(Qt::white);
    {
        QPainter p(&colour);
        LayoutOf(R"({\rtf1\fs28 Grey edges? {\i None} {\b at all.}})")->DrawPage(p, 0, kOrigin, 190);
    }
    int grey = 0;
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const QRgb px = colour.pixel(x, y) & 0xFFFFFF;
            grey += px != 0xFFFFFF && px != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(grey, 0);
    EXPECT_FALSE(InkBox(colour).isEmpty());

    QImage withField = WhitePage();
    Draw(*LayoutOf(R"({\rtf1 To {\field{\*\fldinst MERGEFIELD TAG1}{\fldrslt Jane}}})"), 0, withField);
    QImage plain = WhitePage();
    Draw(*LayoutOf(R"({\rtf1 To Jane})"), 0, plain);
    EXPECT_EQ(withField, plain);
}

TEST(RichTextPageLayout, ControlDrawsAtItsZoomAndKeepsTheLayout) {
    TWPRichText control;
    control.SetRtf(kThreePages);
    control.SetZoom(200);
    control.SetWordWrap(true);
    QImage page = WhitePage();
    QPainter p(&page);
    int start = 0;
    int pages = 0;
    do {
        start = control.DrawPage(p, start, kOrigin, kLayoutWidth, kLowest);
        ++pages;
    } while (start > 0 && pages < 10);
    p.end();
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(control.CreatePageLayout(kLayoutWidth)->Options().Dpi, 192);
    EXPECT_EQ(control.CreatePageLayout(kLayoutWidth)->Options().WrapWidth, kLayoutWidth);
    control.SetWordWrap(false);
    EXPECT_EQ(control.CreatePageLayout(kLayoutWidth)->Options().WrapWidth, 192 * (12240 - 3600) / 1440);
}

} // namespace
} // namespace tolvane
