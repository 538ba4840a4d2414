#include <memory>
#include <vector>

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "ViewTestData.h"
#include "platform/Twips.h"
#include "viewer/ViewCanvas.h"
#include "viewer/ViewPicture.h"
#include "viewer/frmView.h"

namespace tolvarine {
namespace {

const QString kPatient = QStringLiteral("Pict/001/00123/");

class ViewWindow : public ::testing::Test {
protected:
    void SetUp() override { settings.PictFolda = box.file("Pict"); }
    void TearDown() override
    {
        for (const QPointer<frmView> &view : views)
            delete view.data();
    }

    QString picture(const QString &name, QDate date, int seconds = 0)
    {
        return test::writeQuadrantPicture(box, kPatient + name,
                                          QDateTime(date, QTime(10, 0).addSecs(seconds)));
    }

    frmView *open(const QString &path, int position, PanelKind kind = PanelKind::Oral)
    {
        auto *view = new frmView(settings, *store, state);
        views.emplace_back(view);
        view->show();
        if (kind == PanelKind::Oral)
            view->HyoujiOne(path, position);
        else
            view->HyoujiFace(path, position);
        return view;
    }

    static QSize px(const QWidget &w, QSize twips) { return twipsToPixels(twips, w.logicalDpiX()); }
    static QPoint px(const QWidget &w, QPointF twips)
    {
        return QPoint(twipsToPixels(twips.x(), w.logicalDpiX()), twipsToPixels(twips.y(), w.logicalDpiX()));
    }
    static QSize devicePixels(const QWidget &w, QSize logical)
    {
        return (QSizeF(logical) * w.devicePixelRatioF()).toSize();
    }

    static void wheel(ViewCanvas *canvas, QPointF at, int steps)
    {
        QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &event);
    }
    static QColor shownAt(ViewCanvas *canvas, QPointF at)
    {
        return canvas->grab().toImage().pixelColor(at.toPoint());
    }
    // The picture point at the middle of a pane, as shares of the picture's width and height.
    static QPointF middleShare(ViewCanvas *canvas, int pane = 0)
    {
        const QRectF whole = canvas->pictureRect(pane);
        const QPointF middle = QRectF(canvas->paneArea(pane)).center();
        return QPointF((middle.x() - whole.x()) / whole.width(), (middle.y() - whole.y()) / whole.height());
    }

    test::Sandbox box;
    std::unique_ptr<QSettings> store = box.settings();
    AppSettings settings;
    BrowseState state;
    test::MessageRecorder messages;
    std::vector<QPointer<frmView>> views;
};

// --- opening ---------------------------------------------------------------------

struct TurnCase {
    const char *name;
    PanelKind kind;
    int16_t code;
    QSize windowTwips;
    QSize img1Twips;
    const char *corners; // of the fitted bitmap
};

class ViewTurning : public ViewWindow, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(ViewTurning, OpensSizedByViewSizeWithThePictureTurnedByItsCode)
{
    const TurnCase &c = GetParam();
    (c.kind == PanelKind::Oral ? settings.PictSyori[2] : settings.FacePictSyori[2]) = c.code;
    frmView *view = open(picture("a.jpg", QDate(2009, 3, 15)), 2, c.kind);

