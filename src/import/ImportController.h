#pragma once

#include <memory>

#include <QStringList>

namespace tolvarine {

class DropImport;
class ImportWindowHost;
class frmMain;

// The drop area and the thumbnail rebuild of the main window: the window owns it
// and its handlers, under their own names, call in here.
class ImportController {
public:
    explicit ImportController(frmMain &window);
    ~ImportController();
    ImportController(const ImportController &) = delete;
    ImportController &operator=(const ImportController &) = delete;

    void List3_OLEDragDrop(const QStringList &files);
    void cmdDrop_Click();
    void cmdExplorer_Click();
    void mnuEditSamnail_Click();

    bool importRunning() const;

private:
    // Points the folder list at the folder and lists it, also when it is there already.
    void listFolder(const QString &folder);

    frmMain &window_;
    std::unique_ptr<DropImport> importer_;
    std::unique_ptr<ImportWindowHost> host_;
};

} // namespace tolvarine
