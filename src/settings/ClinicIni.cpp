#include "settings/ClinicIni.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "platform/FileSystem.h"
#include "platform/NumberText.h"
#include "platform/TextCodec.h"

namespace tolvarine {

namespace {

constexpr qint64 kMaxIniBytes = 1 << 20;
const QString kErr = QStringLiteral("Err");

QString unquoted(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

// Decodes the file as a whole; when that fails, line by line, so that one damaged
// line does not cost the others.
QString decodeIniText(const QByteArray &bytes)
{
    if (const auto text = decodeUtf8OrCp932(bytes))
        return *text;
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        const auto text = decodeUtf8OrCp932(line);
        lines << (text ? *text : QString::fromUtf8(line));
    }
    return lines.join(QLatin1Char('\n'));
}

QString clinicValue(const QString &iniText, const QString &key)
{
    QString value = readProfileString(iniText, QStringLiteral("Clinic"), key, kErr);
    const int nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return truncateToCp932Bytes(value, kClinicValueMaxBytes);
}

} // namespace

QString readProfileString(const QString &iniText, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    enum class State { Before, Inside, After } state = State::Before;
    const QStringList lines = iniText.split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (state == State::Inside)
                return defaultValue; // only the first matching section counts
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                state = State::Inside;
            continue;
        }
        if (state != State::Inside)
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return unquoted(line.mid(equals + 1).trimmed());
    }
    return defaultValue;
}

QString clinicIniPath(const QString &folder)
{
    if (folder.isEmpty())
        return QString();
    const QString path = resolveCaseInsensitive(QDir(folder).filePath(QStringLiteral("clinic.ini")));
    return QFileInfo(path).isFile() ? path : QString();
}

std::optional<ClinicIni> readClinicIni(const QString &folder)
{
    const QString path = clinicIniPath(folder);
    if (path.isEmpty())
        return std::nullopt;
    QByteArray bytes;
    if (!readWholeFile(path, bytes, kMaxIniBytes))
        return ClinicIni{kErr, kErr, kErr};
    return clinicIniFromBytes(bytes);
}

ClinicIni clinicIniFromBytes(const QByteArray &bytes)
{
    const QString text = decodeIniText(bytes);
    return ClinicIni{clinicValue(text, QStringLiteral("Name")), clinicValue(text, QStringLiteral("Size")),
                     clinicValue(text, QStringLiteral("Font"))};
}

int clinicFontPointSize(const QString &sizeText, int designSize)
{
    bool ok = false;
    const double value = sizeText.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return designSize;
    const double clamped = std::clamp(value, 8.0, 16.0);
    return std::clamp(int(roundHalfToEven(clamped)), 8, 16);
}

} // namespace tolvarine
