#include "dicom/DicomRun.h"

#include <QCryptographicHash>

#include "dicom/DicomUids.h"
#include "platform/FileSystem.h"

namespace tolvarine {

namespace {

QString turnWords(PanelKind kind, int16_t code)
{
    if (!codeTurns(kind, code))
        return QStringLiteral("Converted to baseline JPEG");
    switch (code) {
    case 1:
        return QStringLiteral("Rotated 180 degrees");
    case 2:
        return QStringLiteral("Mirrored left to right");
    case 3:
        return QStringLiteral("Flipped top to bottom");
    case 4:
        return QStringLiteral("Rotated 90 degrees clockwise");
    default:
        return QStringLiteral("Rotated 270 degrees clockwise");
    }
}

QString derivation(const DicomSource &source, JpegChange change)
{
    switch (change) {
    case JpegChange::Lossless:
        return turnWords(source.kind, source.code) + QStringLiteral(" without re-encoding");
    case JpegChange::Reencoded:
        return turnWords(source.kind, source.code)
               + QStringLiteral(", re-encoded at quality %1").arg(kReencodeQuality);
    default:
        return QString();
    }
}

} // namespace

PreparedPicture preparePicture(const DicomSource &source, const QString &clinic)
{
    PreparedPicture prepared;
    QByteArray bytes;
    prepared.outcome = readWholeFile(source.path, bytes, kMaxPictureBytes);
    if (!prepared.outcome)
        return prepared;
    DicomInstance &in = prepared.instance;
    prepared.outcome = baselineJpeg(bytes, source.kind, source.code, in.picture);
    if (!prepared.outcome) {
        if (prepared.outcome.detail.isEmpty())
            prepared.outcome.detail = source.path;
        return prepared;
    }
    const int panel = source.kind == PanelKind::Oral ? 1 : 2;
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    in.patientId = source.krNo;
    in.patientName = dicomPersonName(source.patientName);
    in.studyUid = studyUid(clinic, source.krNo, source.visitDate);
    in.seriesUid = seriesUid(clinic, source.krNo, source.visitDate, panel);
    in.sopUid = instanceUid(clinic, source.krNo, source.visitDate, panel, digest, source.code);
    in.studyDate = dicomDate(source.visitDate);
    in.studyTime = source.studyTime.toString(QStringLiteral("HHmmss"));
    in.studyId = in.studyDate;
    in.acquired = source.captured;
    in.acquiredTime = source.timeKnown;
    in.institution = clinic;
    in.seriesNumber = panel;
    in.seriesDescription = source.kind == PanelKind::Oral ? QStringLiteral("口腔内") : QStringLiteral("顔面");
    in.instanceNumber = source.position + 1;
    in.view = dicomViewById(source.viewId, source.kind);
    in.mirror = source.mirror;
    // A mirror or a flip undoes the mirror image; a rotation keeps it.
    in.mirrorCorrected = source.mirror && codeMirrors(source.kind, source.code);
    in.storedBytes = bytes.size();
    in.derivation = derivation(source, in.picture.change);
    return prepared;
}

} // namespace tolvarine
