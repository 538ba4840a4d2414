#include "print/SheetPrint.h"

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QList>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentMap>

#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"
#include "platform/Twips.h"
#include "widgets/Fonts.h"

namespace tolvarine {

namespace {

// Japanese documents are commonly set at 10.5 points.
constexpr qreal kSheetPointSize = 10.5;

struct LoadJob {
    SheetSlot slot;
    QString path;
};

struct Loaded {
    Outcome outcome;
    QSize stored;
    QImage image;
};

// Why a picture did not load: the file cannot be opened (with its errno), or it
// opens but holds no picture the decoder takes.
Outcome loadFailure(const QString &path, const QString &decoderError)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        return Outcome::failed(error == ENOENT ? Status::Missing : Status::Unreadable,
                               QStringLiteral("%1: %2").arg(systemErrorText(error), path), error);
    }
    ::close(fd);
    return Outcome::failed(Status::Damaged, decoderError);
}

// A photograph gains nothing on paper beyond this; a printer working finer still
// gets the picture at this resolution, scaled by the painter, which keeps a high
// quality sheet of twelve pictures a file that can be sent.
constexpr double kMostPicturePpi = 600.0;

QSize atPictureResolution(QSize size, double dpi)
{
    if (dpi <= kMostPicturePpi)
        return size;
    const double scale = kMostPicturePpi / dpi;
    return QSize(std::max(1, int(size.width() * scale + 0.5)), std::max(1, int(size.height() * scale + 0.5)));
}

Loaded loadForSheet(const LoadJob &job, const SheetGeometry &geometry)
{
    ImagingControl control;
    // Before any turn the picture's width is the box's side: a quarter turn puts
    // it down the page, where the box is the fixed side too.
    const int across = twipsToPixels(pictureBoxTwips(geometry.kind), std::min(geometry.dpi, kMostPicturePpi));
    if (!control.opLoadFile(job.path, 0, 0, 1, QSize(across, 0)))
        return {loadFailure(job.path, control.lastFailure().detail), {}, {}};
    const QSize stored = control.storedSize();
    const SheetPlace place = placeSheetPicture(geometry, job.slot, stored);
    if (sizeBeforeTurn(place).isEmpty()) // a sliver that rounds to nothing on paper
        return {Outcome::done(), stored, {}};
    const QSize target = atPictureResolution(sizeBeforeTurn(place), geometry.dpi);
    if (!control.opResize(float(target.width()), float(target.height()))
        || !turnByCode(control, job.slot.panel, job.slot.code))
        return {Outcome::failed(Status::Unreadable, control.lastFailure().detail), stored, {}};
    return {Outcome::done(), stored, control.image()};
}

struct WrappedComment {
    QStringList lines;
    CommentFit fit;
};

WrappedComment wrapComment(const PreparedSheet &sheet, const SheetSource &source, const QFont &font,
                           QPaintDevice *device)
{
    const QRect &room = sheet.layout.comment;
    WrappedComment comment;
    comment.lines = commentLines(source.request.strPrintComment, font, device, room.width());
    const QFontMetricsF metrics(font, device);
    comment.fit.lines = int(comment.lines.size());
    comment.fit.fitting =
        std::min(comment.fit.lines, linesThatFit(room, metrics.height(), metrics.lineSpacing()));
    return comment;
}

} // namespace

QFont sheetFont()
{
    installFontSubstitutions();
    QFont font(japaneseUiFontFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kSheetPointSize);
    return font;
}

PreparedSheet prepareSheet(const SheetGeometry &geometry, const SheetSource &source)
{
    QList<LoadJob> jobs;
    for (const SheetSlot &slot : sheetSlots(source.oral, int(source.oralPictures.size()), source.face,
                                            int(source.facePictures.size()))) {
        const QStringList &list = slot.panel == PanelKind::Oral ? source.oralPictures : source.facePictures;
        jobs << LoadJob{slot, list.at(slot.index)};
    }
    auto load = [&geometry](const LoadJob &job) { return loadForSheet(job, geometry); };
    QList<Loaded> loaded;
    if (jobs.size() < 2) {
        for (const LoadJob &job : std::as_const(jobs))
            loaded << load(job);
    } else {
        loaded = QtConcurrent::blockingMapped<QList<Loaded>>(jobs, load);
    }

    PreparedSheet sheet;
    std::vector<QSize> oralSizes(size_t(source.oralPictures.size()));
    std::vector<QSize> faceSizes(size_t(source.facePictures.size()));
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        if (!loaded[i].outcome) {
            sheet.outcome = loaded[i].outcome;
            return sheet;
        }
        const SheetSlot &slot = jobs[i].slot;
        (slot.panel == PanelKind::Oral ? oralSizes : faceSizes)[size_t(slot.index)] = loaded[i].stored;
    }
    sheet.layout = layoutSheet(geometry, source.oral, oralSizes, source.face, faceSizes);
    for (const Loaded &picture : loaded)
        sheet.images.push_back(picture.image);
    return sheet;
}

