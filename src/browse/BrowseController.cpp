#include "browse/BrowseController.h"

#include <utility>

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/frmMain.h"
#include "browse/PatientNumber.h"
#include "browse/frmKrNo.h"
#include "imaging/ImagingView.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"
#include "platform/Messages.h"
#include "store/NameFile.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"
#include "viewer/frmView.h"

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

BrowseController::BrowseController(frmMain &window) : QObject(&window), w_(window)
{
    connectControls();
}

BrowseController::~BrowseController() = default;

// Connected in the controller's name, so that nothing reaches the window's
// handlers once the controller is gone (the window deletes it first).
void BrowseController::connectControls()
{
    w_.txtKrNo->installEventFilter(this);
    w_.txtKrName->installEventFilter(this);
    frmMain *w = &w_;
    connect(w_.cmdKrNo, &QPushButton::clicked, this, [w] { w->cmdKrNo_Click(); });
    connect(w_.txtKrName, &QLineEdit::textChanged, this, [w] { w->txtKrName_Change(); });
    // A user's selection; selections made by the program run the handler themselves.
    connect(w_.List1, &QListWidget::itemSelectionChanged, this, [w] { w->List1_Click(); });
    connect(w_.ListFaDate, &QListWidget::itemSelectionChanged, this, [w] { w->ListFaDate_Click(); });
    for (ImagingView *view : w_.ImgSam) {
        connect(view, &ImagingView::clicked, this, [w](int index) { w->ImgSam_Click(index); });
        connect(view, &ImagingView::mouseDown, this,
                [w](int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                    w->ImgSam_MouseDown(index, button, shift, x, y);
                });
    }
    for (ImagingView *view : w_.ImgFace) {
        connect(view, &ImagingView::clicked, this, [w](int index) { w->ImgFace_Click(index); });
        connect(view, &ImagingView::mouseDown, this,
                [w](int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                    w->ImgFace_MouseDown(index, button, shift, x, y);
                });
    }
}

bool BrowseController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == w_.txtKrNo && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int KeyAscii = kEnterKey;
            w_.txtKrNo_KeyPress(KeyAscii);
            return KeyAscii == 0;
        }
    }
    // A popup of the box itself (its context menu) is no leaving.
    if (watched == w_.txtKrName && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        w_.txtKrName_LostFocus();
    return QObject::eventFilter(watched, event);
}

// --- patient number and name -----------------------------------------------------

void BrowseController::txtKrNo_KeyPress(int &KeyAscii)
{
    if (KeyAscii != kEnterKey)
        return;
    KeyAscii = 0;
    w_.KrNoEnter();
}

void BrowseController::KrNoEnter()
{
    PatientLookupResult found = lookUpPatient(w_.txtKrNo->text(), w_.appSettings().PictFolda);
    // Committing the folder listed already reads it again: the folder list itself
    // reports no change then.
    const int before = listings_;
    if (found.outcome == PatientLookup::Found) {
        if (w_.Dir1->setPath(found.folder)) {
            if (listings_ == before)
                w_.Dir1_Change();
            return;
        }
        found.outcome = PatientLookup::NotFound; // gone since it was looked for
    }
    showMessage(patientLookupMessage(found.outcome));
    if (found.outcome != PatientLookup::NotFound)
        return;
    hidePanel(PanelKind::Oral, true);
    hidePanel(PanelKind::Face, true);
    w_.txtKrName->clear();
    clearList(w_.List1);
    clearList(w_.ListFaDate);
    nameFileOpen_ = false;
}

void BrowseController::cmdKrNo_Click()
{
    frmKrNo keypad(w_);
    keypad.exec();
}

void BrowseController::txtKrName_Change()
{
    w_.strKrName = w_.txtKrName->text();
}

void BrowseController::txtKrName_LostFocus()
{
    if (w_.strKrName.isEmpty() || !nameFileOpen_ || w_.strKrNameFile.isEmpty())
        return;
    writePatientName(w_.strKrNameFile, w_.strKrName);
}

