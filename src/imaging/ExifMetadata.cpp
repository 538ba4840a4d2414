#include "imaging/ExifMetadata.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <QDate>
#include <QStringDecoder>
#include <QTime>

#include <exiv2/exiv2.hpp>

#include "imaging/JpegStructure.h"
#include "imaging/TiffStructure.h"

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
    {0, "Exif.Image.Artist"}, {2, "Exif.Image.DateTime"}, {3, "Exif.Image.ImageDescription"},
    {5, "Exif.Image.Make"},   {6, "Exif.Image.Model"},    {8, "Exif.Image.Software"},
};

constexpr const char *kDateTimeKey = "Exif.Image.DateTime";
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

// Exiv2 tells what it could not read (an entry it cut short, a maker note it
// skipped) only through its one global log handler, on the thread that was
// reading; each call collects its own thread's messages.
thread_local QString *exiv2Complaints = nullptr;

void collectExiv2Complaint(int, const char *message)
{
    if (exiv2Complaints && exiv2Complaints->isEmpty() && message)
        *exiv2Complaints = QString::fromLocal8Bit(message).trimmed();
}

// The first warning or error Exiv2 logs on this thread while it lives.
class Exiv2Complaints {
public:
    Exiv2Complaints() : outer_(exiv2Complaints) { exiv2Complaints = &first_; }
    ~Exiv2Complaints() { exiv2Complaints = outer_; }
    Exiv2Complaints(const Exiv2Complaints &) = delete;
    Exiv2Complaints &operator=(const Exiv2Complaints &) = delete;
    const QString &first() const { return first_; }

private:
    QString first_;
    QString *outer_;
};

// The XMP toolkit needs one initialisation before any thread parses, and a lock
// because it is not thread-safe itself. The log handler is set here too, before
// any thread can log.
void initializeExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setHandler(collectExiv2Complaint);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
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