    EXPECT_EQ(view->size(), px(*view, c.windowTwips));
    EXPECT_EQ(view->Img1->geometry(), QRect(QPoint(0, 0), px(*view, c.img1Twips)));
    ASSERT_TRUE(view->blnShown);
    EXPECT_TRUE(view->Img1->isVisible());
    const QImage fitted = view->Img1->fittedImage();
    const QSize turned = c.windowTwips.width() < c.windowTwips.height() ? QSize(800, 1200) : QSize(1200, 800);
    // As many device pixels as the area has, the way the picture fits.
    EXPECT_EQ(fitted.size(), turned.scaled(devicePixels(*view, view->Img1->size()), Qt::KeepAspectRatio));
    EXPECT_EQ(test::cornerColours(fitted), c.corners);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ViewTurning,
    ::testing::Values(
        TurnCase{"OralAsStored", PanelKind::Oral, 0, {8000, 6560}, {8000, 6510}, "rgbw"},
        TurnCase{"OralRotated180", PanelKind::Oral, 1, {8000, 6560}, {8000, 6510}, "wbgr"},
        TurnCase{"OralMirrored", PanelKind::Oral, 2, {8000, 6560}, {8000, 6510}, "grwb"},
        TurnCase{"OralFlipped", PanelKind::Oral, 3, {8000, 6560}, {8000, 6510}, "bwrg"},
        TurnCase{"OralIgnoresFacialCode4", PanelKind::Oral, 4, {8000, 6560}, {8000, 6510}, "rgbw"},
        TurnCase{"FaceRotated180", PanelKind::Face, 1, {8000, 6560}, {8000, 6510}, "wbgr"},
        TurnCase{"FaceClockwiseInPortrait", PanelKind::Face, 4, {6560, 8000}, {6560, 7950}, "brwg"},
        TurnCase{"Face270InPortrait", PanelKind::Face, 5, {6560, 8000}, {6560, 7950}, "gwrb"}),
    [](const ::testing::TestParamInfo<TurnCase> &info) { return std::string(info.param.name); });

TEST_F(ViewWindow, CaptionIsThePathBelowThePictureFolderAndTheFileDate)
{
    frmView *view = open(picture("a.jpg", QDate(2009, 3, 15)), 0);
    EXPECT_EQ(view->windowTitle(), "/001/00123/a.jpg - 2009/03/15 - View");
}

TEST_F(ViewWindow, APictureThatCannotBeLoadedLeavesTheCaptionAndNoPicture)
{
    const QString broken = box.write(kPatient + "b.jpg", "not a picture");
    test::setModified(broken, QDateTime(QDate(2009, 3, 15), QTime(9, 0)));
    frmView *view = open(broken, 0);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowTitle(), "/001/00123/b.jpg - 2009/03/15 - View");
    EXPECT_FALSE(view->Img1->isVisible());
    EXPECT_FALSE(view->blnShown);

    // Not even turned upright: the window keeps the size it opened with.
    settings.FacePictSyori[0] = 4;
    frmView *face = open(broken, 0, PanelKind::Face);
    EXPECT_EQ(face->size(), px(*face, QSize(8000, 6560)));

    // A file gone since the listing: the file date's own message, the zero date.
    frmView *gone = open(box.file(kPatient + "gone.jpg"), 0);
    EXPECT_EQ(gone->windowTitle(), "/001/00123/gone.jpg - 1899/12/30 - View");
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_FALSE(gone->Img1->isVisible());
}

TEST_F(ViewWindow, ViewItiOpensEveryWindowAtTheStoredPlaceAndClosingWritesIt)
{
    writeWindowPosition(*store, kViewPosition, QPointF(3000, 1500.5), false);
    settings.ViewIti = 1;
    const QString path = picture("a.jpg", QDate(2009, 3, 15));
    frmView *first = open(path, 0);
    frmView *second = open(path, 0);
    const QPoint stored = px(*first, QPointF(3000, 1500.5));
    const double dpi = first->logicalDpiX();
    EXPECT_EQ(first->pos(), stored);
    EXPECT_EQ(second->pos(), stored);

    // Closed where it opened: the stored text, fraction and all, stays.
    first->close();
    EXPECT_EQ(readWindowPosition(*store, kViewPosition), QPointF(3000, 1500.5));

    second->move(stored + QPoint(30, 15));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->pos() == stored + QPoint(30, 15); }));
    second->close();
    EXPECT_EQ(readWindowPosition(*store, kViewPosition), QPointF(float(pixelsToTwips(stored.x() + 30, dpi)),
                                                                 float(pixelsToTwips(stored.y() + 15, dpi))));

    // Minimised, it writes nothing.
    const QPointF before = readWindowPosition(*store, kViewPosition);
    frmView *third = open(path, 0);
    third->move(QPoint(5, 5));
    third->showMinimized();
    third->close();
    EXPECT_EQ(readWindowPosition(*store, kViewPosition), before);
}