void BrowseController::readPatientNameFile()
{
    // A file that cannot be read leaves the box as it was; a missing one empties it.
    if (const std::optional<QString> name = readPatientName(w_.strKrNameFile))
        w_.txtKrName->setText(*name);
}

// --- listing -------------------------------------------------------------------

void BrowseController::listFolder()
{
    Operation operation(*this);
    ++listings_;
    faceDates_.reset(); // a new folder, whatever an enclosing action saw
    const QString folder = w_.Dir1->path();
    w_.List1->hide();
    clearList(w_.List1);
    w_.intOralCount = 0;
    w_.strOralFile.clear();
    w_.datOralFile.clear();
    w_.strKrNameFile = nameFilePath(folder);
    nameFileOpen_ = true;

    DatedPictures pictures(listPictures(folder), w_.appSettings().FileHizuke);
    OralListing listing = scanOralPictures(pictures);
    w_.strOralFile = std::move(listing.strOralFile);
    w_.datOralFile = std::move(listing.datOralFile);
    w_.intOralCount = int16_t(listing.intOralCount);
    setEntries(w_.List1, listing.dates);

    if (w_.intOralCount == 0) {
        hidePanel(PanelKind::Oral, false);
        hidePanel(PanelKind::Face, false);
        w_.strOralDate.clear();
        w_.strFaceDate.clear();
        clearList(w_.ListFaDate);
        return;
    }
    const QString latest = latestDate(listing.dates);
    w_.subShowOral(latest);
    w_.subShowFace(latest);
    readPatientNameFile();
    if (const std::optional<QString> number = folderPatientNumber(folder))
        w_.txtKrNo->setText(*number);
    w_.List1->show();
    rebuildFaceDates();
    w_.strNowDate = latest;
}

DatedPictures &BrowseController::facePictures()
{
    if (!faceDates_)
        faceDates_.emplace(listPictures(faceFolderForReading(w_.Dir1->path())), w_.appSettings().FileHizuke);
    return *faceDates_;
}

void BrowseController::rebuildFaceDates()
{
    w_.ListFaDate->hide();
    clearList(w_.ListFaDate);
    w_.intFaceCount = 0;
    const FaceDateListing listing = scanFaceDates(facePictures());
    w_.intFaceCount = int16_t(listing.intFaceCount);
    setEntries(w_.ListFaDate, listing.dates);
    w_.ListFaDate->show();
}

void BrowseController::Drive1_Change()
{
    const QString drive = w_.Drive1->drive();
    if (drive.isEmpty())
        return;
    QStringList roots;
    for (int i = 0; i < w_.Drive1->count(); ++i)
        roots << w_.Drive1->itemData(i).toString();
    // The folder list stays where it is when it already shows a folder of that drive
    // (as when the load points the drive list at the picture folder's drive).
    if (DriveList::rootHolding(roots, w_.Dir1->path()) == drive)
        return;
    if (!QFileInfo(drive).isReadable() || !w_.Dir1->setPath(drive))
        w_.Drive1->setDrive(w_.Dir1->path());
}

void BrowseController::selectFromCode(QListWidget *list, const QString &date, void (frmMain::*handler)())
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
    (w_.*handler)();
}

void BrowseController::List1_Click()
{
    Operation operation(*this);
    const std::optional<QString> date = selectedText(w_.List1);
    if (date) {
        const BusyMark busy(w_.blnOralListBusy);
        w_.subShowOral(*date);
    }
    w_.subShowFace(date.value_or(QString()));
    w_.strNowDate = date.value_or(QString());
}

void BrowseController::ListFaDate_Click()
{
    Operation operation(*this);
    const std::optional<QString> date = selectedText(w_.ListFaDate);
    if (date) {
        const BusyMark busy(w_.blnFaceListBusy);
        w_.subShowFace(*date);
    }
    w_.strNowDate = date.value_or(QString());
}

// --- panels --------------------------------------------------------------------

void BrowseController::hidePanel(PanelKind kind, bool dropPictures)
{
    auto hide = [dropPictures](ImagingView *view) {
        view->hide();
        if (dropPictures) {
            view->control().setOpBitmapHandle(0);
            view->refresh();
        }
    };
    if (kind == PanelKind::Oral) {
        for (ImagingView *view : w_.ImgSam)
            hide(view);
    } else {
        for (ImagingView *view : w_.ImgFace)
            hide(view);
    }
}

