#include "store/NameFile.h"

#include <QFileInfo>

#include "platform/NumberText.h"
#include "platform/TextCodec.h"

namespace tolvarine {

namespace {

// A name file is one short line; anything far larger is not a name file.
constexpr qint64 kMaxNameFileBytes = 1024 * 1024;

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

int lineEnd(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n'))
            return i;
    }
    return int(text.size());
}

QString dropTrailingBlanks(const QString &text)
{
    int end = int(text.size());
    while (end > 0 && isBlank(text.at(end - 1)))
        --end;
    return text.left(end);
}

// Quoting keeps a comma, and blanks at either end, in the name as it reads back; a
// name with a quote cannot be quoted.
bool needsQuotes(const QString &name)
{
    const bool blankEnd = !name.isEmpty() && (isBlank(name.front()) || isBlank(name.back()));
    return (blankEnd || name.contains(QLatin1Char(','))) && !name.contains(QLatin1Char('"'));
}

} // namespace

QString firstNameField(const QString &text)
{
    const QString line = text.left(lineEnd(text));
    int start = 0;
    while (start < line.size() && isBlank(line.at(start)))
        ++start;
    if (start < line.size() && line.at(start) == QLatin1Char('"')) {
        const int close = int(line.indexOf(QLatin1Char('"'), start + 1));
        return close < 0 ? line.mid(start + 1) : line.mid(start + 1, close - start - 1);
    }
    const int comma = int(line.indexOf(QLatin1Char(','), start));
    return dropTrailingBlanks(comma < 0 ? line.mid(start) : line.mid(start, comma - start));
}

std::optional<QString> readPatientName(const QString &nameFilePath)
{
    const QString existing = resolveCaseInsensitive(nameFilePath);
    if (existing.isEmpty())
        return QString();
    if (!QFileInfo(existing).isFile())
        return std::nullopt;
    QByteArray bytes;
    if (!readWholeFile(existing, bytes, kMaxNameFileBytes))
        return std::nullopt;
    return patientNameFromBytes(bytes);
}

std::optional<QString> patientNameFromBytes(const QByteArray &bytes)
{
    // UTF-16 is decoded whole; it is the only encoding whose line breaks are not
    // single bytes.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const std::optional<QString> text = decodeUtf8OrCp932(bytes);
        if (!text || text->contains(QChar(0)))
            return std::nullopt;
        return firstNameField(*text);
    }
    // Line breaks are single bytes in both encodings, so the first line can be cut
    // before decoding; later lines then cannot spoil the encoding guess.
    const int cr = int(bytes.indexOf('\r'));
    const int lf = int(bytes.indexOf('\n'));
    int end = int(bytes.size());
    if (cr >= 0)
        end = cr;
    if (lf >= 0 && lf < end)
        end = lf;
    // A NUL byte is no part of a name (UTF-16 without its BOM, a binary file): the
    // name shown would be written back in its place.
    const QByteArray line = bytes.left(end);
    if (line.contains('\0'))
        return std::nullopt;
    const std::optional<QString> text = decodeUtf8OrCp932(line);
    if (!text)
        return std::nullopt;
    return firstNameField(*text);
}

QByteArray encodePatientName(const QString &name)
{
    const QString quoted = needsQuotes(name) ? QLatin1Char('"') + name + QLatin1Char('"') : name;
    const QString line = quoted + QStringLiteral("\r\n");
    // CP932 is kept only when the bytes read back as the same text: some characters
    // change on the way through CP932, and some CP932 byte runs are valid UTF-8.
    const std::optional<QByteArray> cp932 = encodeCp932(line);
    if (cp932 && decodeUtf8OrCp932(*cp932) == line)
        return *cp932;
    return kUtf8Bom + line.toUtf8();
}

Outcome writePatientName(const QString &nameFilePath, const QString &name)
{
    if (name.isEmpty())
        return Outcome::failed(Status::Refused, QStringLiteral("empty name: nothing written"));
    const QString existing = resolveCaseInsensitive(nameFilePath);
    return writeFileAtomically(existing.isEmpty() ? nameFilePath : existing, encodePatientName(name));
}

} // namespace tolvarine
