#include "settings/AppSettings.h"

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <QSettings>

#include "platform/Messages.h"
#include "settings/SettingsText.h"

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

template <typename Integer> Integer readInteger(QSettings &store, const QString &key, Integer fallback)
{
    const auto text = storedText(store.value(key));
    if (!text)
        return fallback;
    const auto value =
        storedInteger(*text, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max());
    return value ? static_cast<Integer>(*value) : fallback;
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

QString indexedKey(const char *stem, int index) { return QLatin1String(stem) + QString::number(index); }

// NaN for what a float cannot hold, so that it is written as nothing.
float toSingle(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(value);
}

int16_t setUnlessClear(int state) { return state != 0 ? 1 : 0; }

int16_t setOnlyWhenChecked(int state) { return state == 1 ? 1 : 0; }

// One stored general setting: reading it into the record, with its default, and
// taking the options dialog's input into the record and the store, normalised.
struct SettingRow {
    std::function<void(QSettings &, AppSettings &, const QString &programFolder)> load;
    std::function<void(QSettings &, const GeneralSettingsInput &, AppSettings &)> store;
};

template <typename Int> using NumberInput = Int (*)(const GeneralSettingsInput &, const AppSettings &);

template <typename Int>
SettingRow numberRow(const char *key, Int AppSettings::*field, Int fallback, NumberInput<Int> input)
{
    const QString name = QLatin1String(key);
    return {[=](QSettings &st, AppSettings &s, const QString &) {
                s.*field = readInteger<Int>(st, name, fallback);
            },
            [=](QSettings &st, const GeneralSettingsInput &in, AppSettings &s) {
                s.*field = input(in, s);
                writeNumber(st, name, s.*field);
            }};
}

// A text setting; a null fallback stands for the program's folder.
SettingRow textRow(const char *key, QString AppSettings::*field, const char *fallback,
                   QString GeneralSettingsInput::*input)
{
    const QString name = QLatin1String(key);
    return {[=](QSettings &st, AppSettings &s, const QString &programFolder) {
                s.*field = readText(st, name, fallback ? QString::fromUtf8(fallback) : programFolder);
            },
            [=](QSettings &st, const GeneralSettingsInput &in, AppSettings &s) {
                s.*field = in.*input;
                writeText(st, name, s.*field);
            }};
}

// The elements of an array setting, stored as stem0, stem1 …; the default of each is 0.
template <std::size_t N>
void addElementRows(std::vector<SettingRow> &rows, const char *stem,
                    std::array<int16_t, N> AppSettings::*field,
                    std::array<int16_t, N> GeneralSettingsInput::*input)
{
    for (std::size_t i = 0; i < N; ++i) {
        const QString name = indexedKey(stem, int(i));
        rows.push_back({[=](QSettings &st, AppSettings &s, const QString &) {
                            (s.*field)[i] = readInteger<int16_t>(st, name, 0);
                        },
                        [=](QSettings &st, const GeneralSettingsInput &in, AppSettings &s) {
                            (s.*field)[i] = (in.*input)[i];
                            writeNumber(st, name, (s.*field)[i]);
                        }});
    }
}

// Every general setting, in the order the store has always been written.
const std::vector<SettingRow> &settingRows()
{
    static const std::vector<SettingRow> rows = [] {
        using In = GeneralSettingsInput;
        using S = AppSettings;
        std::vector<SettingRow> r;
        addElementRows(r, "PictSyori", &S::PictSyori, &In::PictSyori);
        addElementRows(r, "FacePictSyori", &S::FacePictSyori, &In::FacePictSyori);
        r.push_back(textRow("Jyunban", &S::Jyunban, "0123456", &In::Jyunban));
        r.push_back(textRow("FaceJyunban", &S::FaceJyunban, "01234", &In::FaceJyunban));
        r.push_back(textRow("PictFolda", &S::PictFolda, nullptr, &In::PictFolda));
        r.push_back(textRow("PictReadFolda", &S::PictReadFolda, nullptr, &In::PictReadFolda));
        // A number too large for the field keeps the previous width instead of failing the whole write.
        r.push_back(numberRow<int32_t>("ViewSize", &S::ViewSize, 8000, [](const In &in, const S &s) {
            return roundToInt32(leadingNumber(in.ViewSizeText)).value_or(s.ViewSize);
        }));
        r.push_back(numberRow<int16_t>("OsFontSize", &S::OsFontSize, 0, [](const In &in, const S &) {
            return setUnlessClear(in.OsFontSizeState);
        }));
        r.push_back(numberRow<int16_t>("FileHizuke", &S::FileHizuke, 1, [](const In &in, const S &) {
            return setUnlessClear(in.FileHizukeState);
        }));
        r.push_back(numberRow<int16_t>("DropAriaTips", &S::DropAriaTips, 1, [](const In &in, const S &) {
            return setOnlyWhenChecked(in.DropAriaTipsState);
        }));
        r.push_back(numberRow<int16_t>("ViewIti", &S::ViewIti, 0, [](const In &in, const S &) {
            return setOnlyWhenChecked(in.ViewItiState);
        }));
        r.push_back(numberRow<int16_t>("Contrast", &S::Contrast, 0, [](const In &in, const S &) {
            return static_cast<int16_t>(in.ContrastState);
        }));
        r.push_back(numberRow<int16_t>(
            "Kido", &S::Kido, 0, [](const In &in, const S &) { return static_cast<int16_t>(in.KidoState); }));
        r.push_back(numberRow<int16_t>(
            "RGB", &S::RGB, 0, [](const In &in, const S &) { return static_cast<int16_t>(in.RGBState); }));
        r.push_back(numberRow<int32_t>("ContrastTi", &S::ContrastTi, 0,
                                       [](const In &in, const S &) { return in.ContrastTi; }));
        r.push_back(
            numberRow<int32_t>("KidoTi", &S::KidoTi, 0, [](const In &in, const S &) { return in.KidoTi; }));
        r.push_back(numberRow<int32_t>("GreenTi", &S::GreenTi, 0,
                                       [](const In &in, const S &) { return in.GreenTi; }));
        r.push_back(
            numberRow<int32_t>("RedTi", &S::RedTi, 0, [](const In &in, const S &) { return in.RedTi; }));
        r.push_back(
            numberRow<int32_t>("BlueTi", &S::BlueTi, 0, [](const In &in, const S &) { return in.BlueTi; }));
        return r;
    }();
    return rows;
}

// One stored DICOM setting: read into the record with its default, and written
// from the DICOM dialog's values.
struct DicomRow {
    std::function<void(QSettings &, DicomSettings &)> load;
    std::function<void(QSettings &, const DicomSettings &, DicomSettings &)> store;
};

DicomRow dicomTextRow(const QString &name, QString DicomSettings::*field, const QString &fallback)
{
    return {[=](QSettings &st, DicomSettings &s) { s.*field = readText(st, name, fallback); },
            [=](QSettings &st, const DicomSettings &in, DicomSettings &s) {
                s.*field = in.*field;
                writeText(st, name, s.*field);
            }};
}

template <typename Int> DicomRow dicomNumberRow(const QString &name, Int DicomSettings::*field, Int fallback)
{
    return {[=](QSettings &st, DicomSettings &s) { s.*field = readInteger<Int>(st, name, fallback); },
            [=](QSettings &st, const DicomSettings &in, DicomSettings &s) {
                s.*field = in.*field;
                writeNumber(st, name, s.*field);
            }};
}

template <typename T, std::size_t N, typename Read, typename Write>
void addDicomElementRows(std::vector<DicomRow> &rows, const char *stem,
                         std::array<T, N> DicomSettings::*field, Read read, Write write)
{
    for (std::size_t i = 0; i < N; ++i) {
        const QString name = indexedKey(stem, int(i));
        rows.push_back({[=](QSettings &st, DicomSettings &s) { (s.*field)[i] = read(st, name); },
                        [=](QSettings &st, const DicomSettings &in, DicomSettings &s) {
                            (s.*field)[i] = (in.*field)[i];
                            write(st, name, (s.*field)[i]);
                        }});
    }
}

const std::vector<DicomRow> &dicomRows()
{
    static const std::vector<DicomRow> rows = [] {
        using D = DicomSettings;
        std::vector<DicomRow> r;
        const auto readView = [](QSettings &st, const QString &name) {
            return readText(st, name, QString());
        };
        const auto readFlag = [](QSettings &st, const QString &name) {
            return readInteger<int16_t>(st, name, 0);
        };
        addDicomElementRows(r, "DicomView", &D::OralView, readView, writeText);
        addDicomElementRows(r, "DicomFaceView", &D::FaceView, readView, writeText);
        addDicomElementRows(r, "DicomMirror", &D::OralMirror, readFlag, writeNumber);
        addDicomElementRows(r, "DicomFaceMirror", &D::FaceMirror, readFlag, writeNumber);
        r.push_back(dicomTextRow(QStringLiteral("DicomHost"), &D::Host, QString()));
        r.push_back(dicomNumberRow<int32_t>(QStringLiteral("DicomPort"), &D::Port, 104));
        r.push_back(dicomTextRow(QStringLiteral("DicomCalledAE"), &D::CalledAE, QString()));
        r.push_back(
            dicomTextRow(QStringLiteral("DicomCallingAE"), &D::CallingAE, QStringLiteral("TOLVARINE")));
        r.push_back(dicomTextRow(QStringLiteral("DicomFolda"), &D::Folder, QString()));
        return r;
    }();
    return rows;
}

} // namespace

QString settingsApplicationName() { return applicationTitle(); }

QString settingsSection() { return QStringLiteral("Settings"); }

std::unique_ptr<QSettings> openSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, settingsApplicationName(),
                                       settingsApplicationName());
}

AppSettings loadAppSettings(QSettings &store, const QString &programFolder)
{
    SettingsGroup group(store);
    AppSettings s;
    for (const SettingRow &row : settingRows())
        row.load(store, s, programFolder);
    for (const DicomRow &row : dicomRows())
        row.load(store, s.Dicom);
    return s;
}

void writeGeneralSettings(QSettings &store, const GeneralSettingsInput &in, AppSettings &s)
{
    SettingsGroup group(store);
    for (const SettingRow &row : settingRows())
        row.store(store, in, s);
    store.sync();
}

void writeDicomSettings(QSettings &store, const DicomSettings &input, AppSettings &settings)
{
    {
        SettingsGroup group(store);
        for (const DicomRow &row : dicomRows())
            row.store(store, input, settings.Dicom);
    }
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
