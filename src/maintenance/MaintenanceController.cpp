#include "maintenance/MaintenanceController.h"

#include <utility>

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QTime>
#include <QUrl>

#include "maintenance/PictureChanges.h"
#include "maintenance/frmChang.h"
#include "maintenance/frmDate.h"
#include "platform/Messages.h"
#include "settings/SharedState.h"
#include "store/StoreFiles.h"
#include "store/StoreNames.h"
#include "store/StorePaths.h"

namespace tolvarine {

MaintenanceController::MaintenanceController(MaintenanceParts parts, BrowseState &state,
                                             const AppSettings &settings)
    : ui_(std::move(parts)), state_(state), settings_(settings),
      changeRunner_([](frmChang &dialog) { dialog.exec(); }),
      dateRunner_([](frmDate &dialog) { dialog.exec(); }),
      chooser_([](QWidget *parent, const QString &folder, const QString &filter) {
          return QFileDialog::getOpenFileName(parent, QStringLiteral("開く"), folder, filter);
      }),
      opener_([](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); })
{}

MaintenanceController::~MaintenanceController() = default;

// A menu disabled during an import can still be asked to pop up; its entries then
// do nothing.
bool MaintenanceController::menuOpen(const QMenu *menu) const { return !menu || menu->isEnabled(); }

void MaintenanceController::mnuEditChange_Click()
{
    if (!menuOpen(ui_.mnuEdit))
        return;
    {
        frmChang dialog({ui_.window, ui_.store, settings_, state_, blnChanged});
        changeRunner_(dialog);
    }
    if (blnChanged == 1)
        ui_.rebuildThumbnails();
}

void MaintenanceController::mnuEditNoPicture_Click() { addBlankPicture(false); }

void MaintenanceController::mnuEditFaceNoPicture_Click() { addBlankPicture(true); }

void MaintenanceController::addBlankPicture(bool face)
{
    if (!menuOpen(ui_.mnuEdit))
        return;
    QString folder = ui_.listedFolder();
    if (face) {
        folder = existingFaceFolder(folder);
        if (folder.isEmpty()) {
            showMessage(QStringLiteral("faceフォルダがありません"));
            return;
        }
    }
    const Outcome copied = copyBlankPicture(blankTemplatePath(ui_.programFolder()), folder);
    if (copied.status == Status::Missing) {
        showMessage(QStringLiteral("ファイルNopic.jpgがありません"));
        return;
    }
    state_.strTargetFile = copied.detail;
    const std::optional<QDate> day = parseVisitDate(face ? state_.strFaceDate : state_.strOralDate);
    if (!day) {
        QString text =
            face ? QStringLiteral("日付が取得できません") : QStringLiteral("日付が取得できません。");
        // Undated, the copy would later stand under the template's day as if it
        // were a picture taken then.
        if (copied)
            text += QStringLiteral("\r\n空白画像 %1 は日付なしで追加されました")
                        .arg(QFileInfo(copied.detail).fileName());
        showMessage(text);
        return;
    }
    state_.datNewDate = QDateTime(*day, QTime(12, 0));
    writeDate();
    ui_.refreshListing();
}

void MaintenanceController::mnuEditKousin_Click()
{
    if (!menuOpen(ui_.mnuEdit))
        return;
    const QString chosen = chooser_(ui_.window, ui_.listedFolder(), QStringLiteral("(*.jpg)"));
    if (chosen.isEmpty())
        return;
    state_.strTargetFile = chosen;
    const std::optional<QDateTime> date = askDate();
    if (!date)
        return;
    state_.datNewDate = *date;
    writeDate();
}

void MaintenanceController::mnuPictKanren_Click()
{
    if (!menuOpen(ui_.mnuPict) || state_.strPopupFile.isEmpty())
        return;
    opener_(state_.strPopupFile);
    ui_.window->showMinimized();
}

void MaintenanceController::mnuPictKousin_Click()
{
    if (!menuOpen(ui_.mnuPict) || state_.strPopupFile.isEmpty())
        return;
    state_.strTargetFile = state_.strPopupFile;
    const std::optional<QDateTime> date = askDate();
    if (!date)
        return;
    state_.datNewDate = *date;
    writeDate();
    ui_.refreshListing();
}

void MaintenanceController::mnuPictDeleat_Click()
{
    if (!menuOpen(ui_.mnuPict) || state_.strPopupFile.isEmpty())
        return;
    if (showMessage(QStringLiteral("本当に削除しますか"), {}, MessageButtons::YesNo, MessageIcon::None,
                    MessageAnswer::Yes)
        != MessageAnswer::Yes)
        return;
    // A picture that could not go stays, and is seen again after the rebuild.
    discardPicture(state_.strPopupFile);
    ui_.rebuildThumbnails();
}

std::optional<QDateTime> MaintenanceController::askDate()
{
    frmDate dialog(ui_.window);
    dateRunner_(dialog);
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    return dialog.datNewDate();
}

void MaintenanceController::writeDate()
{
    const bool exifWritten = ui_.subWriteExifDate();
    const bool timeSet = ui_.subSetFileTime();
    // A picture dated by its Exif date would stay under its old day without a word.
    if (!exifWritten && timeSet)
        showMessage(QStringLiteral("画像内の撮影日時は変更できませんでした\r\nﾌｧｲﾙ更新日だけを変更しました"));
}

} // namespace tolvarine
