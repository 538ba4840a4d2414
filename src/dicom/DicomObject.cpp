#include "dicom/DicomObject.h"

#include <optional>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/dcmdata/dcostrma.h>
#include <dcmtk/dcmdata/dcostrmb.h>
#include <dcmtk/dcmdata/dcpixel.h>
#include <dcmtk/dcmdata/dcpixseq.h>
#include <dcmtk/dcmdata/dcpxitem.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/oflog/oflog.h>

#include "dicom/DicomDataset.h"
#include "settings/Version.h"

namespace tolvarine {

namespace {

// Puts values into a dataset and keeps the first refusal, so that the object is
// built as a list of lines and checked once.
class Putter {
public:
    explicit Putter(DcmItem &item) : item_(item) {}

    void text(const DcmTagKey &tag, const QString &value)
    {
        take(item_.putAndInsertString(tag, value.toUtf8().constData()));
    }
    void text(const DcmTagKey &tag, const char *value) { take(item_.putAndInsertString(tag, value)); }
    void number(const DcmTagKey &tag, Uint16 value) { take(item_.putAndInsertUint16(tag, value)); }
    // An item appended to a sequence of the dataset (the sequence made if needed).
    DcmItem *newItem(const DcmTagKey &sequence)
    {
        DcmItem *item = nullptr;
        take(item_.findOrCreateSequenceItem(sequence, item, -2));
        return item;
    }
    void emptySequence(const DcmTagKey &sequence) { take(item_.insertEmptyElement(sequence)); }
    // One coded concept as an item of the sequence; the item, for nested sequences.
    DcmItem *code(const DcmTagKey &sequence, const DicomCode &code)
    {
        DcmItem *item = newItem(sequence);
        if (item) {
            Putter in(*item);
            in.text(DCM_CodeValue, code.value);
            in.text(DCM_CodingSchemeDesignator, code.scheme);
            in.text(DCM_CodeMeaning, code.meaning);
            take(in.result());
        }
        return item;
    }
    void take(const OFCondition &condition)
    {
        if (result_.good() && condition.bad())
            result_ = condition;
    }
    OFCondition result() const { return result_; }

private:
    DcmItem &item_;
    OFCondition result_ = EC_Normal;
};

// dcmtk's output into a staged file, so that the picture goes from dcmtk's element
// to the file without another copy.
class StagedConsumer : public DcmConsumer {
public:
    explicit StagedConsumer(StagedFile &file) : file_(file) {}
    OFBool good() const override { return failure_.ok(); }
    OFCondition status() const override { return failure_.ok() ? EC_Normal : EC_InvalidStream; }
    OFBool isFlushed() const override { return OFTrue; }
    offile_off_t avail() const override { return failure_.ok() ? offile_off_t(1) << 30 : 0; }
    offile_off_t write(const void *buffer, offile_off_t length) override
    {
        if (failure_.ok())
            failure_ = file_.write(static_cast<const char *>(buffer), qint64(length));
        return failure_.ok() ? length : 0;
    }
    void flush() override {}
    const Outcome &failure() const { return failure_; }

private:
    StagedFile &file_;
    Outcome failure_;
};

class StagedStream : public DcmOutputStream {
public:
    explicit StagedStream(DcmConsumer *consumer) : DcmOutputStream(consumer) {}
};

// A pixel item whose value stays in the picture's own bytes: writing an object
// out then costs no copy of the picture, which is most of the object. Its value
// cannot be read back or transcoded, so only objects that are written and then
// dropped hold one; a clone is an ordinary item with a copy.
class SharedFragment : public DcmPixelItem {
public:
    explicit SharedFragment(const QByteArray &bytes) : DcmPixelItem(DcmTag(DCM_PixelItemTag)), bytes_(bytes)
    {
        // An odd value gets the zero pad byte dcmtk gives it.
        setLengthField(Uint32(bytes.size() + (bytes.size() & 1)));
    }

    DcmObject *clone() const override
    {
        auto *copy = new DcmPixelItem(DcmTag(DCM_PixelItemTag));
        copy->putUint8Array(reinterpret_cast<const Uint8 *>(bytes_.constData()),
                            static_cast<unsigned long>(bytes_.size()));
        return copy;
    }

