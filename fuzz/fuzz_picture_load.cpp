// The picture loader through the imaging control, as the panel and the view use
// it: the bytes as a file, loaded whole, at a reduced scale, and made a thumbnail.
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "imaging/ImagingControl.h"

namespace {
QString picturePath;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    const QString folder = QDir::tempPath() + QStringLiteral("/tolvarine-fuzz-%1").arg(::getpid());
    QDir().mkpath(folder);
    picturePath = folder + QStringLiteral("/IMG_0001.jpg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(picturePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    for (const QSize wanted : {QSize(), QSize(160, 120)}) {
        tolvarine::ImagingControl control;
        if (control.opLoadFile(picturePath, 0, 0, -1, wanted))
            control.opResize(160.0f, 120.0f, 0);
    }
    return 0;
}
