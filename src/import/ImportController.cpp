#include "import/ImportController.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "app/frmMain.h"
#include "import/DropArea.h"
#include "import/DropImport.h"
#include "import/DropList.h"
#include "import/ImportWindowHost.h"
#include "import/ThumbnailRebuild.h"
#include "platform/DriveList.h"
#include "platform/FolderList.h"

namespace tolvarine {

ImportController::ImportController(frmMain &window) : window_(window), importer_(std::make_unique<DropImport>())
{
    ImportWindowParts parts{&window,
                            {window.mnuFile, window.mnuEdit, window.mnuPict},
                            {window.Drive1, window.Dir1, window.List1, window.txtKrNo, window.txtKrName},
                            window.List3,
                            [&window] { return window.Dir1->path(); },
                            [this](const QString &folder) { listFolder(folder); }};
    host_ = std::make_unique<ImportWindowHost>(std::move(parts), importer_->progressState());
    importer_->setHost(host_->host());

    window.List3->setDropGate([this] { return !importer_->isRunning(); });
    QObject::connect(window.List3, &DropList::filesDropped, &window, &frmMain::List3_OLEDragDrop);
    QObject::connect(window.cmdDrop, &QPushButton::clicked, &window, &frmMain::cmdDrop_Click);
    QObject::connect(window.cmdExplorer, &QToolButton::clicked, &window, &frmMain::cmdExplorer_Click);
    QObject::connect(window.mnuEditSamnail, &QAction::triggered, &window, &frmMain::mnuEditSamnail_Click);
}

ImportController::~ImportController() = default;

bool ImportController::importRunning() const
{
    return importer_->isRunning();
}

void ImportController::List3_OLEDragDrop(const QStringList &files)
{
    const AppSettings &settings = window_.appSettings();
    importer_->run({files, window_.txtKrNo->text(), window_.DropIsOral, settings.PictFolda});
}

void ImportController::cmdDrop_Click()
{
    window_.DropIsOral = !window_.DropIsOral;
    showDropAreaTexts(window_.List3, window_.lblDrop,
                      dropAreaTexts(window_.DropIsOral, window_.appSettings().DropAriaTips));
}

void ImportController::cmdExplorer_Click()
{
    startFileBrowser(window_.WindowsFolder, window_.appSettings().PictReadFolda);
}

void ImportController::mnuEditSamnail_Click()
{
    rebuildThumbnails(window_.Dir1->path(), [this] { window_.Dir1_Change(); });
}

void ImportController::listFolder(const QString &folder)
{
    const QString before = window_.Dir1->path();
    // Setting the folder it shows already tells nobody: list it ourselves.
    if (!window_.Dir1->setPath(folder) || window_.Dir1->path() == before)
        window_.Dir1_Change();
}

} // namespace tolvarine
