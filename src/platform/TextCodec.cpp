#include "platform/TextCodec.h"

#include <cerrno>
#include <iconv.h>

#include <QStringDecoder>

namespace tolvarine {

namespace {

std::optional<QByteArray> convert(const char *to, const char *from, const QByteArray &input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray output;
    output.resize(input.size() * 4 + 16);
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char *out = output.data();
    size_t outLeft = static_cast<size_t>(output.size());
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                const auto used = out - output.data();
                output.resize(output.size() * 2);
                out = output.data() + used;
                outLeft = static_cast<size_t>(output.size() - used);
                continue;
            }
            ok = false; // EILSEQ or EINVAL: not representable or truncated sequence
            break;
        }
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.resize(static_cast<int>(out - output.data()));
    return output;
}

} // namespace

std::optional<QString> decodeCp932(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    const auto utf8 = convert("UTF-8", "CP932", bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

std::optional<QByteArray> encodeCp932(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    return convert("CP932", "UTF-8", text.toUtf8());
}

std::optional<QString> decodeUtf8OrCp932(const QByteArray &bytes)
{
    // A BOM says what the rest is; bytes that are not what it says are not text.
    // Windows' editors save "Unicode" as UTF-16 with its BOM.
    const auto strictly = [](QStringDecoder::Encoding encoding,
                             QByteArrayView data) -> std::optional<QString> {
        // A BOM is only taken off the start of the file, here above: one inside the
        // text is a character of it, and the name written back must read back whole.
        QStringDecoder decoder(encoding,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(data);
        // Half a UTF-16 unit, or half of a surrogate pair, is no character: such a
        // name could be shown but never written back.
        const bool wide = encoding != QStringDecoder::Utf8;
        if (decoder.hasError() || (wide && data.size() % 2 != 0) || !QStringView(text).isValidUtf16())
            return std::nullopt;
        return text;
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return strictly(QStringDecoder::Utf8, QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return strictly(QStringDecoder::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return strictly(QStringDecoder::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (const auto asUtf8 = strictly(QStringDecoder::Utf8, bytes))
        return asUtf8;
    return decodeCp932(bytes);
}

int cp932ByteLength(const QString &text)
{
    int total = 0;
    for (int i = 0; i < text.size();) {
        const int step = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, step);
        const auto encoded = encodeCp932(ch);
        total += encoded ? encoded->size() : ch.toUtf8().size();
        i += step;
    }
    return total;
}

QString truncateToCp932Bytes(const QString &text, int maxBytes)
{
    int total = 0;
    for (int i = 0; i < text.size();) {
        const int step = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, step);
        const auto encoded = encodeCp932(ch);
        const int size = encoded ? encoded->size() : ch.toUtf8().size();
        if (total + size > maxBytes)
            return text.left(i);
        total += size;
        i += step;
    }
    return text;
}

} // namespace tolvarine
