#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include <QDialog>
#include <QString>

#include "settings/AppSettings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSettings;
class QTabWidget;

namespace tolvarine {

class frmPictFolda;

// The options dialog: the shooting orders, the orientation of every position, the
// folders, the view size, the switches and the view's colour adjustment. It shows
// the settings of the run; OK checks the orders and the view size, then writes every
// setting to the store and into the settings of the run. Cancel stores nothing.
// Two things reach the settings of the run without OK: the orientation choices of an
// OK that was refused, and a folder chosen in the folder chooser.
class frmOption : public QDialog {
    Q_OBJECT
public:
    // The store must outlive the dialog. windowsFolder is the folder of the file
    // browser the import starts; programFolder is where the folder chooser falls back to.
    frmOption(QWidget *owner, AppSettings &settings, QSettings &store, const QString &windowsFolder,
              const QString &programFolder);

    // Runs the folder chooser (modally unless replaced: tests drive it without exec).
    using ChooserRunner = std::function<void(frmPictFolda &chooser)>;
    void setChooserRunner(ChooserRunner runner) { runner_ = std::move(runner); }

    void cmdSet_Click();
    void cmdJyunban_Click(int index);
    void cmdFaceSet_Click();
    void cmdFaceJyun_Click(int index);
    void HScrollContrast_Change();
    void HScrollKido_Change();
    void HScrollRed_Change();
    void HScrollGreen_Change();
    void HScrollBlue_Change();
    void cmdPictFolda_Click();
    void cmdPictReadFolda_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    QTabWidget *TabStrip1 = nullptr;
    std::array<QWidget *, 3> Frame1{}; // the pages
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // 撮影順
    QPushButton *cmdSet = nullptr;
    QLabel *lblJyunban = nullptr;
    QLineEdit *txtJyunban = nullptr;
    std::array<QPushButton *, 7> cmdJyunban{};
    std::array<QPushButton *, 5> cmdFaceJyun{};
    QPushButton *cmdFaceSet = nullptr;
    QLabel *lblFaceJyunban = nullptr;
    QLineEdit *txtFaceJyunban = nullptr;
    QLabel *lblSetumei = nullptr;

    // 画像処理
    std::array<QGroupBox *, 7> Frame{};
    std::array<QRadioButton *, 7> optOff{}, optRotation{}, optRL{}, optUL{};
    std::array<QGroupBox *, 5> Frameface{};
    std::array<QRadioButton *, 5> OptFaceOff{}, OptFaceRot90{}, OptFaceRot180{}, OptFaceRot270{}, OptFaceRL{},
        OptFaceUL{};

    // その他
    QLineEdit *txtPictFolda = nullptr;
    QPushButton *cmdPictFolda = nullptr;
    QLineEdit *txtExplorerPath = nullptr;
    QPushButton *cmdExplorerPath = nullptr;
    QLineEdit *txtPictReadFolda = nullptr;
    QPushButton *cmdPictReadFolda = nullptr;
    QCheckBox *chkFontSize = nullptr;
    QCheckBox *chkDropAria = nullptr;
    QCheckBox *chkHizuke = nullptr;
    QLineEdit *txtViewSize = nullptr;
    QCheckBox *chkViewIti = nullptr;
    QCheckBox *chkContrast = nullptr;
    QScrollBar *HScrollContrast = nullptr;
    QCheckBox *chkKido = nullptr;
    QScrollBar *HScrollKido = nullptr;
    QCheckBox *chkRGB = nullptr;
    QScrollBar *HScrollRed = nullptr;
    QScrollBar *HScrollGreen = nullptr;
    QScrollBar *HScrollBlue = nullptr;
    QLabel *lblRed = nullptr;
    QLabel *lblGreen = nullptr;
    QLabel *lblBlue = nullptr;

    int16_t intFoldaMode = 0; // which folder the chooser is opened for
    int16_t intJyunCount = 0; // position buttons pressed since 口腔設定
    int16_t intFaceCount = 0; // position buttons pressed since 顔面設定

private:
    void createOrderPage();
    void createOrientationPage();
    void createOtherPage();
    void connectControls();
    void Form_Load();
    QRect toPixels(int left, int top, int width, int height) const;
    void runChooser(int16_t mode);

    // One option group per position; each button's id is the code it stands for.
    std::array<QButtonGroup *, 7> oralGroups_{};
    std::array<QButtonGroup *, 5> faceGroups_{};

    AppSettings &settings_;
    QSettings &store_;
    QString windowsFolder_;
    QString programFolder_;
    ChooserRunner runner_;
};

} // namespace tolvarine
