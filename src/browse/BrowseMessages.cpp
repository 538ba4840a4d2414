#include "browse/BrowseMessages.h"

#include "platform/Messages.h"
#include "widgets/StoreMessages.h"

namespace tolvarine {

QString oralLimitMessage()
{
    return QStringLiteral("画像が規定枚数を超えました、") + QStringLiteral("\r\n")
           + QStringLiteral("サブフォルダを作って古い画像を移動して下さい");
}

QString faceLimitMessage() { return QStringLiteral("画像が規定枚数を超えました"); }

void tellDatingFailures(DatedPictures &pictures, bool limitReached, const QString &limitText)
{
    showDateFailures(pictures.takeFailures());
    if (limitReached)
        showMessage(limitText);
}

} // namespace tolvarine
