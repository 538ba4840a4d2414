#include "options/frmPictFolda.h"

#include <QLineEdit>
#include <QPushButton>

#include "platform/Twips.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"

namespace tolvarine {

namespace {

// The window's design, in twips.
const QSize kClientArea(3990, 3225);

} // namespace

frmPictFolda::frmPictFolda(QWidget *owner, int16_t intFoldaMode, AppSettings &settings,
                           const QString &programFolder, QLineEdit *txtPictFolda, QLineEdit *txtPictReadFolda)
    : QDialog(owner), intFoldaMode_(intFoldaMode), settings_(settings), programFolder_(programFolder),
      txtPictFolda_(txtPictFolda), txtPictReadFolda_(txtPictReadFolda)
{
    setWindowTitle(QStringLiteral("画像フォルダ"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    if (owner)
        setFont(owner->font());
    const double dpi = logicalDpiX();
    setFixedSize(twipsToPixels(kClientArea, dpi));

    Drive1 = new DriveList(this);
    Drive1->setGeometry(twipsToPixels(QRect(240, 240, 1812, 276), dpi));
    Dir1 = new FolderList(this);
    Dir1->setGeometry(twipsToPixels(QRect(240, 720, 2412, 2316), dpi));
    cmdOK = new QPushButton(QStringLiteral("O K"), this);
    cmdOK->setGeometry(twipsToPixels(QRect(2880, 480, 972, 492), dpi));
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setGeometry(twipsToPixels(QRect(2880, 1800, 972, 492), dpi));
    // Enter in the folder list opens a folder; only a press of O K chooses.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    Form_Load();
    connect(Drive1, &DriveList::changed, this, &frmPictFolda::Drive1_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmPictFolda::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPictFolda::cmdCancel_Click);
    Dir1->setFocus();
}

// A folder that cannot be shown, or whose drive is not listed, gives way to the
// program's folder without a word.
void frmPictFolda::Form_Load()
{
    const QString &start = intFoldaMode_ == kPictureFolder ? settings_.PictFolda : settings_.PictReadFolda;
    if (Dir1->setPath(start) && Drive1->setDrive(Dir1->path()))
        return;
    Dir1->setPath(programFolder_);
    Drive1->setDrive(Dir1->path());
}

void frmPictFolda::Drive1_Change() { followDrive(*Drive1, *Dir1); }

void frmPictFolda::cmdOK_Click()
{
    const QString chosen = Dir1->path();
    // Only when even the program's folder could not be shown is none open.
    if (chosen.isEmpty()) {
        reject();
        return;
    }
    if (intFoldaMode_ == kPictureFolder) {
        settings_.PictFolda = chosen;
        if (txtPictFolda_)
            txtPictFolda_->setText(chosen);
    } else {
        settings_.PictReadFolda = chosen;
        if (txtPictReadFolda_)
            txtPictReadFolda_->setText(chosen);
    }
    accept();
}

void frmPictFolda::cmdCancel_Click() { reject(); }

} // namespace tolvarine
