#pragma once

#include <array>

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tolvarine {

// The version window: the icon, the title and the version over an etched rule.
// OK is both the default and the cancel button, so Enter and Esc close it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner = nullptr);

    void cmdOK_Click();

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    std::array<QFrame *, 2> Line1{}; // the grey line, then the white one under it
    QPushButton *cmdOK = nullptr;

protected:
    void reject() override;

private:
    void Form_Load();
};

} // namespace tolvarine