void BrowseController::showPanel(PanelKind kind, const std::vector<PanelPicture> &pictures)
{
    auto viewAt = [&](int position) -> ImagingView * {
        return kind == PanelKind::Oral ? w_.ImgSam[size_t(position)] : w_.ImgFace[size_t(position)];
    };
    // In entry order, so that of two pictures named for one position the later stays.
    for (const PanelPicture &p : pictures) {
        ImagingView *view = viewAt(p.placement.position);
        if (p.image.isNull())
            view->control().setOpBitmapHandle(0);
        else
            view->control().setImage(p.image);
        view->setToolTipText(p.picture);
        view->refresh();
    }
    for (const PanelPicture &p : pictures)
        viewAt(p.placement.position)->show();
}

void BrowseController::subShowOral(const QString &date)
{
    Operation operation(*this);
    const WaitCursor wait;
    hidePanel(PanelKind::Oral, true);
    const QStringList entries = visitPictures(w_.strOralFile, w_.datOralFile, w_.intOralCount, date);
    setPathEntries(w_.List2, entries);
    const PanelSetup setup = oralPanelSetup(w_.appSettings());
    const std::vector<PanelPicture> pictures = preparePanel(entries, setup, &made_);
    showPanel(PanelKind::Oral, pictures);
    saveMissingThumbnails(pictures, setup, &made_);
    if (!w_.blnOralListBusy)
        selectFromCode(w_.List1, date, &frmMain::List1_Click);
    w_.strOralDate = date;
}

void BrowseController::subShowFace(const QString &date)
{
    Operation operation(*this);
    clearList(w_.ListFace);
    w_.strFaceFile.clear();
    const QStringList entries = faceVisitPictures(facePictures(), date);
    w_.strFaceFile = entries;
    setPathEntries(w_.ListFace, entries);
    if (entries.isEmpty()) {
        hidePanel(PanelKind::Face, false);
        w_.strFaceDate = w_.strOralDate;
        return;
    }
    const WaitCursor wait;
    hidePanel(PanelKind::Face, true);
    const PanelSetup setup = facePanelSetup(w_.appSettings());
    const std::vector<PanelPicture> pictures = preparePanel(entries, setup, &made_);
    showPanel(PanelKind::Face, pictures);
    saveMissingThumbnails(pictures, setup, &made_);
    if (!w_.blnFaceListBusy)
        selectFromCode(w_.ListFaDate, date, &frmMain::ListFaDate_Click);
    w_.strFaceDate = date;
}

QString BrowseController::funOralFileName(int16_t intPictNo) const
{
    return fileNameAtPosition(w_.appSettings().Jyunban, entriesOf(w_.List2), intPictNo, kOralPositions);
}

QString BrowseController::funFaceFileName(int16_t intPictNo) const
{
    return fileNameAtPosition(w_.appSettings().FaceJyunban, entriesOf(w_.ListFace), intPictNo,
                              kFacePositions);
}

void BrowseController::openView(PanelKind kind, int index)
{
    const QString path =
        kind == PanelKind::Oral ? funOralFileName(int16_t(index)) : funFaceFileName(int16_t(index));
    if (path.isEmpty())
        return;
    BrowseState listed;
    listed.strOralFile = w_.strOralFile;
    listed.datOralFile = w_.datOralFile;
    listed.intOralCount = w_.intOralCount;
    auto *view = new frmView(w_.appSettings(), w_.settingsStore(), listed, &w_);
    view->show();
    if (kind == PanelKind::Oral)
        view->HyoujiOne(path, index);
    else
        view->HyoujiFace(path, index);
}

void BrowseController::openPictureMenu(PanelKind kind, int index, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        return;
    w_.strPopupFile =
        kind == PanelKind::Oral ? funOralFileName(int16_t(index)) : funFaceFileName(int16_t(index));
    w_.mnuPict->popup(QCursor::pos());
}

} // namespace tolvarine
