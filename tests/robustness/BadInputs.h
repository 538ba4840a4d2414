#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

namespace tolvarine::test {

// Bad inputs made by the tests themselves: every file is generated from a few good
// pictures by cutting, crafting and mutating, so that nothing binary is committed.

enum class PictureFault {
    NotJpeg,  // other formats and scraps named ".jpg"
    CutShort, // good pictures cut at every kind of place
    Header,   // marker segments and frame headers that lie
    Coding,   // codings and colour models the decoder may or may not take
    Exif,     // Exif blocks that loop, point outside, overflow or hold odd dates
    Mutated,  // single bytes overwritten all over a good picture
};

const char *faultName(PictureFault fault);

struct BadPicture {
    std::string name;
    QByteArray bytes;
    // The capture day an Exif reader may still find in it; the file's own date
    // is always an acceptable answer.
    std::optional<QDate> exifDay;
};

std::vector<BadPicture> badPictures(PictureFault fault);

// The day every good picture of the corpus carries in its Exif block.
QDate corpusExifDay();

// A good small picture with that Exif day.
QByteArray goodPicture();

enum class TextKind { NameFile, ClinicIni };

struct BadText {
    std::string name;
    QByteArray bytes;
    // What the reader must find (the name, or the clinic's name) when the file
    // holds it readably; unset when either finding nothing or something is right.
    std::optional<QString> expected;
};

std::vector<BadText> badTexts(TextKind kind);

// A file in the store that is no ordinary picture file: a name that is not
// valid UTF-8 or otherwise odd, or something that is not a regular file.
enum class OddKind { Regular, Fifo, DevZeroLink, DanglingLink, LinkLoop, Folder, LinkToPicture };

struct OddName {
    std::string name;
    QByteArray nativeName; // the bytes of the file name, ".jpg" included
    OddKind kind = OddKind::Regular;
};

std::vector<OddName> oddNames();

// Makes the odd file at folder/nativeName (folder in native bytes); the picture
// is goodPicture(). False when the file system refuses it.
bool makeOddFile(const QByteArray &folder, const OddName &odd, const QByteArray &picture);

} // namespace tolvarine::test
