#include "widgets/Fonts.h"

#include <QFont>
#include <QStringList>

namespace tolvarine {

QString japaneseUiFontFamily() { return QStringLiteral("ＭＳ Ｐゴシック"); }

void installFontSubstitutions()
{
    const QStringList fallbacks{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
    const QStringList present = QFont::substitutes(japaneseUiFontFamily());
    for (const QString &family : fallbacks) {
        if (!present.contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitution(japaneseUiFontFamily(), family);
    }
}

} // namespace tolvarine
