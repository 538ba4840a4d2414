#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QDialog>
#include <QString>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;

namespace tolvarine {

class WindowPlace;
struct AppSettings;
struct BrowseState;

// What the display-order dialog works on: the visit shown (its pictures placed by
// the shooting orders), the store that keeps the dialog's place, and the flag the
// main window reads once it has closed.
struct ChangeParts {
    QWidget *owner = nullptr;
    std::function<QSettings &()> store;
    const AppSettings &settings;
    const BrowseState &browse;
    int16_t &blnChanged;
};

// The display-order dialog: the user presses the position buttons of the shown
// visit in the order wanted, and 変更 renames those pictures to the prefix and
// their press number.
class frmChang : public QDialog {
    Q_OBJECT
public:
    explicit frmChang(ChangeParts parts);
    ~frmChang() override;

    void cmdOral_Click(int index);
    void cmdFace_Click(int index);
    void cmdReset_Click();
    void cmdChange_Click();
    void cmdCancel_Click();
    void subRenameOral();
    void subRenameFace();

    void done(int result) override;

    QLabel *lblChangDate = nullptr;
    QLineEdit *txtChangDate = nullptr;
    std::array<QPushButton *, 7> cmdOral{};
    std::array<QLabel *, 7> lblOral{};
    std::array<QPushButton *, 5> cmdFace{};
    std::array<QLabel *, 5> lblFace{};
    QLabel *Label1 = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdChange = nullptr;
    QPushButton *cmdCancel = nullptr;

    int16_t intOralClicks = 0;
    QString strOralOrder;
    int16_t intFaceClicks = 0;
    QString strFaceOrder;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void Form_Unload();

    ChangeParts parts_;
    std::unique_ptr<WindowPlace> place_;
    bool unloaded_ = false;
};

} // namespace tolvarine
