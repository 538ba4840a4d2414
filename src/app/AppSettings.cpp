#include "app/AppSettings.h"

#include <cmath>
#include <limits>

#include <QSettings>

#include "app/SettingsText.h"
#include "platform/Messages.h"

namespace tolvarine {

namespace {

// Every access goes through the group "Settings"; the scope restores the store's
// group so that callers may share the store.
class SettingsGroup {
  public:
    explicit SettingsGroup(QSettings &store) : store_(store) { store_.beginGroup(settingsSection()); }
    ~SettingsGroup() { store_.endGroup(); }
    SettingsGroup(const SettingsGroup &) = delete;
    SettingsGroup &operator=(const SettingsGroup &) = delete;

  private:
    QSettings &store_;
};

QString readText(QSettings &store, const QString &key, const QString &fallback)
{
    return storedText(store.value(key)).value_or(fallback);
}

template <typename Integer>
Integer readInteger(QSettings &store, const QString &key, Integer fallback)
{
    const auto text = storedText(store.value(key));
    if (!text)
        return fallback;
    const auto value =
        storedInteger(*text, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max());
    return value ? static_cast<Integer>(*value) : fallback;
}

int16_t readInt16(QSettings &store, const QString &key, int16_t fallback)
{
    return readInteger<int16_t>(store, key, fallback);
}

int32_t readInt32(QSettings &store, const QString &key, int32_t fallback)
{
    return readInteger<int32_t>(store, key, fallback);
}

float readSingle(QSettings &store, const QString &key, float fallback)
{
    const auto text = storedText(store.value(key));
    if (!text)
        return fallback;
    return storedSingle(*text).value_or(fallback);
}

void writeText(QSettings &store, const QString &key, const QString &text)
{
    // Always a QString: the INI writer then quotes commas, blanks and the like, so
    // that the text reads back exactly.
    store.setValue(key, QVariant(text));
}

void writeNumber(QSettings &store, const QString &key, qint64 value)
{
    writeText(store, key, QString::number(value));
}

QString indexedKey(const char *stem, int index)
{
    return QLatin1String(stem) + QString::number(index);
}

// NaN for what a float cannot hold, so that it is written as nothing.
float toSingle(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(value);
}

int16_t setUnlessClear(int state)
{
    return state != 0 ? 1 : 0;
}

int16_t setOnlyWhenChecked(int state)
{
    return state == 1 ? 1 : 0;
}

} // namespace

QString settingsApplicationName()
{
    return applicationTitle();
}

QString settingsSection()
{
    return QStringLiteral("Settings");
}

std::unique_ptr<QSettings> openSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, settingsApplicationName(),
                                       settingsApplicationName());
}

AppSettings loadAppSettings(QSettings &store, const QString &programFolder)
{
    SettingsGroup group(store);
    AppSettings s;
    for (int i = 0; i < static_cast<int>(s.PictSyori.size()); ++i)
        s.PictSyori[i] = readInt16(store, indexedKey("PictSyori", i), 0);

    s.Jyunban = readText(store, QStringLiteral("Jyunban"), QStringLiteral("0123456"));
    s.FaceJyunban = readText(store, QStringLiteral("FaceJyunban"), QStringLiteral("01234"));
    s.PictFolda = readText(store, QStringLiteral("PictFolda"), programFolder);
    s.PictReadFolda = readText(store, QStringLiteral("PictReadFolda"), programFolder);

    s.ViewSize = readInt32(store, QStringLiteral("ViewSize"), 8000);
    s.OsFontSize = readInt16(store, QStringLiteral("OsFontSize"), 0);
    s.DropAriaTips = readInt16(store, QStringLiteral("DropAriaTips"), 1);
    s.ViewIti = readInt16(store, QStringLiteral("ViewIti"), 0);
    s.FileHizuke = readInt16(store, QStringLiteral("FileHizuke"), 1);

    s.Contrast = readInt16(store, QStringLiteral("Contrast"), 0);
    s.Kido = readInt16(store, QStringLiteral("Kido"), 0);
    s.RGB = readInt16(store, QStringLiteral("RGB"), 0);

    s.ContrastTi = readInt32(store, QStringLiteral("ContrastTi"), 0);
    s.KidoTi = readInt32(store, QStringLiteral("KidoTi"), 0);
    s.RedTi = readInt32(store, QStringLiteral("RedTi"), 0);
    s.GreenTi = readInt32(store, QStringLiteral("GreenTi"), 0);
    s.BlueTi = readInt32(store, QStringLiteral("BlueTi"), 0);

    for (int i = 0; i < static_cast<int>(s.FacePictSyori.size()); ++i)
        s.FacePictSyori[i] = readInt16(store, indexedKey("FacePictSyori", i), 0);
    return s;
}

