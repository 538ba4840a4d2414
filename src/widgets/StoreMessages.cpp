#include "widgets/StoreMessages.h"

#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "store/CaptureDate.h"

namespace tolvarine {

QString vbErrorText(int error)
{
    return QStringLiteral("VB ｴﾗｰ: '%1' - %2.").arg(error).arg(systemErrorText(error));
}

void showDateFailure(const Outcome &failure)
{
    showMessage(vbErrorText(failure.error), QStringLiteral("IE5.0以降をｲﾝｽﾄｰﾙ"));
}

void showDateFailures(const std::vector<Outcome> &failures)
{
    for (const Outcome &failure : failures)
        showDateFailure(failure);
}

std::optional<QDateTime> fileDateOrTell(const QString &fileName)
{
    Outcome failure;
    const std::optional<QDateTime> date = readFileDate(fileName, &failure);
    if (!date)
        showDateFailure(failure);
    return date;
}

void showFileTimeFailure(const Outcome &failure)
{
    if (failure.status == Status::ReadOnly)
        showMessage(QStringLiteral("-1[ﾊﾝﾄﾞﾙ取得エラー]\r\n読み取り専用ファイル？"));
    else
        showMessage(QStringLiteral("タイムスタンプ変更失敗しました"));
}

QString patientLookupMessage(PatientLookup outcome)
{
    switch (outcome) {
    case PatientLookup::NotNumeric:
        return QStringLiteral("数値を入力して下さい");
    case PatientLookup::Invalid:
        return QStringLiteral("患者番号が不正です");
    case PatientLookup::NoPictureFolder:
        return QStringLiteral("画像フォルダが見つかりません");
    case PatientLookup::NotFound:
        return QStringLiteral("該当患者の画像はありません");
    case PatientLookup::Found:
        break;
    }
    return {};
}

} // namespace tolvarine
