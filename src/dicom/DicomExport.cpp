#include "dicom/DicomExport.h"

#include <algorithm>
#include <set>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcddirif.h>

#include "dicom/DicomDataset.h"
#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

const QString kDicomDirName = QStringLiteral("DICOMDIR");
// A general-purpose file-set that takes JPEG Baseline (CD, DVD and copied folders alike).
constexpr auto kProfile = DicomDirInterface::AP_GeneralPurposeDVDJPEG;
const char kFileSetId[] = "TOLVARINE";

// Media file names: at most 8 characters of A-Z, 0-9 and _, no extension.
QString relativeFolder(const DicomSource &source)
{
    return QStringLiteral("DICOM/P") + source.krNo + u'/' + dicomDate(source.visitDate);
}

QString mediaFileName(const QString &sopUid)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(sopUid.toLatin1(), QCryptographicHash::Md5).toHex().left(8).toUpper());
}

// The folders and files a run made, so that a fault can take them all back.
class MadeByRun {
public:
    void folder(const QString &path) { folders_ << path; }
    void file(const QString &path) { files_ << path; }
    void undo()
    {
        for (const QString &file : std::as_const(files_))
            removeFile(file);
        files_.clear();
        // Deepest first; a folder something else has put a file into meanwhile stays.
        for (auto it = folders_.crbegin(); it != folders_.crend(); ++it)
            QDir().rmdir(*it);
        folders_.clear();
    }
    // Folders that stayed empty (every picture of theirs failed) are not left behind either.
    void removeEmptyFolders()
    {
        for (auto it = folders_.crbegin(); it != folders_.crend(); ++it)
            QDir().rmdir(*it);
    }

private:
    QStringList folders_;
    QStringList files_;
};

// Makes folder (relative to root) and its parents, noting each one made.
Outcome makeFolders(const QString &root, const QString &relative, MadeByRun &made)
{
    QString path = root;
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = joinPath(path, part);
        if (QFileInfo(path).isDir())
            continue;
        if (!QDir().mkdir(path))
            return Outcome::failed(Status::WriteFailed, path, errno);
        made.folder(path);
    }
    return Outcome::done();
}

struct Written {
    Outcome outcome;      // not ok: this picture failed
    Outcome fault;        // not ok: the run has to stop and be taken back
    QString relative;     // the file, relative to the folder
    QString published;    // the file when this run made it
    bool skipped = false; // the same file was there already
    JpegChange change = JpegChange::None;
};

Written writeOne(const DicomSource &source, const QString &clinic, const QString &root)
{
    Written w;
    const PreparedPicture prepared = preparePicture(source, clinic);
    if (!(w.outcome = prepared.outcome))
        return w;
    w.change = prepared.instance.picture.change;
    QByteArray bytes;
    if (!(w.outcome = encodeDicomFile(prepared.instance, bytes)))
        return w;
    w.relative = relativeFolder(source) + u'/' + mediaFileName(prepared.instance.sopUid);
    const QString target = joinPath(root, w.relative);
    if (QFileInfo::exists(target)) {
        QByteArray there;
        if (readWholeFile(target, there, bytes.size() + 1) && there == bytes)
            w.skipped = true;
        else
            w.outcome = Outcome::failed(Status::NameTaken, target);
        return w;
    }
    StagedFile file;
    Outcome step = file.create(QFileInfo(target).absolutePath());
    if (step)
        step = file.write(bytes.constData(), bytes.size());
    if (step)
        step = file.publishNew(target);
    if (step.status == Status::NameTaken)
        w.outcome = step; // another picture of the run has the same bytes and took the name
    else if (!step)
        w.fault = step;
    else
        w.published = target;
    return w;
}

// The DICOMDIR being made, in a folder of its own until it is complete.
class DicomDirDraft {
public:
    Outcome open(const QString &existing)
    {
        if (!work_.isValid())
            return Outcome::failed(Status::WriteFailed, work_.path());
        path_ = work_.filePath(kDicomDirName);
        dir_.disableBackupMode();
        OFCondition opened;
        if (existing.isEmpty()) {
            opened =
                dir_.createNewDicomDir(kProfile, OFFilename(path_.toLocal8Bit().constData()), kFileSetId);
        } else {
            QByteArray bytes;
            if (Outcome read = readWholeFile(existing, bytes, kMaxPictureBytes); !read)
                return read;
            QFile copy(path_);
            if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.flush())
                return Outcome::failed(Status::WriteFailed, path_);
            copy.close();
            opened = dir_.updateDicomDir(kProfile, OFFilename(path_.toLocal8Bit().constData()));
        }
        if (opened.bad())
            return Outcome::failed(Status::Damaged, existing.isEmpty() ? conditionText(opened)
                                                                       : existing + QStringLiteral(": ")
                                                                             + conditionText(opened));
        return Outcome::done();
    }
    Outcome add(const QString &root, const QString &relative)
    {
        const OFCondition added = dir_.addDicomFile(OFFilename(relative.toLocal8Bit().constData()),
                                                    OFFilename(root.toLocal8Bit().constData()));
        if (added.bad())
            return Outcome::failed(Status::Invalid, relative + QStringLiteral(": ") + conditionText(added));
        return Outcome::done();
    }
    Outcome finish(QByteArray &bytes)
    {
        const OFCondition written = dir_.writeDicomDir();
        if (written.bad())
            return Outcome::failed(Status::Invalid, conditionText(written));
        return readWholeFile(path_, bytes, kMaxPictureBytes);
    }

