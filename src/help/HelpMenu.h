#pragma once

#include <functional>

#include <QPointer>
#include <QString>

class QWidget;

namespace tolvarine {

class frmHelp;

// What the ﾍﾙﾌﾟ menu opens: the help viewer, one for the program, on its contents
// or its search page, and the version window, modal over the owner.
class HelpMenu {
public:
    HelpMenu(QWidget *owner, std::function<QString()> programFolder);

    void mnuHelpContent_Click();
    void mnuHelpSearch_Click();
    void mnuHelpAbout_Click();

private:
    frmHelp &ensureViewer();

    QWidget *owner_;
    std::function<QString()> programFolder_;
    QPointer<frmHelp> viewer_;
};

} // namespace tolvarine
