#include "printing/FaxPrintLayout.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SheetArea, FivePagesFourUpInPortraitAndTwoUpInLandscape) {
    const QSize sheet(1000, 1400);
    struct Case {
        TSheetOrientation orientation;
        int page;
        bool startsSheet;
        TPrintArea area;
    };
    const Case cases[] = {
        {TSheetOrientation::Portrait, 0, false, {2, 2, 498, 698}},      // top left
        {TSheetOrientation::Portrait, 1, false, {502, 2, 998, 698}},    // top right
        {TSheetOrientation::Portrait, 2, false, {2, 702, 498, 1398}},   // bottom left
        {TSheetOrientation::Portrait, 3, false, {502, 702, 998, 1398}}, // bottom right
        {TSheetOrientation::Portrait, 4, true, {2, 2, 498, 698}},       // second sheet, top left
        {TSheetOrientation::Landscape, 0, false, {2, 2, 498, 1398}},    // left
        {TSheetOrientation::Landscape, 1, false, {502, 2, 998, 1398}},  // right
        {TSheetOrientation::Landscape, 2, true, {2, 2, 498, 1398}},     // second sheet
        {TSheetOrientation::Landscape, 3, false, {502, 2, 998, 1398}},
        {TSheetOrientation::Landscape, 4, true, {2, 2, 498, 1398}}, // third sheet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(SheetArea(sheet, true, c.orientation, c.page), c.area);
        EXPECT_EQ(StartsSheet(true, c.orientation, c.page), c.startsSheet);
    }
}

TEST(SheetArea, OnePagePerSheetUsesTheWholeSheet) {
    EXPECT_EQ(SheetArea({1000, 1400}, false, TSheetOrientation::Landscape, 3), (TPrintArea{2, 2, 998, 1398}));
    EXPECT_FALSE(StartsSheet(false, TSheetOrientation::Portrait, 0));
    EXPECT_TRUE(StartsSheet(false, TSheetOrientation::Portrait, 1));
}

TEST(FaxImageSize, FitToPageAndNone) {
    const TPrintArea area{0, 0, 4800, 6400};
    EXPECT_EQ(FaxImageSize(TFaxPrintScale::psFitToPage, area, {1728, 2156}), QSize(4464, 6400));
    // A wide page is measured against 1728 rows and runs past the area.
    EXPECT_EQ(FaxImageSize(TFaxPrintScale::psFitToPage, area, {2048, 2156}), QSize(4464, 7985));
    // Content in the left half only: a narrower bitmap is still drawn 93 % wide.
    EXPECT_EQ(FaxImageSize(TFaxPrintScale::psFitToPage, area, {864, 2156}).width(), 4464);
    EXPECT_EQ(FaxImageSize(TFaxPrintScale::psNone, area, {1728, 9000}), QSize(1728, 6400));
    EXPECT_EQ(FaxImageSize(TFaxPrintScale::psNone, area, {1728, 1100}), QSize(1728, 1100));
}

TEST(ExpandMarginTokens, Tokens) {
    const TMarginValues values{QStringLiteral("/tmp/a$b.apf"), 2, 5,
                               QDateTime(QDate(2024, 3, 7), QTime(9, 5, 30))};
    struct Case {
        const char* caption;
        QString text;
    };
    const Case cases[] = {
        {"PAGE: $P of $N", QStringLiteral("PAGE: 2 of 5")},
        {"Page $p", QStringLiteral("Page 2")},
        {"$X", QString()},
        {"$", QString()},
        {"$P, then", QStringLiteral("2 then")},             // characters after a token go with it
        {"FILE: $F", QStringLiteral("FILE: /tmp/a$b.apf")}, // inserted values are not scanned
        {"no tokens", QStringLiteral("no tokens")},
        {"$D", ShortDateText(values.now.date())},
        {"at $t", QStringLiteral("at ") + TimeText(values.now.time())},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandMarginTokens(QString::fromUtf8(c.caption), values), c.text) << c.caption;
    }
    EXPECT_TRUE(TimeText(QTime(9, 5, 30)).contains(QStringLiteral("05")));
}

} // namespace
} // namespace tolvane
