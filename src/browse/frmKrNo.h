#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSettings;

namespace tolvarine {

class WindowPlace;

// What the keypad works on: the window it belongs to, the store that keeps its
// place, the main window's number box and the entry that commits it.
struct KeypadParts {
    QWidget *owner = nullptr;
    std::function<QSettings &()> store;
    QLineEdit *txtKrNo = nullptr;
    std::function<void()> KrNoEnter;
};

// The on-screen keypad for the patient number, opened modally by the main window.
// It commits through the main window's number box; closing it any other way
// discards the input.
class frmKrNo : public QDialog {
    Q_OBJECT
public:
    explicit frmKrNo(KeypadParts parts);
    ~frmKrNo() override;

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

    KeypadParts parts_;
    std::unique_ptr<WindowPlace> place_;
    bool unloaded_ = false;
};

} // namespace tolvarine
