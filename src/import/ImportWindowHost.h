#pragma once

#include <functional>

#include <QList>
#include <QPointer>
#include <QString>

#include "import/DropImport.h"
#include "import/frmPrinting.h"

class QListWidget;
class QMenu;

namespace tolvarine {

// The parts of the main window an import acts on.
struct ImportWindowParts {
    QWidget *mainWindow = nullptr;
    QList<QMenu *> menus;            // disabled while busy
    QList<QWidget *> controls;       // disabled while busy
    QListWidget *dropList = nullptr; // hidden while busy, shows the dropped paths
    std::function<QString()> currentFolder;
    std::function<void(const QString &folder)> setListedFolderAndRefresh;
};

// The import's host made of real widgets: the busy state, the hourglass and the
// progress window. Lives as long as the window it serves.
class ImportWindowHost {
public:
    ImportWindowHost(ImportWindowParts parts, const ImportProgress &state);
    ~ImportWindowHost();
    ImportWindowHost(const ImportWindowHost &) = delete;
    ImportWindowHost &operator=(const ImportWindowHost &) = delete;

    ImportHost host();

    void enterBusy();
    void leaveBusy();
    void showProgress(int16_t max);
    void hideProgress();
    void showFiles(const QStringList &paths);
    void focusMain();

    frmPrinting *printing() const { return printing_; }

private:
    void setControlsEnabled(bool enabled);

    ImportWindowParts parts_;
    const ImportProgress &state_;
    QPointer<frmPrinting> printing_;
    bool cursorSet_ = false;
};

} // namespace tolvarine