QStringList commentLines(const QString &comment, const QFont &font, QPaintDevice *device, qreal width)
{
    QString text = comment;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar(u'\r'), QChar(u'\n'));
    QStringList lines;
    if (text.isEmpty())
        return lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &paragraph : text.split(QChar(u'\n'))) {
        if (paragraph.isEmpty() || width <= 0) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font, device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

void drawSheet(QPainter &painter, const PreparedSheet &sheet, const SheetSource &source, const QFont &font)
{
    const SheetLayout &layout = sheet.layout;
    for (size_t i = 0; i < layout.pictures.size() && i < sheet.images.size(); ++i) {
        const QRect &place = layout.pictures[i].device;
        if (!sheet.images[i].isNull() && !place.isEmpty())
            painter.drawImage(place, sheet.images[i]);
    }

    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font, painter.device());
    auto printLine = [&](qreal x, qreal y, const QString &text) {
        if (!text.isEmpty())
            painter.drawText(QPointF(x, y + metrics.ascent()), text);
    };
    auto printAt = [&](QPoint at, const QString &text) { printLine(at.x(), at.y(), text); };
    printAt(layout.number, source.request.strPrintNo);
    printAt(layout.name, source.request.strPrintName);
    printAt(layout.date, source.request.strPrintDate);
    printAt(layout.clinic, source.clinicName);

    const QRect &room = layout.comment;
    const WrappedComment comment = wrapComment(sheet, source, font, painter.device());
    qreal y = room.y();
    for (int i = 0; i < comment.fit.fitting; ++i) {
        printLine(room.x(), y, comment.lines.at(i));
        y += metrics.lineSpacing();
    }
}

CommentFit commentFit(const PreparedSheet &sheet, const SheetSource &source, const QFont &font,
                      QPaintDevice *device)
{
    return wrapComment(sheet, source, font, device).fit;
}

Outcome printSheet(QPaintDevice &device, const QRect &printable, const SheetSource &source,
                   const BeforeDrawing &beforeDrawing)
{
    const QFont font = sheetFont();
    const int textHeight = int(std::ceil(QFontMetricsF(font, &device).height()));
    const SheetGeometry geometry{source.kind, printable, double(device.logicalDpiX()), textHeight};
    const PreparedSheet sheet = prepareSheet(geometry, source);
    if (!sheet.outcome)
        return sheet.outcome;
    if (beforeDrawing)
        beforeDrawing(commentFit(sheet, source, font, &device));
    QPainter painter;
    if (!painter.begin(&device))
        return Outcome::failed(Status::WriteFailed);
    drawSheet(painter, sheet, source, font);
    if (!painter.end())
        return Outcome::failed(Status::WriteFailed);
    return Outcome::done();
}

Outcome printSheet(QPagedPaintDevice &device, const SheetSource &source, const BeforeDrawing &beforeDrawing)
{
    const QRect area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    return printSheet(static_cast<QPaintDevice &>(device), QRect(QPoint(0, 0), area.size()), source,
                      beforeDrawing);
}

Outcome printSheetToPdf(const PdfSheetFile &file, const SheetSource &source,
                        const BeforeDrawing &beforeDrawing)
{
    // The PDF engine writes without looking at what the device answers: a short
    // write to a file would go unnoticed. In memory nothing is lost, and the file
    // is then written by the one writer that checks every byte.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(file.page);
        writer.setResolution(file.resolution);
        writer.setTitle(file.title);
        writer.setCreator(file.creator);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (file.grayscale)
            writer.setColorModel(QPdfWriter::ColorModel::Grayscale);
#endif
        const Outcome drawn = printSheet(writer, source, beforeDrawing);
        if (!drawn)
            return drawn;
    }
    const QByteArray &pdf = buffer.data();
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF"))
        return Outcome::failed(Status::Unverified, file.fileName);
    Outcome written = writeFileAtomically(file.fileName, pdf);
    if (!written && written.error != 0)
        written.detail = QStringLiteral("%1: %2").arg(systemErrorText(written.error), file.fileName);
    return written;
}

} // namespace tolvarine
