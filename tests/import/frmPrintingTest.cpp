#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include "import/ImportProgress.h"
#include "import/frmPrinting.h"
#include "platform/Twips.h"

using namespace tolvarine;

namespace {

TEST(frmPrinting, HasItsCaptionAndGeometryInTwips)
{
    QWidget main;
    main.move(120, 90);
    ImportProgress state{6, 0};
    QPointer<frmPrinting> w = new frmPrinting(state, &main);
    const double dpi = w->logicalDpiX();

    EXPECT_EQ(w->windowTitle(), "読込中");
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->size(), twipsToPixels(QSize(3840, 1275), dpi));
    EXPECT_EQ(w->Label1->text(), "お待ち下さい");
    EXPECT_EQ(w->Label1->geometry(), twipsToPixels(QRect(480, 840, 1692, 372), dpi));
    EXPECT_EQ(w->ProgressBar1->geometry(), twipsToPixels(QRect(240, 360, 3252, 252), dpi));
    const int offset = twipsToPixels(2200, dpi);
    EXPECT_EQ(w->pos(), main.pos() + QPoint(offset, offset));
    EXPECT_TRUE(w->Timer1->isActive());
    delete w;
}

TEST(frmPrinting, TheTimerMovesTheBarToThePositionOfTheImport)
{
    QWidget main;
    ImportProgress state{8, 0};
    QPointer<frmPrinting> w = new frmPrinting(state, &main);
    w->show();
    EXPECT_EQ(w->ProgressBar1->maximum(), 8);
    EXPECT_EQ(w->ProgressBar1->minimum(), 0);

    state.intImportPos = 3;
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->ProgressBar1->value() == 3; }, 5000));
    state.intImportPos = 8;
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->ProgressBar1->value() == 8; }, 5000));
    delete w;
}

TEST(frmPrinting, IsReleasedWhenItCloses)
{
    QWidget main;
    ImportProgress state{6, 2};
    QPointer<frmPrinting> w = new frmPrinting(state, &main);
    w->show();
    EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
    QTimer *timer = w->Timer1;
    w->close();
    EXPECT_TRUE(w.isNull() || !timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 5000));
}

} // namespace
