#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Startup.h"
#include "app/frmSplash.h"
#include "platform/Twips.h"
#include "support/TestSupport.h"
#include "widgets/AppIcon.h"
#include "widgets/Fonts.h"

using namespace tolvarine;

namespace {

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installFontSubstitutions();
        splash = new frmSplash;
    }
    void TearDown() override { delete splash.data(); }

    // Closing deletes the window later; the pointer tells whether it went.
    bool closedAndGone()
    {
        if (!splash)
            return true;
        if (splash->isVisible())
            return false;
        return QTest::qWaitFor([this] { return splash.isNull(); });
    }

    QPointer<frmSplash> splash;
};

} // namespace

TEST_F(SplashTest, LabelsHoldTheProductAndVersion)
{
    EXPECT_EQ(splash->lblProductName->text(), "Tolvarine");
    EXPECT_EQ(splash->lblPlatform->text(), "windows");
    EXPECT_EQ(splash->lblVersion->text(), "ﾊﾞｰｼﾞｮﾝ 1.1.4");
    for (QLabel *label : {splash->lblProductName, splash->lblPlatform, splash->lblVersion})
        EXPECT_EQ(label->font().family(), "ＭＳ Ｐゴシック");
}

TEST_F(SplashTest, JapaneseFontResolvesToIpaPGothic)
{
    installFontSubstitutions(); // a second call adds nothing
    EXPECT_EQ(QFont::substitutes(japaneseUiFontFamily()).count(QStringLiteral("ipapgothic")), 1);
    EXPECT_EQ(QFontInfo(splash->lblVersion->font()).family(), "IPAPGothic");
    for (QChar c : splash->lblVersion->text())
        EXPECT_TRUE(QFontMetrics(splash->lblVersion->font()).inFont(c)) << c.unicode();
}

TEST_F(SplashTest, ClientAreaIsTheDesignedSizeInTwips)
{
    const double dpi = splash->logicalDpiX();
    EXPECT_EQ(splash->size(), QSize(twipsToPixels(5295, dpi), twipsToPixels(3375, dpi)));
    EXPECT_EQ(splash->minimumSize(), splash->maximumSize()) << "fixed size";
}

TEST_F(SplashTest, HasNoTitleBarAndStaysOutOfTheTaskBar)
{
    const Qt::WindowFlags flags = splash->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::SplashScreen);
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(SplashTest, IsCentredOnThePrimaryScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint centre = splash->frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(centre.y() - screen.center().y()), 1);
}

TEST_F(SplashTest, EveryTextFitsItsLabel)
{
    const QRect frame = splash->Frame1->geometry();
    EXPECT_TRUE(splash->rect().contains(frame));
    for (QLabel *label : {splash->lblProductName, splash->lblPlatform, splash->lblVersion}) {
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        EXPECT_LE(metrics.height(), label->height()) << label->text().toStdString();
        EXPECT_TRUE(splash->Frame1->rect().contains(label->geometry()));
        EXPECT_FALSE(label->geometry().intersects(splash->imgLogo->geometry()));
    }
    EXPECT_FALSE(splash->lblProductName->geometry().intersects(splash->lblPlatform->geometry()));
    EXPECT_FALSE(splash->lblPlatform->geometry().intersects(splash->lblVersion->geometry()));
}

TEST_F(SplashTest, LogoIsTheProgramIcon)
{
    ASSERT_FALSE(splash->imgLogo->pixmap().isNull());
    const double dpi = splash->logicalDpiX();
    const int expected = twipsToPixels(480, dpi);
    EXPECT_EQ(splash->imgLogo->pixmap().size(), QSize(expected, expected));
    const QImage shown = splash->imgLogo->pixmap().toImage();
    const QImage icon = appIcon().pixmap(QSize(expected, expected)).toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), icon.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(SplashTest, KeyPressOnTheWindowClosesIt)
{
    splash->show();
    QTest::keyClick(splash.data(), Qt::Key_A);
    EXPECT_TRUE(closedAndGone());
}

TEST_F(SplashTest, KeyPressReachesTheWindowBeforeItsControls)
{
    splash->show();
    QTest::keyClick(splash->lblVersion, Qt::Key_Escape);
    EXPECT_TRUE(closedAndGone());
}

TEST_F(SplashTest, ModifierAloneDoesNotCloseIt)
{
    splash->show();
    QTest::keyClick(splash.data(), Qt::Key_Shift);
    EXPECT_TRUE(splash->isVisible());
    QTest::keyClick(splash.data(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(closedAndGone());
}

TEST_F(SplashTest, ClickOnTheFrameClosesIt)
{
    splash->show();
    // A point of the frame that no control covers.
    const QPoint empty(splash->Frame1->width() / 2, splash->Frame1->height() - 6);
    ASSERT_EQ(splash->Frame1->childAt(empty), nullptr);
    QTest::mouseClick(splash->Frame1, Qt::LeftButton, {}, empty);
    EXPECT_TRUE(closedAndGone());
}

TEST_F(SplashTest, ClickOnALabelOrWithTheRightButtonLeavesItOpen)
{
    splash->show();
    QTest::mouseClick(splash->lblProductName, Qt::LeftButton);
    EXPECT_TRUE(splash->isVisible());
    const QPoint empty(splash->Frame1->width() / 2, splash->Frame1->height() - 6);
    QTest::mouseClick(splash->Frame1, Qt::RightButton, {}, empty);
    EXPECT_TRUE(splash->isVisible());
}

TEST(AppIcon, OffersEverySize)
{
    const QIcon icon = appIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int n : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(n, n))) << n;
        const QImage image = icon.pixmap(QSize(n, n)).toImage();
        EXPECT_EQ(image.size(), QSize(n, n));
        // The icon is drawn, not blank: its centre is opaque.
        EXPECT_EQ(qAlpha(image.pixel(n / 2, n / 2)), 255) << n;
    }
}

// The start-up's splash and main window, with a stand-in for the main window's load.
class StartupSequence : public ::testing::Test {
protected:
    static frmSplash *visibleSplash()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *s = qobject_cast<frmSplash *>(w); s && s->isVisible())
                return s;
        }
        return nullptr;
    }
    static bool noSplashLeft()
    {
        return QTest::qWaitFor([] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (qobject_cast<frmSplash *>(w))
                    return false;
            }
            return true;
        });
    }
    void TearDown() override { delete main.data(); }

    QPointer<QWidget> main;
};

TEST_F(StartupSequence, SplashIsShownWhileTheMainWindowLoadsHidden)
{
    installFontSubstitutions();
    bool splashShownDuringLoad = false;
    bool mainHiddenDuringLoad = false;
    main = showSplashWhileLoading([&] {
        auto *window = new QWidget;
        splashShownDuringLoad = visibleSplash() != nullptr;
        mainHiddenDuringLoad = !window->isVisible();
        return window;
    });
    ASSERT_TRUE(main);
    EXPECT_TRUE(splashShownDuringLoad);
    EXPECT_TRUE(mainHiddenDuringLoad);
    EXPECT_EQ(visibleSplash(), nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(noSplashLeft());
}

TEST_F(StartupSequence, SplashClosedByTheUserDuringTheLoadIsNoProblem)
{
    main = showSplashWhileLoading([] {
        frmSplash *splash = visibleSplash();
        if (splash) {
            QTest::keyClick(splash, Qt::Key_Space);
            // The deferred deletion runs while the load lets events through.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return new QWidget;
    });
    ASSERT_TRUE(main);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(noSplashLeft());
}
