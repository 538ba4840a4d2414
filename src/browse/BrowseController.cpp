#include "browse/BrowseController.h"

#include <map>
#include <utility>

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/qtconcurrenttask.h>

#include "browse/BrowseMessages.h"
#include "browse/PanelNavigation.h"
#include "browse/frmKrNo.h"
#include "platform/Messages.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "store/NameFile.h"
#include "store/PatientNumber.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"
#include "widgets/ImagingView.h"
#include "widgets/StoreMessages.h"

namespace tolvarine {

namespace {

constexpr int kEnterKey = 13;

// The hourglass for as long as a fill runs, also when it leaves early.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Sets a busy mark for a scope.
class BusyMark {
public:
    explicit BusyMark(bool &mark) : mark_(mark) { mark_ = true; }
    ~BusyMark() { mark_ = false; }
    BusyMark(const BusyMark &) = delete;
    BusyMark &operator=(const BusyMark &) = delete;

private:
    bool &mark_;
};

QStringList entriesOf(const QListWidget *list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

// An entry of a sorted list of paths, sorted in store order (without regard to
// case), where the list's own order would compare with case.
class StorePathItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem &other) const override
    {
        return storePathLess(text(), other.text());
    }
};

void setEntries(QListWidget *list, const QStringList &entries)
{
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(entries);
}

void setPathEntries(QListWidget *list, const QStringList &paths)
{
    const QSignalBlocker blocker(list);
    list->clear();
    for (const QString &path : paths)
        list->addItem(new StorePathItem(path));
}

void clearList(QListWidget *list)
{
    const QSignalBlocker blocker(list);
    list->clear();
}

// The selected entry's text; nullopt when nothing is selected.
std::optional<QString> selectedText(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->text();
}

} // namespace

// One user action and the fills nested in it.
class BrowseController::Operation {
public:
    explicit Operation(BrowseController &c) : c_(c) { ++c_.operationDepth_; }
    ~Operation()
    {
        if (--c_.operationDepth_ == 0) {
            c_.faceDates_.reset();
            c_.made_.clear();
        }
    }
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

private:
    BrowseController &c_;
};

BrowseController::BrowseController(BrowseParts parts, BrowseState &state, const AppSettings &settings,
                                   std::function<QSettings &()> store, QObject *parent)
    : QObject(parent), ui_(std::move(parts)), state_(state), settings_(settings), store_(std::move(store))
{
    connectControls();
}

// Decodes still queued for the window's panels are not made.
BrowseController::~BrowseController()
{
    for (FillCount &fills : panelFills_)
        ++*fills;
}

// Connected in the controller's name, so that nothing reaches its handlers once it
// is gone (the window deletes it before the state it works on).
void BrowseController::connectControls()
{
    ui_.txtKrNo->installEventFilter(this);
    ui_.txtKrName->installEventFilter(this);
    connect(ui_.cmdKrNo, &QPushButton::clicked, this, &BrowseController::cmdKrNo_Click);
    connect(ui_.txtKrName, &QLineEdit::textChanged, this, &BrowseController::txtKrName_Change);
    // A user's selection; selections made by the program run the handler themselves.
    connect(ui_.List1, &QListWidget::itemSelectionChanged, this, &BrowseController::List1_Click);
    connect(ui_.ListFaDate, &QListWidget::itemSelectionChanged, this, &BrowseController::ListFaDate_Click);
    connect(ui_.Dir1, &FolderList::changed, this, &BrowseController::Dir1_Change);
    connect(ui_.Drive1, &DriveList::changed, this, &BrowseController::Drive1_Change);
    auto wire = [this](ImagingView *view, PanelKind kind) {
        connect(view, &ImagingView::clicked, this, [this, kind](int index) { openView(kind, index); });
        connect(view, &ImagingView::mouseDown, this,
                [this, kind](int index, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
                    openPictureMenu(kind, index, button);
                });
        // The keyboard reaches the same: arrows move between the shown pictures of
        // both panels, Enter is a click, the menu key opens the menu at the picture.
        connect(view, &ImagingView::arrowPressed, this,
                [this, kind](int index, Qt::ArrowType direction) { moveFocus(kind, index, direction); });
        connect(view, &ImagingView::contextMenuRequested, this, [this, kind, view](int index) {
            popUpPictureMenu(kind, index, view->mapToGlobal(view->rect().center()));
        });
    };
    for (ImagingView *view : ui_.ImgSam)
        wire(view, PanelKind::Oral);
    for (ImagingView *view : ui_.ImgFace)
        wire(view, PanelKind::Face);
}

