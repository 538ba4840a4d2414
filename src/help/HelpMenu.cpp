#include "help/HelpMenu.h"

#include <utility>

#include "help/HelpContents.h"
#include "help/frmAbout.h"
#include "help/frmHelp.h"

namespace tolvarine {

HelpMenu::HelpMenu(QWidget *owner, std::function<QString()> programFolder)
    : owner_(owner), programFolder_(std::move(programFolder))
{}

frmHelp &HelpMenu::ensureViewer()
{
    if (!viewer_)
        viewer_ = new frmHelp(owner_);
    return *viewer_;
}

void HelpMenu::mnuHelpContent_Click() { ensureViewer().showContents(helpFilePath(programFolder_())); }

void HelpMenu::mnuHelpSearch_Click() { ensureViewer().showSearch(helpFilePath(programFolder_())); }

void HelpMenu::mnuHelpAbout_Click()
{
    frmAbout about(owner_);
    about.exec();
}

} // namespace tolvarine