TEST_F(ViewWindow, EscClosesTheWindow)
{
    QPointer<frmView> view = open(picture("a.jpg", QDate(2009, 3, 15)), 0);
    QTest::keyClick(view.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
}

// --- resizing --------------------------------------------------------------------

TEST_F(ViewWindow, ResizingAFace270WindowTurnsBeforeFitting)
{
    settings.FacePictSyori[1] = 5;
    frmView *view = open(picture("f.jpg", QDate(2009, 3, 15)), 1, PanelKind::Face);
    view->resize(900, 300);
    const int areaHeight = 300 - twipsToPixels(kViewAreaBandTwips, view->logicalDpiX());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Img1->height() == areaHeight; }));
    const QImage fitted = view->Img1->fittedImage();
    // Fitted by the turned, upright proportions: as high as the area, not as wide.
    EXPECT_EQ(fitted.size(),
              QSize(800, 1200).scaled(devicePixels(*view, QSize(900, areaHeight)), Qt::KeepAspectRatio));
    EXPECT_EQ(test::cornerColours(fitted), "gwrb");
}

TEST_F(ViewWindow, RestoringAMinimisedWindowFitsThePictureAgain)
{
    frmView *view = open(picture("a.jpg", QDate(2009, 3, 15)), 0);
    view->showMinimized();
    view->resize(700, 500);
    view->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isMinimized() && view->Img1->width() == 700; }));
    EXPECT_TRUE(view->Img1->isVisible());
    EXPECT_EQ(view->Img1->fittedImage().width(), devicePixels(*view, QSize(700, 1)).width());
}

// --- zooming ---------------------------------------------------------------------

TEST_F(ViewWindow, WheelZoomsAroundThePointerDragPansDoubleClickFits)
{
    frmView *view = open(picture("a.jpg", QDate(2009, 3, 15)), 0);
    ViewCanvas *canvas = view->Img1;
    const QRectF placed = canvas->pictureRect();
    const QPointF at = placed.topLeft() + QPointF(placed.width() * 0.3, placed.height() * 0.35);
    const QPointF under = canvas->picturePointAt(at);

    QWheelEvent wheel(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    EXPECT_NEAR(canvas->zoomFactor(), 1.5625, 1e-6);
    EXPECT_NEAR(canvas->picturePointAt(at).x(), under.x(), 1.0);
    EXPECT_NEAR(canvas->picturePointAt(at).y(), under.y(), 1.0);
    // The zoomed painting shows the red quadrant under the pointer.
    EXPECT_TRUE(test::colorsClose(canvas->grab().toImage().pixelColor(at.toPoint()), Qt::red));

    QTest::keyClick(view, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_NEAR(canvas->zoomFactor(), 1.5625 * 1.25, 1e-6);
    QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_NEAR(canvas->zoomFactor(), 1.5625, 1e-6);

    const QPoint from = at.toPoint();
    const double before = canvas->picturePointAt(from).x();
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(canvas, from + QPoint(40, 0));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, from + QPoint(40, 0));
    EXPECT_LT(canvas->picturePointAt(from).x(), before - 10);

    QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_EQ(canvas->zoomFactor(), 1.0);
    EXPECT_EQ(canvas->pictureRect(), placed);
}

TEST_F(ViewWindow, ZoomReachesFullSizeOnAPictureBeyondTheAllocationLimit)
{
    // 48 megapixels, 192 MB decoded whole: more than one decode may allocate.
    const QString path = test::writeLargeQuadrantJpeg(box, kPatient + "large.jpg", QSize(8000, 6000));
    ASSERT_FALSE(path.isEmpty());
    frmView *view = open(path, 0);
    ViewCanvas *canvas = view->Img1;
    ASSERT_TRUE(view->blnShown);
    QSignalSpy decoded(canvas, &ViewCanvas::zoomDecoded);
    const QPointF at = canvas->pictureRect().center() + QPointF(3, 3); // in the white quadrant
    for (int step = 0; step < 30 && canvas->pictureRect().width() * canvas->devicePixelRatioF() < 8000;
         ++step)
        wheel(canvas, at, 1);
    ASSERT_GE(canvas->pictureRect().width() * canvas->devicePixelRatioF(), 8000);
    // The enlarged fitted picture at once, the full-size part when it is decoded.
    EXPECT_TRUE(canvas->isDecoding());
    EXPECT_LT(canvas->shownScale(), 0.1);
    EXPECT_TRUE(test::colorsClose(shownAt(canvas, at), Qt::white));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas->isDecoding(); }, 20000));
    EXPECT_GE(decoded.count(), 1);
    EXPECT_TRUE(canvas->zoomNotice().isEmpty()) << canvas->zoomNotice().toStdString();
    EXPECT_GT(canvas->zoomFactor(), 1.0);
    EXPECT_EQ(canvas->shownScale(), 1.0);
}