    // dcmtk's protocol: tag and length once, then as much of the value as the stream
    // takes, EC_StreamNotifyClient while some is left.
    OFCondition write(DcmOutputStream &out, const E_TransferSyntax oxfer, const E_EncodingType,
                      DcmWriteCache *) override
    {
        if (getTransferState() == ERW_notInitialized)
            return errorFlag = EC_IllegalCall;
        errorFlag = out.status();
        if (errorFlag.bad() || getTransferState() == ERW_ready)
            return errorFlag;
        if (getTransferState() == ERW_init) {
            if (out.avail() < offile_off_t(getTagAndLengthSize(oxfer)))
                return errorFlag = EC_StreamNotifyClient;
            Uint32 written = 0;
            if ((errorFlag = writeTagAndLength(out, oxfer, written)).bad())
                return errorFlag;
            setTransferState(ERW_inWork);
            setTransferredBytes(0);
        }
        static const char pad = 0;
        const auto size = Uint32(bytes_.size());
        while (getTransferredBytes() < getLengthField()) {
            const Uint32 at = getTransferredBytes();
            const char *from = at < size ? bytes_.constData() + at : &pad;
            const Uint32 left = at < size ? size - at : 1;
            const auto taken = Uint32(out.write(from, offile_off_t(left)));
            incTransferredBytes(taken);
            if ((errorFlag = out.status()).bad())
                return errorFlag;
            if (taken < left)
                return errorFlag = EC_StreamNotifyClient;
        }
        setTransferState(ERW_ready);
        return errorFlag;
    }

