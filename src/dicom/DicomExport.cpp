#include "dicom/DicomExport.h"

#include <algorithm>
#include <atomic>
#include <set>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMutex>
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

// The folders and files a run made, and the files it replaced, so that a fault can
// take it all back.
class MadeByRun {
public:
    void folder(const QString &path) { folders_ << path; }
    void file(const QString &path) { files_ << path; }
    // A file replaced by this run; its former content waits under the backup name.
    void replaced(const QString &path, const QString &backup) { replaced_.push_back({path, backup}); }
    void undo()
    {
        for (const QString &file : std::as_const(files_))
            removeFile(file);
        for (const auto &[path, backup] : replaced_) {
            removeFile(path);
            renameNoReplace(backup, path);
        }
        files_.clear();
        replaced_.clear();
        removeEmptyFolders();
        folders_.clear();
    }
    // The run is through: the former contents of replaced files go.
    void commit()
    {
        for (const auto &replaced : replaced_)
            removeFile(replaced.second);
        replaced_.clear();
        removeEmptyFolders();
    }

private:
    // Deepest first; a folder that holds anything (another program's file) stays.
    void removeEmptyFolders()
    {
        for (auto it = folders_.crbegin(); it != folders_.crend(); ++it)
            QDir().rmdir(*it);
    }

    QStringList folders_;
    QStringList files_;
    std::vector<std::pair<QString, QString>> replaced_;
};

// Makes folder (relative to root) and its parents, noting each one made.
Outcome makeFolders(const QString &root, const QString &relative, MadeByRun &made)
{
    QString path = root;
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = joinPath(path, part);
        const Outcome step = makeFolder(path);
        if (!step)
            return step;
        if (step.status != Status::Unchanged)
            made.folder(path);
    }
    return Outcome::done();
}

struct Written {
    Outcome outcome;      // not ok: this picture failed
    Outcome fault;        // not ok: the run has to stop and be taken back
    QString relative;     // the file, relative to the folder
    QString published;    // the file when this run made or replaced it
    QString backup;       // the replaced file's former content
    bool skipped = false; // the same file was there already
    JpegChange change = JpegChange::None;
};

// A file already at the name: the same bytes are skipped; the same picture described
// anew (another view assigned since) is replaced, its former content kept aside until
// the run is through; anything else is never touched.
Written writeOne(const DicomSource &source, const ReadPicture &read, const QString &clinic,
                 const QString &root)
{
    Written w;
    const PreparedPicture prepared = preparePicture(source, read, clinic);
    if (!(w.outcome = prepared.outcome))
        return w;
    w.change = prepared.instance.picture.change;
    w.relative = relativeFolder(source) + u'/' + mediaFileName(prepared.instance.sopUid);
    const QString target = joinPath(root, w.relative);
    const QString folder = QFileInfo(target).absolutePath();
    const bool exists = QFileInfo::exists(target);
    if (exists) {
        QByteArray bytes, there;
        if (!(w.outcome = encodeDicomFile(prepared.instance, bytes)))
            return w;
        if (readWholeFile(target, there, bytes.size() + 1) && there == bytes) {
            w.skipped = true;
            return w;
        }
        if (dicomFileInstanceUid(target) != prepared.instance.sopUid) {
            w.outcome = Outcome::failed(Status::NameTaken, target);
            return w;
        }
    }
    StagedFile file;
    Outcome step = file.create(folder);
    if (step) {
        step = writeDicomFile(prepared.instance, file);
        if (step.status == Status::Invalid) {
            w.outcome = step; // dcmtk refused a value of this picture
            return w;
        }
    }
    if (step && exists) {
        w.backup = joinPath(folder, QStringLiteral(".tolvarine-%1.old").arg(mediaFileName(target)));
        step = renameNoReplace(target, w.backup);
        if (!step)
            w.backup.clear();
    }
    if (step)
        step = file.publishNew(target);
    if (step.status == Status::NameTaken && !exists)
        w.outcome = step; // another picture of the run has the same identifier and took the name
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
    QMutex told;
    int finished = 0;
    std::atomic<bool> stop{false};
    for (const auto &[first, end] : visitRanges(plan)) {
        VisitReading reading(plan, first, end);
        QList<size_t> indexes;
        for (size_t i = first; i < end; ++i)
            indexes << i;
        const QList<Written> results = QtConcurrent::blockingMapped<QList<Written>>(indexes, [&](size_t i) {
            // Read even when stopped: later pictures may be waiting to compare bytes with it.
            const ReadPicture read = reading.read(i);
            if (stop)
                return Written{};
            Written w = writeOne(plan.pictures[i], read, clinic, root);
            const QMutexLocker lock(&told);
            if (progress && !progress(++finished, total, plan.pictures[i].path))
                stop = true;
            return w;
        });
        Outcome fault;
        for (int k = 0; k < results.size(); ++k) {
            const Written &w = results.at(k);
            const DicomSource &source = plan.pictures[indexes.at(k)];
            if (!w.backup.isEmpty())
                made.replaced(w.published.isEmpty() ? joinPath(root, w.relative) : w.published, w.backup);
            else if (!w.published.isEmpty())
                made.file(w.published);
            if (!w.fault)
                fault = w.fault;
            else if (!w.outcome)
                summary.failures.push_back({source.path, w.outcome});
            else if (w.skipped)
                ++summary.skipped, listed << w.relative;
            else if (!w.relative.isEmpty()) {
                ++summary.done, listed << w.relative;
                summary.turned += w.change == JpegChange::Lossless;
                summary.reencoded += w.change == JpegChange::Reencoded;
            }
        }
        if (!fault)
            return fail(fault);
        if (stop) {
            made.undo();
            summary.cancelled = true;
            summary.skipped = total - int(summary.failures.size());
            summary.done = summary.turned = summary.reencoded = 0;
            return summary;
        }
    }
    if (listed.isEmpty()) {
        made.commit();
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
    made.commit();
    return summary;
}

} // namespace tolvarine
