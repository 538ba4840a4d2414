#pragma once

#include <array>

#include <QDialog>

#include "settings/AppSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSettings;

namespace tolvarine {

// "DICOM設定": the view each picture position shows and whether it is taken in a
// mirror, and the archive pictures are sent to. The positions mean nothing by
// themselves, so the clinic says here what each of its positions holds. OK checks
// the archive's values, writes every DICOM setting and closes; ｷｬﾝｾﾙ changes nothing.
class frmDicomSettings : public QDialog {
    Q_OBJECT
public:
    frmDicomSettings(QWidget *owner, QSettings &store, AppSettings &settings);

    // The values the controls hold now.
    DicomSettings currentSettings() const;

    void cmdOK_Click();

    std::array<QComboBox *, 7> cboOralView{};
    std::array<QCheckBox *, 7> chkOralMirror{};
    std::array<QComboBox *, 5> cboFaceView{};
    std::array<QCheckBox *, 5> chkFaceMirror{};
    QLineEdit *txtHost = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtCalledAE = nullptr;
    QLineEdit *txtCallingAE = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    QSettings &store_;
    AppSettings &settings_;
};

// The caption of an orientation code as the options dialog names it ("左右反転").
QString orientationCaption(int16_t code);

} // namespace tolvarine
