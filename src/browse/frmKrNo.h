#pragma once

#include <array>
#include <optional>

#include <QDialog>
#include <QPoint>
#include <QPointF>

class QLineEdit;
class QPushButton;

namespace tolvarine {

class frmMain;

// The on-screen keypad for the patient number, opened modally by the main window.
// It commits through the main window's number box; closing it any other way
// discards the input.
class frmKrNo : public QDialog {
    Q_OBJECT
  public:
    explicit frmKrNo(frmMain &owner);

    void cmdNo_Click(int index);
    void cmdBS_Click();
    void cmdEnter_Click();

    QLineEdit *txtKrNoInput = nullptr;
    std::array<QPushButton *, 10> cmdNo{};
    QPushButton *cmdBS = nullptr;
    QPushButton *cmdEnter = nullptr;

    void done(int result) override;

  private:
    void Form_Load();
    void Form_Unload();

    frmMain &owner_;
    QPointF loadedTwips_;
    std::optional<QPoint> loadedPixels_;
    bool unloaded_ = false;
};

} // namespace tolvarine
