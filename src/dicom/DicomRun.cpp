#include "dicom/DicomRun.h"

#include <algorithm>

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QFileInfo>

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

// What names a picture's content: its size and its first and last 64 KiB, which hold
// its metadata (the capture time to the second) and the start and end of its
// compressed data. Hashing the whole file would cost more than writing it; two
// pictures of a visit that still come out equal are told apart by their order.
QByteArray contentDigest(const QByteArray &bytes)
{
    constexpr qsizetype kSample = 64 * 1024;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(bytes.size()));
    hash.addData(QByteArrayView(bytes).first(std::min(kSample, bytes.size())));
    hash.addData(QByteArrayView(bytes).last(std::min(kSample, bytes.size())));
    return hash.result();
}

} // namespace

std::vector<std::pair<size_t, size_t>> visitRanges(const DicomPlan &plan)
{
    std::vector<std::pair<size_t, size_t>> ranges;
    const auto &p = plan.pictures;
    for (size_t first = 0; first < p.size();) {
        size_t end = first + 1;
        while (end < p.size() && p[end].krNo == p[first].krNo && p[end].visitDate == p[first].visitDate)
            ++end;
        ranges.emplace_back(first, end);
        first = end;
    }
    return ranges;
}

VisitReading::VisitReading(const DicomPlan &plan, size_t first, size_t end)
    : plan_(plan), first_(first), digests_(end - first)
{
    for (size_t i = first; i < end; ++i)
        sizes_.push_back(QFileInfo(plan.pictures[i].path).size());
    for (auto &digest : digests_)
        known_.push_back(digest.get_future().share());
}

ReadPicture VisitReading::read(size_t i)
{
    const size_t k = i - first_;
    const DicomSource &source = plan_.pictures[i];
    ReadPicture r;
    r.outcome = readWholeFile(source.path, r.bytes, kMaxPictureBytes);
    if (r.outcome)
        r.digest = contentDigest(r.bytes);
    digests_[k].set_value(r.digest);
    if (!r.outcome)
        return r;
    for (size_t j = 0; j < k; ++j) {
        const DicomSource &earlier = plan_.pictures[first_ + j];
        if (sizes_[j] == sizes_[k] && earlier.kind == source.kind && earlier.code == source.code
            && known_[j].get() == r.digest)
            ++r.occurrence;
    }
    return r;
}

PreparedPicture preparePicture(const DicomSource &source, const ReadPicture &read, const QString &clinic)
{
    PreparedPicture prepared;
    prepared.outcome = read.outcome;
    if (!prepared.outcome)
        return prepared;
    const QByteArray &bytes = read.bytes;
    DicomInstance &in = prepared.instance;
    prepared.outcome = baselineJpeg(bytes, source.kind, source.code, in.picture);
    if (!prepared.outcome) {
        if (prepared.outcome.detail.isEmpty())
            prepared.outcome.detail = source.path;
        return prepared;
    }
    const int panel = source.kind == PanelKind::Oral ? 1 : 2;
    in.patientId = source.krNo;
    in.patientName = dicomPersonName(source.patientName);
    in.studyUid = studyUid(clinic, source.krNo, source.visitDate);
    in.seriesUid = seriesUid(clinic, source.krNo, source.visitDate, panel);
    in.sopUid =
        instanceUid(clinic, source.krNo, source.visitDate, panel, read.digest, source.code, read.occurrence);
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
