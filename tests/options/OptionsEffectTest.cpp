#include <functional>
#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "browse/BrowseWindowFixture.h"
#include "options/frmOption.h"
#include "options/frmPictFolda.h"
#include "support/StoreTestData.h"
#include "viewer/ViewCanvas.h"
#include "viewer/frmView.h"
#include "widgets/FolderList.h"
#include "widgets/ImagingView.h"

namespace tolvarine::test {
namespace {

// The options dialog opened from the main window's menu, as the user opens it, and
// what its settings do to the windows used next.
class OptionsInEffect : public BrowseWindow {
protected:
    // Three pictures of patient 7 under a picture folder, dated the same day.
    static QString patient7(const QString &pictureFolder)
    {
        const QString folder = pictureFolder + "/000/00007";
        for (int i = 0; i < 3; ++i)
            writePicture(folder + QStringLiteral("/p%1.jpg").arg(i), QDate(2010, 6, 7), i);
        return folder;
    }

    // Chooses ｵﾌﾟｼｮﾝ from the menu and works the modal dialog with act; a dialog act
    // leaves open is cancelled.
    static void throughMenu(frmMain &w, const std::function<void(frmOption &)> &act)
    {
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            QPointer<frmOption> d = w.findChild<frmOption *>();
            ASSERT_TRUE(d);
            EXPECT_TRUE(d->isModal());
            ran = true;
            act(*d);
            if (d && d->isVisible())
                d->reject();
        });
        w.mnuOptOption->trigger();
        EXPECT_TRUE(ran);
        EXPECT_EQ(w.findChild<frmOption *>(), nullptr); // released when it closes
    }
};

TEST_F(OptionsInEffect, ANewShootingOrderPlacesTheNextPatientsPictures)
{
    const QString folder = patient7(pictures);
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2}));

    throughMenu(*w, [](frmOption &d) {
        d.cmdSet->click();
        for (int k : {6, 5, 4, 3, 2, 1, 0})
            d.cmdJyunban[size_t(k)]->click();
        d.cmdOK->click();
    });
    EXPECT_EQ(storedSetting("Jyunban"), "6543210");
    commit(*w, "7");
    EXPECT_EQ(shownOral(*w), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(w->ImgSam[6]->toolTipText(), folder + "/p0.jpg");
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(OptionsInEffect, AFolderChosenThenCancelledServesTheRunButIsNotStored)
{
    const QString elsewhere = QDir::cleanPath(box.mkdir("elsewhere"));
    const QString folder = patient7(elsewhere);
    const auto w = loadWindow();
    throughMenu(*w, [&](frmOption &d) {
        d.setChooserRunner([&](frmPictFolda &chooser) {
            chooser.Dir1->setPath(elsewhere);
            chooser.cmdOK->click();
        });
        d.cmdPictFolda->click();
        EXPECT_EQ(d.txtPictFolda->text(), elsewhere);
        d.cmdCancel->click();
    });
    EXPECT_EQ(w->appSettings().PictFolda, elsewhere);
    EXPECT_EQ(storedSetting("PictFolda"), pictures);
    commit(*w, "7");
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2}));
}

TEST_F(OptionsInEffect, NewColourAdjustmentsShowInTheNextViewWindow)
{
    patient7(pictures);
    const auto w = loadWindow();
    w->show();
    commit(*w, "7");
    // The green of the red quadrant (top left) of the picture a new view shows.
    auto greenOfRed = [&] {
        QTest::mouseClick(w->ImgSam[0], Qt::LeftButton);
        QPointer<frmView> view;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *v = qobject_cast<frmView *>(top); v && v->isVisible())
                view = v;
        EXPECT_TRUE(view);
        if (!view)
            return -1;
        const QImage shown = view->Img1->fittedImage();
        const int green = shown.pixelColor(shown.width() / 4, shown.height() / 4).green();
        view->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return green;
    };
    EXPECT_LT(greenOfRed(), 30);

    throughMenu(*w, [](frmOption &d) {
        d.TabStrip1->setCurrentIndex(2);
        d.chkKido->click();
        d.HScrollKido->setValue(100);
        d.cmdOK->click();
    });
    EXPECT_EQ(storedSetting("Kido"), "1");
    EXPECT_EQ(storedSetting("KidoTi"), "100");
    // Brightness 100 adds 300 × 255 ÷ 1000 to every channel.
    EXPECT_NEAR(greenOfRed(), 76, 20);
}

} // namespace
} // namespace tolvarine::test