KeypadParts BrowseController::keypadParts()
{
    return {ui_.window, store_, ui_.txtKrNo, [this] { KrNoEnter(); }};
}

bool BrowseController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_.txtKrNo && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int KeyAscii = kEnterKey;
            txtKrNo_KeyPress(KeyAscii);
            return KeyAscii == 0;
        }
    }
    // A popup of the box itself (its context menu) is no leaving.
    if (watched == ui_.txtKrName && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        txtKrName_LostFocus();
    return QObject::eventFilter(watched, event);
}

// --- patient number and name -----------------------------------------------------

void BrowseController::txtKrNo_KeyPress(int &KeyAscii)
{
    if (KeyAscii != kEnterKey)
        return;
    KeyAscii = 0;
    KrNoEnter();
}

void BrowseController::KrNoEnter()
{
    PatientLookupResult found = lookUpPatient(ui_.txtKrNo->text(), settings_.PictFolda);
    // Committing the folder listed already reads it again: the folder list itself
    // reports no change then.
    const int before = listings_;
    if (found.outcome == PatientLookup::Found) {
        if (ui_.Dir1->setPath(found.folder)) {
            if (listings_ == before)
                Dir1_Change();
            return;
        }
        found.outcome = PatientLookup::NotFound; // gone since it was looked for
    }
    showMessage(patientLookupMessage(found.outcome));
    // Typing goes over the refused number instead of being appended to it.
    if (found.outcome == PatientLookup::NotFound || found.outcome == PatientLookup::NotNumeric)
        ui_.txtKrNo->selectAll();
    if (found.outcome != PatientLookup::NotFound)
        return;
    hidePanel(PanelKind::Oral, true);
    hidePanel(PanelKind::Face, true);
    ui_.txtKrName->clear();
    clearList(ui_.List1);
    clearList(ui_.ListFaDate);
    nameFileOpen_ = false;
    // The folder listed before stays listed, but none of its pictures may remain
    // where printing or the picture menu would take them for this number's.
    forgetShownVisit();
}

void BrowseController::cmdKrNo_Click()
{
    frmKrNo keypad(keypadParts());
    keypad.exec();
}

void BrowseController::txtKrName_Change() { state_.strKrName = ui_.txtKrName->text(); }

void BrowseController::txtKrName_LostFocus()
{
    if (state_.strKrName.isEmpty() || !nameFileOpen_ || state_.strKrNameFile.isEmpty())
        return;
    writePatientName(state_.strKrNameFile, state_.strKrName);
}

// The box always shows the name of the folder the name file belongs to: the one
// the file holds, or nothing. Only a patient folder's own name file is ever
// written, and never one that exists but cannot be read.
void BrowseController::readPatientNameFile(const QString &folder)
{
    const std::optional<QString> name = readPatientName(state_.strKrNameFile);
    ui_.txtKrName->setText(name.value_or(QString()));
    nameFileOpen_ = name.has_value() && isPatientFolder(folder);
}

// --- listing -------------------------------------------------------------------