    OFCondition writeSignatureFormat(DcmOutputStream &out, const E_TransferSyntax oxfer,
                                     const E_EncodingType enctype, DcmWriteCache *cache) override
    {
        return write(out, oxfer, enctype, cache);
    }

private:
    QByteArray bytes_;
};

QString ratioText(double ratio) { return QString::number(ratio, 'f', 2); }

// The photometric interpretation DICOM names for JPEG data of this colour form.
const char *photometric(const JpegFrame &frame)
{
    switch (frame.colour) {
    case JpegFrame::Colour::Grey:
        return "MONOCHROME2";
    case JpegFrame::Colour::Rgb:
        return "RGB";
    default:
        return frame.subsampled ? "YBR_FULL_422" : "YBR_FULL";
    }
}

// A coded concept with a modifier sequence inside its item.
void putModified(Putter &put, const DcmTagKey &sequence, const DicomCode &code,
                 const DcmTagKey &modifierSequence, const std::optional<DicomCode> &modifier)
{
    DcmItem *item = put.code(sequence, code);
    if (item && modifier) {
        Putter inner(*item);
        inner.code(modifierSequence, *modifier);
        put.take(inner.result());
    }
}

void putView(Putter &put, const DicomInstance &in)
{
    const DicomView *view = in.view;
    if (view) {
        putModified(put, DCM_AnatomicRegionSequence, view->region, DCM_AnatomicRegionModifierSequence,
                    view->regionModifier);
        if (view->structure)
            putModified(put, DCM_PrimaryAnatomicStructureSequence, *view->structure,
                        DCM_PrimaryAnatomicStructureModifierSequence, view->structureModifier);
        DcmItem *viewItem = put.code(DCM_ViewCodeSequence, view->view);
        if (viewItem) {
            Putter inner(*viewItem);
            if (in.mirror)
                inner.code(DCM_ViewModifierCodeSequence, mirrorModifier(in.mirrorCorrected));
            else
                inner.emptySequence(DCM_ViewModifierCodeSequence);
            put.take(inner.result());
        }
    }
    // The acquisition context is required, empty when nothing is known.
    const std::vector<DicomContextItem> none;
    const std::vector<DicomContextItem> &context = view ? view->context : none;
    if (context.empty())
        put.emptySequence(DCM_AcquisitionContextSequence);
    for (const DicomContextItem &observed : context) {
        DcmItem *item = put.newItem(DCM_AcquisitionContextSequence);
        if (!item)
            continue;
        Putter inner(*item);
        inner.text(DCM_ValueType, "CODE");
        inner.code(DCM_ConceptNameCodeSequence, observed.name);
        inner.code(DCM_ConceptCodeSequence, observed.value);
        put.take(inner.result());
    }
    // The upright orientation holds only when the picture is not still mirror-imaged.
    const bool upright = view && (!in.mirror || in.mirrorCorrected);
    put.text(DCM_PatientOrientation, upright ? view->orientation : "");
    if (in.mirror)
        put.code(DCM_DeviceSequence, mirrorDevice());
}

void putPixels(Putter &put, DcmDataset &dataset, const DicomInstance &in, PictureHold hold)
{
    const JpegFrame &frame = in.picture.frame;
    const bool grey = frame.colour == JpegFrame::Colour::Grey;
    put.number(DCM_SamplesPerPixel, grey ? 1 : 3);
    put.text(DCM_PhotometricInterpretation, photometric(frame));
    if (!grey)
        put.number(DCM_PlanarConfiguration, 0);
    put.number(DCM_Rows, Uint16(frame.height));
    put.number(DCM_Columns, Uint16(frame.width));
    put.number(DCM_BitsAllocated, 8);
    put.number(DCM_BitsStored, 8);
    put.number(DCM_HighBit, 7);
    put.number(DCM_PixelRepresentation, 0);

    // Every JPEG step counts: the camera's, and ours when the picture was encoded again.
    const double raw = double(frame.width) * frame.height * (grey ? 1 : 3);
    QStringList ratios, methods;
    if (in.storedBytes > 0) {
        ratios << ratioText(raw / double(in.storedBytes));
        methods << QStringLiteral("ISO_10918_1");
    }
    if (in.picture.change == JpegChange::Reencoded && !in.picture.jpeg.isEmpty()) {
        ratios << ratioText(raw / double(in.picture.jpeg.size()));
        methods << QStringLiteral("ISO_10918_1");
    }
    put.text(DCM_LossyImageCompression, "01");
    put.text(DCM_LossyImageCompressionRatio, ratios.join(u'\\'));
    put.text(DCM_LossyImageCompressionMethod, methods.join(u'\\'));

    auto *sequence = new DcmPixelSequence(DCM_PixelSequenceTag);
    sequence->insert(new DcmPixelItem(DCM_PixelItemTag)); // the (empty) offset table
    if (hold == PictureHold::Share) {
        sequence->insert(new SharedFragment(in.picture.jpeg));
    } else {
        DcmOffsetList offsets;
        put.take(sequence->storeCompressedFrame(
            offsets, reinterpret_cast<Uint8 *>(const_cast<char *>(in.picture.jpeg.constData())),
            Uint32(in.picture.jpeg.size()), 0));
    }
    auto *pixels = new DcmPixelData(DCM_PixelData);
    pixels->putOriginalRepresentation(EXS_JPEGProcess1, nullptr, sequence);
    put.take(dataset.insert(pixels, true));
}

} // namespace

QString conditionText(const OFCondition &condition) { return QString::fromLocal8Bit(condition.text()); }

std::unique_ptr<DcmFileFormat> makeDicomObject(const DicomInstance &in, QString &error, PictureHold hold)
{
    auto file = std::make_unique<DcmFileFormat>();
    DcmDataset &dataset = *file->getDataset();
    Putter put(dataset);
    put.text(DCM_SpecificCharacterSet, "ISO_IR 192");
    put.text(DCM_SOPClassUID, UID_VLPhotographicImageStorage);
    put.text(DCM_SOPInstanceUID, in.sopUid);
    put.text(DCM_ImageType, "ORIGINAL\\PRIMARY");

    put.text(DCM_PatientName, in.patientName);
    put.text(DCM_PatientID, in.patientId);
    put.text(DCM_PatientBirthDate, "");
    put.text(DCM_PatientSex, "");

    put.text(DCM_StudyInstanceUID, in.studyUid);
    put.text(DCM_StudyDate, in.studyDate);
    put.text(DCM_StudyTime, in.studyTime);
    put.text(DCM_ReferringPhysicianName, "");
    put.text(DCM_StudyID, in.studyId);
    put.text(DCM_AccessionNumber, "");

    put.text(DCM_Modality, "XC");
    put.text(DCM_SeriesInstanceUID, in.seriesUid);
    put.text(DCM_SeriesNumber, QString::number(in.seriesNumber));
    put.text(DCM_SeriesDescription, in.seriesDescription);

    put.text(DCM_Manufacturer, "");
    put.text(DCM_InstitutionName, in.institution);
    put.text(
        DCM_SoftwareVersions,
        QStringLiteral("Tolvarine %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));

    const QString date = in.acquired.date().toString(QStringLiteral("yyyyMMdd"));
    put.text(DCM_AcquisitionDate, date);
    put.text(DCM_ContentDate, date);
    if (in.acquiredTime) {
        const QString time = in.acquired.time().toString(QStringLiteral("HHmmss"));
        put.text(DCM_AcquisitionTime, time);
        put.text(DCM_ContentTime, time);
        put.text(DCM_AcquisitionDateTime, date + time);
    } else {
        put.text(DCM_AcquisitionDateTime, date);
        put.text(DCM_ContentTime, "");
    }

    put.text(DCM_InstanceNumber, QString::number(in.instanceNumber));
    put.text(DCM_ImageLaterality, "U");
    if (!in.derivation.isEmpty())
        put.text(DCM_DerivationDescription, in.derivation);
    putView(put, in);
    putPixels(put, dataset, in, hold);

    if (put.result().bad()) {
        error = conditionText(put.result());
        return nullptr;
    }
    return file;
}

Outcome encodeDicomFile(const DicomInstance &instance, QByteArray &out)
{
    QString error;
    const std::unique_ptr<DcmFileFormat> file = makeDicomObject(instance, error, PictureHold::Share);
    if (!file)
        return Outcome::failed(Status::Invalid, error);
    out.clear();
    out.reserve(instance.picture.jpeg.size() + 8192);
    std::vector<char> buffer(1 << 20);
    DcmOutputBufferStream stream(buffer.data(), offile_off_t(buffer.size()));
    file->transferInit();
    OFCondition written;
    do {
        written = file->write(stream, EXS_JPEGProcess1, EET_ExplicitLength, nullptr);
        void *data = nullptr;
        offile_off_t length = 0;
        stream.flushBuffer(data, length);
        out.append(static_cast<const char *>(data), qsizetype(length));
    } while (written == EC_StreamNotifyClient);
    file->transferEnd();
    if (written.bad())
        return Outcome::failed(Status::Invalid, conditionText(written));
    return Outcome::done();
}

Outcome writeDicomFile(const DicomInstance &instance, StagedFile &staged)
{
    QString error;
    const std::unique_ptr<DcmFileFormat> file = makeDicomObject(instance, error, PictureHold::Share);
    if (!file)
        return Outcome::failed(Status::Invalid, error);
    StagedConsumer consumer(staged);
    StagedStream stream(&consumer);
    file->transferInit();
    const OFCondition written = file->write(stream, EXS_JPEGProcess1, EET_ExplicitLength, nullptr);
    file->transferEnd();
    if (!consumer.failure())
        return consumer.failure();
    if (written.bad())
        return Outcome::failed(Status::Invalid, conditionText(written));
    return Outcome::done();
}

QString dicomFileInstanceUid(const QString &path)
{
    DcmFileFormat file;
    OFString uid;
    // Only the leading elements are wanted: large values stay on the disk.
    if (file.loadFile(path.toLocal8Bit().constData(), EXS_Unknown, EGL_noChange, 4096).bad()
        || file.getDataset()->findAndGetOFString(DCM_SOPInstanceUID, uid).bad())
        return QString();
    return QString::fromLatin1(uid.c_str());
}

QString dicomPersonName(const QString &name)
{
    // The separators of a person name's components and groups, and DICOM's value
    // separator, cannot stand in a name; they become blanks.
    QString text = name;
    for (const QChar separator : {QChar(0x3000), QChar(u'^'), QChar(u'='), QChar(u'\\')})
        text.replace(separator, u' ');
    text = text.simplified();
    const qsizetype at = text.indexOf(u' ');
    return at < 0 ? text : text.left(at) + u'^' + text.mid(at + 1);
}

QString dicomDate(const QString &visitDate)
{
    const QDate date = QDate::fromString(visitDate, QStringLiteral("yyyy/MM/dd"));
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

Outcome dicomLibraryReady()
{
    // dcmtk's own log would otherwise talk on standard error inside a window program.
    OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
    if (!dcmDataDict.isDictionaryLoaded())
        return Outcome::failed(Status::Refused, QStringLiteral("dcmtk has no data dictionary"));
    return Outcome::done();
}

} // namespace tolvarine
