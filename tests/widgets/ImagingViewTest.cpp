#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "support/TestSupport.h"
#include "widgets/ImagingView.h"

using namespace tolvarine;

namespace {

// A view of 100 x 100 pixels showing the 40 x 20 quadrant picture.
class ViewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(100, 100);
        view.control().setImage(test::makeQuadrantImage(40, 20));
        view.setToolTipText("/store/001/00123/a.jpg");
        view.show();
    }
    ImagingView view{3};
};

} // namespace

TEST_F(ViewFixture, LeftClickEmitsClickAndMouseDown)
{
    QSignalSpy clicks(&view, &ImagingView::clicked);
    QSignalSpy downs(&view, &ImagingView::mouseDown);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 3);
    ASSERT_EQ(downs.count(), 1);
    const QList<QVariant> args = downs.at(0);
    EXPECT_EQ(args.at(0).toInt(), 3);
    EXPECT_EQ(args.at(1).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(args.at(3).toInt(), 30);
    EXPECT_EQ(args.at(4).toInt(), 40);
    EXPECT_EQ(view.toolTipText(), "/store/001/00123/a.jpg");
}

TEST_F(ViewFixture, OtherButtonsOnlyReportThePress)
{
    QSignalSpy clicks(&view, &ImagingView::clicked);
    QSignalSpy downs(&view, &ImagingView::mouseDown);
    QTest::mouseClick(&view, Qt::RightButton, Qt::ShiftModifier, QPoint(70, 20));
    QTest::mouseClick(&view, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);
    ASSERT_EQ(downs.count(), 2);
    EXPECT_EQ(downs.at(0).at(1).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(downs.at(0).at(2).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    EXPECT_EQ(downs.at(0).at(3).toInt(), 70);
    EXPECT_EQ(downs.at(1).at(1).value<Qt::MouseButton>(), Qt::MiddleButton);
}

TEST_F(ViewFixture, ReleaseOutsideIsNoClick)
{
    QSignalSpy clicks(&view, &ImagingView::clicked);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(150, 50));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ViewFixture, PaintsCentredWithProportionsKept)
{
    const QImage shot = view.grab().toImage();
    // 40 x 20 into 100 x 100: 100 x 50, from y 25 to 75.
    EXPECT_TRUE(test::colorsClose(shot.pixelColor(20, 35), Qt::red));
    EXPECT_TRUE(test::colorsClose(shot.pixelColor(80, 35), Qt::green));
    EXPECT_TRUE(test::colorsClose(shot.pixelColor(20, 65), Qt::blue));
    EXPECT_TRUE(test::colorsClose(shot.pixelColor(80, 65), Qt::white));
    const QColor above = shot.pixelColor(20, 10);
    EXPECT_FALSE(test::colorsClose(above, Qt::red));
    EXPECT_EQ(above, shot.pixelColor(20, 90));

    // A new bitmap shows after refresh, not the cached one.
    view.control().setImage(test::makeQuadrantImage(20, 40));
    view.refresh();
    const QImage second = view.grab().toImage();
    EXPECT_TRUE(test::colorsClose(second.pixelColor(35, 20), Qt::red));
    EXPECT_FALSE(test::colorsClose(second.pixelColor(10, 20), Qt::red));
}

namespace {

struct KeyCase {
    const char *name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    Qt::ArrowType arrow; // NoArrow: no arrow signal
    bool click;
    bool menu;
};

class ViewKeys : public ViewFixture, public ::testing::WithParamInterface<KeyCase> {};

} // namespace

TEST_P(ViewKeys, KeysAreReportedForTheOwner)
{
    const KeyCase &c = GetParam();
    QSignalSpy arrows(&view, &ImagingView::arrowPressed);
    QSignalSpy clicks(&view, &ImagingView::clicked);
    QSignalSpy menus(&view, &ImagingView::contextMenuRequested);
    QTest::keyClick(&view, c.key, c.modifiers);
    ASSERT_EQ(arrows.count(), c.arrow == Qt::NoArrow ? 0 : 1);
    if (c.arrow != Qt::NoArrow) {
        EXPECT_EQ(arrows.at(0).at(0).toInt(), 3);
        EXPECT_EQ(arrows.at(0).at(1).value<Qt::ArrowType>(), c.arrow);
    }
    EXPECT_EQ(clicks.count(), c.click ? 1 : 0);
    ASSERT_EQ(menus.count(), c.menu ? 1 : 0);
    if (c.menu) {
        EXPECT_EQ(menus.at(0).at(0).toInt(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ViewKeys,
    ::testing::Values(KeyCase{"Left", Qt::Key_Left, Qt::NoModifier, Qt::LeftArrow, false, false},
                      KeyCase{"Right", Qt::Key_Right, Qt::NoModifier, Qt::RightArrow, false, false},
                      KeyCase{"Up", Qt::Key_Up, Qt::NoModifier, Qt::UpArrow, false, false},
                      KeyCase{"Down", Qt::Key_Down, Qt::NoModifier, Qt::DownArrow, false, false},
                      KeyCase{"ReturnClicks", Qt::Key_Return, Qt::NoModifier, Qt::NoArrow, true, false},
                      KeyCase{"KeypadEnterClicks", Qt::Key_Enter, Qt::KeypadModifier, Qt::NoArrow, true,
                              false},
                      KeyCase{"MenuKey", Qt::Key_Menu, Qt::NoModifier, Qt::NoArrow, false, true},
                      KeyCase{"ShiftF10", Qt::Key_F10, Qt::ShiftModifier, Qt::NoArrow, false, true},
                      KeyCase{"F10AloneNothing", Qt::Key_F10, Qt::NoModifier, Qt::NoArrow, false, false},
                      KeyCase{"SpaceNothing", Qt::Key_Space, Qt::NoModifier, Qt::NoArrow, false, false}),
    [](const ::testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.name); });

TEST(ImagingViewFocus, TabReachesItAndItsFocusIsMarked)
{
    QWidget window;
    auto *before = new QWidget(&window);
    before->setFocusPolicy(Qt::StrongFocus);
    before->setGeometry(0, 0, 20, 20);
    auto *view = new ImagingView(1, &window);
    view->setGeometry(30, 0, 100, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    const QImage unfocused = view->grab().toImage();

    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(view->hasFocus());
    const QImage focused = view->grab().toImage();
    const QColor mark = view->palette().color(QPalette::Highlight);
    EXPECT_EQ(focused.pixelColor(0, 50), mark);
    EXPECT_EQ(focused.pixelColor(50, 99), mark);
    EXPECT_NE(unfocused.pixelColor(0, 50), mark);
}