void BrowseController::Dir1_Change()
{
    Operation operation(*this);
    ++listings_;
    faceDates_.reset(); // a new folder, whatever an enclosing action saw
    const QString folder = ui_.Dir1->path();
    listedFolder_ = folder;
    ui_.List1->hide();
    clearList(ui_.List1);
    state_.intOralCount = 0;
    state_.strOralFile.clear();
    state_.datOralFile.clear();
    state_.strKrNameFile = nameFilePath(folder);
    nameFileOpen_ = false;

    DatedPictures pictures(listPictures(folder), settings_.FileHizuke);
    OralListing listing = scanOralPictures(pictures);
    tellDatingFailures(pictures, listing.limitReached, oralLimitMessage());
    state_.strOralFile = std::move(listing.strOralFile);
    state_.datOralFile = std::move(listing.datOralFile);
    state_.intOralCount = int16_t(listing.intOralCount);
    setEntries(ui_.List1, listing.dates);

    if (state_.intOralCount == 0) {
        hidePanel(PanelKind::Oral, false);
        hidePanel(PanelKind::Face, false);
        clearList(ui_.ListFaDate);
        forgetShownVisit();
        readPatientNameFile(folder);
        return;
    }
    const QString latest = latestDate(listing.dates);
    subShowOral(latest);
    subShowFace(latest);
    readPatientNameFile(folder);
    if (const std::optional<QString> number = folderPatientNumber(folder))
        ui_.txtKrNo->setText(*number);
    ui_.List1->show();
    rebuildFaceDates();
    state_.strNowDate = latest;
}

void BrowseController::forgetShownVisit()
{
    clearList(ui_.List2);
    clearList(ui_.ListFace);
    state_.List2.clear();
    state_.ListFace.clear();
    state_.strOralDate.clear();
    state_.strFaceDate.clear();
    state_.strNowDate.clear();
    state_.strPopupFile.clear();
    state_.strOralFile.clear();
    state_.datOralFile.clear();
    state_.intOralCount = 0;
    state_.intFaceCount = 0;
}

void BrowseController::listFolder(const QString &folder)
{
    const QString before = ui_.Dir1->path();
    // Setting the folder it shows already tells nobody: list it ourselves.
    if (!ui_.Dir1->setPath(folder) || ui_.Dir1->path() == before)
        Dir1_Change();
}

DatedPictures &BrowseController::facePictures()
{
    if (!faceDates_)
        faceDates_.emplace(listPictures(faceFolderForReading(ui_.Dir1->path())), settings_.FileHizuke);
    return *faceDates_;
}

void BrowseController::rebuildFaceDates()
{
    ui_.ListFaDate->hide();
    clearList(ui_.ListFaDate);
    state_.intFaceCount = 0;
    const FaceDateListing listing = scanFaceDates(facePictures());
    tellDatingFailures(facePictures(), listing.limitReached, faceLimitMessage());
    state_.intFaceCount = int16_t(listing.intFaceCount);
    setEntries(ui_.ListFaDate, listing.dates);
    // The list shows the visit the facial panel shows, as a choice of the user's
    // would; choosing it again still runs its handler.
    if (const auto shown =
            ui_.ListFaDate->findItems(state_.strFaceDate, Qt::MatchExactly | Qt::MatchCaseSensitive);
        !shown.isEmpty()) {
        const QSignalBlocker blocker(ui_.ListFaDate);
        ui_.ListFaDate->setCurrentItem(shown.first());
    }
    ui_.ListFaDate->show();
}

void BrowseController::Drive1_Change() { followDrive(*ui_.Drive1, *ui_.Dir1); }

void BrowseController::selectFromCode(QListWidget *list, const QString &date,
                                      void (BrowseController::*handler)())
{
    const QList<QListWidgetItem *> equal = list->findItems(date, Qt::MatchExactly | Qt::MatchCaseSensitive);
    {
        const QSignalBlocker blocker(list);
        if (equal.isEmpty()) {
            list->setCurrentRow(-1);
            list->clearSelection();
        } else {
            list->setCurrentRow(list->row(equal.first()));
        }
    }
    (this->*handler)();
}

void BrowseController::List1_Click()
{
    Operation operation(*this);
    const std::optional<QString> date = selectedText(ui_.List1);
    if (date) {
        const BusyMark busy(state_.blnOralListBusy);
        subShowOral(*date);
    }
    subShowFace(date.value_or(QString()));
    state_.strNowDate = date.value_or(QString());
}

