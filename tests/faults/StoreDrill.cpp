#include "faults/StoreDrill.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include "imaging/ImagingControl.h"
#include "import/DropImport.h"
#include "maintenance/PictureChanges.h"
#include "store/CaptureDate.h"
#include "store/NameFile.h"
#include "store/PanelFill.h"
#include "store/StoreFiles.h"
#include "store/ThumbnailRebuild.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine::test {

namespace {

const QDate kVisit(2009, 5, 12);
const QDateTime kNewDate(QDate(2008, 3, 3), QTime(12, 0));

PanelSetup oralSetup() { return {PanelKind::Oral, QStringLiteral("0123456"), std::vector<int16_t>(7, 0)}; }

int thumbnailsMade(const QStringList &pictures)
{
    const PanelSetup setup = oralSetup();
    return saveMissingThumbnails(preparePanel(pictures, setup), setup);
}

Outcome firstFailure(std::initializer_list<Outcome> outcomes)
{
    for (const Outcome &o : outcomes) {
        if (!o)
            return o;
    }
    return Outcome::done();
}

// The date change as the program runs it: the Exif date, then the file times, each
// tried whatever the other did.
Outcome changeDate(const QString &picture)
{
    ImagingControl control;
    const Outcome exif = writeExifDate(control, picture, kNewDate);
    const Outcome times = setFileTime(picture, kNewDate);
    return firstFailure({exif, times});
}

QByteArray sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool isTemporary(const QString &path) { return QFileInfo(path).fileName().startsWith(".tolvarine-"); }

bool isPicture(const QString &path) { return path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive); }

// The picture folder, as against the dropped files and the template beside it.
bool inStore(const QString &relative) { return relative.startsWith(QLatin1String("pictures/")); }

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

QString drillPatient(const QString &root) { return root + "/pictures/001/00123"; }

void makeDrillStore(const QString &root)
{
    const QString patient = drillPatient(root);
    writeExifPicture(patient + "/a.jpg", "2009:05:12 09:00:00", QDateTime(kVisit, QTime(9, 0)));
    writePicture(patient + "/b.jpg", kVisit, 5, 64, 48);
    writePicture(patient + "/face/f.jpg", kVisit, 7, 48, 64);
    thumbnailsMade({patient + "/b.jpg"});
    writeFile(patient + "/krname.txt", "Yamada\r\n");
    // Every sandbox holds the same times as the one of the clean run, whatever second
    // it was made in: a drill that compares times would otherwise see the clock tick.
    for (const QString &made : {patient + "/bsn.cmp", patient + "/krname.txt"})
        setModified(made, QDateTime(kVisit, QTime(18, 0)));
    // Two dropped files named alike with different pictures, one the same as the first.
    writePicture(root + "/drop/1/x.jpg", kVisit, 11, 72, 40);
    writePicture(root + "/drop/2/x.jpg", kVisit, 12, 40, 72);
    writePicture(root + "/drop/3/x.jpg", kVisit, 11, 72, 40);
    writePicture(root + "/drop/y.jpg", kVisit, 13, 56, 56);
    writePicture(root + "/program/nopic.jpg", QDate(2001, 1, 1), 0, 32, 32);
    QDir().mkpath(root + "/home");
}

const std::vector<StoreOperation> &storeOperations()
{
    static const std::vector<StoreOperation> operations = {
        {"thumbnail",
         [](const QString &root) {
             const QString patient = drillPatient(root);
             return thumbnailsMade({patient + "/a.jpg", patient + "/b.jpg"}) == 1
                        ? Outcome::done()
                        : Outcome::failed(Status::WriteFailed);
         }},
        {"name_file",
         [](const QString &root) {
             return writePatientName(drillPatient(root) + "/krname.txt", QStringLiteral("山田　花子"));
         }},
        {"date_rewrite",
         [](const QString &root) {
             ImagingControl control;
             return writeExifDate(control, drillPatient(root) + "/a.jpg", kNewDate);
         }},
        {"file_times",
         [](const QString &root) { return setFileTime(drillPatient(root) + "/a.jpg", kNewDate); }, true},
        {"import_copy",
         [](const QString &root) {
             DropImport import;
             const ImportResult result = import.run({{root + "/drop/1/x.jpg", root + "/drop/2/x.jpg",
                                                      root + "/drop/3/x.jpg", root + "/drop/y.jpg"},
                                                     QStringLiteral("124"),
                                                     false,
                                                     root + "/pictures"});
             return result.status == ImportStatus::Done && result.failures.empty()
                        ? Outcome::done()
                        : Outcome::failed(Status::WriteFailed);
         }},
        {"rename",
         [](const QString &root) {
             const QString patient = drillPatient(root);
             return renameToDisplayOrder(
                 QStringLiteral("10"),
                 [&](int position) { return patient + (position == 0 ? "/a.jpg" : "/b.jpg"); },
                 [](int number) { return QStringLiteral("20090512-%1.jpg").arg(number); });
         }},
        {"blank_picture",
         [](const QString &root) {
             const Outcome copied = copyBlankPicture(root + "/program/nopic.jpg", drillPatient(root));
             return copied ? changeDate(copied.detail) : copied;
         },
         false,
         {},
         // The copy of the template, before its date is written.
         [](const QString &root) { return QSet<QByteArray>{sha(bytesOf(root + "/program/nopic.jpg"))}; }},
        {"delete",
         [](const QString &root) {
             const QString patient = drillPatient(root);
             const Outcome discarded = discardPicture(patient + "/a.jpg");
             return firstFailure({discarded, deleteThumbnails(patient)});
         },
         false,
         // Where the trash cannot take it the picture is deleted, after the same question.
         {FileCall::Trash}},
    };
    return operations;
}

