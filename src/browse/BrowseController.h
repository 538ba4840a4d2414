#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "browse/frmKrNo.h"
#include "store/PanelFill.h"
#include "store/VisitListing.h"

class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSettings;

namespace tolvarine {

class DriveList;
class FolderList;
class ImagingView;
struct AppSettings;
struct BrowseState;

// The controls of the main window that browsing drives.
struct BrowseParts {
    QWidget *window = nullptr;
    QLineEdit *txtKrNo = nullptr;
    QPushButton *cmdKrNo = nullptr;
    QLineEdit *txtKrName = nullptr;
    DriveList *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;
    QListWidget *List1 = nullptr;
    QListWidget *ListFaDate = nullptr;
    QListWidget *List2 = nullptr;
    QListWidget *ListFace = nullptr;
    std::array<ImagingView *, 7> ImgSam{};
    std::array<ImagingView *, 5> ImgFace{};
    QMenu *mnuPict = nullptr;
};

// Patient number, name, folder and drive, the visit lists and the two thumbnail
// panels. The main window owns it and hands it the browsing state, the settings
// and the controls; the decisions are made by the plain functions of
// PatientNumber, VisitListing and PanelFill.
class BrowseController : public QObject {
    Q_OBJECT
public:
    BrowseController(BrowseParts parts, BrowseState &state, const AppSettings &settings,
                     std::function<QSettings &()> store, QObject *parent = nullptr);
    ~BrowseController() override;

    void KrNoEnter();
    void txtKrNo_KeyPress(int &KeyAscii);
    void cmdKrNo_Click();
    void txtKrName_Change();
    void txtKrName_LostFocus();

    // The listing of the folder in Dir1: the one refresh of the lists and panels.
    void Dir1_Change();
    // Points Dir1 at the folder and lists it, also when it shows that folder already.
    void listFolder(const QString &folder);
    void Drive1_Change();
    void List1_Click();
    void ListFaDate_Click();

    void subShowOral(const QString &date);
    void subShowFace(const QString &date);

    void openView(PanelKind kind, int index);
    void openPictureMenu(PanelKind kind, int index, Qt::MouseButton button);
    // Moves the focus from a picture to the nearest shown one in that direction.
    void moveFocus(PanelKind kind, int index, Qt::ArrowType direction);
    QString funOralFileName(int16_t intPictNo) const;
    QString funFaceFileName(int16_t intPictNo) const;

    // What the keypad needs to commit a number through the main window's box.
    KeypadParts keypadParts();
    // The folder the last listing read.
    QString listedFolder() const { return listedFolder_; }

signals:
    // A shown picture was opened: the shell opens a view of it at its position.
    void viewRequested(PanelKind kind, const QString &path, int position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Operation;

    void connectControls();
    void popUpPictureMenu(PanelKind kind, int index, const QPoint &at);
    void hidePanel(PanelKind kind, bool dropPictures);
    // No visit is shown: nothing of the one shown before stays for others to read.
    void forgetShownVisit();
    ImagingView *viewAt(PanelKind kind, int position) const;
    std::vector<PanelPicture> showPanel(PanelKind kind, PanelPreparation &preparation);
    void sharpenPanel(PanelKind kind, const std::vector<PanelPicture> &pictures, const PanelSetup &setup);
    void readPatientNameFile(const QString &folder);
    void rebuildFaceDates();
    void selectFromCode(QListWidget *list, const QString &date, void (BrowseController::*handler)());
    DatedPictures &facePictures();

    BrowseParts ui_;
    BrowseState &state_;
    const AppSettings &settings_;
    std::function<QSettings &()> store_;
    QString listedFolder_;
    int listings_ = 0; // listings run so far, to tell whether setting the folder ran one
    // Whether leaving the name box may write the name file: not after a number that
    // found no patient, whose emptied box must not land in the folder listed before.
    bool nameFileOpen_ = false;

    // What one user action (a listing, a click on a list) works out once and its
    // nested fills reuse: the face folder's dates, and thumbnails that could not be
    // kept on disk. Valid while operationDepth_ > 0.
    int operationDepth_ = 0;
    std::optional<DatedPictures> faceDates_;
    MadeThumbnails made_;

    // Each panel's fills and hidings so far, read by the decodes of sharper pictures:
    // one made for an earlier fill is not made, or not shown.
    using FillCount = std::shared_ptr<std::atomic<int>>;
    std::array<FillCount, 2> panelFills_{std::make_shared<std::atomic<int>>(0),
                                         std::make_shared<std::atomic<int>>(0)};
    FillCount &fillsOf(PanelKind kind) { return panelFills_[kind == PanelKind::Oral ? 0 : 1]; }
};

} // namespace tolvarine
