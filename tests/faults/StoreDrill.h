#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include "platform/FileFaults.h"
#include "platform/Outcome.h"

namespace tolvarine::test {

// A small store under root, the same bytes and times every time it is made:
// patient 00123 with a.jpg (an Exif date), b.jpg with its thumbnail, a face folder
// with f.jpg and a name file; beside it dropped files to import, the blank
// template, and a home of its own whose trash takes deleted pictures.
void makeDrillStore(const QString &root);
QString drillPatient(const QString &root);

// One writing operation of the program, run on a drill store as the program runs
// it. Its outcome is ok only when every step reported success.
struct StoreOperation {
    const char *name;
    std::function<Outcome(const QString &root)> run;
    // File times are part of what it writes.
    bool writesTimes = false;
    // A failing call of this kind has a way round that still does the whole.
    std::vector<FileCall> fallbacks = {};
    // The contents of complete files the operation may leave on the way (SHA-256).
    std::function<QSet<QByteArray>(const QString &root)> waypoints = {};
};
const std::vector<StoreOperation> &storeOperations();
const StoreOperation *findOperation(const QString &name);

const char *fileCallName(FileCall call);

// Where the store lies: a local disk, or a file server that refuses the kernel's
// no-replace rename and the swap, and perhaps hard links too. The file layer is
// told to refuse them as that server would.
enum class Server { None, NoRenameFlags, NoRenameFlagsNoLinks };
void refuseLike(Server server);
bool refusedBy(Server server, FileCall call);

// Every file under root: relative path, SHA-256 of the content and last-modified
// second. Files in a trash are kept apart, by content only.
struct FileState {
    QByteArray sha;
    qint64 modified = 0;
};
struct StoreState {
    std::map<QString, FileState> files;
    std::vector<QByteArray> trashed;
};
StoreState storeState(const QString &root);

// What is wrong with after, an operation's end (or its remains after a kill) from
// before, set against a clean run of the same operation: a file that is neither as
// before nor as the clean run left it (a cut-off or stray file), a picture lost, a
// content now twice, a temporary file left (listed, or at all unless killed), or a
// failure reported as success. Empty when all holds. A process killed on a server
// without the no-replace rename may leave what its way round leaves in that moment:
// a picture under both its old and new name (links), or the empty file that held the
// new name (neither).
struct DrillEnd {
    bool killed = false;
    bool reportedOk = false;
    bool faultInjected = true;
    bool faultFired = true;
    bool faultHasFallback = false;
    Server server = Server::None;
};
QStringList violations(const StoreOperation &op, const QString &root, const StoreState &before,
                       const StoreState &clean, const StoreState &after, const DrillEnd &end);

// The roles a re-run of the test binary plays (see FaultsMain.cpp).
int runChildRole(const QStringList &arguments);

} // namespace tolvarine::test
