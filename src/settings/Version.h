#pragma once

#include <QString>

namespace tolvarine {

// The program version, as in the version resource "1.01.0004".
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 4;
inline constexpr const char *kVersionResource = "1.01.0004";

// "ﾊﾞｰｼﾞｮﾝ 1.1.4": the version line of the splash and the version window.
inline QString versionLabelText()
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor)
           + u'.' + QString::number(kVersionRevision);
}

} // namespace tolvarine
