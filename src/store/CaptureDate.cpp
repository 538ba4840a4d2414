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
#include "platform/Messages.h"

namespace tolvarine {

QDateTime zeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0));
}

std::optional<QDate> exifTextDate(const QString &exifDateTime)
{
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = exifDateTime.mid(0, 4).toInt(&yearOk);
    const int month = exifDateTime.mid(5, 2).toInt(&monthOk);
    const int day = exifDateTime.mid(8, 2).toInt(&dayOk);
    if (!yearOk || !monthOk || !dayOk)
        return std::nullopt;
    const QDate date(year, month, day);
    // The calendar the stores were written with knows the years 100 to 9999 only.
    if (!date.isValid() || year < 100 || year > 9999)
        return std::nullopt;
    return date;
}

namespace {

const QString kFileDateTitle = QStringLiteral("IE5.0以降をｲﾝｽﾄｰﾙ");

// Shows nothing: the text of the owed message goes to failure.
std::optional<QDateTime> readFileDate(const QString &fileName, QString &failure)
{
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0) {
        const int error = errno;
        char buffer[256] = {};
        // The GNU strerror_r gives a message for every number and is safe on any thread.
        const char *text = strerror_r(error, buffer, sizeof buffer);
        failure = QStringLiteral("VB ｴﾗｰ: '%1' - %2.").arg(error).arg(QString::fromLocal8Bit(text));
        return std::nullopt;
    }
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
}

} // namespace

std::optional<QDateTime> funGetFileDate(const QString &strFileName)
{
    QString failure;
    const std::optional<QDateTime> date = readFileDate(strFileName, failure);
    if (!date)
        showMessage(failure, kFileDateTitle);
    return date;
}

QDateTime funGetExifFileDate(ImagingControl &imgPrint, const QString &strFileName)
{
    imgPrint.setOpMethodErrors(false);
    const QString text = imgPrint.opReadComment(strFileName, 0, kCommentDateTime);
    if (const auto date = exifTextDate(text))
        return QDateTime(*date, QTime(0, 0, 0));
    return funGetFileDate(strFileName).value_or(zeroDate());
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
    dated.date = readFileDate(fileName, dated.failure).value_or(zeroDate());
    return dated;
}

void reportDateFailure(const PictureDate &dated)
{
    if (!dated.failure.isEmpty())
        showMessage(dated.failure, kFileDateTitle);
}

QDateTime captureDate(const QString &fileName, int16_t fileHizuke)
{
    const PictureDate dated = pictureDate(fileName, fileHizuke);
    reportDateFailure(dated);
    return dated.date;
}

bool subWriteExifDate(ImagingControl &imgPrint, const QString &strTargetFile, const QDateTime &datNewDate)
{
    imgPrint.setOpMethodErrors(false);
    // Saving whatever bitmap the control held before would overwrite the picture
    // with another one: without a fresh load there is nothing to save.
    if (!imgPrint.opLoadFile(strTargetFile, 0, 0, 1))
        return false;
    for (int n = 0; n < kCommentSlots; ++n) {
        imgPrint.opComment(n, QString());
        imgPrint.opComment(n, imgPrint.opReadComment(strTargetFile, 0, n));
    }
    imgPrint.opComment(kCommentDateTime, datNewDate.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
    return imgPrint.opSaveFile(strTargetFile, kFormatJpegExif, 24, 2, 0);
}

bool subSetFileTime(const QString &strTargetFile, const QDateTime &datNewDate)
{
    const QByteArray native = QFile::encodeName(strTargetFile);
    // A read-only file is never re-dated, whatever privileges the program runs with.
    const int fd = isReadOnlyFile(strTargetFile) ? -1 : ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        showMessage(QStringLiteral("-1[ﾊﾝﾄﾞﾙ取得エラー]\r\n読み取り専用ファイル？"));
        return false;
    }
    const bool ok = setModifiedTime(fd, datNewDate.toSecsSinceEpoch());
    ::close(fd);
    if (!ok)
        showMessage(QStringLiteral("タイムスタンプ変更失敗しました"));
    return ok;
}

} // namespace tolvarine