const StoreOperation *findOperation(const QString &name)
{
    for (const StoreOperation &op : storeOperations()) {
        if (name == op.name)
            return &op;
    }
    return nullptr;
}

const char *fileCallName(FileCall call)
{
    static const char *const names[kFileCallKinds] = {
        "create", "open",   "write",    "flush",        "close",       "rename",      "rename_noreplace",
        "link",   "remove", "set_time", "flush_folder", "rename_swap", "make_folder", "trash"};
    return names[int(call)];
}

void refuseLike(Server server)
{
    if (server == Server::None)
        return;
    failFileCall(FileCall::RenameNoReplace, 0, EINVAL);
    failFileCall(FileCall::RenameExchange, 0, EINVAL);
    if (server == Server::NoRenameFlagsNoLinks)
        failFileCall(FileCall::Link, 0, EPERM);
}

bool refusedBy(Server server, FileCall call)
{
    return (server != Server::None && (call == FileCall::RenameNoReplace || call == FileCall::RenameExchange))
           || (server == Server::NoRenameFlagsNoLinks && call == FileCall::Link);
}

StoreState storeState(const QString &root)
{
    // A trash of the desktop's kind: the home one, or one at the top of a mount.
    static const QRegularExpression trashFiles(QStringLiteral("(^|/)\\.?Trash[^/]*/files/"));
    StoreState state;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        const bool inTrash = relative.contains(trashFiles);
        if (relative.startsWith("home/") && !inTrash)
            continue;
        if (relative.contains(QRegularExpression(QStringLiteral("(^|/)\\.?Trash[^/]*/"))) && !inTrash)
            continue;
        const QByteArray hash = sha(bytesOf(path));
        if (inTrash)
            state.trashed.push_back(hash);
        else
            state.files[relative] = {hash, QFileInfo(path).lastModified().toSecsSinceEpoch()};
    }
    return state;
}