TEST_F(ViewWindow, AZoomThatCannotBeDecodedStaysZoomedAndSaysWhy)
{
    const QString path = picture("a.jpg", QDate(2009, 3, 15));
    frmView *view = open(path, 0);
    ViewCanvas *canvas = view->Img1;
    box.write(kPatient + "a.jpg", "overwritten by another program");
    QSignalSpy decoded(canvas, &ViewCanvas::zoomDecoded);
    wheel(canvas, canvas->pictureRect().center(), 3);
    ASSERT_TRUE(decoded.wait());
    EXPECT_NEAR(canvas->zoomFactor(), 1.25 * 1.25 * 1.25, 1e-6);
    EXPECT_FALSE(canvas->zoomNotice().isEmpty());
}

// --- stepping through visits -----------------------------------------------------

// Intraoral visits of 2009/01/10 (a1 a2 a3), 2009/02/10 (b1 only) and 2009/03/10
// (c1 c2), shooting order 0123456.
class ViewVisits : public ViewWindow {
protected:
    void SetUp() override
    {
        ViewWindow::SetUp();
        const QDate dates[] = {QDate(2009, 1, 10), QDate(2009, 2, 10), QDate(2009, 3, 10)};
        const std::vector<std::pair<QString, int>> pictures = {{"a1.jpg", 0}, {"a2.jpg", 0}, {"a3.jpg", 0},
                                                               {"b1.jpg", 1}, {"c1.jpg", 2}, {"c2.jpg", 2}};
        int seconds = 0;
        for (const auto &[name, visit] : pictures) {
            const QString path = picture(name, dates[visit], seconds += 10);
            state.strOralFile << path;
            state.datOralFile.push_back(QDateTime(dates[visit], QTime(0, 0)));
        }
        state.intOralCount = int16_t(pictures.size());
    }

    frmView *openListed(const QString &name, int position)
    {
        frmView *view = open(box.file(kPatient + name), position);
        state = BrowseState(); // the main window has listed another patient since
        return view;
    }
};

struct StepCase {
    const char *name;
    const char *open;
    int position;
    std::vector<Qt::Key> keys;
    const char *shown;
    const char *date;
};

class ViewStepping : public ViewVisits, public ::testing::WithParamInterface<StepCase> {};

