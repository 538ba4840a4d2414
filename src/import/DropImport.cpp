#include "import/DropImport.h"

#include <algorithm>
#include <utility>

#include <QFileInfo>

#include "platform/FileSystem.h"
#include "store/PatientNumber.h"
#include "store/StoreCopy.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

template <typename F, typename... Args> void call(const F &f, Args &&...args)
{
    if (f)
        f(std::forward<Args>(args)...);
}

class RunningFlag {
public:
    explicit RunningFlag(bool &flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }

private:
    bool &flag_;
};

int16_t toInt16(int value) { return int16_t(std::clamp(value, 0, 32767)); }

// The bar ends where the index of the last file ends: with seven files at 6, as
// the window was drawn for, and with more files further on.
int16_t progressMaximum(int fileCount) { return toInt16(std::max(1, fileCount - 1)); }

ImportFailureReason failureReason(Status status)
{
    switch (status) {
    case Status::Missing:
        return ImportFailureReason::Missing;
    case Status::IsFolder:
        return ImportFailureReason::Folder;
    case Status::Unreadable:
        return ImportFailureReason::Unreadable;
    case Status::FolderMissing:
        return ImportFailureReason::TargetFolder;
    case Status::NoFreeName:
        return ImportFailureReason::NoFreeName;
    default:
        break;
    }
    return ImportFailureReason::WriteFailed;
}

} // namespace

QString importNameFromPath(const QString &path)
{
    const int length = int(path.size());
    const int from = length - 5; // position L - 4, counted from 1
    const int slash = from < 0 ? -1 : int(path.lastIndexOf(QLatin1Char('/'), from));
    QString name = slash < 0 ? QString() : path.mid(slash);
    // A name shorter than four characters: the slash found belongs to a folder.
    const int last = int(path.lastIndexOf(QLatin1Char('/')));
    if (last >= 0 && last != slash)
        name = path.mid(last);
    return name.size() > 1 ? name : QString();
}

DropImport::DropImport(ImportHost host) : host_(std::move(host)) {}

void DropImport::setHost(ImportHost host) { host_ = std::move(host); }

std::optional<QString> DropImport::checkedPatientNumber(const ImportHost &host, const DropRequest &request)
{
    // The same checks as the patient number entry; the import does not need the
    // patient folder to exist, it makes it.
    const PatientLookupResult found = lookUpPatient(request.krNo, request.pictFolda);
    switch (found.outcome) {
    case PatientLookup::NotNumeric:
    case PatientLookup::Invalid:
    case PatientLookup::NoPictureFolder:
        call(host.refused, found.outcome);
        return std::nullopt;
    case PatientLookup::NotFound:
    case PatientLookup::Found:
        break;
    }
    return found.krNo;
}

ImportResult DropImport::run(DropRequest request)
{
    ImportResult result;
    if (running_)
        return result;
    RunningFlag running(running_);
    // A host replaced while events run must not change this import's own.
    const ImportHost host = host_;
    state_.intImportPos = 0;

    if (!request.krNo.isEmpty()) {
        const std::optional<QString> krNo = checkedPatientNumber(host, request);
        if (!krNo) {
            result.status = ImportStatus::Refused;
            return result;
        }
        call(host.enterBusy);
        state_.intImportMax = progressMaximum(int(request.files.size()));
        call(host.showProgress, state_.intImportMax);
        result.patientFolder = patientFolder(request.pictFolda, *krNo);
        // A folder that cannot be made fails the copies into it, which are reported.
        makeFolder(groupFolder(request.pictFolda, *krNo));
        makeFolder(result.patientFolder);
    } else {
        call(host.focusMain);
        if (!host.confirmCurrentFolder || !host.confirmCurrentFolder()) {
            result.status = ImportStatus::Declined;
            return result;
        }
        state_.intImportMax = progressMaximum(int(request.files.size()));
        result.patientFolder = host.currentFolder ? host.currentFolder() : QString();
    }

    const QString face =
        result.patientFolder.isEmpty() ? QString() : faceFolderForCreating(result.patientFolder);
    if (!face.isEmpty())
        makeFolder(face);
    result.targetFolder = request.dropIsOral ? result.patientFolder : face;

    copyFiles(host, request, result);

    call(host.leaveBusy);
    call(host.hideProgress);
    if (!result.patientFolder.isEmpty())
        call(host.setListedFolderAndRefresh, result.patientFolder);
    if (!result.failures.empty())
        call(host.reportFailures, result.failures);
    call(host.focusMain);
    result.status = ImportStatus::Done;
    return result;
}

void DropImport::copyFiles(const ImportHost &host, const DropRequest &request, ImportResult &result)
{
    call(host.showFiles, request.files);
    for (int i = 0; i < int(request.files.size()); ++i) {
        const QString &source = request.files[i];
        const QString name = importNameFromPath(source);
        if (name.isEmpty()) {
            const bool isFolder = QFileInfo(source).isDir();
            result.failures.push_back(
                {source, isFolder ? ImportFailureReason::Folder : ImportFailureReason::NoName});
        } else {
            const Outcome copied = copyIntoFolder(source, result.targetFolder, name.mid(1));
            if (copied)
                result.imported << copied.detail;
            else
                result.failures.push_back({source, failureReason(copied.status)});
        }
        state_.intImportPos = toInt16(i);
        call(host.progress, state_.intImportPos);
        call(host.letEventsRun);
    }
}

} // namespace tolvarine
