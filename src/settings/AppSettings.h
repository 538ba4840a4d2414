#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QPointF>
#include <QString>

class QSettings;

namespace tolvarine {

// How the pictures of each position are described when they go out as DICOM, and
// the archive they are sent to. Written only by the DICOM settings dialog (the
// export folder by the export).
struct DicomSettings {
    std::array<QString, 7> OralView;     // the view id per intraoral position, empty for none
    std::array<QString, 5> FaceView;     // the same per facial position
    std::array<int16_t, 7> OralMirror{}; // 1: the position is taken in a mirror
    std::array<int16_t, 5> FaceMirror{};
    QString Host; // the archive
    int32_t Port = 104;
    QString CalledAE;                                // its AE title
    QString CallingAE = QStringLiteral("TOLVARINE"); // ours
    QString Folder;                                  // the last folder exported into
};

// The in-memory record of every general setting. Filled once when the main window
// loads, replaced field by field by the options dialog, read by everyone else.
struct AppSettings {
    std::array<int16_t, 7> PictSyori{};     // orientation code per intraoral position
    std::array<int16_t, 5> FacePictSyori{}; // orientation code per facial position
    QString Jyunban = QStringLiteral("0123456");
    QString FaceJyunban = QStringLiteral("01234");
    QString PictFolda;     // empty until loaded: defaults to the program's folder
    QString PictReadFolda; // the same
    int32_t ViewSize = 8000;
    int16_t OsFontSize = 0;
    int16_t DropAriaTips = 1;
    int16_t ViewIti = 0;
    int16_t FileHizuke = 1;
    int16_t Contrast = 0;
    int16_t Kido = 0;
    int16_t RGB = 0;
    int32_t ContrastTi = 0;
    int32_t KidoTi = 0;
    int32_t RedTi = 0;
    int32_t GreenTi = 0;
    int32_t BlueTi = 0;
    DicomSettings Dicom;
};

// The store: QSettings in INI format, per user, organisation and application
// "Tolvarine", group "Settings", every value text.
QString settingsApplicationName();
QString settingsSection();

// The user's own store, ~/.config/Tolvarine/Tolvarine.ini. Tests use stores of their
// own instead.
std::unique_ptr<QSettings> openSettingsStore();

// Reads every general setting in the stored order. programFolder is the default of
// both folders.
AppSettings loadAppSettings(QSettings &store, const QString &programFolder);

// The options dialog's check-box states and text before normalisation.
struct GeneralSettingsInput {
    std::array<int16_t, 7> PictSyori{};
    std::array<int16_t, 5> FacePictSyori{};
    QString Jyunban;
    QString FaceJyunban;
    QString PictFolda;
    QString PictReadFolda;
    QString ViewSizeText;
    int OsFontSizeState = 0; // check-box state 0, 1 or 2 (greyed)
    int FileHizukeState = 0;
    int DropAriaTipsState = 0;
    int ViewItiState = 0;
    int ContrastState = 0;
    int KidoState = 0;
    int RGBState = 0;
    int32_t ContrastTi = 0;
    int32_t KidoTi = 0;
    int32_t RedTi = 0;
    int32_t GreenTi = 0;
    int32_t BlueTi = 0;
};

// Normalises and writes every general setting in the stored order and copies the
// values into settings as each is written.
void writeGeneralSettings(QSettings &store, const GeneralSettingsInput &input, AppSettings &settings);

// Writes the DICOM settings and copies them into settings.
void writeDicomSettings(QSettings &store, const DicomSettings &input, AppSettings &settings);

// Window positions in twips, single precision, a fraction kept as it is.
struct WindowPositionKeys {
    const char *leftKey;
    const char *topKey;
    float defaultLeft;
    float defaultTop;
};
inline constexpr WindowPositionKeys kMainPosition{"MainLeft", "MainTop", 200.0f, 200.0f};
inline constexpr WindowPositionKeys kViewPosition{"ViewLeft", "ViewTop", 200.0f, 200.0f};
inline constexpr WindowPositionKeys kKrNoPosition{"KrNoLeft", "KrNoTop", 2800.0f, 2200.0f};
inline constexpr WindowPositionKeys kChangePosition{"fChangeLeft", "fChangeTop", 8800.0f, 600.0f};

QPointF readWindowPosition(QSettings &store, const WindowPositionKeys &keys);
// Writes nothing for a minimised window, so its previous position stays stored.
void writeWindowPosition(QSettings &store, const WindowPositionKeys &keys, QPointF twips, bool minimised);

} // namespace tolvarine