void BrowseController::ListFaDate_Click()
{
    Operation operation(*this);
    const std::optional<QString> date = selectedText(ui_.ListFaDate);
    if (date) {
        const BusyMark busy(state_.blnFaceListBusy);
        subShowFace(*date);
    }
    state_.strNowDate = date.value_or(QString());
}

// --- panels --------------------------------------------------------------------

void BrowseController::hidePanel(PanelKind kind, bool dropPictures)
{
    ++*fillsOf(kind);
    auto hide = [dropPictures](ImagingView *view) {
        view->hide();
        if (dropPictures) {
            view->control().setOpBitmapHandle(0);
            view->refresh();
        }
    };
    if (kind == PanelKind::Oral) {
        for (ImagingView *view : ui_.ImgSam)
            hide(view);
    } else {
        for (ImagingView *view : ui_.ImgFace)
            hide(view);
    }
}

ImagingView *BrowseController::viewAt(PanelKind kind, int position) const
{
    return kind == PanelKind::Oral ? ui_.ImgSam[size_t(position)] : ui_.ImgFace[size_t(position)];
}

std::vector<PanelPicture> BrowseController::showPanel(PanelKind kind, PanelPreparation &preparation)
{
    // In entry order, each as soon as it is ready, so that of two pictures named for
    // one position the later stays. Painted at once: the rest may still take a while.
    std::vector<PanelPicture> pictures;
    for (int i = 0; i < preparation.count(); ++i) {
        PanelPicture p = preparation.take(i);
        ImagingView *view = viewAt(kind, p.placement.position);
        if (p.image.isNull())
            view->control().setOpBitmapHandle(0);
        else
            view->control().setImage(p.image);
        view->setToolTipText(p.picture);
        view->show();
        view->repaint();
        pictures.push_back(std::move(p));
    }
    return pictures;
}

// A screen with more device pixels than the thumbnails have (a scaled desktop)
// draws them soft: such a panel's pictures are decoded again at its size in the
// background, once the user's action is done, so that no fill waits for them. A
// picture that does not decode keeps its thumbnail. The size is the one the panel
// has now; on another screen the next fill sizes them anew.
void BrowseController::sharpenPanel(PanelKind kind, const std::vector<PanelPicture> &pictures,
                                    const PanelSetup &setup)
{
    struct Sharpening {
        ImagingView *view;
        qint64 bitmapKey;
        QString picture;
        int16_t code;
        QSize size;
    };
    std::map<int, Sharpening> wanted; // of two pictures for one position, the later is shown
    for (const PanelPicture &p : pictures) {
        ImagingView *view = viewAt(kind, p.placement.position);
        const QImage &shown = view->control().image();
        const QSize size = view->devicePictureSize();
        wanted.erase(p.placement.position);
        if (!shown.isNull() && (size.width() > shown.width() || size.height() > shown.height()))
            wanted[p.placement.position] = {view, shown.cacheKey(), p.picture,
                                            setup.code(p.placement.position), size};
    }
    if (wanted.empty())
        return;
    const FillCount fills = fillsOf(kind);
    const int fill = *fills;
    QTimer::singleShot(0, this, [kind, fills, fill, wanted = std::move(wanted)] {
        for (const auto &[position, s] : wanted) {
            if (*fills != fill)
                return;
            QtConcurrent::task([kind, fills, fill, s = s] {
                return *fills == fill ? displayPicture(s.picture, kind, s.code, s.size) : QImage();
            })
                .onThreadPool(*QThreadPool::globalInstance())
                .withPriority(-1) // after any fill's own decodes
                .spawn()
                .then(s.view, [fills, fill, view = s.view, key = s.bitmapKey](const QImage &sharp) {
                    if (*fills == fill && !sharp.isNull())
                        view->setSharpImage(sharp, key);
                });
        }
    });
}

