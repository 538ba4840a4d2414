#include <optional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QStringList>

#include "store/VisitOrder.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

struct PlaceRow {
    const char *order;
    int entries;
    int maxCount;
    std::vector<std::pair<int, int>> placed; // index, position
};

class VisitPlacement : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(VisitPlacement, EachPictureGoesWhereItsOrderCharacterSays)
{
    const PlaceRow &row = GetParam();
    std::vector<std::pair<int, int>> placed;
    for (const Placement &p : placeVisit(row.order, row.entries, row.maxCount))
        placed.emplace_back(p.index, p.position);
    EXPECT_EQ(placed, row.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Store, VisitPlacement,
    ::testing::Values(
        PlaceRow{"0123456", 3, kOralPositions, {{0, 0}, {1, 1}, {2, 2}}},
        PlaceRow{"6543210", 7, kOralPositions, {{0, 6}, {1, 5}, {2, 4}, {3, 3}, {4, 2}, {5, 1}, {6, 0}}},
        PlaceRow{"012", 5, kOralPositions, {{0, 0}, {1, 1}, {2, 2}}},
        PlaceRow{"0123456", 9, kOralPositions, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}},
        PlaceRow{"0123456", 0, kOralPositions, {}}, PlaceRow{"", 4, kOralPositions, {}},
        PlaceRow{"43210", 6, kFacePositions, {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}}},
        // a facial panel has no position 5 or 6; later pictures still find theirs
        PlaceRow{"0563412", 7, kFacePositions, {{0, 0}, {3, 3}, {4, 4}}},
        // a character that is not a digit reads as 0
        PlaceRow{"x12", 3, kOralPositions, {{0, 0}, {1, 1}, {2, 2}}}),
    test::namedBy([](const PlaceRow &r) {
        return QStringLiteral("order%1_%2pictures_%3positions")
            .arg(*r.order ? r.order : "Empty")
            .arg(r.entries)
            .arg(r.maxCount);
    }));

TEST(VisitOrder, PositionIsTheCharacterReadAsNumber)
{
    EXPECT_EQ(positionForIndex("6543210", 0), 6);
    EXPECT_EQ(positionForIndex("6543210", 6), 0);
    EXPECT_EQ(positionForIndex("012", 3), std::nullopt);
    EXPECT_EQ(positionForIndex("012", -1), std::nullopt);
    EXPECT_EQ(positionForIndex("0a9", 1), 0);
    EXPECT_EQ(positionForIndex("0a9", 2), 9);
    EXPECT_EQ(positionForIndex(QStringLiteral("0１"), 1), 0);
}

struct LookupRow {
    const char *order;
    int entries;
    int position;
    int maxCount;
    const char *expected;
};

class PictureAtPosition : public ::testing::TestWithParam<LookupRow> {};

TEST_P(PictureAtPosition, FirstMatchingEntryOrEmpty)
{
    const LookupRow &row = GetParam();
    const QStringList all{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg", "/p/e.jpg", "/p/f.jpg", "/p/g.jpg"};
    const QStringList paths = all.mid(0, row.entries);
    EXPECT_EQ(fileNameAtPosition(row.order, paths, row.position, row.maxCount), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Store, PictureAtPosition,
                         ::testing::Values(LookupRow{"0123456", 7, 3, kOralPositions, "/p/d.jpg"},
                                           LookupRow{"6543210", 7, 6, kOralPositions, "/p/a.jpg"},
                                           LookupRow{"6543210", 7, 0, kOralPositions, "/p/g.jpg"},
                                           LookupRow{"3012", 7, 0, kOralPositions, "/p/b.jpg"},
                                           // no character names the position
                                           LookupRow{"0123455", 7, 6, kOralPositions, ""},
                                           LookupRow{"0123456", 7, 9, kOralPositions, ""},
                                           // the order ends before a match
                                           LookupRow{"012", 7, 5, kOralPositions, ""},
                                           LookupRow{"", 7, 0, kOralPositions, ""},
                                           // the visit has no picture for the matching entry
                                           LookupRow{"0123456", 3, 4, kOralPositions, ""},
                                           LookupRow{"6543210", 3, 0, kOralPositions, ""},
                                           // a repeated digit: the first entry wins, even without a picture
                                           LookupRow{"5015", 1, 5, kOralPositions, "/p/a.jpg"},
                                           LookupRow{"1550", 1, 5, kOralPositions, ""},
                                           // facial lookups stop after five characters
                                           LookupRow{"0123456", 7, 5, kFacePositions, ""},
                                           LookupRow{"43210", 5, 4, kFacePositions, "/p/a.jpg"}),
                         test::namedBy([](const LookupRow &r) {
                             return QStringLiteral("order%1_%2pictures_position%3_of%4")
                                 .arg(*r.order ? r.order : "Empty")
                                 .arg(r.entries)
                                 .arg(r.position)
                                 .arg(r.maxCount);
                         }));

TEST(VisitOrder, ClickedPositionFindsItsIndex)
{
    EXPECT_EQ(indexForPosition("3012", 0, kOralPositions), 1);
    EXPECT_EQ(indexForPosition("3012", 4, kOralPositions), std::nullopt);
    EXPECT_EQ(indexForPosition("01234", 4, kFacePositions), 4);
    EXPECT_EQ(indexForPosition("0123456", 6, kFacePositions), std::nullopt);
}

} // namespace
