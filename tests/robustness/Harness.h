#pragma once

#include <functional>
#include <map>
#include <string>

#include <QByteArray>
#include <QString>

namespace tolvarine::test {

// What one case of the robustness tables is held to: it ends within the time
// limit of processor time (and a looser one on the clock) and its peak memory stays within Qt's image
// allocation limit plus 100 MB. A case that hangs ends the whole process after a generous grace, naming
// itself, and so does one that crashes.
struct CaseLimits {
    qint64 milliseconds;
    qint64 bytes;
};
CaseLimits caseLimits();

// Runs one operation of a case, measured: processor and elapsed time around it, and the peak
// resident memory it added (the high-water mark is reset before it starts).
// Failing a limit is a test failure naming the case.
void measured(const std::string &caseName, const std::function<void()> &operation);

// Every entry under a folder, by its native relative path: SHA-256 of a regular
// file's bytes, the target of a link, or its kind. Names are taken as bytes, so
// that names which are not valid UTF-8 are told apart.
using Tree = std::map<QByteArray, QByteArray>;
Tree treeOf(const QString &folder);

struct TreeChanges {
    std::map<QByteArray, QByteArray> added; // with their hashes
    std::map<QByteArray, QByteArray> removed;
    std::map<QByteArray, QByteArray> changed; // with their new hashes
    bool none() const { return added.empty() && removed.empty() && changed.empty(); }
};
TreeChanges changesBetween(const Tree &before, const Tree &after);
std::string describe(const TreeChanges &changes);

QByteArray sha256(const QByteArray &bytes);

// Removes a folder and everything in it by native names: Qt's own removal passes
// over names that are not valid UTF-8.
void removeTree(const QString &folder);

} // namespace tolvarine::test
