#include "import/ImportMessages.h"

#include <algorithm>

#include <QStringList>

#include "platform/Messages.h"
#include "widgets/StoreMessages.h"

namespace tolvarine {

namespace {

// More names than this would make a box taller than the screen.
constexpr int kNamesShown = 20;

QString reasonText(ImportFailureReason reason)
{
    switch (reason) {
    case ImportFailureReason::Folder:
        return QStringLiteral("フォルダは取り込めません");
    case ImportFailureReason::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case ImportFailureReason::Unreadable:
        return QStringLiteral("ファイルを読み込めません");
    case ImportFailureReason::NoName:
        return QStringLiteral("ファイル名がありません");
    case ImportFailureReason::TargetFolder:
        return QStringLiteral("保存先のフォルダを作成できません");
    case ImportFailureReason::WriteFailed:
        return QStringLiteral("保存先に書き込めません");
    case ImportFailureReason::NoFreeName:
        return QStringLiteral("同じ名前のファイルが多すぎます");
    }
    return {};
}

} // namespace

QString notImportedMessage(const std::vector<ImportFailure> &failures)
{
    if (failures.empty())
        return {};
    QStringList lines;
    lines << QStringLiteral("取り込めなかったファイルがあります（%1件）").arg(failures.size());
    const int shown = std::min<int>(kNamesShown, int(failures.size()));
    for (int i = 0; i < shown; ++i)
        lines << QStringLiteral("%1（%2）").arg(failures[i].path, reasonText(failures[i].reason));
    if (int(failures.size()) > shown)
        lines << QStringLiteral("ほか%1件").arg(int(failures.size()) - shown);
    return lines.join(QStringLiteral("\r\n"));
}

void addImportMessages(ImportHost &host)
{
    host.refused = [](PatientLookup refusal) {
        // The import words the non-numeric number its own way.
        showMessage(refusal == PatientLookup::NotNumeric ? QStringLiteral("患者番号は数値を入力して下さい")
                                                         : patientLookupMessage(refusal));
    };
    host.confirmCurrentFolder = [] {
        return showMessage(QStringLiteral("患者番号が入力されてません。\r\n現在のフォルダに保存しますか"),
                           QString(), MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No)
               == MessageAnswer::Yes;
    };
    host.reportFailures = [](const std::vector<ImportFailure> &failures) {
        showMessage(notImportedMessage(failures));
    };
}

void showThumbnailDeletionFailure(const Outcome &failure)
{
    showMessage(vbErrorText(failure.error), QStringLiteral("サムネイル"));
}

void showFileBrowserMissing() { showMessage(QStringLiteral("Exeファイルが見つかりません")); }

} // namespace tolvarine
