#pragma once

#include <functional>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QRect>
#include <QString>
#include <QStringList>

#include "platform/Outcome.h"
#include "print/SheetLayout.h"
#include "settings/SharedState.h"
#include "store/PanelFill.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace tolvarine {

// Everything a printed sheet shows: the print dialog's texts, the clinic's name
// and the shown visit's pictures with the shooting orders and orientation codes.
struct SheetSource {
    SheetKind kind = SheetKind::Normal;
    PrintRequest request;
    QString clinicName;
    QStringList oralPictures; // in store order, as the intraoral panel has them
    QStringList facePictures;
    PanelSetup oral;
    PanelSetup face;
};

// The sheet's text font: the Japanese UI font (IPA P Gothic here), which PDF
// output embeds.
QFont sheetFont();

// A sheet ready to be drawn: its layout and each placed picture decoded, sized to
// its place in device pixels and turned. outcome tells the first picture, in
// drawing order, that could not be loaded; the sheet is then not to be drawn.
struct PreparedSheet {
    Outcome outcome;
    SheetLayout layout;
    std::vector<QImage> images; // one per layout.pictures
};

// Decodes the placed pictures at the scale their places need, all at once on the
// worker threads, each turned by its position's code.
PreparedSheet prepareSheet(const SheetGeometry &geometry, const SheetSource &source);

// The comment as printed lines: its own lines, each wrapped where it would pass
// width (at a word boundary where there is one).
QStringList commentLines(const QString &comment, const QFont &font, QPaintDevice *device, qreal width);

// How much of the comment a sheet prints: its lines as wrapped, and how many of
// them fit into its room.
struct CommentFit {
    int lines = 0;
    int fitting = 0;
    bool cut() const { return fitting < lines; }
};
CommentFit commentFit(const PreparedSheet &sheet, const SheetSource &source, const QFont &font,
                      QPaintDevice *device);

// Draws a prepared sheet, each picture at exactly its rectangle, each text with
// its top-left corner at its place. Comment lines that do not fit into the
// comment's room are left out: the sheet is one page.
void drawSheet(QPainter &painter, const PreparedSheet &sheet, const SheetSource &source, const QFont &font);

// Told, once the pictures are loaded and before the device is opened, how much of
// the comment the sheet will print.
using BeforeDrawing = std::function<void(const CommentFit &)>;

// The whole sheet: prepared first, so that a picture that cannot be loaded leaves
// the device untouched (a printer is never opened for half a sheet), then drawn.
// printable is in painter coordinates.
Outcome printSheet(QPaintDevice &device, const QRect &printable, const SheetSource &source,
                   const BeforeDrawing &beforeDrawing = {});
// On a printer or PDF writer: its page's printable area at its resolution.
Outcome printSheet(QPagedPaintDevice &device, const SheetSource &source,
                   const BeforeDrawing &beforeDrawing = {});

// How a PDF file of the sheet is made.
struct PdfSheetFile {
    QString fileName;
    QPageLayout page;
    int resolution = 600;
    QString title;
    QString creator;
    bool grayscale = false; // honoured where Qt's PDF writer offers it (6.8 on)
};

// The sheet as a PDF file that is either complete or not there: drawn in memory,
// checked to be a whole PDF document, then written beside the target and renamed
// over it only once every byte is on disk. On a failure a file of that name that
// was there before is left as it was.
Outcome printSheetToPdf(const PdfSheetFile &file, const SheetSource &source,
                        const BeforeDrawing &beforeDrawing = {});

} // namespace tolvarine
