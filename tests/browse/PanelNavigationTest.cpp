#include <gtest/gtest.h>

#include "app/MainLayout.h"
#include "browse/PanelNavigation.h"

namespace tolvarine {
namespace {

// The intraoral panel as the main window lays it out:
//          4   6
//      2   1   3
//      0   5
std::vector<ShownPlace> oralPanel(const std::vector<int> &shown)
{
    const MainLayout layout = mainLayout(false);
    std::vector<ShownPlace> places;
    for (int position : shown)
        places.push_back({position, layout.ImgSam[size_t(position)]});
    return places;
}

struct MoveCase {
    const char *name;
    std::vector<int> shown;
    int from;
    Qt::ArrowType direction;
    std::optional<int> to;
};

class PanelMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(PanelMoves, ArrowPicksTheNearestShownPlaceThatWay)
{
    const MoveCase &c = GetParam();
    EXPECT_EQ(nextShownPlace(oralPanel(c.shown), c.from, c.direction), c.to);
}

const std::vector<int> kAll = {0, 1, 2, 3, 4, 5, 6};

INSTANTIATE_TEST_SUITE_P(
    Moves, PanelMoves,
    ::testing::Values(MoveCase{"RightAlongTheRow", kAll, 2, Qt::RightArrow, 1},
                      MoveCase{"NothingRightOfTheEdge", kAll, 3, Qt::RightArrow, std::nullopt},
                      MoveCase{"UpTheColumn", kAll, 0, Qt::UpArrow, 2},
                      MoveCase{"DownTheColumn", kAll, 4, Qt::DownArrow, 1},
                      MoveCase{"RowEndsSoTheNearestRowAbove", kAll, 5, Qt::RightArrow, 3},
                      MoveCase{"HiddenPlacesAreSkipped", std::vector<int>{0, 2, 3}, 2, Qt::RightArrow, 3},
                      MoveCase{"UnknownStartGoesNowhere", std::vector<int>{0, 2}, 5, Qt::UpArrow,
                               std::nullopt},
                      MoveCase{"OnePlaceStays", std::vector<int>{4}, 4, Qt::LeftArrow, std::nullopt}),
    [](const ::testing::TestParamInfo<MoveCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvarine
