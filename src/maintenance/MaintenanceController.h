#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QSettings;
class QWidget;

namespace tolvarine {

class frmChang;
class frmDate;
struct AppSettings;
struct BrowseState;

// What the maintenance entries of the main window need from it. The shell owns the
// listing and the thumbnail rebuild and hands them in as calls.
struct MaintenanceParts {
    QWidget *window = nullptr; // owns the dialogs; minimised after opening a picture elsewhere
    QMenu *mnuEdit = nullptr;
    QMenu *mnuPict = nullptr;
    std::function<QSettings &()> store;
    std::function<QString()> programFolder;
    std::function<QString()> listedFolder;   // the folder Dir1 shows
    std::function<void()> refreshListing;    // lists that folder again
    std::function<void()> rebuildThumbnails; // mnuEditSamnail
    // The main window's writers; they act on strTargetFile and datNewDate.
    std::function<bool()> subWriteExifDate;
    std::function<bool()> subSetFileTime;
};

// The display-order dialog, blank pictures and the operations on one picture: the
// entries of the edit menu and of the thumbnails' context menu that act on the
// store. Both menus are disabled while an import runs; the entries do nothing then.
class MaintenanceController {
public:
    MaintenanceController(MaintenanceParts parts, BrowseState &state, const AppSettings &settings);
    ~MaintenanceController();
    MaintenanceController(const MaintenanceController &) = delete;
    MaintenanceController &operator=(const MaintenanceController &) = delete;

    void mnuEditChange_Click();
    void mnuEditNoPicture_Click();
    void mnuEditFaceNoPicture_Click();
    void mnuEditKousin_Click();
    void mnuPictKanren_Click();
    void mnuPictKousin_Click();
    void mnuPictDeleat_Click();

    // Whether the last display-order dialog ended with 変更.
    int16_t blnChanged = 0;

    // Tests replace these so that no window waits and no other program starts.
    using ChangeRunner = std::function<void(frmChang &dialog)>;
    using DateRunner = std::function<void(frmDate &dialog)>;
    // The file dialog: returns the chosen file, empty when cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &folder, const QString &filter)>;
    using Opener = std::function<void(const QString &path)>;
    void setChangeRunner(ChangeRunner runner) { changeRunner_ = std::move(runner); }
    void setDateRunner(DateRunner runner) { dateRunner_ = std::move(runner); }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void setOpener(Opener opener) { opener_ = std::move(opener); }

private:
    bool menuOpen(const QMenu *menu) const;
    void addBlankPicture(bool face);
    // Shows the date dialog; the day accepted, nullopt after キャンセル.
    std::optional<QDateTime> askDate();
    // Writes datNewDate into strTargetFile, saying so when only the file time took.
    void writeDate();

    MaintenanceParts ui_;
    BrowseState &state_;
    const AppSettings &settings_;
    ChangeRunner changeRunner_;
    DateRunner dateRunner_;
    FileChooser chooser_;
    Opener opener_;
};

} // namespace tolvarine
