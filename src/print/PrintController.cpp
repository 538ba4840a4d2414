#include "print/PrintController.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/Messages.h"
#include "print/PrintText.h"
#include "print/frmPrint.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

const QString kErrorTitle = QStringLiteral("ｴﾗｰ: 印刷");
const QString kHighQualityMarker = QStringLiteral("PrintQHigh.txt");
const QString kNothingToPrint = QStringLiteral("印刷する画像がありません");

// The numbers the printing errors have always been shown with, where the system
// gives none.
constexpr int kInvalidPicture = 481;
constexpr int kPrinterError = 482;

// Without the marker a sheet is made at a laser printer's usual resolution; the
// platform's own default (the screen's) would print the photographs coarsely.
constexpr int kNormalDpi = 600;

bool chooseWithDialog(QPrinter &printer, QWidget *parent, const QString &proposedPdf)
{
    QPrintDialog dialog(&printer, parent);
    // Qt proposes a fixed name in the home folder; its box goes by this name.
    if (printer.outputFileName().isEmpty() && !proposedPdf.isEmpty())
        if (auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
            file->setText(proposedPdf);
    return dialog.exec() == QDialog::Accepted;
}

void showPreviewWindow(QPrinter &printer, QWidget *parent, const std::function<void(QPrinter *)> &paint)
{
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, paint);
    preview.exec();
}

// The preview renders through the printer into pictures of the pages.
bool isPreviewRendering(QPrinter &printer)
{
    return printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Picture;
}

// A PDF file, as opposed to a printer (whose spooler Qt also feeds with PDF).
bool isPdfFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

Outcome printOn(QPrinter &printer, const SheetSource &source, const BeforeDrawing &beforeDrawing)
{
    if (isPdfFile(printer) && !isPreviewRendering(printer))
        return printSheetToPdf({printer.outputFileName(), printer.pageLayout(), printer.resolution(),
                                printer.docName(), printer.creator(),
                                printer.colorMode() == QPrinter::GrayScale},
                               source, beforeDrawing);
    Outcome outcome = printSheet(printer, source, beforeDrawing);
    if (outcome && printer.printerState() == QPrinter::Error)
        outcome = Outcome::failed(Status::WriteFailed);
    return outcome;
}

} // namespace

QString printErrorText(const Outcome &outcome)
{
    // A printer's own failures come without a system error number.
    const bool printer =
        (outcome.status == Status::WriteFailed || outcome.status == Status::Unverified) && outcome.error == 0;
    const int number = outcome.error != 0 ? outcome.error : printer ? kPrinterError : kInvalidPicture;
    QString description = outcome.detail;
    if (printer)
        description = description.isEmpty() ? QStringLiteral("Printer error")
                                            : QStringLiteral("Printer error: %1").arg(description);
    return QStringLiteral("ｴﾗｰ: '%1' - %2.").arg(number).arg(description);
}

QString commentCutText(const CommentFit &fit)
{
    if (fit.fitting == 0)
        return QStringLiteral("コメントを印刷する場所がありません、\r\nコメントは印刷されません");
    return QStringLiteral("コメントは%1行までしか印刷できません、\r\n%2行目から後は印刷されません")
        .arg(fit.fitting)
        .arg(fit.fitting + 1);
}

bool hasPicturesToPrint(const AppSettings &settings, const BrowseState &browse)
{
    return !sheetSlots(panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori),
                       int(browse.List2.size()),
                       panelSetup(PanelKind::Face, settings.FaceJyunban, settings.FacePictSyori),
                       int(browse.ListFace.size()))
                .empty();
}

PrintController::PrintController(PrintContext context)
    : c_(std::move(context)), chooser_([this](QPrinter &printer, QWidget *parent) {
          return chooseWithDialog(printer, parent, proposedPdf_);
      }),
      previewer_(showPreviewWindow)
{}

PrintController::~PrintController() = default;

std::unique_ptr<QPrinter> PrintController::freshPrinter(const PrintRequest &request)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QString visit = c_.browse.strOralDate.isEmpty() ? c_.browse.strFaceDate : c_.browse.strOralDate;
    const QString name = sheetPdfName(request, visit);
    if (last_.toFile)
        printer->setOutputFileName(joinPath(last_.folder, name));
    else if (!last_.printerName.isEmpty())
        printer->setPrinterName(last_.printerName);
    // Also the print job's name, and what Qt itself proposes as a file name.
    printer->setDocName(QFileInfo(name).completeBaseName());
    printer->setCreator(applicationTitle());
    if (last_.pageSize.isValid()) {
        printer->setPageSize(last_.pageSize);
        printer->setPageOrientation(last_.orientation);
    }
    proposedPdf_ = joinPath(last_.folder.isEmpty() ? QDir::homePath() : last_.folder, name);
    highestDpi_ = printer->resolution();
    return printer;
}

void PrintController::remember(const QPrinter &printer)
{
    last_.toFile = isPdfFile(printer);
    if (last_.toFile)
        last_.folder = QFileInfo(printer.outputFileName()).absolutePath();
    else
        last_.printerName = printer.printerName();
    last_.pageSize = printer.pageLayout().pageSize();
    last_.orientation = printer.pageLayout().orientation();
}

void PrintController::mnuFilePrint_Click()
{
    if (dialog_)
        return;
    if (!hasPicturesToPrint(c_.settings, c_.browse)) {
        showMessage(kNothingToPrint);
        return;
    }
    frmPrint dialog(
        c_.owner, c_.patientNumber ? c_.patientNumber() : QString(), c_.browse.strKrName, c_.request,
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
    // The preview shows the comment as it prints; printing tells first what is left out.
    BeforeDrawing tell;
    if (!isPreviewRendering(printer))
        tell = [](const CommentFit &fit) {
            if (!fit.cut())
                return;
            QApplication::restoreOverrideCursor();
            showMessage(commentCutText(fit));
            QApplication::setOverrideCursor(Qt::WaitCursor);
        };
    Outcome outcome = printOn(printer, source, tell);
    if (outcome.status == Status::WriteFailed && outcome.detail.isEmpty())
        outcome.detail = isPdfFile(printer) ? printer.outputFileName() : printer.printerName();
    QApplication::restoreOverrideCursor();
    if (!outcome)
        showMessage(printErrorText(outcome), kErrorTitle);
}

void PrintController::printRequested(SheetKind kind)
{
    const std::unique_ptr<QPrinter> printer = freshPrinter(c_.request);
    // Cancelling the system dialog ends printing without a word.
    if (!chooser_ || !chooser_(*printer, dialogParent()))
        return;
    remember(*printer);
    setQuality(*printer);
    printWithPointer(*printer, sheetSource(kind, c_.request));
}

void PrintController::previewSheet(const PrintRequest &request)
{
    const std::unique_ptr<QPrinter> printer = freshPrinter(request);
    setQuality(*printer);
    const SheetSource source =
        sheetSource(request.intPrintLarge != 0 ? SheetKind::Large : SheetKind::Normal, request);
    if (!previewer_)
        return;
    bool printed = false;
    previewer_(*printer, dialogParent(), [this, &source, &printed](QPrinter *target) {
        printed |= !isPreviewRendering(*target);
        printWithPointer(*target, source);
    });
    if (printed)
        remember(*printer);
}

} // namespace tolvarine
