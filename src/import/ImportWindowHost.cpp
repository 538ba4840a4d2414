#include "import/ImportWindowHost.h"

#include <utility>

#include <QApplication>
#include <QCoreApplication>
#include <QListWidget>
#include <QMenu>

#include "import/ImportMessages.h"

namespace tolvarine {

ImportWindowHost::ImportWindowHost(ImportWindowParts parts, const ImportProgress &state)
    : parts_(std::move(parts)), state_(state)
{}

ImportWindowHost::~ImportWindowHost()
{
    if (cursorSet_)
        QApplication::restoreOverrideCursor();
}

ImportHost ImportWindowHost::host()
{
    ImportHost h;
    h.enterBusy = [this] { enterBusy(); };
    h.leaveBusy = [this] { leaveBusy(); };
    h.showProgress = [this](int16_t max) { showProgress(max); };
    h.hideProgress = [this] { hideProgress(); };
    h.showFiles = [this](const QStringList &paths) { showFiles(paths); };
    h.focusMain = [this] { focusMain(); };
    h.currentFolder = parts_.currentFolder;
    h.setListedFolderAndRefresh = parts_.setListedFolderAndRefresh;
    // The progress window's timer moves the bar while files are copied.
    h.letEventsRun = [] { QCoreApplication::processEvents(); };
    addImportMessages(h);
    return h;
}

void ImportWindowHost::setControlsEnabled(bool enabled)
{
    for (QMenu *menu : std::as_const(parts_.menus)) {
        if (menu) {
            menu->setEnabled(enabled);
            menu->menuAction()->setEnabled(enabled);
        }
    }
    for (QWidget *control : std::as_const(parts_.controls)) {
        if (control)
            control->setEnabled(enabled);
    }
}

void ImportWindowHost::enterBusy()
{
    if (!cursorSet_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursorSet_ = true;
    }
    setControlsEnabled(false);
    if (parts_.dropList)
        parts_.dropList->hide();
}

void ImportWindowHost::leaveBusy()
{
    setControlsEnabled(true);
    if (parts_.dropList) {
        parts_.dropList->clear();
        parts_.dropList->show();
    }
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
}

void ImportWindowHost::showProgress(int16_t)
{
    hideProgress();
    // The window reads the maximum from the state itself when it loads.
    printing_ = new frmPrinting(state_, parts_.mainWindow);
    printing_->show();
}

void ImportWindowHost::hideProgress()
{
    if (printing_)
        printing_->close();
    printing_.clear();
}

void ImportWindowHost::showFiles(const QStringList &paths)
{
    if (!parts_.dropList)
        return;
    parts_.dropList->clear();
    parts_.dropList->addItems(paths);
}

void ImportWindowHost::focusMain()
{
    if (parts_.mainWindow)
        parts_.mainWindow->activateWindow();
}

} // namespace tolvarine
