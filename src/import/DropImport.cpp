#include "import/DropImport.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "browse/PatientNumber.h"
#include "import/StoreCopy.h"
#include "platform/Messages.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

// More names than this would make a box taller than the screen.
constexpr int kNamesShown = 20;

template <typename F, typename... Args>
void call(const F &f, Args &&...args)
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

int16_t toInt16(int value)
{
    return int16_t(std::clamp(value, 0, 32767));
}

// The bar ends where the index of the last file ends: with seven files at 6, as
// the window was drawn for, and with more files further on.
int16_t progressMaximum(int fileCount)
{
    return toInt16(std::max(1, fileCount - 1));
}

void makeFolder(const QString &folder)
{
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        QDir().mkdir(folder);
}

ImportFailureReason failureReason(CopyResult result)
{
    switch (result) {
    case CopyResult::SourceMissing:
        return ImportFailureReason::Missing;
    case CopyResult::SourceIsFolder:
        return ImportFailureReason::Folder;
    case CopyResult::SourceUnreadable:
        return ImportFailureReason::Unreadable;
    case CopyResult::FolderMissing:
        return ImportFailureReason::TargetFolder;
    case CopyResult::NoFreeName:
        return ImportFailureReason::NoFreeName;
    case CopyResult::Copied:
    case CopyResult::AlreadyThere:
    case CopyResult::WriteFailed:
        break;
    }
    return ImportFailureReason::WriteFailed;
}

QString reasonText(ImportFailureReason reason)
{
    switch (reason) {
    case ImportFailureReason::Folder:
        return QStringLiteral("フォルダは取り込めません");
    case ImportFailureReason::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case ImportFailureReason::Unreadable:
        return QStringLiteral("ファイルを読み込めません");
    case ImportFailureReason::NoName:
        return QStringLiteral("ファイル名がありません");
    case ImportFailureReason::TargetFolder:
        return QStringLiteral("保存先のフォルダを作成できません");
    case ImportFailureReason::WriteFailed:
        return QStringLiteral("保存先に書き込めません");
    case ImportFailureReason::NoFreeName:
        return QStringLiteral("同じ名前のファイルが多すぎます");
    }
    return {};
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

QString notImportedMessage(const std::vector<ImportFailure> &failures)
{
    if (failures.empty())
        return {};
    QStringList lines;
    lines << QStringLiteral("取り込めなかったファイルがあります（%1件）").arg(failures.size());
    const int shown = std::min<int>(kNamesShown, int(failures.size()));
    for (int i = 0; i < shown; ++i)
        lines << QStringLiteral("%1（%2）").arg(failures[i].path, reasonText(failures[i].reason));
    if (int(failures.size()) > shown)
        lines << QStringLiteral("ほか%1件").arg(int(failures.size()) - shown);
    return lines.join(QStringLiteral("\r\n"));
}

DropImport::DropImport(ImportHost host) : host_(std::move(host)) {}

void DropImport::setHost(ImportHost host)
{
    host_ = std::move(host);
}

std::optional<QString> DropImport::checkedPatientNumber(const DropRequest &request)
{
    // The same checks as the patient number entry; the import does not need the
    // patient folder to exist, it makes it.
    const PatientLookupResult found = lookUpPatient(request.krNo, request.pictFolda);
    switch (found.outcome) {
    case PatientLookup::NotNumeric:
        showMessage(QStringLiteral("患者番号は数値を入力して下さい"));
        return std::nullopt;
    case PatientLookup::Invalid:
    case PatientLookup::NoPictureFolder:
        showMessage(patientLookupMessage(found.outcome));
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
        const std::optional<QString> krNo = checkedPatientNumber(request);
        if (!krNo) {
            result.status = ImportStatus::Refused;
            return result;
        }
        call(host.enterBusy);
        state_.intImportMax = progressMaximum(int(request.files.size()));
        call(host.showProgress, state_.intImportMax);
        result.patientFolder = patientFolder(request.pictFolda, *krNo);
        makeFolder(groupFolder(request.pictFolda, *krNo));
        makeFolder(result.patientFolder);
    } else {
        call(host.focusMain);
        const MessageAnswer answer =
            showMessage(QStringLiteral("患者番号が入力されてません。\r\n現在のフォルダに保存しますか"),
                        QString(), MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No);
        if (answer != MessageAnswer::Yes) {
            result.status = ImportStatus::Declined;
            return result;
        }
        state_.intImportMax = progressMaximum(int(request.files.size()));
        result.patientFolder = host.currentFolder ? host.currentFolder() : QString();
    }

    const QString face = result.patientFolder.isEmpty() ? QString() : faceFolderForCreating(result.patientFolder);
    makeFolder(face);
    result.targetFolder = request.dropIsOral ? result.patientFolder : face;

    copyFiles(host, request, result);

    call(host.leaveBusy);
    call(host.hideProgress);
    if (!result.patientFolder.isEmpty())
        call(host.setListedFolderAndRefresh, result.patientFolder);
    if (!result.failures.empty())
        showMessage(notImportedMessage(result.failures));
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
            const CopyOutcome outcome = copyIntoFolder(source, result.targetFolder, name.mid(1));
            if (outcome.result == CopyResult::Copied || outcome.result == CopyResult::AlreadyThere)
                result.imported << outcome.target;
            else
                result.failures.push_back({source, failureReason(outcome.result)});
        }
        state_.intImportPos = toInt16(i);
        call(host.progress, state_.intImportPos);
        QCoreApplication::processEvents();
    }
}

} // namespace tolvarine
