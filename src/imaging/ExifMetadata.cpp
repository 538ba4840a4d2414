#include "imaging/ExifMetadata.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include <QStringDecoder>

#include <exiv2/exiv2.hpp>

#include "imaging/JpegStructure.h"

// Exiv2 0.28 renamed its owning pointers and its exception type.
#if EXIV2_TEST_VERSION(0, 28, 0)
using ExivIoPtr = Exiv2::BasicIo::UniquePtr;
using ExivError = Exiv2::Error;
#else
using ExivIoPtr = Exiv2::BasicIo::AutoPtr;
using ExivError = Exiv2::AnyError;
#endif

namespace tolvarine {

namespace {

struct SlotTag {
    int slot;
    const char *key;
};

// The IFD0 text tags a camera or an editor fills in. Other slots stay in memory.
constexpr SlotTag kSlotTags[] = {
    {0, "Exif.Image.Artist"},  {2, "Exif.Image.DateTime"}, {3, "Exif.Image.ImageDescription"},
    {5, "Exif.Image.Make"},    {6, "Exif.Image.Model"},    {8, "Exif.Image.Software"},
};

constexpr const char *kDateKeys[] = {"Exif.Image.DateTime", "Exif.Photo.DateTimeOriginal",
                                     "Exif.Photo.DateTimeDigitized"};

std::recursive_mutex &xmpMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

void lockXmp(void *, bool lock)
{
    if (lock)
        xmpMutex().lock();
    else
        xmpMutex().unlock();
}

// The XMP toolkit needs one initialisation before any thread parses, and a lock
// because it is not thread-safe itself.
void initializeExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmp, nullptr);
    });
}

QString decodeText(const std::string &raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(raw.data(), qsizetype(raw.size())));
    if (utf8.hasError())
        text = QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

std::optional<QString> tagText(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end())
        return std::nullopt;
    const QString text = decodeText(it->toString());
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> dateFallback(const Exiv2::ExifData &exif)
{
    for (const char *key : kDateKeys) {
        if (auto text = tagText(exif, key))
            return text;
    }
    return std::nullopt;
}

