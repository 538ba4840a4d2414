#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QMainWindow>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "settings/AppSettings.h"
#include "settings/SharedState.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSettings;
class QToolButton;

namespace tolvarine {

class BrowseController;
class DropList;
class ImportController;
class MaintenanceController;
class PrintController;
class DriveList;
class FolderList;
class HelpMenu;
class ImagingView;
class WindowPlace;
struct MainLayout;
enum class PanelKind;

// The program's main window. Its controls and menu entries are public members
// under their own names; the run-time state the other windows share lives in
// plain objects it owns and hands out by reference. The handlers that carry the
// program's own names forward to the controllers that do the work.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // What the load uses from its surroundings; tests replace them before Form_Load.
    // A store set here is not owned and must outlive the window.
    void setSettingsStore(QSettings *store);
    void setProgramFolder(const QString &folder);
    // The font density the load decides the layout by, instead of the primary
    // screen's; nullopt stands for "no screen".
    void setForcedFontDensity(std::optional<int> dpi);
    // What ends the program after the window has closed.
    void setProgramEnd(std::function<void()> end);

    // The window's load: everything that must be ready before it first shows.
    void Form_Load();

    // The settings of the whole run; the options dialog replaces their fields.
    AppSettings &appSettings() { return settings_; }
    const AppSettings &appSettings() const { return settings_; }
    // The shared run-time state.
    ShellState &shell() { return shell_; }
    BrowseState &state() { return state_; }
    PrintRequest &printRequest() { return printRequest_; }
    BrowseController &browse() { return *browse_; }
    PrintController &printing() { return *print_; }
    MaintenanceController &maintenance() { return *maintenance_; }
    // The per-user store, for the windows that keep their place in it.
    QSettings &settingsStore();
    QString programFolder() const { return programFolder_; }

    // Twips to this window's pixels.
    double pixelDpi() const;
    QRect toPixels(const QRect &twips) const;

    void subCheckLargeFont();
    void subGetWindowsFolder();
    void subReadClinicIni();

    // Dating pictures and writing a new date into one, through the hidden ImgPrint.
    std::optional<QDateTime> funGetFileDate(const QString &strFileName);
    QDateTime funGetExifFileDate(const QString &strFileName);
    // The capture date as the FileHizuke setting chooses it.
    QDateTime funPictureDate(const QString &strFileName);
    // Both act on strTargetFile and datNewDate; callers set those first.
    bool subWriteExifDate();
    bool subSetFileTime();

    // Patient number and name.
    void KrNoEnter();
    void txtKrNo_KeyPress(int &KeyAscii);
    void cmdKrNo_Click();
    void txtKrName_Change();
    void txtKrName_LostFocus();

    // The listing of the folder in Dir1 is the one refresh of the lists and panels.
    void Dir1_Change();
    void Drive1_Change();
    void List1_Click();
    void ListFaDate_Click();

    // Thumbnail panels.
    void subShowOral(const QString &strDate);
    void subShowFace(const QString &strDate);
    void ImgSam_Click(int index);
    void ImgSam_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ImgFace_Click(int index);
    void ImgFace_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // The picture shown at a position of the current visit; empty when none.
    QString funOralFileName(int16_t intPictNo) const;
    QString funFaceFileName(int16_t intPictNo) const;

    void mnuFilePrint_Click();
    void subPrintNormal();
    void subPrintLarge();
    void mnuFileExit_Click();
    void mnuOptOption_Click();

    void List3_OLEDragDrop(const QStringList &files);
    void cmdDrop_Click();
    void cmdExplorer_Click();
    void mnuEditSamnail_Click();

    // Display order, blank pictures and the operations on one picture.
    void mnuEditChange_Click();
    void mnuEditNoPicture_Click();
    void mnuEditFaceNoPicture_Click();
    void mnuEditKousin_Click();
    void mnuPictKanren_Click();
    void mnuPictKousin_Click();
    void mnuPictDeleat_Click();

    void mnuHelpContent_Click();
    void mnuHelpSearch_Click();
    void mnuHelpAbout_Click();

    // The folder the last listing read.
    QString listedFolder() const;

    // Controls.
    QLabel *lblKrNo = nullptr;
    QLineEdit *txtKrNo = nullptr;
    QPushButton *cmdKrNo = nullptr;
    QLabel *lblKrName = nullptr;
    QLineEdit *txtKrName = nullptr;
    DropList *List3 = nullptr;
    QToolButton *cmdExplorer = nullptr;
    QLabel *lblDrop = nullptr;
    QPushButton *cmdDrop = nullptr;
    DriveList *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;
    QListWidget *List1 = nullptr;
    QListWidget *ListFaDate = nullptr;
    QListWidget *List2 = nullptr;
    QListWidget *ListFace = nullptr;
    std::array<ImagingView *, 7> ImgSam{};
    std::array<ImagingView *, 5> ImgFace{};
    ImagingView *ImgPrint = nullptr;
    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    QLabel *lblClinicName = nullptr;

    // Menus; separators are actions too.
    QMenu *mnuFile = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileSep = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuEditChange = nullptr;
    QAction *mnuEditSep0 = nullptr;
    QAction *mnuEditNoPicture = nullptr;
    QAction *mnuEditFaceNoPicture = nullptr;
    QAction *mnuEditSep = nullptr;
    QAction *mnuEditSamnail = nullptr;
    QAction *mnuEditSep2 = nullptr;
    QAction *mnuEditKousin = nullptr;
    QMenu *mnuOpt = nullptr;
    QAction *mnuOptOption = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContent = nullptr;
    QAction *mnuHelpSearch = nullptr;
    QAction *mnuHelpSep = nullptr;
    QAction *mnuHelpAbout = nullptr;
    QMenu *mnuPict = nullptr; // the thumbnails' context menu, not on the menu bar
    QAction *mnuPictKanren = nullptr;
    QAction *mnuPictSep = nullptr;
    QAction *mnuPictKousin = nullptr;
    QAction *mnuPictSep2 = nullptr;
    QAction *mnuPictDeleat = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createControllers();
    void createMaintenance();
    void createMenus();
    void placeControls(const MainLayout &layout);
    void applyLayout(const MainLayout &layout);
    void setClientSize(const QSize &twips);
    void setRules(int endXTwips);
    void showClinicName();
    void openPictureFolder();
    // A view of a picture: non-modal, any number open at once.
    void openView(PanelKind kind, const QString &path, int position);
    void Form_Activate();
    void Form_Unload();

    QWidget *client_ = nullptr;
    AppSettings settings_;
    ShellState shell_;
    BrowseState state_;
    PrintRequest printRequest_;
    std::unique_ptr<QSettings> ownStore_;
    QSettings *store_ = nullptr;
    QString programFolder_;
    bool densityForced_ = false;
    std::optional<int> forcedDensity_;
    std::function<void()> programEnd_;
    std::unique_ptr<WindowPlace> place_;
    // Declared after the state they work on, so that they go first.
    std::unique_ptr<BrowseController> browse_;
    std::unique_ptr<ImportController> import_;
    std::unique_ptr<PrintController> print_;
    std::unique_ptr<HelpMenu> help_;
    std::unique_ptr<MaintenanceController> maintenance_;
};

} // namespace tolvarine
