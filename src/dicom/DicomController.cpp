#include "dicom/DicomController.h"

#include <atomic>
#include <memory>

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>

#include "dicom/DicomExport.h"
#include "dicom/DicomMessages.h"
#include "dicom/DicomSend.h"
#include "dicom/frmDicomSettings.h"
#include "platform/Messages.h"
#include "store/NameFile.h"
#include "store/PatientNumber.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

const QString kExportTitle = QStringLiteral("DICOM出力");
const QString kSendTitle = QStringLiteral("DICOM送信");

} // namespace

DicomSummary runWithProgress(QWidget *owner, const QString &title, int total, const DicomController::Job &job)
{
    QProgressDialog dialog(QStringLiteral("準備しています"), QStringLiteral("ｷｬﾝｾﾙ"), 0, total, owner);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [stop] { *stop = true; });
    const QPointer<QProgressDialog> shown(&dialog);
    const DicomProgress progress = [shown, stop](int done, int, const QString &picture) {
        QMetaObject::invokeMethod(
            qApp,
            [shown, done, picture] {
                if (shown) {
                    shown->setValue(done);
                    shown->setLabelText(QFileInfo(picture).fileName());
                }
            },
            Qt::QueuedConnection);
        return !*stop;
    };

    // The work runs apart from the window, so that the window can show its progress
    // and take the cancel; the window waits for it and is told only its result.
    DicomSummary summary;
    std::unique_ptr<QThread> worker(QThread::create([&summary, &job, progress] { summary = job(progress); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    dialog.show();
    loop.exec();
    worker->wait();
    return summary;
}

DicomController::DicomController(DicomContext context) : c_(std::move(context))
{
    chooser_ = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("DICOM出力先のフォルダ"), start);
    };
    dialogRunner_ = [](frmDicomSettings &dialog) { dialog.exec(); };
    jobRunner_ = [this](const QString &title, int total, const Job &job) {
        return runWithProgress(c_.owner, title, total, job);
    };
    if (c_.exportEntry)
        connect(c_.exportEntry, &QAction::triggered, this, &DicomController::mnuFileDicomExport_Click);
    if (c_.sendEntry)
        connect(c_.sendEntry, &QAction::triggered, this, &DicomController::mnuFileDicomSend_Click);
    if (c_.settingsEntry)
        connect(c_.settingsEntry, &QAction::triggered, this, &DicomController::mnuOptDicom_Click);
}

DicomController::~DicomController() = default;

QString DicomController::clinicName() const
{
    return c_.shell.ClinicName == QLatin1String("Err") ? QString() : c_.shell.ClinicName;
}

bool DicomController::planShownVisit(DicomPlan &plan, const QString &title, const QString &nothingText)
{
    const QString folder = c_.listedFolder ? c_.listedFolder() : QString();
    const std::optional<QString> krNo = folderPatientNumber(folder);
    if (krNo)
        plan = shownVisitPlan(c_.browse, c_.settings, *krNo,
                              readPatientName(nameFilePath(folder)).value_or(c_.browse.strKrName));
    if (!krNo || plan.pictures.empty()) {
        showMessage(nothingText, title);
        return false;
    }
    return true;
}

void DicomController::mnuFileDicomExport_Click()
{
    DicomPlan plan;
    if (!planShownVisit(plan, kExportTitle, QStringLiteral("出力する画像がありません")))
        return;
    const QString start =
        c_.settings.Dicom.Folder.isEmpty() ? c_.settings.PictFolda : c_.settings.Dicom.Folder;
    const QString folder = chooser_(c_.owner, start);
    if (folder.isEmpty())
        return;
    DicomSettings remembered = c_.settings.Dicom;
    remembered.Folder = folder;
    writeDicomSettings(c_.store(), remembered, c_.settings);

    ExistingDicomDir existing = ExistingDicomDir::Refuse;
    if (!existingDicomDir(folder).isEmpty()) {
        const MessageAnswer answer = showMessage(
            QStringLiteral("選んだフォルダには既にDICOMDIRがあります。") + QStringLiteral("\r\n")
                + QStringLiteral("今回の画像をこのDICOMDIRに追加しますか？ (今ある記録は残ります)"),
            kExportTitle, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No);
        if (answer != MessageAnswer::Yes)
            return;
        existing = ExistingDicomDir::AddTo;
    }
    const int total = int(plan.pictures.size());
    const QString clinic = clinicName();
    const DicomSummary summary =
        jobRunner_(kExportTitle, total, [plan, clinic, folder, existing](const DicomProgress &progress) {
            return exportToFolder(plan, clinic, folder, existing, progress);
        });
    showMessage(exportSummaryText(summary, total), kExportTitle, MessageButtons::Ok,
                summary.ok() ? MessageIcon::Information : MessageIcon::Warning);
}

void DicomController::mnuFileDicomSend_Click()
{
    DicomPlan plan;
    if (!planShownVisit(plan, kSendTitle, QStringLiteral("送信する画像がありません")))
        return;
    const DicomNode node = dicomNode(c_.settings.Dicom);
    if (nodeProblem(node) != NodeProblem::None) {
        showMessage(QStringLiteral("DICOMの送信先が設定されていません。") + QStringLiteral("\r\n")
                        + QStringLiteral("設定メニューの「DICOM設定」で送信先を指定して下さい"),
                    kSendTitle);
        return;
    }
    const int total = int(plan.pictures.size());
    const QString clinic = clinicName();
    const DicomSummary summary =
        jobRunner_(kSendTitle, total, [plan, clinic, node](const DicomProgress &progress) {
            return sendToNode(plan, clinic, node, progress);
        });
    showMessage(sendSummaryText(summary, total, node), kSendTitle, MessageButtons::Ok,
                summary.ok() ? MessageIcon::Information : MessageIcon::Warning);
}

void DicomController::mnuOptDicom_Click()
{
    frmDicomSettings dialog(c_.owner, c_.store(), c_.settings);
    dialogRunner_(dialog);
}

} // namespace tolvarine
