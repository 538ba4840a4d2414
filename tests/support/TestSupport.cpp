#include "support/TestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include "sampledata/SamplePictures.h"

namespace tolvarine::test {

Sandbox::Sandbox() { dir_.setAutoRemove(true); }

QString Sandbox::file(const QString &relative) const { return dir_.filePath(relative); }

QString Sandbox::write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QString Sandbox::mkdir(const QString &relative) const
{
    const QString path = file(relative);
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<QSettings> Sandbox::settings() const
{
    return std::make_unique<QSettings>(file(QStringLiteral("settings/Tolvarine.ini")), QSettings::IniFormat);
}

MessageRecorder::MessageRecorder(MessageAnswer answer)
{
    previous_ = setMessageHandler([this, answer](const MessageRequest &request) {
        messages_.push_back(request);
        return answer;
    });
}

MessageRecorder::~MessageRecorder() { setMessageHandler(std::move(previous_)); }

QStringList MessageRecorder::texts() const
{
    QStringList out;
    for (const auto &m : messages_)
        out << m.text;
    return out;
}

QImage makeGradientImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / qMax(1, width - 1), y * 255 / qMax(1, height - 1), 128));
    return image;
}

QImage makeQuadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    const int hw = width / 2, hh = height / 2;
    p.fillRect(0, 0, hw, hh, Qt::red);
    p.fillRect(hw, 0, width - hw, hh, Qt::green);
    p.fillRect(0, hh, hw, height - hh, Qt::blue);
    p.fillRect(hw, hh, width - hw, height - hh, Qt::white);
    return image;
}

QByteArray encodeJpeg(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

QByteArray encodeProgressiveJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(90);
    writer.write(image);
    return bytes;
}

QByteArray encodeJpegWithExif(const QImage &image, const QString &dateTime, const QString &original,
                              int quality)
{
    std::vector<sample::ExifTag> ifd0{{0x010F, QStringLiteral("TolvarineTest")},
                                      {0x013B, QStringLiteral("Dr. Test")}};
    if (!dateTime.isEmpty())
        ifd0.push_back({0x0132, dateTime});
    std::vector<sample::ExifTag> exif;
    if (!original.isEmpty())
        exif.push_back({0x9003, original});
    return sample::withSegment(encodeJpeg(image, quality), sample::exifSegment(ifd0, exif));
}

bool setModified(const QString &path, const QDateTime &local)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        // Read-only files: fall back to utimensat, which needs no write access for root.
        struct timespec times[2];
        times[0].tv_sec = local.toSecsSinceEpoch();
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
    }
    return f.setFileTime(local, QFileDevice::FileModificationTime);
}

QByteArray jpegScanData(const QByteArray &jpeg)
{
    // Walk the marker segments up to start-of-scan (FF DA).
    int pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (uchar(jpeg[pos]) != 0xFF)
            return {};
        const uchar marker = uchar(jpeg[pos + 1]);
        if (marker == 0xDA)
            return jpeg.mid(pos);
        const int length = (uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]);
        pos += 2 + length;
    }
    return {};
}

std::string caseName(const QString &text)
{
    static const std::pair<uint, const char *> words[] = {
        {'-', "minus"}, {'+', "plus"},       {'.', "dot"},  {',', "comma"}, {';', "semicolon"},
        {'=', "eq"},    {'&', "amp"},        {'#', "hash"}, {'@', "at"},    {'"', "quote"},
        {'\'', "apos"}, {'\\', "backslash"}, {'\t', "tab"}, {'\r', "cr"},   {'\n', "lf"}};
    if (text.isEmpty())
        return "empty";
    std::string name;
    for (const uint c : text.toUcs4()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
            name += char(c);
            continue;
        }
        const auto word =
            std::find_if(std::begin(words), std::end(words), [c](const auto &w) { return w.first == c; });
        if (word != std::end(words))
            name += word->second;
        else if (c < 0x80)
            name += '_';
        else
            name += 'u' + QString::number(c, 16).toUpper().toStdString();
    }
    return name;
}

QString labelled(const char *text, std::initializer_list<std::pair<const char *, const char *>> labels)
{
    for (const auto &[from, label] : labels)
        if (qstrcmp(text, from) == 0)
            return QString::fromUtf8(label);
    return QString::fromUtf8(text);
}

bool colorsClose(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace tolvarine::test