private:
    QTemporaryDir work_;
    QString path_;
    DicomDirInterface dir_;
};

} // namespace

QString existingDicomDir(const QString &folder)
{
    return resolveCaseInsensitive(joinPath(folder, kDicomDirName));
}

DicomSummary exportToFolder(const DicomPlan &plan, const QString &clinic, const QString &root,
                            ExistingDicomDir existing, const DicomProgress &progress)
{
    DicomSummary summary;
    if (!(summary.job = dicomLibraryReady()))
        return summary;
    if (root.isEmpty() || !QFileInfo(root).isDir()) {
        summary.job = Outcome::failed(Status::FolderMissing, root);
        return summary;
    }
    const QString oldDicomDir = existingDicomDir(root);
    if (!oldDicomDir.isEmpty() && existing == ExistingDicomDir::Refuse) {
        summary.job = Outcome::failed(Status::NameTaken, oldDicomDir);
        return summary;
    }
    DicomDirDraft draft;
    if (!(summary.job = draft.open(oldDicomDir)))
        return summary;

    MadeByRun made;
    auto fail = [&](const Outcome &fault) {
        made.undo();
        summary.job = fault;
        summary.done = summary.turned = summary.reencoded = 0;
        return summary;
    };
    std::set<QString> folders;
    for (const DicomSource &source : plan.pictures)
        folders.insert(relativeFolder(source));
    for (const QString &folder : folders) {
        if (Outcome madeFolder = makeFolders(root, folder, made); !madeFolder)
            return fail(madeFolder);
    }

    QStringList listed; // the files the DICOMDIR is to list
    const int total = int(plan.pictures.size());
    const int batch = std::max(1, QThreadPool::globalInstance()->maxThreadCount());
    for (int from = 0; from < total; from += batch) {
        QList<int> indexes;
        for (int i = from; i < std::min(total, from + batch); ++i)
            indexes << i;
        const QList<Written> results = QtConcurrent::blockingMapped<QList<Written>>(
            indexes, [&](int i) { return writeOne(plan.pictures[size_t(i)], clinic, root); });
        Outcome fault;
        for (int k = 0; k < results.size(); ++k) {
            const Written &w = results.at(k);
            const DicomSource &source = plan.pictures[size_t(indexes.at(k))];
            if (!w.published.isEmpty())
                made.file(w.published);
            if (!w.fault)
                fault = w.fault;
            else if (!w.outcome)
                summary.failures.push_back({source.path, w.outcome});
            else if (w.skipped)
                ++summary.skipped, listed << w.relative;
            else {
                ++summary.done, listed << w.relative;
                summary.turned += w.change == JpegChange::Lossless;
                summary.reencoded += w.change == JpegChange::Reencoded;
            }
        }
        if (!fault)
            return fail(fault);
        const int finished = from + int(indexes.size());
        if (progress && !progress(finished, total, plan.pictures[size_t(finished - 1)].path)) {
            made.undo();
            summary.cancelled = true;
            summary.skipped = total - int(summary.failures.size());
            summary.done = summary.turned = summary.reencoded = 0;
            return summary;
        }
    }
    if (listed.isEmpty()) {
        made.removeEmptyFolders();
        return summary;
    }

    for (const QString &relative : std::as_const(listed)) {
        if (Outcome added = draft.add(root, relative); !added)
            return fail(added);
    }
    QByteArray dicomDir;
    if (Outcome finished = draft.finish(dicomDir); !finished)
        return fail(finished);
    Outcome published;
    if (oldDicomDir.isEmpty()) {
        StagedFile file;
        published = file.create(root);
        if (published)
            published = file.write(dicomDir.constData(), dicomDir.size());
        if (published)
            published = file.publishNew(joinPath(root, kDicomDirName));
    } else {
        published = writeFileAtomically(oldDicomDir, dicomDir);
    }
    if (!published)
        return fail(published);
    made.removeEmptyFolders();
    return summary;
}

} // namespace tolvarine
