#include "store/CaptureDate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "imaging/ExifMetadata.h"
#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"

namespace tolvarine {

QDateTime zeroDate() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0)); }

std::optional<QDate> exifTextDate(const QString &exifDateTime)
{
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = exifDateTime.mid(0, 4).toInt(&yearOk);
    const int month = exifDateTime.mid(5, 2).toInt(&monthOk);
    const int day = exifDateTime.mid(8, 2).toInt(&dayOk);
    if (!yearOk || !monthOk || !dayOk)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid() || !isCaptureYear(year))
        return std::nullopt;
    return date;
}

std::optional<QDateTime> readFileDate(const QString &fileName, Outcome *failure)
{
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0) {
        if (failure)
            *failure =
                Outcome::failed(errno == ENOENT ? Status::Missing : Status::Unreadable, fileName, errno);
        return std::nullopt;
    }
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
}

QDateTime exifOrFileDate(ImagingControl &imgPrint, const QString &fileName, Outcome *failure)
{
    imgPrint.setOpMethodErrors(false);
    const QString text = imgPrint.opReadComment(fileName, 0, kCommentDateTime);
    if (const auto date = exifTextDate(text))
        return QDateTime(*date, QTime(0, 0, 0));
    return readFileDate(fileName, failure).value_or(zeroDate());
}

PictureDate pictureDate(const QString &fileName, int16_t fileHizuke)
{
    PictureDate dated;
    if (fileHizuke == 0) {
        if (const auto date = exifTextDate(readExifDateTime(fileName).value_or(QString()))) {
            dated.date = QDateTime(*date, QTime(0, 0, 0));
            return dated;
        }
    }
    dated.date = readFileDate(fileName, &dated.failure).value_or(zeroDate());
    return dated;
}

Outcome writeExifDate(ImagingControl &imgPrint, const QString &targetFile, const QDateTime &newDate)
{
    // An empty slot would leave the old date standing and still count as saved.
    const QString text =
        newDate.isValid() ? newDate.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")) : QString();
    if (!isExifDateTime(text))
        return Outcome::failed(
            Status::Invalid,
            QStringLiteral("not a date that can be written: \"%1\": %2").arg(text, targetFile));
    imgPrint.setOpMethodErrors(false);
    // Saving whatever bitmap the control held before would overwrite the picture
    // with another one: without a fresh load there is nothing to save.
    if (!imgPrint.opLoadFile(targetFile, 0, 0, 1))
        return imgPrint.lastFailure();
    for (int n = 0; n < kCommentSlots; ++n) {
        imgPrint.opComment(n, QString());
        imgPrint.opComment(n, imgPrint.opReadComment(targetFile, 0, n));
    }
    imgPrint.opComment(kCommentDateTime, text);
    if (!imgPrint.opSaveFile(targetFile, kFormatJpegExif, 24, 2, 0))
        return imgPrint.lastFailure();
    return Outcome::done(targetFile);
}

Outcome setFileTime(const QString &targetFile, const QDateTime &newDate)
{
    return setLastWriteTime(targetFile, newDate.toSecsSinceEpoch());
}

} // namespace tolvarine
