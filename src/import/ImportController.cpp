#include "import/ImportController.h"

#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "import/DropImport.h"
#include "import/DropList.h"
#include "import/ImportMessages.h"
#include "import/ImportWindowHost.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "store/ThumbnailRebuild.h"
#include "widgets/FolderList.h"

namespace tolvarine {

ImportController::ImportController(ImportParts parts, ShellState &shell, const AppSettings &settings)
    : ui_(std::move(parts)), shell_(shell), settings_(settings), importer_(std::make_unique<DropImport>())
{
    FolderList *dir = ui_.Dir1;
    ImportWindowParts hostParts{
        ui_.window, ui_.menus, ui_.controls, ui_.List3, [dir] { return dir->path(); }, ui_.listFolder};
    host_ = std::make_unique<ImportWindowHost>(std::move(hostParts), importer_->progressState());
    importer_->setHost(host_->host());

    ui_.List3->setDropGate([this] { return !importer_->isRunning(); });
    // Connected in the name of an object of the controller's own, so that nothing
    // reaches the controller once it is gone.
    QObject::connect(ui_.List3, &DropList::filesDropped, &context_,
                     [this](const QStringList &files) { List3_OLEDragDrop(files); });
    QObject::connect(ui_.cmdDrop, &QPushButton::clicked, &context_, [this] { cmdDrop_Click(); });
    QObject::connect(ui_.cmdExplorer, &QToolButton::clicked, &context_, [this] { cmdExplorer_Click(); });
    QObject::connect(ui_.mnuEditSamnail, &QAction::triggered, &context_, [this] { mnuEditSamnail_Click(); });
}

ImportController::~ImportController() { ui_.List3->setDropGate({}); }

bool ImportController::importRunning() const { return importer_->isRunning(); }

void ImportController::List3_OLEDragDrop(const QStringList &files)
{
    importer_->run({files, ui_.txtKrNo->text(), shell_.DropIsOral, settings_.PictFolda});
}

void ImportController::cmdDrop_Click()
{
    shell_.DropIsOral = !shell_.DropIsOral;
    showDropAreaTexts(ui_.List3, ui_.lblDrop, dropAreaTexts(shell_.DropIsOral, settings_.DropAriaTips));
}

void ImportController::cmdExplorer_Click() { openFileBrowser(shell_.WindowsFolder, settings_.PictReadFolda); }

void ImportController::mnuEditSamnail_Click()
{
    rebuildThumbnails(ui_.Dir1->path(), [this] { ui_.listFolder(ui_.Dir1->path()); });
}

bool openFileBrowser(const QString &windowsFolder, const QString &pictReadFolda, const ProgramStarter &start)
{
    const Outcome started = startFileBrowser(windowsFolder, pictReadFolda, start);
    if (!started)
        showFileBrowserMissing();
    return started.ok();
}

bool rebuildThumbnails(const QString &listedFolder, const std::function<void()> &refresh)
{
    const Outcome deleted = deleteThumbnails(listedFolder);
    if (!deleted) {
        showThumbnailDeletionFailure(deleted);
        return false;
    }
    if (refresh)
        refresh();
    return true;
}

} // namespace tolvarine