TEST_P(ViewStepping, PageKeysShowTheSamePositionAtAnotherVisit)
{
    const StepCase &c = GetParam();
    frmView *view = openListed(c.open, c.position);
    for (Qt::Key key : c.keys)
        QTest::keyClick(view, key);
    EXPECT_EQ(view->strViewFile, box.file(kPatient + c.shown));
    EXPECT_EQ(view->windowTitle(), QStringLiteral("/001/00123/%1 - %2 - View").arg(c.shown, c.date));
    EXPECT_TRUE(view->Img1->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Visits, ViewStepping,
    ::testing::Values(
        StepCase{"PageDownAtTheFirstShowsTheSecond", "a1.jpg", 0, {Qt::Key_PageDown}, "b1.jpg", "2009/02/10"},
        StepCase{
            "AVisitWithoutThatPositionIsPassedOver", "a2.jpg", 1, {Qt::Key_PageDown}, "c2.jpg", "2009/03/10"},
        StepCase{"PageUpPassesOverItToo", "c2.jpg", 1, {Qt::Key_PageUp}, "a2.jpg", "2009/01/10"},
        StepCase{"NothingAfterTheLast", "c1.jpg", 0, {Qt::Key_PageDown}, "c1.jpg", "2009/03/10"},
        StepCase{"NothingBeforeTheFirst", "a1.jpg", 0, {Qt::Key_PageUp}, "a1.jpg", "2009/01/10"},
        StepCase{"OnlyVisitOfItsPosition",
                 "a3.jpg",
                 2,
                 {Qt::Key_PageDown, Qt::Key_PageUp},
                 "a3.jpg",
                 "2009/01/10"}),
    [](const ::testing::TestParamInfo<StepCase> &info) { return std::string(info.param.name); });

TEST_F(ViewVisits, CShowsAnEarlierVisitBesideTheOpenedPicture)
{
    settings.PictSyori[0] = 1;
    frmView *view = openListed("c1.jpg", 0);
    QTest::keyClick(view, Qt::Key_C);
    ASSERT_TRUE(view->isComparing());
    ViewCanvas *canvas = view->Img1;
    ASSERT_EQ(canvas->paneCount(), 2);
    EXPECT_EQ(canvas->paneLabel(0), "2009/02/10");
    EXPECT_EQ(canvas->paneLabel(1), "2009/03/10");
    EXPECT_LT(canvas->pictureRect(0).right(), canvas->pictureRect(1).left());
    EXPECT_EQ(test::cornerColours(canvas->fittedImage(0)), "wbgr");
    EXPECT_EQ(test::cornerColours(canvas->fittedImage(1)), "wbgr");

    // Page keys move the left one; the opened one stays.
    QTest::keyClick(view, Qt::Key_PageUp);
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(canvas->paneLabel(0), "2009/01/10");
    EXPECT_EQ(canvas->paneLabel(1), "2009/03/10");
    EXPECT_EQ(view->strViewFile, box.file(kPatient + "c1.jpg"));

    // Back to one picture: the one last chosen.
    QTest::keyClick(view, Qt::Key_C);
    EXPECT_FALSE(view->isComparing());
    EXPECT_EQ(canvas->paneCount(), 1);
    EXPECT_EQ(view->strViewFile, box.file(kPatient + "a1.jpg"));
    EXPECT_EQ(view->windowTitle(), "/001/00123/a1.jpg - 2009/01/10 - View");

    // A position seen at one visit only has nothing to compare with.
    frmView *alone = openListed("a3.jpg", 2);
    QTest::keyClick(alone, Qt::Key_C);
    EXPECT_FALSE(alone->isComparing());
}

TEST_F(ViewVisits, PageDownKeepsAZoomedCornerInViewAtTheSameZoom)
{
    frmView *view = openListed("a1.jpg", 0);
    ViewCanvas *canvas = view->Img1;
    const QRectF fitted = canvas->pictureRect();
    // Onto the white corner, bottom right.
    const QPointF corner = fitted.bottomRight() - QPointF(fitted.width() * 0.1, fitted.height() * 0.1);
    wheel(canvas, corner, 4);
    const double zoom = canvas->zoomFactor();
    const QPointF share = middleShare(canvas);
    ASSERT_GT(zoom, 1.0);
    ASSERT_TRUE(test::colorsClose(shownAt(canvas, corner), Qt::white));

    QTest::keyClick(view, Qt::Key_PageDown);
    ASSERT_EQ(view->strViewFile, box.file(kPatient + "b1.jpg"));
    EXPECT_EQ(canvas->zoomFactor(), zoom);
    EXPECT_NEAR(middleShare(canvas).x(), share.x(), 1e-6);
    EXPECT_NEAR(middleShare(canvas).y(), share.y(), 1e-6);
    EXPECT_TRUE(test::colorsClose(shownAt(canvas, corner), Qt::white));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas->isDecoding(); }));
    EXPECT_TRUE(test::colorsClose(shownAt(canvas, corner), Qt::white));

    // Nothing zoomed, a step shows the fitted view.
    QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, corner.toPoint());
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(canvas->zoomFactor(), 1.0);
    EXPECT_EQ(canvas->pictureRect(), fitted);
}

