#include <gtest/gtest.h>

#include "store/StoreNames.h"
#include "store/VisitListing.h"
#include "store/VisitSteps.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

TEST(VisitSteps, FacialVisitsTakeTheFirstFivePicturesOfEachDate)
{
    test::Sandbox box;
    const QDate first(2009, 1, 10);
    const QDate second(2009, 2, 10);
    QStringList paths;
    for (int i = 0; i < 7; ++i)
        paths << test::writePicture(box.file(QStringLiteral("face/A%1.jpg").arg(i)), first, i, 40, 20);
    paths << test::writePicture(box.file("face/B0.jpg"), second, 0, 40, 20);

    // Order "43210": position 0 is the fifth picture of a visit.
    const auto visits = facePositionVisits(box.file("face"), 1, "43210", 0);
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_EQ(visits[0].date, "2009/01/10");
    EXPECT_EQ(visits[0].path, paths[4]);
    EXPECT_EQ(visits[1].date, "2009/02/10");
    EXPECT_TRUE(visits[1].path.isEmpty());
    EXPECT_EQ(visitShowing(visits, paths[4]), 0);
    EXPECT_EQ(steppedVisit(visits, 0, 1), std::nullopt);
}

// The view steps through the visits the facial date list and panel show: a picture
// that vanished after the folder was read stands under the zero date in both.
TEST(VisitSteps, APictureWhoseDateCannotBeReadStandsUnderTheZeroDateAsOnThePanel)
{
    test::Sandbox box;
    const QString kept = test::writePicture(box.file("face/a.jpg"), QDate(2009, 1, 10));
    const QStringList paths{box.file("face/gone.jpg"), kept};
    const QString zero = visitDateText(zeroDate());

    DatedPictures panel(paths, 1);
    EXPECT_EQ(faceVisitPictures(panel, zero), QStringList{paths[0]});
    DatedPictures view(paths, 1);
    const auto visits = facePositionVisits(view, "01234", 0);
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_EQ(visits[0].date, zero);
    EXPECT_EQ(visits[0].path, paths[0]);
    EXPECT_EQ(steppedVisit(visits, 1, -1), 0);
}

} // namespace
} // namespace tolvarine
