#pragma once

#include <cstdint>
#include <optional>

#include <QObject>
#include <QString>

#include "browse/PanelFill.h"
#include "browse/VisitListing.h"

class QListWidget;

namespace tolvarine {

class frmMain;
class ImagingView;

// The browsing controls of the main window: patient number, name, folder and drive,
// the visit lists and the two thumbnail panels. The window owns it and its
// handlers, under their own names, call in here; the decisions are made by the
// plain functions of PatientNumber, VisitListing and PanelFill.
class BrowseController : public QObject {
    Q_OBJECT
  public:
    explicit BrowseController(frmMain &window);
    ~BrowseController() override;

    void KrNoEnter();
    void txtKrNo_KeyPress(int &KeyAscii);
    void cmdKrNo_Click();
    void txtKrName_Change();
    void txtKrName_LostFocus();

    void listFolder();
    void Drive1_Change();
    void List1_Click();
    void ListFaDate_Click();

    void subShowOral(const QString &date);
    void subShowFace(const QString &date);

    void openView(PanelKind kind, int index);
    void openPictureMenu(PanelKind kind, int index, Qt::MouseButton button);
    QString funOralFileName(int16_t intPictNo) const;
    QString funFaceFileName(int16_t intPictNo) const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    class Operation;

    void connectControls();
    void hidePanel(PanelKind kind, bool dropPictures);
    void showPanel(PanelKind kind, const std::vector<PanelPicture> &pictures);
    void readPatientNameFile();
    void rebuildFaceDates();
    void selectFromCode(QListWidget *list, const QString &date, void (frmMain::*handler)());
    DatedPictures &facePictures();

    frmMain &w_;
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
};

} // namespace tolvarine
