#include <gtest/gtest.h>

#include "platform/Twips.h"
#include "support/TestSupport.h"

using namespace tolvarine;

struct TwipsCase {
    double twips;
    double dpi;
    int pixels;
};

class TwipsConversion : public ::testing::TestWithParam<TwipsCase> {};

TEST_P(TwipsConversion, RoundsToNearestPixel)
{
    const auto c = GetParam();
    EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(Densities, TwipsConversion,
                         ::testing::Values(TwipsCase{15, 96, 1}, TwipsCase{14580, 96, 972},
                                           TwipsCase{11240, 96, 749}, TwipsCase{14580, 120, 1215},
                                           TwipsCase{5295, 96, 353}, TwipsCase{7, 96, 0}, TwipsCase{8, 96, 1},
                                           TwipsCase{1440, 144, 144}),
                         test::namedBy([](const TwipsCase &c) {
                             return QStringLiteral("%1twips_at%2dpi").arg(c.twips).arg(c.dpi);
                         }));

TEST(Twips, RectConvertsEachEdge)
{
    EXPECT_EQ(twipsToPixels(QRect(2240, 5040, 2055, 1575), 96), QRect(149, 336, 137, 105));
    EXPECT_DOUBLE_EQ(pixelsToTwips(972, 96), 14580);
}
