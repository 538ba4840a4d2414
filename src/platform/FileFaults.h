#pragma once

#include <functional>

#include <QString>
#include <QtGlobal>

namespace tolvarine {

// The calls of the file layer that can fail. Every write into the store goes
// through them, so a drill can make any step of any writing operation fail the way
// a full disk, a dropped connection or a refusing file server makes it fail.
enum class FileCall {
    Create,          // a temporary or new file is made
    Open,            // an existing file is opened for writing (its times)
    Write,           // bytes go out
    Sync,            // the file's bytes are flushed to the disk
    Close,           // the descriptor is closed (a server reports write errors here)
    Rename,          // a rename that replaces the target
    RenameNoReplace, // a rename that must not replace the target
    Link,            // a hard link (the fall-back for servers without the above)
    Remove,          // a file is removed
    SetTime,         // the last-write time is set
    SyncFolder,      // the folder's entries are flushed
    RenameExchange,  // a rename that swaps with its target, so only a file still there is replaced
    MakeFolder,      // a folder is made
    Trash,           // a file is moved to the desktop's trash
};
inline constexpr int kFileCallKinds = int(FileCall::Trash) + 1;

// Makes the nth call of that kind from now on (1 = the next one) fail with error;
// nth 0 makes every call of that kind fail, as a server that refuses it would.
// For tests and fault drills; free in normal runs.
void failFileCall(FileCall call, int nth, int error);

// Ends the process with SIGKILL at the nth call of that kind, before the call is
// made, as a killed program or a power cut ends it mid-operation.
void killAtFileCall(FileCall call, int nth);

void clearFileFaults();

// How many calls of that kind were made since the last clearFileFaults(), so that a
// drill can walk every step of an operation.
int fileCallCount(FileCall call);

// Makes every read of a file's bytes wait as delay says (given the file's path and
// the bytes asked for) before it goes out, as a slow file server would, so that
// reads started together end in another order; an empty function ends it. For
// tests, which may also count the reads with it.
using ReadDelay = std::function<void(const QString &path, qint64 bytes)>;
void delayFileReads(ReadDelay delay);
// What every read of the file layer calls before it goes out: waits as told.
void delayFileRead(const QString &path, qint64 bytes);

} // namespace tolvarine