// Runs an Exiv2 step; its exceptions become an error text.
template <typename Step>
bool guarded(QString &error, Step &&step)
{
    try {
        step();
        return true;
    } catch (const ExivError &e) {
        error = QStringLiteral("Exif: %1").arg(QString::fromLocal8Bit(e.what()));
    } catch (const std::exception &e) {
        error = QStringLiteral("Exif: %1").arg(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

ExivIoPtr memoryOf(const QByteArray &bytes)
{
    return ExivIoPtr(new Exiv2::MemIo(reinterpret_cast<const Exiv2::byte *>(bytes.constData()), size_t(bytes.size())));
}

QByteArray contentsOf(Exiv2::BasicIo &io)
{
    io.open();
    const auto size = io.size();
    const Exiv2::byte *data = io.mmap();
    QByteArray out(reinterpret_cast<const char *>(data), qsizetype(size));
    io.munmap();
    return out;
}

std::vector<std::string> keysOf(Exiv2::Image &image)
{
    std::vector<std::string> keys;
    for (const auto &d : image.exifData())
        keys.push_back(d.key());
    for (const auto &d : image.iptcData())
        keys.push_back(d.key());
    for (const auto &d : image.xmpData())
        keys.push_back(d.key());
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Sets every non-empty text whose tag does not already read so.
bool applyTexts(Exiv2::ExifData &exif, const CommentTexts &texts)
{
    bool changed = false;
    for (const auto &[slot, text] : texts) {
        const char *key = exifKeyForSlot(slot);
        if (!key || text.isEmpty())
            continue;
        if (tagText(exif, key) == text)
            continue;
        exif[key] = std::string(text.toUtf8().constData());
        changed = true;
    }
    return changed;
}

QString textsMismatch(const Exiv2::ExifData &exif, const CommentTexts &texts)
{
    for (const auto &[slot, text] : texts) {
        const char *key = exifKeyForSlot(slot);
        if (key && !text.isEmpty() && tagText(exif, key) != text)
            return QStringLiteral("Exif: %1 did not read back after writing").arg(QLatin1String(key));
    }
    return {};
}

MetadataResult failure(const QString &error)
{
    MetadataResult result;
    result.error = error;
    return result;
}

} // namespace

const char *exifKeyForSlot(int slot)
{
    for (const auto &t : kSlotTags) {
        if (t.slot == slot)
            return t.key;
    }
    return nullptr;
}

std::optional<QString> exifDateTime(const QByteArray &jpeg)
{
    if (!looksLikeJpeg(jpeg))
        return std::nullopt;
    initializeExiv2();
    std::optional<QString> date;
    QString error;
    guarded(error, [&] {
        Exiv2::JpegImage image(memoryOf(jpeg), false);
        image.readMetadata();
        date = dateFallback(image.exifData());
    });
    return date;
}

std::optional<QString> readExifDateTime(const QString &path)
{
    const QByteArray head = readJpegHeader(path);
    if (head.isEmpty())
        return std::nullopt;
    return exifDateTime(head);
}

std::optional<CommentTexts> readCommentTexts(const QByteArray &jpeg, QString *error)
{
    if (!looksLikeJpeg(jpeg)) {
        if (error)
            *error = QStringLiteral("not a JPEG file");
        return std::nullopt;
    }
    initializeExiv2();
    CommentTexts texts;
    QString failed;
    const bool ok = guarded(failed, [&] {
        Exiv2::JpegImage image(memoryOf(jpeg), false);
        image.readMetadata();
        const Exiv2::ExifData &exif = image.exifData();
        for (const auto &t : kSlotTags) {
            const auto text = t.slot == 2 ? dateFallback(exif) : tagText(exif, t.key);
            if (text)
                texts[t.slot] = *text;
        }
    });
    if (!ok) {
        if (error)
            *error = failed;
        return std::nullopt;
    }
    return texts;
}

namespace {

// A written file is published only when its picture data is the original's to the
// byte, it parses, the texts read back, and no metadata item of keysBefore is lost.
MetadataResult verifiedResult(const QByteArray &original, MetadataResult result, const CommentTexts &texts,
                              const std::vector<std::string> &keysBefore)
{
    if (!samePictureData(original, result.jpeg))
        return failure(QStringLiteral("Exif: the picture data changed while writing metadata"));
    QString check;
    const bool parsed = guarded(check, [&] {
        Exiv2::JpegImage image(memoryOf(result.jpeg), false);
        image.readMetadata();
        check = textsMismatch(image.exifData(), texts);
        if (!check.isEmpty())
            return;
        const std::vector<std::string> keysAfter = keysOf(image);
        if (!std::includes(keysAfter.begin(), keysAfter.end(), keysBefore.begin(), keysBefore.end()))
            check = QStringLiteral("Exif: metadata items were lost while writing");
    });
    if (!parsed || !check.isEmpty())
        return failure(check.isEmpty() ? QStringLiteral("Exif: the written file does not parse") : check);
    result.ok = true;
    return result;
}

} // namespace

MetadataResult rewriteMetadata(const QByteArray &jpeg, const CommentTexts &texts)
{
    if (!looksLikeJpeg(jpeg))
        return failure(QStringLiteral("not a JPEG file"));
    initializeExiv2();
    MetadataResult result;
    std::vector<std::string> keysBefore;
    bool unreadable = false;
    const bool written = guarded(result.error, [&] {
        Exiv2::JpegImage image(memoryOf(jpeg), false);
        image.readMetadata();
        // Exiv2 would replace an Exif block it could not read with its own, empty one.
        if (image.exifData().empty() && hasExifSegment(jpeg)) {
            unreadable = true;
            return;
        }
        keysBefore = keysOf(image);
        if (!applyTexts(image.exifData(), texts))
            return;
        image.writeXmpFromPacket(true); // the XMP packet goes back verbatim
        image.writeMetadata();
        result.jpeg = contentsOf(image.io());
        result.changed = true;
    });
    if (!written)
        return result;
    if (unreadable)
        return failure(QStringLiteral("Exif: the file's Exif block cannot be read"));
    if (!result.changed) {
        result.ok = true;
        return result;
    }

    return verifiedResult(jpeg, std::move(result), texts, keysBefore);
}

MetadataResult carryMetadata(const QByteArray &source, const QByteArray &encoded, QSize size,
                             const CommentTexts &texts)
{
    if (!looksLikeJpeg(encoded))
        return failure(QStringLiteral("not a JPEG file"));
    initializeExiv2();
    MetadataResult result;
    bool unreadable = false;
    const bool written = guarded(result.error, [&] {
        Exiv2::JpegImage image(memoryOf(encoded), false);
        image.readMetadata();
        if (looksLikeJpeg(source)) {
            Exiv2::JpegImage from(memoryOf(source), false);
            from.readMetadata();
            if (from.exifData().empty() && hasExifSegment(source)) {
                unreadable = true;
                return;
            }
            Exiv2::ExifData exif = from.exifData();
            Exiv2::ExifThumb(exif).erase();
            const auto setIfPresent = [&exif](const char *key, int value) {
                auto it = exif.findKey(Exiv2::ExifKey(key));
                if (it != exif.end())
                    it->setValue(std::to_string(value));
            };
            setIfPresent("Exif.Photo.PixelXDimension", size.width());
            setIfPresent("Exif.Image.ImageWidth", size.width());
            setIfPresent("Exif.Photo.PixelYDimension", size.height());
            setIfPresent("Exif.Image.ImageLength", size.height());
            image.setExifData(exif);
            image.setIptcData(from.iptcData());
            image.setXmpPacket(from.xmpPacket());
            image.writeXmpFromPacket(true);
            if (!from.comment().empty())
                image.setComment(from.comment());
        }
        applyTexts(image.exifData(), texts);
        image.writeMetadata();
        result.jpeg = contentsOf(image.io());
        result.changed = true;
    });
    if (!written)
        return result;
    if (unreadable)
        return failure(QStringLiteral("Exif: the source's Exif block cannot be read"));
    return verifiedResult(encoded, std::move(result), texts, {});
}

} // namespace tolvarine
