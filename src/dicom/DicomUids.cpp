#include "dicom/DicomUids.h"

#include <QUuid>

namespace tolvarine {

namespace {

// The namespace of every Tolvarine name-based UUID; never changes.
const QUuid kNamespace(QStringLiteral("{6c1f3f0e-4b1d-5a57-9d3e-2f7a0c9b8e41}"));

// Parts joined with a separator no part holds (a NUL), so that no two part lists
// give one name.
QByteArray joined(std::initializer_list<QByteArray> parts)
{
    QByteArray name;
    for (const QByteArray &part : parts)
        name += part + '\0';
    return name;
}

} // namespace

QString uuidUid(const QByteArray &name)
{
    const QByteArray bytes = QUuid::createUuidV5(kNamespace, name).toRfc4122();
    unsigned __int128 value = 0;
    for (const char byte : bytes)
        value = (value << 8) | static_cast<unsigned char>(byte);
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(value % 10)));
        value /= 10;
    } while (value != 0);
    return QStringLiteral("2.25.") + digits;
}

QString studyUid(const QString &clinic, const QString &krNo, const QString &visitDate)
{
    return uuidUid(joined({"study", clinic.toUtf8(), krNo.toUtf8(), visitDate.toUtf8()}));
}

QString seriesUid(const QString &clinic, const QString &krNo, const QString &visitDate, int panel)
{
    return uuidUid(
        joined({"series", clinic.toUtf8(), krNo.toUtf8(), visitDate.toUtf8(), QByteArray::number(panel)}));
}

QString instanceUid(const QString &clinic, const QString &krNo, const QString &visitDate, int panel,
                    const QByteArray &contentDigest, int code, int occurrence)
{
    return uuidUid(
        joined({"instance", clinic.toUtf8(), krNo.toUtf8(), visitDate.toUtf8(), QByteArray::number(panel),
                contentDigest, QByteArray::number(code), QByteArray::number(occurrence)}));
}

} // namespace tolvarine
