#include "print/PrintController.h"

#include <algorithm>

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/Messages.h"
#include "print/frmPrint.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

const QString kErrorTitle = QStringLiteral("ｴﾗｰ: 印刷");
const QString kHighQualityMarker = QStringLiteral("PrintQHigh.txt");

// The numbers the printing errors have always been shown with, where the system
// gives none.
constexpr int kInvalidPicture = 481;
constexpr int kPrinterError = 482;

// Without the marker a sheet is made at a laser printer's usual resolution; the
// platform's own default (the screen's) would print the photographs coarsely.
constexpr int kNormalDpi = 600;

bool chooseWithDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void showPreviewWindow(QPrinter &printer, QWidget *parent, const std::function<void(QPrinter *)> &paint)
{
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, paint);
    preview.exec();
}

} // namespace

QString printErrorText(const Outcome &outcome)
{
    const bool printer = outcome.status == Status::WriteFailed;
    const int number = outcome.error != 0 ? outcome.error : printer ? kPrinterError : kInvalidPicture;
    QString description = outcome.detail;
    if (printer)
        description = description.isEmpty() ? QStringLiteral("Printer error")
                                            : QStringLiteral("Printer error: %1").arg(description);
    return QStringLiteral("ｴﾗｰ: '%1' - %2.").arg(number).arg(description);
}

PrintController::PrintController(PrintContext context)
    : c_(std::move(context)), chooser_(chooseWithDialog), previewer_(showPreviewWindow)
{}

PrintController::~PrintController() = default;

QPrinter &PrintController::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setDocName(applicationTitle());
        highestDpi_ = printer_->resolution();
    }
    return *printer_;
}

void PrintController::mnuFilePrint_Click()
{
    if (dialog_)
        return;
    frmPrint dialog(
        c_.owner, c_.txtKrNo ? c_.txtKrNo->text() : QString(), c_.browse.strKrName, c_.request,
        [this] { subPrintNormal(); }, [this] { subPrintLarge(); });
    dialog.setPreview([this](const PrintRequest &request) { previewSheet(request); });
    dialog_ = &dialog;
    if (runner_)
        runner_(dialog);
    else
        dialog.exec();
    dialog_ = nullptr;
}

void PrintController::subPrintNormal() { printRequested(SheetKind::Normal); }

void PrintController::subPrintLarge() { printRequested(SheetKind::Large); }

QWidget *PrintController::dialogParent() const
{
    return dialog_ ? static_cast<QWidget *>(dialog_.data()) : c_.owner;
}

SheetSource PrintController::sheetSource(SheetKind kind, const PrintRequest &request) const
{
    SheetSource source;
    source.kind = kind;
    source.request = request;
    source.clinicName = c_.shell.ClinicName;
    source.oralPictures = c_.browse.List2;
    source.facePictures = c_.browse.ListFace;
    source.oral = panelSetup(PanelKind::Oral, c_.settings.Jyunban, c_.settings.PictSyori);
    source.face = panelSetup(PanelKind::Face, c_.settings.FaceJyunban, c_.settings.FacePictSyori);
    return source;
}

void PrintController::setQuality(QPrinter &printer) const
{
    // Only the marker's presence counts, never its content.
    const bool high =
        QFileInfo::exists(joinPath(c_.programFolder ? c_.programFolder() : QString(), kHighQualityMarker));
    printer.setResolution(high ? highestDpi_ : std::min(kNormalDpi, highestDpi_));
}

void PrintController::printWithPointer(QPrinter &printer, const SheetSource &source) const
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Outcome outcome = printSheet(printer, source);
    if (outcome.status == Status::WriteFailed && outcome.detail.isEmpty())
        outcome.detail =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    QApplication::restoreOverrideCursor();
    if (!outcome)
        showMessage(printErrorText(outcome), kErrorTitle);
}

void PrintController::printRequested(SheetKind kind)
{
    // Cancelling the system dialog ends printing without a word.
    if (!chooser_ || !chooser_(printer(), dialogParent()))
        return;
    setQuality(printer());
    printWithPointer(printer(), sheetSource(kind, c_.request));
}

void PrintController::previewSheet(const PrintRequest &request)
{
    setQuality(printer());
    const SheetSource source =
        sheetSource(request.intPrintLarge != 0 ? SheetKind::Large : SheetKind::Normal, request);
    if (previewer_)
        previewer_(printer(), dialogParent(),
                   [this, &source](QPrinter *target) { printWithPointer(*target, source); });
}

} // namespace tolvarine
