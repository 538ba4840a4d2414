#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "platform/Messages.h"

namespace tolvarine::test {

// A fresh folder per test, removed afterwards.
class Sandbox {
public:
    Sandbox();
    QString path() const { return dir_.path(); }
    QString file(const QString &relative) const;
    // Creates parent folders as needed.
    QString write(const QString &relative, const QByteArray &bytes) const;
    QString mkdir(const QString &relative) const;
    // A settings store of its own in the sandbox.
    std::unique_ptr<QSettings> settings() const;

private:
    QTemporaryDir dir_;
};

// Records every message box and answers with a fixed answer.
class MessageRecorder {
public:
    explicit MessageRecorder(MessageAnswer answer = MessageAnswer::Ok);
    ~MessageRecorder();
    const std::vector<MessageRequest> &messages() const { return messages_; }
    QStringList texts() const;
    void clear() { messages_.clear(); }

private:
    std::vector<MessageRequest> messages_;
    MessageHandler previous_;
};

// Deterministic pictures with known content.
QImage makeGradientImage(int width, int height);
// Four distinctly coloured quadrants: red top-left, green top-right, blue bottom-left,
// white bottom-right.
QImage makeQuadrantImage(int width, int height);
QByteArray encodeJpeg(const QImage &image, int quality = 90);
// JPEG with a hand-built Exif block: Exif.Image.Make "TolvarineTest", Exif.Image.Artist
// "Dr. Test", Exif.Image.DateTime (when dateTime is not empty) and
// Exif.Photo.DateTimeOriginal (when original is not empty), so that reading and
// carry-over can be checked independently of the code under test.
QByteArray encodeJpegWithExif(const QImage &image, const QString &dateTime,
                              const QString &original = QString(), int quality = 90);

// Sets the last-modified time of a file (local time).
bool setModified(const QString &path, const QDateTime &local);

// The compressed picture data of a JPEG: everything from the start-of-scan marker on.
QByteArray jpegScanData(const QByteArray &jpeg);

bool colorsClose(QColor a, QColor b, int tolerance = 24);

} // namespace tolvarine::test
