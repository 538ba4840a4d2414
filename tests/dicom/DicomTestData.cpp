#include "DicomTestData.h"

#include <QDir>
#include <QDirIterator>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdicdir.h>
#include <dcmtk/dcmdata/dcdicent.h>
#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcpixel.h>
#include <dcmtk/dcmdata/dcpixseq.h>
#include <dcmtk/dcmdata/dcpxitem.h>

#include "dicom/DicomPlan.h"
#include "platform/FileSystem.h"
#include "store/NameFile.h"
#include "store/StorePaths.h"
#include "support/StoreTestData.h"

namespace tolvarine::test {

VisitStore::VisitStore(const Sandbox &box, int oralCount, int faceCount)
    : pictFolda(box.mkdir(QStringLiteral("store"))),
      patient(patientFolder(pictFolda, QStringLiteral("00123")))
{
    for (int i = 0; i < oralCount; ++i)
        oral << writePicture(joinPath(patient, QStringLiteral("IMG_%1.jpg").arg(i + 1, 4, 10, QChar('0'))),
                             day, i * 40, 96, 64);
    for (int i = 0; i < faceCount; ++i)
        face << writePicture(
            joinPath(faceFolder(patient), QStringLiteral("IMG_%1.jpg").arg(i + 8, 4, 10, QChar('0'))), day,
            400 + i * 40, 96, 64);
    writePatientName(nameFilePath(patient), QStringLiteral("山田 花子"));
    settings.PictFolda = pictFolda;
    settings.Dicom.OralView = {"IV-07", "IV-01", "IV-18", "IV-24", "IV-26", "IV-10", ""};
    settings.Dicom.FaceView = {"EV-15", "EV-19", "EV-01", "EV-22", "EV-08"};
    settings.PictSyori = {0, 2, 0, 1, 3, 0, 0};
    settings.FacePictSyori = {0, 0, 4, 5, 0};
    settings.Dicom.OralMirror = {0, 1, 0, 1, 0, 0, 0};
}

DicomPlan VisitStore::plan() const
{
    DicomPlan plan;
    patientPlan(pictFolda, QStringLiteral("00123"), visitDate(), settings, plan);
    return plan;
}

namespace {

DcmTagKey tagNamed(const char *name)
{
    const DcmDictEntry *entry = dcmDataDict.rdlock().findEntry(name);
    const DcmTagKey key = entry ? entry->getKey() : DcmTagKey();
    dcmDataDict.rdunlock();
    return key;
}

} // namespace

QString codeIn(const QString &path, const char *sequence, const char *inner)
{
    DcmFileFormat file;
    DcmItem *item = nullptr;
    if (file.loadFile(path.toLocal8Bit().constData()).bad()
        || file.getDataset()->findAndGetSequenceItem(tagNamed(sequence), item, 0).bad())
        return QString();
    if (inner && item->findAndGetSequenceItem(tagNamed(inner), item, 0).bad())
        return QString();
    OFString value;
    item->findAndGetOFString(DCM_CodeValue, value);
    return QString::fromLatin1(value.c_str());
}

QString dicomText(const QString &path, const char *tagName)
{
    const DcmTagKey key = tagNamed(tagName);
    DcmFileFormat file;
    OFString value;
    if (file.loadFile(path.toLocal8Bit().constData()).bad()
        || file.getDataset()->findAndGetOFStringArray(key, value, OFTrue).bad())
        return QString();
    return QString::fromUtf8(value.c_str());
}

QByteArray firstFragment(const QString &path, qsizetype realSize)
{
    DcmFileFormat file;
    DcmElement *element = nullptr;
    if (file.loadFile(path.toLocal8Bit().constData()).bad()
        || file.getDataset()->findAndGetElement(DCM_PixelData, element).bad())
        return {};
    auto *pixels = static_cast<DcmPixelData *>(element);
    DcmPixelSequence *sequence = nullptr;
    E_TransferSyntax xfer = EXS_JPEGProcess1;
    if (pixels->getEncapsulatedRepresentation(xfer, nullptr, sequence).bad() || !sequence)
        return {};
    DcmPixelItem *item = nullptr;
    Uint8 *data = nullptr;
    if (sequence->getItem(item, 1).bad() || item->getUint8Array(data).bad() || !data)
        return {};
    const qsizetype length = qsizetype(item->getLength());
    // An odd-length stream is padded to even length with one zero byte.
    return QByteArray(reinterpret_cast<const char *>(data), length == realSize + 1 ? realSize : length);
}

QStringList dicomDirFiles(const QString &dicomDir)
{
    QStringList files;
    DcmDicomDir dir(dicomDir.toLocal8Bit().constData());
    DcmDirectoryRecord &root = dir.getRootRecord();
    std::function<void(DcmDirectoryRecord &)> walk = [&](DcmDirectoryRecord &record) {
        for (unsigned long i = 0; i < record.cardSub(); ++i) {
            DcmDirectoryRecord *child = record.getSub(i);
            OFString id;
            if (child->findAndGetOFStringArray(DCM_ReferencedFileID, id).good())
                files << QString::fromLatin1(id.c_str()).replace(u'\\', u'/');
            walk(*child);
        }
    };
    walk(root);
    files.sort();
    return files;
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace tolvarine::test
