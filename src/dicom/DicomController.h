#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "dicom/DicomRun.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"

class QAction;
class QSettings;
class QWidget;

namespace tolvarine {

class frmDicomSettings;

// What the DICOM entries read from the main window.
struct DicomContext {
    QWidget *owner = nullptr;
    QAction *exportEntry = nullptr;        // "DICOM出力"
    QAction *sendEntry = nullptr;          // "DICOM送信"
    QAction *settingsEntry = nullptr;      // "DICOM設定"
    std::function<QString()> listedFolder; // the patient folder the shown visit is in
    AppSettings &settings;
    const ShellState &shell;
    const BrowseState &browse;
    std::function<QSettings &()> store;
};

// The menu entries DICOM出力, DICOM送信 and DICOM設定: the shown visit, both panels,
// written into a folder the user chooses or sent to the archive of the settings.
class DicomController : public QObject {
    Q_OBJECT
public:
    explicit DicomController(DicomContext context);
    ~DicomController() override;

    void mnuFileDicomExport_Click();
    void mnuFileDicomSend_Click();
    void mnuOptDicom_Click();

    // The folder dialog; an empty result is a cancel.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &start)>;
    // Runs the settings dialog (modally unless replaced).
    using DialogRunner = std::function<void(frmDicomSettings &dialog)>;
    // Runs a job that reports its progress; by default on a worker thread behind a
    // modal progress window whose ｷｬﾝｾﾙ stops it.
    using Job = std::function<DicomSummary(const DicomProgress &progress)>;
    using JobRunner = std::function<DicomSummary(const QString &title, int total, const Job &job)>;
    // Tests replace these so that no system window opens and jobs run at once.
    void setFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
    void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
    void setJobRunner(JobRunner runner) { jobRunner_ = std::move(runner); }

private:
    // The shown visit's pictures; false after telling the user that there are none.
    bool planShownVisit(DicomPlan &plan, const QString &title, const QString &nothingText);
    QString clinicName() const;

    DicomContext c_;
    FolderChooser chooser_;
    DialogRunner dialogRunner_;
    JobRunner jobRunner_;
};

// Runs a job on a worker thread behind a modal progress window.
DicomSummary runWithProgress(QWidget *owner, const QString &title, int total,
                             const DicomController::Job &job);

} // namespace tolvarine
