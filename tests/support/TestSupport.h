#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
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
QByteArray encodeProgressiveJpeg(const QImage &image);
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

// A parameterised case's name from free text. gtest takes only ASCII letters, digits
// and underscores: blanks and separators become underscores, signs and marks short
// words ("-5" gives "minus5", "a.jpg" "adotjpg"), other characters their code point
// (u5199), the empty text "empty".
std::string caseName(const QString &text);
inline std::string caseName(const char *text) { return caseName(QString::fromUtf8(text)); }
inline std::string caseName(const std::string &text) { return caseName(text.c_str()); }

// The label given for a text in the table, or else the text itself: for test data whose
// point is not visible in its code points.
QString labelled(const char *text, std::initializer_list<std::pair<const char *, const char *>> labels);

// The name generator of INSTANTIATE_TEST_SUITE_P that names each case by the text
// `describe` gives for its parameter.
template <class Describe> auto namedBy(Describe describe)
{
    return [describe](const auto &info) { return caseName(describe(info.param)); };
}

} // namespace tolvarine::test