TEST_F(ViewVisits, BothSidesOfTheComparisonZoomAndPanTogether)
{
    frmView *view = openListed("c1.jpg", 0);
    QTest::keyClick(view, Qt::Key_C);
    ViewCanvas *canvas = view->Img1;
    ASSERT_EQ(canvas->paneCount(), 2);
    const QRectF left = canvas->pictureRect(0), right = canvas->pictureRect(1);
    auto grown = [&](int pane) {
        return canvas->pictureRect(pane).width() / (pane == 0 ? left : right).width();
    };

    // A wheel step on either side zooms both by its factor.
    wheel(canvas, left.center() + QPointF(-20, 10), 1);
    EXPECT_NEAR(grown(0), 1.25, 1e-6);
    EXPECT_NEAR(grown(1), 1.25, 1e-6);
    wheel(canvas, right.center(), 1);
    EXPECT_NEAR(grown(0), 1.5625, 1e-6);
    EXPECT_NEAR(grown(1), 1.5625, 1e-6);
    // + and - need no Ctrl.
    QTest::keyClick(view, Qt::Key_Plus);
    EXPECT_NEAR(grown(1), 1.5625 * 1.25, 1e-6);
    QTest::keyClick(view, Qt::Key_Minus);
    EXPECT_NEAR(grown(0), 1.5625, 1e-6);

    // Dragging the right side, or an arrow key, moves both onto the same point.
    const QPointF before = middleShare(canvas, 0);
    const QPoint from = right.center().toPoint();
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(canvas, from + QPoint(30, 0));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, from + QPoint(30, 0));
    EXPECT_LT(middleShare(canvas, 0).x(), before.x());
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_GT(middleShare(canvas, 0).x(), before.x());
    EXPECT_NEAR(middleShare(canvas, 0).x(), middleShare(canvas, 1).x(), 1e-6);
    EXPECT_NEAR(middleShare(canvas, 0).y(), middleShare(canvas, 1).y(), 1e-6);
}

struct CompareCase {
    const char *name;
    const char *open;
    std::vector<Qt::Key> keys;
    const char *left;  // date shown on the left at the end
    const char *after; // the single picture once the comparison is switched off
};

class ViewComparing : public ViewVisits, public ::testing::WithParamInterface<CompareCase> {};

TEST_P(ViewComparing, TheLeftSideNeverShowsTheRightSidesVisit)
{
    const CompareCase &c = GetParam();
    frmView *view = openListed(c.open, 0);
    QTest::keyClick(view, Qt::Key_C);
    ASSERT_TRUE(view->isComparing());
    for (Qt::Key key : c.keys) {
        QTest::keyClick(view, key);
        EXPECT_NE(view->Img1->paneLabel(0), view->Img1->paneLabel(1));
    }
    EXPECT_EQ(view->Img1->paneLabel(0), c.left);
    QTest::keyClick(view, Qt::Key_C);
    EXPECT_EQ(view->strViewFile, box.file(kPatient + c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Visits, ViewComparing,
    ::testing::Values(
        CompareCase{"PageDownPassesOverIt", "b1.jpg", {Qt::Key_PageDown}, "2009/03/10", "c1.jpg"},
        CompareCase{
            "PageUpPassesOverIt", "b1.jpg", {Qt::Key_PageDown, Qt::Key_PageUp}, "2009/01/10", "a1.jpg"},
        CompareCase{"NothingBeyondItStaysPut", "a1.jpg", {Qt::Key_PageUp}, "2009/02/10", "a1.jpg"}),
    [](const ::testing::TestParamInfo<CompareCase> &info) { return std::string(info.param.name); });

TEST_F(ViewWindow, FacialViewsStepThroughTheFaceFolder)
{
    const QString first = picture("face/F1.jpg", QDate(2009, 1, 10));
    const QString second = picture("face/F2.jpg", QDate(2009, 3, 10));
    frmView *view = open(first, 0, PanelKind::Face);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->strViewFile, second);
    EXPECT_EQ(view->windowTitle(), "/001/00123/face/F2.jpg - 2009/03/10 - View");
}

} // namespace
} // namespace tolvarine