void BrowseController::subShowOral(const QString &date)
{
    Operation operation(*this);
    const WaitCursor wait;
    hidePanel(PanelKind::Oral, true);
    const QStringList entries =
        visitPictures(state_.strOralFile, state_.datOralFile, state_.intOralCount, date);
    setPathEntries(ui_.List2, entries);
    state_.List2 = entriesOf(ui_.List2);
    const PanelSetup setup = panelSetup(PanelKind::Oral, settings_.Jyunban, settings_.PictSyori);
    PanelPreparation preparation(entries, setup, &made_);
    const std::vector<PanelPicture> pictures = showPanel(PanelKind::Oral, preparation);
    saveMissingThumbnails(pictures, setup, &made_);
    sharpenPanel(PanelKind::Oral, pictures, setup);
    if (!state_.blnOralListBusy)
        selectFromCode(ui_.List1, date, &BrowseController::List1_Click);
    state_.strOralDate = date;
}

void BrowseController::subShowFace(const QString &date)
{
    Operation operation(*this);
    clearList(ui_.ListFace);
    state_.ListFace.clear();
    const QStringList entries = faceVisitPictures(facePictures(), date);
    tellDatingFailures(facePictures());
    setPathEntries(ui_.ListFace, entries);
    state_.ListFace = entriesOf(ui_.ListFace);
    if (entries.isEmpty()) {
        hidePanel(PanelKind::Face, false);
        state_.strFaceDate = state_.strOralDate;
        return;
    }
    const WaitCursor wait;
    hidePanel(PanelKind::Face, true);
    const PanelSetup setup = panelSetup(PanelKind::Face, settings_.FaceJyunban, settings_.FacePictSyori);
    PanelPreparation preparation(entries, setup, &made_);
    const std::vector<PanelPicture> pictures = showPanel(PanelKind::Face, preparation);
    saveMissingThumbnails(pictures, setup, &made_);
    sharpenPanel(PanelKind::Face, pictures, setup);
    if (!state_.blnFaceListBusy)
        selectFromCode(ui_.ListFaDate, date, &BrowseController::ListFaDate_Click);
    state_.strFaceDate = date;
}

QString BrowseController::funOralFileName(int16_t intPictNo) const
{
    return fileNameAtPosition(settings_.Jyunban, state_.List2, intPictNo, kOralPositions);
}

QString BrowseController::funFaceFileName(int16_t intPictNo) const
{
    return fileNameAtPosition(settings_.FaceJyunban, state_.ListFace, intPictNo, kFacePositions);
}

void BrowseController::openView(PanelKind kind, int index)
{
    const QString path =
        kind == PanelKind::Oral ? funOralFileName(int16_t(index)) : funFaceFileName(int16_t(index));
    if (path.isEmpty())
        return;
    emit viewRequested(kind, path, index);
}

void BrowseController::openPictureMenu(PanelKind kind, int index, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        return;
    popUpPictureMenu(kind, index, QCursor::pos());
}

void BrowseController::popUpPictureMenu(PanelKind kind, int index, const QPoint &at)
{
    state_.strPopupFile =
        kind == PanelKind::Oral ? funOralFileName(int16_t(index)) : funFaceFileName(int16_t(index));
    ui_.mnuPict->popup(at);
}

void BrowseController::moveFocus(PanelKind kind, int index, Qt::ArrowType direction)
{
    constexpr int kFaceIds = 10; // facial positions are told apart from intraoral ones
    std::vector<ShownPlace> places;
    auto collect = [&](const auto &views, int base) {
        for (ImagingView *view : views) {
            if (view->isVisible())
                places.push_back(
                    {base + view->index(), QRect(view->mapTo(ui_.window, QPoint(0, 0)), view->size())});
        }
    };
    collect(ui_.ImgSam, 0);
    collect(ui_.ImgFace, kFaceIds);
    const int from = (kind == PanelKind::Oral ? 0 : kFaceIds) + index;
    const std::optional<int> next = nextShownPlace(places, from, direction);
    if (!next)
        return;
    ImagingView *target =
        *next >= kFaceIds ? ui_.ImgFace[size_t(*next - kFaceIds)] : ui_.ImgSam[size_t(*next)];
    target->setFocus(Qt::TabFocusReason);
}

} // namespace tolvarine
