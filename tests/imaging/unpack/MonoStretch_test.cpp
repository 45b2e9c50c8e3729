#include "imaging/errors/ResultCodes.h"
#include "imaging/unpack/MonoStretch.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

// Pixel by pixel from the definition: a reduced dimension takes every source pixel it covers,
// an enlarged one the source pixel it falls on.
bool ExpectedBlack(const MonoBitmap& s, int w, int h, int x, int y) {
    const auto range = [](int d, int sourceSize, int destSize) {
        int from = static_cast<int>(static_cast<int64_t>(d) * sourceSize / destSize);
        int to = static_cast<int>(static_cast<int64_t>(d + 1) * sourceSize / destSize);
        return std::pair{from, std::max(to, from + 1)};
    };
    const auto [x0, x1] = range(x, s.Width(), w);
    const auto [y0, y1] = range(y, s.Height(), h);
    for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
            if (s.IsBlack(sx, sy)) {
                return true;
            }
        }
    }
    return false;
}

TEST(MonoStretch, BlackWinsWhenReducingAndPixelsRepeatWhenEnlarging) {
    std::mt19937 rng(3);
    MonoBitmap source(77, 41);
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            source.SetBlack(x, y, rng() % 9 == 0);
        }
    }
    const std::pair<int, int> sizes[] = {{38, 20}, {77, 13}, {154, 82}, {200, 17}, {5, 100}, {1, 1}};
    for (const auto& [w, h] : sizes) {
        MonoBitmap out;
        ASSERT_EQ(StretchMonoBitmap(source, w, h, out), ecOK);
        ASSERT_EQ(out.Width(), w);
        ASSERT_EQ(out.Height(), h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(out.IsBlack(x, y), ExpectedBlack(source, w, h, x, y))
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST(MonoStretch, AThinLineSurvivesReduction) {
    MonoBitmap page(1728, 2200);
    for (int y = 0; y < 2200; ++y) {
        page.SetBlack(901, y);
    }
    MonoBitmap small;
    ASSERT_EQ(StretchMonoBitmap(page, 216, 275, small), ecOK);
    for (int y = 0; y < 275; ++y) {
        ASSERT_TRUE(small.IsBlack(112, y));
        ASSERT_FALSE(small.IsBlack(113, y));
    }
}

TEST(MonoStretch, ImpossibleSizesFail) {
    MonoBitmap source(16, 16);
    MonoBitmap out;
    EXPECT_EQ(StretchMonoBitmap(source, 0, 10, out), ecCantMakeBitmap);
    EXPECT_EQ(StretchMonoBitmap(source, 10, -1, out), ecCantMakeBitmap);
    EXPECT_EQ(StretchMonoBitmap(source, 1 << 20, 1 << 20, out), ecCantMakeBitmap);
    EXPECT_EQ(StretchMonoBitmap(MonoBitmap(), 10, 10, out), ecCantMakeBitmap);
}

} // namespace
} // namespace tolvane
