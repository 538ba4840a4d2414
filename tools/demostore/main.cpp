// Makes a small demo picture store in a folder that holds none yet, so that a new
// user has something to look at: typing 123 and Enter shows a visit.
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>

#include "sampledata/SamplePictures.h"
#include "store/NameFile.h"
#include "store/StoreFiles.h"
#include "store/StorePaths.h"

using namespace tolvarine;

namespace {

struct Visit {
    QDate date;
    int oral;
    int face;
};

struct Patient {
    const char *number;
    QString name;
    std::vector<Visit> visits;
};

bool holdsPictureStore(const QString &folder)
{
    static const QRegularExpression group(QStringLiteral("^[0-9]{3}$"));
    const QStringList dirs = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &d : dirs)
        if (group.match(d).hasMatch())
            return true;
    return false;
}

bool makeVisit(const QString &patient, const Visit &visit, int &serial)
{
    const QString face = faceFolderForCreating(patient);
    if (!QDir().mkpath(patient) || (visit.face > 0 && !QDir().mkpath(face)))
        return false;
    const QString oralLabels[] = {QStringLiteral("正面"),  QStringLiteral("右側方"), QStringLiteral("左側方"),
                                  QStringLiteral("上顎"),  QStringLiteral("下顎"),   QStringLiteral("右頬側"),
                                  QStringLiteral("左頬側")};
    const QString faceLabels[] = {QStringLiteral("正貌"), QStringLiteral("側貌"), QStringLiteral("斜位"),
                                  QStringLiteral("笑顔"), QStringLiteral("側貌 左")};
    for (int i = 0; i < visit.oral; ++i) {
        const QDateTime taken(visit.date, QTime(10, 0).addSecs(i * 40));
        const QImage image = sample::makeCameraLikeImage(
            1600, 1200, quint32(++serial), QStringLiteral("口腔 %1\n%2").arg(i + 1).arg(oralLabels[i]));
        if (!sample::writeCameraJpeg(
                joinPath(patient, QStringLiteral("IMG_%1.jpg").arg(serial, 4, 10, QChar('0'))), image, taken))
            return false;
    }
    for (int i = 0; i < visit.face; ++i) {
        const QDateTime taken(visit.date, QTime(10, 30).addSecs(i * 40));
        const QImage image = sample::makeCameraLikeImage(
            1600, 1200, quint32(++serial), QStringLiteral("顔面 %1\n%2").arg(i + 1).arg(faceLabels[i]));
        if (!sample::writeCameraJpeg(
                joinPath(face, QStringLiteral("IMG_%1.jpg").arg(serial, 4, 10, QChar('0'))), image, taken))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || args[1].startsWith('-')) {
        std::fprintf(stderr, "usage: tolvarine-demo-store FOLDER\n"
                             "Makes a demo picture store in FOLDER unless it already holds one.\n");
        return 2;
    }
    const QString root = QDir(args[1]).absolutePath();
    if (holdsPictureStore(root)) {
        std::printf("%s already holds a picture store; nothing made.\n", qPrintable(root));
        return 0;
    }
    const std::vector<Patient> patients{
        {"00123",
         QStringLiteral("山田　花子"),
         {{QDate(2008, 12, 1), 4, 0}, {QDate(2009, 1, 20), 7, 3}, {QDate(2009, 3, 15), 7, 5}}},
        {"00007", QStringLiteral("佐藤　健"), {{QDate(2010, 6, 7), 7, 5}, {QDate(2010, 9, 1), 5, 2}}},
        {"12345", QStringLiteral("鈴木　一郎"), {{QDate(2011, 4, 18), 3, 5}}},
    };
    int serial = 0;
    for (const Patient &p : patients) {
        const QString folder = patientFolder(root, QString::fromLatin1(p.number));
        for (const Visit &v : p.visits) {
            if (!makeVisit(folder, v, serial)) {
                std::fprintf(stderr, "could not write the demo pictures under %s\n", qPrintable(folder));
                return 1;
            }
        }
        if (!writePatientName(nameFilePath(folder), p.name).ok()) {
            std::fprintf(stderr, "could not write the name file in %s\n", qPrintable(folder));
            return 1;
        }
    }
    std::printf("Demo picture store made in %s (patients 123, 7, 12345).\n", qPrintable(root));
    return 0;
}