void writeGeneralSettings(QSettings &store, const GeneralSettingsInput &in, AppSettings &s)
{
    SettingsGroup group(store);
    s.PictSyori = in.PictSyori;
    s.FacePictSyori = in.FacePictSyori;
    for (int i = 0; i < static_cast<int>(s.PictSyori.size()); ++i)
        writeNumber(store, indexedKey("PictSyori", i), s.PictSyori[i]);
    for (int i = 0; i < static_cast<int>(s.FacePictSyori.size()); ++i)
        writeNumber(store, indexedKey("FacePictSyori", i), s.FacePictSyori[i]);

    s.Jyunban = in.Jyunban;
    writeText(store, QStringLiteral("Jyunban"), s.Jyunban);
    s.FaceJyunban = in.FaceJyunban;
    writeText(store, QStringLiteral("FaceJyunban"), s.FaceJyunban);

    s.PictFolda = in.PictFolda;
    writeText(store, QStringLiteral("PictFolda"), s.PictFolda);
    s.PictReadFolda = in.PictReadFolda;
    writeText(store, QStringLiteral("PictReadFolda"), s.PictReadFolda);
    // A number too large for the field keeps the previous width instead of failing
    // the whole write.
    s.ViewSize = roundToInt32(leadingNumber(in.ViewSizeText)).value_or(s.ViewSize);
    writeNumber(store, QStringLiteral("ViewSize"), s.ViewSize);

    s.OsFontSize = setUnlessClear(in.OsFontSizeState);
    writeNumber(store, QStringLiteral("OsFontSize"), s.OsFontSize);
    s.FileHizuke = setUnlessClear(in.FileHizukeState);
    writeNumber(store, QStringLiteral("FileHizuke"), s.FileHizuke);
    s.DropAriaTips = setOnlyWhenChecked(in.DropAriaTipsState);
    writeNumber(store, QStringLiteral("DropAriaTips"), s.DropAriaTips);
    s.ViewIti = setOnlyWhenChecked(in.ViewItiState);
    writeNumber(store, QStringLiteral("ViewIti"), s.ViewIti);

    s.Contrast = static_cast<int16_t>(in.ContrastState);
    writeNumber(store, QStringLiteral("Contrast"), s.Contrast);
    s.Kido = static_cast<int16_t>(in.KidoState);
    writeNumber(store, QStringLiteral("Kido"), s.Kido);
    s.RGB = static_cast<int16_t>(in.RGBState);
    writeNumber(store, QStringLiteral("RGB"), s.RGB);

    s.ContrastTi = in.ContrastTi;
    writeNumber(store, QStringLiteral("ContrastTi"), s.ContrastTi);
    s.KidoTi = in.KidoTi;
    writeNumber(store, QStringLiteral("KidoTi"), s.KidoTi);
    s.GreenTi = in.GreenTi;
    writeNumber(store, QStringLiteral("GreenTi"), s.GreenTi);
    s.RedTi = in.RedTi;
    writeNumber(store, QStringLiteral("RedTi"), s.RedTi);
    s.BlueTi = in.BlueTi;
    writeNumber(store, QStringLiteral("BlueTi"), s.BlueTi);
    store.sync();
}

QPointF readWindowPosition(QSettings &store, const WindowPositionKeys &keys)
{
    SettingsGroup group(store);
    const float left = readSingle(store, QLatin1String(keys.leftKey), keys.defaultLeft);
    const float top = readSingle(store, QLatin1String(keys.topKey), keys.defaultTop);
    return QPointF(left, top);
}

void writeWindowPosition(QSettings &store, const WindowPositionKeys &keys, QPointF twips, bool minimised)
{
    if (minimised)
        return;
    const QString left = singleText(toSingle(twips.x()));
    const QString top = singleText(toSingle(twips.y()));
    // A position that is no number at all (never produced by a real window) would only
    // be read back as the default; the stored one is better.
    if (left.isEmpty() || top.isEmpty())
        return;
    {
        SettingsGroup group(store);
        writeText(store, QLatin1String(keys.leftKey), left);
        writeText(store, QLatin1String(keys.topKey), top);
    }
    // The main window ends the program right after this.
    store.sync();
}

} // namespace tolvarine
