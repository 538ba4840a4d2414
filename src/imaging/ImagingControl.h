#pragma once

#include <array>
#include <cstdint>
#include <map>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "platform/Outcome.h"

class QPainter;

namespace tolvarine {

// Format codes of opSaveFile.
inline constexpr int kFormatThumbnail = 5; // "*sn.cmp": baseline JPEG, quality 90
inline constexpr int kFormatJpegExif = 98; // JPEG carrying the comments as Exif
inline constexpr int kCommentSlots = 175;
inline constexpr int kCommentDateTime = 2;
// Comment slot 1 is the file's JPEG comment segment: loaded with the picture, read
// by opReadComment, and written into a thumbnail file (code 5) when it holds text.
inline constexpr int kCommentNote = 1;

// A picture file's bytes, read apart from their decoding (see opLoadFile).
struct PictureBytes {
    QString path;
    QByteArray bytes;
    Outcome read; // how the read ended
};

// The imaging control: one bitmap and its 175 comment slots, with the operations
// the windows use, by their names. Plain class, no widget; a failing operation
// returns false and leaves lastFailure() set (the caller decides whether to care,
// as opMethodErrors(false) asks).
class ImagingControl {
public:
    ImagingControl();
    ~ImagingControl();
    ImagingControl(const ImagingControl &) = delete;
    ImagingControl &operator=(const ImagingControl &) = delete;

    // mode -1 (panels, view) or 1 (printing, date stamp) as the callers pass it.
    // wantedSize, when valid, lets a JPEG be decoded at a reduced scale no smaller
    // than that size; the following opResize decides the final size.
    bool opLoadFile(const QString &path, int page = 0, int reserved = 0, int mode = -1,
                    QSize wantedSize = QSize());

    // opLoadFile in two steps, so that a file can be read on one thread while
    // others decode: the file read as opLoadFile reads it (a file larger than any
    // photograph refused), then those bytes loaded as opLoadFile loads them.
    static PictureBytes readPictureFile(const QString &path);
    // No photograph of the store comes near this; a larger file is refused unread.
    static constexpr qint64 kMaxPictureBytes = 256LL * 1024 * 1024;
    bool opLoadBytes(const PictureBytes &file, QSize wantedSize = QSize());

    // Decodes only `region` of the picture (stored pixels) at 1 / reduction of full
    // size (1, 2, 4 or 8), so that any part of a picture too large to hold whole
    // can be shown sharp. The region is in whole steps of the reduction and may pass
    // the right and bottom edges by less than one. The bitmap never replaces its file.
    bool opLoadRegion(const QString &path, QRect region, int reduction);

    int opBitmapWidth() const;
    int opBitmapHeight() const;
    bool opResize(float width, float height, int16_t mode = 0);
    // Clockwise, in hundredths of a degree (9000, 18000, 27000); 90 and 270 swap the canvas.
    bool opRotate(int angle, bool expand = true, QColor background = Qt::white);
    bool opMirror();
    bool opFlip();
    bool opSaveFile(const QString &path, int format, int bitsPerPixel = 24, int quality = 2,
                    int multiPage = 0);

    // Non-zero while a bitmap is held. Setting 0 empties the control; setting a
    // value got from opColorPlane makes that plane the bitmap.
    static constexpr quintptr kBitmapHandle = 1;
    quintptr opBitmapHandle() const;
    void setOpBitmapHandle(quintptr handle);

    bool opContrast(int16_t value);   // -1000 … 1000
    bool opBrightness(int16_t value); // -1000 … 1000
    bool opSplitPlanes(int16_t reserved = 0);
    quintptr opColorPlane(int plane) const; // 0 blue, 1 green, 2 red
    void setOpColorPlane(int plane, quintptr value);
    bool opMergePlanes(int16_t reserved = 0);
    void opFinish();

    // Draws the bitmap into the rectangle (in the painter's coordinates).
    bool opPaint(QPainter *device, float left, float top, float width, float height);

    QString opReadComment(const QString &path, int page, int number);
    void opComment(int number, const QString &text);
    QString comment(int number) const;

    void setOpMethodErrors(bool raise) { methodErrors_ = raise; }
    bool opMethodErrors() const { return methodErrors_; }

    const QImage &image() const { return image_; }
    void setImage(const QImage &image); // counts as a changed bitmap of the loaded picture
    QString loadedPath() const { return loadedPath_; }
    // The last load decoded a picture whose data was cut short (its lower part is
    // made up) or decoded it at a reduced scale. Such a bitmap never replaces its file.
    bool isDamaged() const { return damaged_; }
    bool isReducedScale() const { return reduced_; }
    // The size the loaded picture is stored at, whatever scale it was decoded at.
    QSize storedSize() const { return storedSize_; }
    // The last failure of an operation (or the damage the last load found); an
    // operation that succeeds leaves it as it was.
    const Outcome &lastFailure() const { return lastFailure_; }

private:
    bool fail(Outcome outcome);
    bool fail(Status status, const QString &detail) { return fail(Outcome::failed(status, detail)); }
    bool checkPicture(const PictureBytes &file, bool &jpeg, qint64 &coefficientBytes);
    void markChanged();
    void clear();
    bool isSourceFile(const QString &path) const;
    bool rewriteMetadataOnly(const QString &path);
    std::map<int, QString> mappedComments() const;

    QImage image_;
    std::array<QString, kCommentSlots> comments_;
    bool methodErrors_ = true;
    Outcome lastFailure_;
    QString loadedPath_;    // file the bitmap came from
    bool pristine_ = false; // bitmap unchanged since it was decoded from loadedPath_
    bool reduced_ = false;  // decoded at a reduced scale
    QSize storedSize_;
    bool damaged_ = false; // the file's picture data is cut short
    std::array<QImage, 3> planes_;
    quintptr planeBase_ = 0; // handle of plane 0 since the last split, 0 when none
    quintptr nextHandle_ = 2;
};

} // namespace tolvarine