// Runs an Exiv2 step; its exceptions come back as an outcome of that status.
template <typename Step> Outcome guarded(Status status, Step &&step)
{
    try {
        step();
        return Outcome::done();
    } catch (const ExivError &e) {
        return Outcome::failed(status, QStringLiteral("Exif: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::exception &e) {
        return Outcome::failed(status, QStringLiteral("Exif: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

Outcome failedCheck(const char *why)
{
    return Outcome::failed(Status::Unverified, QStringLiteral("Exif: %1").arg(QLatin1String(why)));
}

ExivIoPtr memoryOf(const QByteArray &bytes)
{
    return ExivIoPtr(
        new Exiv2::MemIo(reinterpret_cast<const Exiv2::byte *>(bytes.constData()), size_t(bytes.size())));
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

struct DecodedExif {
    Exiv2::ExifData data;
    Exiv2::ByteOrder order = Exiv2::invalidByteOrder;
    QByteArrayView tiff;
    QString complaint; // Exiv2's first warning or error while decoding
};

// Decodes the TIFF structure of the JPEG's first Exif segment; an empty result
// when there is none.
Outcome decodeExif(const QByteArray &jpeg, const std::optional<JpegSegment> &segment, DecodedExif &out)
{
    if (!segment)
        return Outcome::done();
    out.tiff = exifTiffOf(jpeg, *segment);
    if (out.tiff.size() < 8)
        return Outcome::failed(Status::Damaged, QStringLiteral("Exif: the Exif block is cut short"));
    initializeExiv2();
    const Exiv2Complaints complaints;
    const Outcome decoded = guarded(Status::Damaged, [&] {
        out.order = Exiv2::ExifParser::decode(
            out.data, reinterpret_cast<const Exiv2::byte *>(out.tiff.data()), uint32_t(out.tiff.size()));
    });
    out.complaint = complaints.first();
    return decoded;
}

// Key and new text of every tag a rewrite sets.
using Changes = std::map<std::string, QString>;

Changes changesFor(const Exiv2::ExifData &exif, const CommentTexts &texts)
{
    Changes changes;
    for (const auto &[slot, text] : texts) {
        const char *key = exifKeyForSlot(slot);
        if (key && !text.isEmpty() && tagText(exif, key) != text)
            changes[key] = text;
    }
    return changes;
}

// Whatever the path, a date is written only in the form it is read back in.
Outcome checkDateChange(const Changes &changes)
{
    const auto date = changes.find(kDateTimeKey);
    if (date == changes.end() || isExifDateTime(date->second))
        return Outcome::done();
    return Outcome::failed(
        Status::Invalid,
        QStringLiteral("Exif: not a date-time that can be written: \"%1\"").arg(date->second));
}

// The usual camera file keeps its date in a 20-byte ASCII DateTime of IFD0:
// writing the 19 new characters over the old ones changes nothing else.
bool dateInPlace(const QByteArray &jpeg, const DecodedExif &exif, const Changes &changes,
                 QByteArray &rewritten)
{
    if (changes.size() != 1 || changes.begin()->first != kDateTimeKey)
        return false;
    const QString &date = changes.begin()->second;
    if (date.size() != 19 || exif.tiff.isEmpty())
        return false;
    const auto layout = readTiffLayout(exif.tiff);
    if (!layout)
        return false;
    const TiffEntry *entry = findTiffEntry(*layout, TiffIfd::Image, kTagDateTime);
    if (!entry || entry->type != kTiffAscii || entry->count != 20 || entry->valueOffset < 0
        || exif.tiff[entry->valueOffset + 19] != '\0')
        return false;
    rewritten = jpeg;
    rewritten.replace(exif.tiff.data() - jpeg.constData() + entry->valueOffset, 19, date.toLatin1());
    return true;
}

// Exiv2 makes the new Exif block; it replaces the old segment, or goes in where
// there was none, and nothing else moves.
Outcome spliceNewExif(const QByteArray &jpeg, const std::optional<JpegSegment> &old,
                      const DecodedExif &before, const Changes &changes, QByteArray &rewritten)
{
    QByteArray tiff;
    const Outcome encoded = guarded(Status::Unverified, [&] {
        Exiv2::ExifData exif = before.data;
        for (const auto &[key, text] : changes)
            exif[key] = std::string(text.toUtf8().constData());
        // Exiv2 updates the old block in place when it can, so it gets a copy.
        QByteArray original = before.tiff.toByteArray();
        const Exiv2::ByteOrder order =
            before.order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : before.order;
        Exiv2::Blob blob;
        const auto method = Exiv2::ExifParser::encode(
            blob, original.isEmpty() ? nullptr : reinterpret_cast<Exiv2::byte *>(original.data()),
            uint32_t(original.size()), order, exif);
        tiff = method == Exiv2::wmNonIntrusive
                   ? original
                   : QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
    });
    if (!encoded)
        return encoded;
    const QByteArray segment = makeExifSegment(tiff);
    if (tiff.isEmpty() || segment.isEmpty())
        return Outcome::failed(Status::Refused,
                               QStringLiteral("Exif: the new Exif block does not fit a segment"));
    const qsizetype oldSize = old ? old->size : 0;
    const qsizetype end = jpegEndOfImage(jpeg);
    if (segment.size() != oldSize && end != jpeg.size())
        return Outcome::failed(
            Status::Refused,
            end < 0 ? QStringLiteral("Exif: the end of the picture cannot be found for sure, and data "
                                     "after it would move with a new Exif block")
                    : QStringLiteral("Exif: the data after the picture would move with a new Exif block"));
    const qsizetype at = old ? old->offset : exifInsertionOffset(jpeg);
    rewritten.reserve(jpeg.size() - oldSize + segment.size());
    rewritten.append(QByteArrayView(jpeg).first(at))
        .append(segment)
        .append(QByteArrayView(jpeg).sliced(at + oldSize));
    return Outcome::done();
}

// Tag names of values that are places in the block rather than data of their own;
// a rewrite may move what they point at.
bool isPointerKey(const Exiv2::Exifdatum &d)
{
    static const std::set<std::string> names{
        "ExifTag",     "GPSTag", "InteroperabilityTag", "JPEGInterchangeFormat", "StripOffsets",
        "TileOffsets", "SubIFDs"};
    const std::string name = d.tagName();
    const auto endsWith = [&name](const std::string &suffix) {
        return name.size() >= suffix.size()
               && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    const bool offsetType = d.typeId() == Exiv2::unsignedLong || d.typeId() == Exiv2::signedLong
                            || d.typeId() == Exiv2::tiffIfd || d.typeId() == Exiv2::undefined;
    return names.count(name) || (offsetType && (endsWith("Offset") || endsWith("Start") || endsWith("IFD")));
}

constexpr const char *kMakerNoteKey = "Exif.Photo.MakerNote";
constexpr const char *kMakerNoteOffsetKey = "Exif.MakerNote.Offset";

// A maker note Exiv2 read whole is rewritten from its decoded tags, which are
// compared one by one. Any other is copied as an opaque block, whose inner offsets
// may count from the TIFF header, so it must stay where it was. Exiv2 names the
// note's offset for every maker it knows, also when it could not read the note.
bool makerNoteReadWhole(const DecodedExif &exif)
{
    if (!exif.complaint.isEmpty()
        || exif.data.findKey(Exiv2::ExifKey(kMakerNoteOffsetKey)) == exif.data.end())
        return false;
    return std::any_of(exif.data.begin(), exif.data.end(), [](const Exiv2::Exifdatum &d) {
        const std::string group = d.groupName();
        return group != "MakerNote" && Exiv2::ExifTags::isMakerGroup(group);
    });
}

using Item = std::tuple<std::string, int, long, std::vector<Exiv2::byte>>;

// Every decoded item but those set, each with its type, count and value bytes;
// pointers without their value, since they may move.
std::vector<Item> itemsOf(const Exiv2::ExifData &exif, const Changes &changes, bool makerNoteRebuilt)
{
    std::vector<Item> items;
    for (const Exiv2::Exifdatum &d : exif) {
        const std::string key = d.key();
        if (changes.count(key) || key == kMakerNoteOffsetKey)
            continue;
        std::vector<Exiv2::byte> value;
        const bool opaque = isPointerKey(d) || (makerNoteRebuilt && key == kMakerNoteKey);
        if (!opaque && d.size() > 0) {
            value.resize(size_t(d.size()));
            d.copy(value.data(), Exiv2::bigEndian);
        }
        items.emplace_back(key, int(d.typeId()), long(d.count()), std::move(value));
    }
    std::sort(items.begin(), items.end());
    return items;
}

std::vector<TiffEntry> sortedEntries(const TiffLayout &layout)
{
    std::vector<TiffEntry> entries = layout.entries;
    std::stable_sort(entries.begin(), entries.end(), [](const TiffEntry &a, const TiffEntry &b) {
        return std::make_pair(int(a.ifd), a.tag) < std::make_pair(int(b.ifd), b.tag);
    });
    return entries;
}

// The same check on the TIFF structure as read here, which also sees what Exiv2
// smooths over: a value whose offset lies outside the block, which a rewrite
// would turn into an empty one.
bool sameTiffEntries(QByteArrayView was, QByteArrayView now, const std::set<quint16> &setTags,
                     bool opaqueMakerNote)
{
    const auto before = readTiffLayout(was);
    const auto after = readTiffLayout(now);
    if (!before || !after)
        return false;
    const auto kept = [&](const TiffLayout &layout) {
        std::vector<TiffEntry> entries;
        for (const TiffEntry &e : sortedEntries(layout)) {
            if (!(e.ifd == TiffIfd::Image && setTags.count(e.tag)))
                entries.push_back(e);
        }
        return entries;
    };
    const std::vector<TiffEntry> a = kept(*before), b = kept(*after);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const TiffEntry &x = a[i], &y = b[i];
        if (x.ifd != y.ifd || x.tag != y.tag || x.type != y.type || x.count != y.count)
            return false;
        if (x.valueOffset < 0) {
            // Only left exactly as it was does such an entry keep what it meant.
            if (y.valueOffset >= 0 || x.entryOffset != y.entryOffset || was.size() != now.size()
                || was.sliced(x.entryOffset, 12) != now.sliced(y.entryOffset, 12))
                return false;
            continue;
        }
        if (y.valueOffset < 0)
            return false;
        if (x.ifd == TiffIfd::Photo && x.tag == kTagMakerNote) {
            if (opaqueMakerNote
                && (x.valueOffset != y.valueOffset
                    || was.sliced(x.valueOffset, x.valueSize) != now.sliced(y.valueOffset, y.valueSize)))
                return false;
            continue;
        }
        if (!isTiffPointer(x)
            && was.sliced(x.valueOffset, x.valueSize) != now.sliced(y.valueOffset, y.valueSize))
            return false;
    }
    const auto thumbBefore = tiffThumbnail(was, *before);
    const auto thumbAfter = tiffThumbnail(now, *after);
    if (thumbBefore.has_value() != thumbAfter.has_value())
        return false;
    return !thumbBefore
           || was.sliced(thumbBefore->first, thumbBefore->second)
                  == now.sliced(thumbAfter->first, thumbAfter->second);
}

// The proof a rewrite owes before it is published.
Outcome verifyRewrite(const QByteArray &before, const QByteArray &after, const Changes &changes)
{
    const std::optional<JpegSegment> oldSegment = exifSegmentOf(before);
    const std::optional<JpegSegment> newSegment = exifSegmentOf(after);
    if (!newSegment || (oldSegment && oldSegment->offset != newSegment->offset))
        return failedCheck("the Exif segment is not where it was");
    const qsizetype start = newSegment->offset;
    const qsizetype oldEnd = oldSegment ? oldSegment->offset + oldSegment->size : start;
    if (oldEnd > before.size() || QByteArrayView(after).first(start) != QByteArrayView(before).first(start)
        || QByteArrayView(after).sliced(start + newSegment->size) != QByteArrayView(before).sliced(oldEnd))
        return failedCheck("bytes outside the Exif segment changed");

    DecodedExif was, now;
    if (!decodeExif(before, oldSegment, was) || !decodeExif(after, newSegment, now) || now.data.empty())
        return failedCheck("the new Exif block does not read");
    std::set<quint16> setTags;
    for (const auto &[key, text] : changes) {
        if (tagText(now.data, key.c_str()) != text)
            return failedCheck("a text did not read back after writing");
        setTags.insert(Exiv2::ExifKey(key).tag());
    }
    const bool makerNoteRebuilt = makerNoteReadWhole(was);
    if (itemsOf(was.data, changes, makerNoteRebuilt) != itemsOf(now.data, changes, makerNoteRebuilt))
        return failedCheck("Exif items were changed, added or lost");
    if (oldSegment && !sameTiffEntries(was.tiff, now.tiff, setTags, !makerNoteRebuilt))
        return failedCheck("the Exif structure changed beyond the texts set");
    return Outcome::done();
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

bool isCaptureYear(int year) { return year >= 100 && year <= 9999; }

bool isExifDateTime(const QString &text)
{
    static const QString form = QStringLiteral("0000:00:00 00:00:00");
    if (text.size() != form.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digitWanted = form[i] == QLatin1Char('0');
        if (digitWanted != (text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            || (!digitWanted && text[i] != form[i]))
            return false;
    }
    const auto number = [&text](qsizetype at, qsizetype length) { return text.mid(at, length).toInt(); };
    return isCaptureYear(number(0, 4)) && QDate(number(0, 4), number(5, 2), number(8, 2)).isValid()
           && QTime(number(11, 2), number(14, 2), number(17, 2)).isValid();
}

namespace {

// IFD0's date when it is whole in tiff, a TIFF structure perhaps cut short, and a
// valid date: then it is the first of the date fallback, whatever the rest holds,
// so a long camera block need not be read to its end for it.
std::optional<QString> wholeImageDateTime(QByteArrayView tiff)
{
    const auto layout = readTiffLayout(tiff);
    if (!layout)
        return std::nullopt;
    const TiffEntry *entry = findTiffEntry(*layout, TiffIfd::Image, kTagDateTime);
    if (!entry || entry->type != kTiffAscii || entry->valueOffset < 0)
        return std::nullopt;
    const QByteArrayView value = tiff.sliced(entry->valueOffset, entry->valueSize);
    const qsizetype end = value.indexOf('\0');
    const QString text = QString::fromLatin1(end < 0 ? value : value.first(end));
    return isExifDateTime(text) ? std::optional<QString>(text) : std::nullopt;
}

} // namespace

std::optional<QString> exifDateTime(const QByteArray &jpeg)
{
    if (!looksLikeJpeg(jpeg))
        return std::nullopt;
    if (const auto tiff = exifTiffSoFar(jpeg)) {
        if (auto date = wholeImageDateTime(*tiff))
            return date;
    }
    DecodedExif exif;
    if (!decodeExif(jpeg, exifSegmentOf(jpeg), exif))
        return std::nullopt;
    return dateFallback(exif.data);
}

std::optional<QString> readExifDateTime(const QString &path)
{
    QByteArray head;
    std::optional<QString> early; // found in a block read only in part
    if (!readJpegHeader(path, head, HeaderEnd::ExifBlock, [&early](QByteArrayView tiff) {
            early = wholeImageDateTime(tiff);
            return early.has_value();
        }))
        return std::nullopt;
    return early ? early : exifDateTime(head);
}

Outcome readCommentTexts(const QByteArray &jpeg, CommentTexts &texts)
{
    texts.clear();
    if (!looksLikeJpeg(jpeg))
        return Outcome::failed(Status::NotJpeg);
    DecodedExif exif;
    const Outcome decoded = decodeExif(jpeg, exifSegmentOf(jpeg), exif);
    if (!decoded)
        return decoded;
    for (const auto &t : kSlotTags) {
        const auto text = t.slot == 2 ? dateFallback(exif.data) : tagText(exif.data, t.key);
        if (text)
            texts[t.slot] = *text;
    }
    return Outcome::done();
}

Outcome rewriteMetadata(const QByteArray &jpeg, const CommentTexts &texts, QByteArray &rewritten)
{
    rewritten.clear();
    if (!looksLikeJpeg(jpeg))
        return Outcome::failed(Status::NotJpeg);
    // Whatever is rewritten must at least be a picture up to its first scan.
    if (jpegScanOffset(jpeg) < 0)
        return Outcome::failed(Status::Damaged, QStringLiteral("no JPEG picture data found"));
    const std::optional<JpegSegment> old = exifSegmentOf(jpeg);
    DecodedExif before;
    const Outcome decoded = decodeExif(jpeg, old, before);
    if (!decoded)
        return decoded;
    // A new block in place of one that cannot be read would lose all it holds.
    if (old && before.data.empty())
        return Outcome::failed(Status::Damaged, QStringLiteral("Exif: the file's Exif block cannot be read"));
    const Changes changes = changesFor(before.data, texts);
    if (changes.empty())
        return Outcome::unchanged();
    if (Outcome date = checkDateChange(changes); !date)
        return date;

    if (!dateInPlace(jpeg, before, changes, rewritten)) {
        // Exiv2 drops or cuts short what it could not read, and names no such loss
        // otherwise: a block it complained about is not rebuilt.
        if (!before.complaint.isEmpty())
            return Outcome::failed(
                Status::Refused,
                QStringLiteral("Exif: the file's Exif block is not read whole (%1)").arg(before.complaint));
        const Outcome spliced = spliceNewExif(jpeg, old, before, changes, rewritten);
        if (!spliced) {
            rewritten.clear();
            return spliced;
        }
    }
    const Outcome checked = verifyRewrite(jpeg, rewritten, changes);
    if (!checked)
        rewritten.clear();
    return checked;
}

Outcome carryMetadata(const QByteArray &source, const QByteArray &encoded, QSize size,
                      const CommentTexts &texts, QByteArray &result)
{
    result.clear();
    if (!looksLikeJpeg(encoded))
        return Outcome::failed(Status::NotJpeg);
    initializeExiv2();
    // The source's leading segments may end without a scan; an end marker lets
    // Exiv2's reader stop there.
    QByteArray from = source;
    if (looksLikeJpeg(from) && jpegScanOffset(from) < 0)
        from.append("\xFF\xD9", 2);
    bool unreadable = false;
    Outcome date = Outcome::done();
    const Outcome written = guarded(Status::Unverified, [&] {
        Exiv2::JpegImage image(memoryOf(encoded), false);
        image.readMetadata();
        if (looksLikeJpeg(from)) {
            Exiv2::JpegImage original(memoryOf(from), false);
            original.readMetadata();
            if (original.exifData().empty() && hasExifSegment(from)) {
                unreadable = true;
                return;
            }
            Exiv2::ExifData exif = original.exifData();
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
            image.setIptcData(original.iptcData());
            image.setXmpPacket(original.xmpPacket());
            image.writeXmpFromPacket(true);
            if (!original.comment().empty())
                image.setComment(original.comment());
        }
        const Changes changes = changesFor(image.exifData(), texts);
        date = checkDateChange(changes);
        if (!date)
            return;
        for (const auto &[key, text] : changes)
            image.exifData()[key] = std::string(text.toUtf8().constData());
        image.writeMetadata();
        result = contentsOf(image.io());
    });
    if (!date) {
        result.clear();
        return date;
    }
    if (!written || unreadable) {
        result.clear();
        return unreadable ? Outcome::failed(Status::Damaged,
                                            QStringLiteral("Exif: the source's Exif block cannot be read"))
                          : written;
    }
    // A fresh encoding has nothing to keep but its picture, and the texts must be there.
    DecodedExif check;
    Outcome checked = Outcome::done();
    if (!samePictureData(encoded, result) || !decodeExif(result, exifSegmentOf(result), check))
        checked = failedCheck("the picture data changed while writing metadata");
    else if (!changesFor(check.data, texts).empty())
        checked = failedCheck("a text did not read back after writing");
    if (!checked)
        result.clear();
    return checked;
}

} // namespace tolvarine
