#pragma once

#include <cstdint>

#include <QDialog>
#include <QString>

#include "settings/AppSettings.h"

class QLineEdit;
class QPushButton;

namespace tolvarine {

class DriveList;
class FolderList;

// The folder chooser of the options dialog: a drive list and a folder list. OK
// takes the folder that is open in the folder list, not a merely highlighted one,
// into the settings of the run and into the options dialog's folder box; the
// settings store is not written. Cancel writes nothing.
class frmPictFolda : public QDialog {
    Q_OBJECT
public:
    // The modes of intFoldaMode: which folder is chosen.
    static constexpr int16_t kImportFolder = 0;  // PictReadFolda
    static constexpr int16_t kPictureFolder = 1; // PictFolda

    frmPictFolda(QWidget *owner, int16_t intFoldaMode, AppSettings &settings, const QString &programFolder,
                 QLineEdit *txtPictFolda, QLineEdit *txtPictReadFolda);

    void Drive1_Change();
    void cmdOK_Click();
    void cmdCancel_Click();

    DriveList *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void Form_Load();

    int16_t intFoldaMode_;
    AppSettings &settings_;
    QString programFolder_;
    QLineEdit *txtPictFolda_;
    QLineEdit *txtPictReadFolda_;
};

} // namespace tolvarine
