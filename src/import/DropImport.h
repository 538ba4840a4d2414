#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "import/ImportProgress.h"
#include "store/PatientNumber.h"

namespace tolvarine {

enum class ImportFailureReason {
    Folder,  // a folder was dropped
    Missing, // the source is gone
    Unreadable,
    NoName,       // the path holds no file name
    TargetFolder, // the patient or face folder does not exist and cannot be made
    WriteFailed,
    NoFreeName,
};

struct ImportFailure {
    QString path;
    ImportFailureReason reason;
};

// What the import needs of the main window. Every member may be left empty.
struct ImportHost {
    // Menus, drive, folder and date lists and the two boxes disabled, the drop list
    // hidden, the hourglass; and back. leaveBusy also runs when enterBusy did not.
    std::function<void()> enterBusy;
    std::function<void()> leaveBusy;
    std::function<void(int16_t max)> showProgress;
    // After each file, before pending events run.
    std::function<void(int16_t pos)> progress;
    std::function<void()> hideProgress;
    // The drop list shows the dropped paths while they are copied.
    std::function<void(const QStringList &paths)> showFiles;
    // Points the folder list at the folder and lists it again.
    std::function<void(const QString &folder)> setListedFolderAndRefresh;
    std::function<void()> focusMain;
    // The folder the folder list shows.
    std::function<QString()> currentFolder;
    // Lets the window's pending events run (the progress window's timer) after each file.
    std::function<void()> letEventsRun;

    // What the user is told or asked; the window words it. A refusal names the check
    // of the patient number that failed.
    std::function<void(PatientLookup refusal)> refused;
    // No patient number was typed: whether to save into the folder shown. Unset: no.
    std::function<bool()> confirmCurrentFolder;
    // The files that were not imported, once at the end.
    std::function<void(const std::vector<ImportFailure> &failures)> reportFailures;
};

struct DropRequest {
    QStringList files; // full paths, in the order the drag source lists them
    QString krNo;      // the patient number box as typed
    bool dropIsOral = true;
    QString pictFolda;
};

enum class ImportStatus {
    Ignored,  // another import was running
    Refused,  // a check of the patient number or the picture folder failed
    Declined, // no patient number, and the user chose not to save
    Done,
};

struct ImportResult {
    ImportStatus status = ImportStatus::Ignored;
    QString patientFolder;
    QString targetFolder;
    QStringList imported; // the files in the store that hold the dropped pictures
    std::vector<ImportFailure> failures;
};

// The name a dropped file is stored under, "/" included: from the last "/" of the
// path on. The search for it starts four characters before the end, which for a
// name shorter than four characters would take a folder of the source along; such
// names are taken whole as well. Empty when the path ends in "/" or has none.
QString importNameFromPath(const QString &path);

// Files pictures dropped on the drop area into the patient's folder or its face
// folder, then lists the patient again. One import runs at a time: a drop while
// one runs (events run between files) is ignored. The import works on copies of
// the request taken at its start, so a target switch meanwhile does not touch it.
class DropImport {
public:
    explicit DropImport(ImportHost host = {});

    void setHost(ImportHost host);
    ImportResult run(DropRequest request);
    bool isRunning() const { return running_; }

    // Read by the progress window.
    const ImportProgress &progressState() const { return state_; }

private:
    // The five-character number, or nullopt after the host was told why it is refused.
    std::optional<QString> checkedPatientNumber(const ImportHost &host, const DropRequest &request);
    void copyFiles(const ImportHost &host, const DropRequest &request, ImportResult &result);

    ImportHost host_;
    ImportProgress state_;
    bool running_ = false;
};

} // namespace tolvarine
