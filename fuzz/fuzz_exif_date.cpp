// The Exif date reader and the comment reader on arbitrary bytes after a JPEG start.
#include <cstddef>
#include <cstdint>

#include "imaging/ExifMetadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)tolvarine::exifDateTime(bytes);
    tolvarine::CommentTexts texts;
    (void)tolvarine::readCommentTexts(bytes, texts);
    return 0;
}
