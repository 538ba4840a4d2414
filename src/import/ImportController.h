#pragma once

#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QStringList>

#include "import/DropArea.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QAction;

namespace tolvarine {

class DropImport;
class DropList;
class FolderList;
class ImportWindowHost;
struct AppSettings;
struct ShellState;

// The controls of the main window the drop area and the thumbnail rebuild drive.
struct ImportParts {
    QWidget *window = nullptr;
    QList<QMenu *> menus;      // disabled while an import runs
    QList<QWidget *> controls; // disabled while an import runs
    QLineEdit *txtKrNo = nullptr;
    DropList *List3 = nullptr;
    QLabel *lblDrop = nullptr;
    QPushButton *cmdDrop = nullptr;
    QToolButton *cmdExplorer = nullptr;
    QAction *mnuEditSamnail = nullptr;
    FolderList *Dir1 = nullptr;
    // Lists the folder again: points Dir1 at it and runs the listing, also when it
    // shows that folder already.
    std::function<void(const QString &folder)> listFolder;
};

// The drop area and the thumbnail rebuild of the main window.
class ImportController {
public:
    ImportController(ImportParts parts, ShellState &shell, const AppSettings &settings);
    ~ImportController();
    ImportController(const ImportController &) = delete;
    ImportController &operator=(const ImportController &) = delete;

    void List3_OLEDragDrop(const QStringList &files);
    void cmdDrop_Click();
    void cmdExplorer_Click();
    void mnuEditSamnail_Click();

    bool importRunning() const;

private:
    ImportParts ui_;
    ShellState &shell_;
    const AppSettings &settings_;
    std::unique_ptr<DropImport> importer_;
    std::unique_ptr<ImportWindowHost> host_;
    QObject context_;
};

// Opens the file browser on the import folder; says so when it cannot be started.
bool openFileBrowser(const QString &windowsFolder, const QString &pictReadFolda,
                     const ProgramStarter &start = {});

// Throws the listed patient's thumbnails away and lists the folder again, so that
// the panels make every thumbnail afresh; on a failure says so, titled
// "サムネイル", and does not list again.
bool rebuildThumbnails(const QString &listedFolder, const std::function<void()> &refresh);

} // namespace tolvarine