QStringList violations(const StoreOperation &op, const QString &root, const StoreState &before,
                       const StoreState &clean, const StoreState &after, const DrillEnd &end)
{
    QStringList found;
    const QSet<QByteArray> waypoints = op.waypoints ? op.waypoints(root) : QSet<QByteArray>();
    // Times to the 2 seconds of the file servers that a share run is set against.
    auto same = [&](const FileState &a, const FileState &b) {
        return a.sha == b.sha && (!op.writesTimes || a.modified / 2 == b.modified / 2);
    };
    auto holds = [](const StoreState &state, const QString &relative, const FileState &file,
                    const std::function<bool(const FileState &, const FileState &)> &equal) {
        const auto it = state.files.find(relative);
        return it != state.files.end() && equal(it->second, file);
    };
    auto pictureCount = [](const StoreState &state, const QByteArray &hash) {
        return int(std::count_if(state.files.begin(), state.files.end(), [&](const auto &entry) {
            return isPicture(entry.first) && inStore(entry.first) && !isTemporary(entry.first)
                   && entry.second.sha == hash;
        }));
    };

    for (const auto &[relative, file] : after.files) {
        if (isTemporary(relative)) {
            const QString folder = QFileInfo(root + "/" + relative).absolutePath();
            if (!end.killed || listPictures(folder).contains(root + "/" + relative)
                || listThumbnails(folder).contains(root + "/" + relative))
                found << "temporary file left: " + relative;
            continue;
        }
        // A file that was there is as it was or as a clean run leaves it; a new one
        // holds what a clean run writes (under whatever free name it found) or a
        // whole waypoint.
        const bool whole =
            before.files.count(relative)
                ? holds(before, relative, file, same) || holds(clean, relative, file, same)
                : waypoints.contains(file.sha)
                      || std::any_of(clean.files.begin(), clean.files.end(),
                                     [&](const auto &entry) { return entry.second.sha == file.sha; });
        const bool reservation = end.killed && end.server == Server::NoRenameFlagsNoLinks
                                 && !before.files.count(relative) && file.sha == sha({});
        if (reservation)
            continue;
        if (!whole)
            found << "neither as before nor as a clean run leaves it: " + relative;
        if (isPicture(relative) && inStore(relative)) {
            const int allowed = std::max({pictureCount(before, file.sha), pictureCount(clean, file.sha),
                                          int(waypoints.contains(file.sha))})
                                + int(end.killed && end.server == Server::NoRenameFlags);
            if (pictureCount(after, file.sha) > allowed)
                found << "picture now held twice: " + relative;
        }
    }
    for (const auto &[relative, file] : before.files) {
        if (after.files.count(relative))
            continue;
        const bool kept = std::any_of(after.files.begin(), after.files.end(),
                                      [&](const auto &entry) {
                                          return !isTemporary(entry.first) && entry.second.sha == file.sha;
                                      })
                          || std::count(after.trashed.begin(), after.trashed.end(), file.sha);
        // A picture the operation takes out of the store by its way round (deleted
        // where the trash cannot take it) is gone as asked.
        const bool intended = end.faultInjected && end.faultHasFallback && !clean.files.count(relative);
        if (isPicture(relative) ? !kept && !intended : clean.files.count(relative) != 0)
            found << "lost: " + relative;
    }
    if (end.killed)
        return found;
    if (end.faultInjected && !end.faultFired)
        found << "the fault was never reached";
    if (end.faultInjected && end.reportedOk && end.faultFired && !end.faultHasFallback)
        found << "a failure reported as success";
    if (end.reportedOk) {
        for (const auto &[relative, file] : clean.files) {
            if (!holds(after, relative, file, same))
                found << "reported done, but not as a clean run leaves it: " + relative;
        }
    }
    return found;
}

namespace {

// Both workstations wait until the test has started the other, then go together.
void waitForGo()
{
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

// Imports every file of a folder into a patient, as a drop of them all.
int importRole(const QString &root, const QString &krNo, const QString &sources)
{
    QStringList files;
    for (const QString &name : QDir(sources).entryList(QDir::Files, QDir::Name))
        files << sources + "/" + name;
    waitForGo();
    DropImport import;
    const ImportResult result = import.run({files, krNo, true, root + "/pictures"});
    std::cout << "failures " << result.failures.size() << std::endl;
    return result.status == ImportStatus::Done && result.failures.empty() ? 0 : 1;
}

// Renames the listed visit into display order again and again, under two name
// prefixes in turn, until the other workstation has finished re-dating.
int renameRole(const QString &root)
{
    const QString patient = drillPatient(root);
    waitForGo();
    int round = 0;
    for (; round < 20000 && !QFileInfo::exists(root + "/redated"); ++round) {
        const QStringList shown = listPictures(patient);
        const QString prefix = round % 2 ? QStringLiteral("B-") : QStringLiteral("A-");
        renameToDisplayOrder(
            QStringLiteral("0123456").left(shown.size()), [&](int position) { return shown.value(position); },
            [&](int number) { return QStringLiteral("%1%2.jpg").arg(prefix).arg(number); });
    }
    std::cout << "rounds " << round << std::endl;
    return 0;
}

// Lists the visit and changes the date of every picture listed, some rounds over.
int redateRole(const QString &root, int rounds)
{
    const QString patient = drillPatient(root);
    waitForGo();
    int changed = 0, failed = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const QString &picture : listPictures(patient)) {
            ImagingControl control;
            const QDateTime date = kNewDate.addDays(round);
            const bool exif = writeExifDate(control, picture, date).ok();
            const bool times = setFileTime(picture, date).ok();
            (exif && times ? changed : failed)++;
        }
    }
    writeFile(root + "/redated", "done");
    std::cout << "changed " << changed << " failed " << failed << std::endl;
    return 0;
}

} // namespace

int runChildRole(const QStringList &arguments)
{
    const QString role = arguments.value(0);
    if (role == "kill") {
        const StoreOperation *op = findOperation(arguments.value(1));
        if (!op)
            return 2;
        refuseLike(Server(arguments.value(5).toInt()));
        killAtFileCall(FileCall(arguments.value(2).toInt()), arguments.value(3).toInt());
        op->run(arguments.value(4));
        return 3; // the kill never came
    }
    if (role == "import")
        return importRole(arguments.value(1), arguments.value(2), arguments.value(3));
    if (role == "rename")
        return renameRole(arguments.value(1));
    if (role == "redate")
        return redateRole(arguments.value(1), arguments.value(2).toInt());
    return 2;
}

} // namespace tolvarine::test
