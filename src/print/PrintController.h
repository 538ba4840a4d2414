#pragma once

#include <functional>
#include <memory>

#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QString>

#include "platform/Outcome.h"
#include "print/SheetPrint.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"

class QPrinter;
class QWidget;

namespace tolvarine {

class frmPrint;

// What printing reads from the main window.
struct PrintContext {
    QWidget *owner = nullptr;
    // The number of the patient whose visit is shown, which the dialog proposes: the
    // number box may hold a number that was refused and left the last visit shown.
    std::function<QString()> patientNumber;
    const AppSettings &settings;
    const ShellState &shell;
    const BrowseState &browse;
    PrintRequest &request;
    std::function<QString()> programFolder; // where "PrintQHigh.txt" is looked for
};

// The print menu entry, the print dialog and the two print routines of the main
// window, which forwards its own operations of these names here.
class PrintController {
public:
    explicit PrintController(PrintContext context);
    ~PrintController();
    PrintController(const PrintController &) = delete;
    PrintController &operator=(const PrintController &) = delete;

    void mnuFilePrint_Click();
    void subPrintNormal();
    void subPrintLarge();

    // Shows the sheet a request would print, from where it can also be printed.
    void previewSheet(const PrintRequest &request);

    // The system print dialog; false when the user cancelled it.
    using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;
    // Runs the print dialog (modally unless replaced).
    using DialogRunner = std::function<void(frmPrint &dialog)>;
    // Shows a preview that calls paint for every rendering of the sheet.
    using PreviewShower =
        std::function<void(QPrinter &printer, QWidget *parent, const std::function<void(QPrinter *)> &paint)>;
    // Tests replace these so that no system window ever opens.
    void setPrinterChooser(PrinterChooser chooser) { chooser_ = std::move(chooser); }
    void setDialogRunner(DialogRunner runner) { runner_ = std::move(runner); }
    void setPreviewShower(PreviewShower shower) { previewer_ = std::move(shower); }

private:
    // The last choices of the run in the system print dialog.
    struct PrinterChoice {
        QString printerName;
        bool toFile = false;
        QString folder; // of the last PDF file
        QPageSize pageSize;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
    };

    void printRequested(SheetKind kind);
    SheetSource sheetSource(SheetKind kind, const PrintRequest &request) const;
    // A new printer for every sheet, so that no failure of an earlier one can carry
    // over, set to the last choices and proposing this sheet's PDF file name.
    std::unique_ptr<QPrinter> freshPrinter(const PrintRequest &request);
    void remember(const QPrinter &printer);
    void setQuality(QPrinter &printer) const;
    // Prints with the hourglass up; a failure is shown once the pointer is back.
    void printWithPointer(QPrinter &printer, const SheetSource &source) const;
    QWidget *dialogParent() const;

    PrintContext c_;
    PrinterChooser chooser_;
    DialogRunner runner_;
    PreviewShower previewer_;
    QPointer<frmPrint> dialog_;
    PrinterChoice last_;
    QString proposedPdf_; // for the system print dialog's file box
    int highestDpi_ = 0;
};

// Whether the shown visit puts any picture on a sheet.
bool hasPicturesToPrint(const AppSettings &settings, const BrowseState &browse);

// What the user is told before a sheet prints without all of its comment.
QString commentCutText(const CommentFit &fit);

// The print error box's text: "ｴﾗｰ: '" number "' - " description ".".
QString printErrorText(const Outcome &outcome);

} // namespace tolvarine
