#pragma once

#include <functional>
#include <utility>

#include <QByteArray>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/Outcome.h"

namespace tolvarine {

// Reads of store files run on threads of their own. On a file server every open
// and read waits on the network far longer than it uses a core, so many are kept
// in flight at once, whatever the number of cores; decoding and other computing
// stay on the global pool, which is sized to the cores. The listing and the panel
// fills both read through here.
QThreadPool *readPool();

// How many reads run at once: 16 unless set (tests, measurements); a count below
// 1 sets the 16 again.
void setReadsInFlight(int count);
int readsInFlight();

// Waits until the read pool and the global pool are both idle and their threads
// are gone, reads started by work and work started by reads included. Called once
// before the process exits: no worker may still be winding down then.
void joinWorkers();

// Runs work that reads files, and does little else, on the read pool.
template <typename Work> auto startRead(Work &&work)
{
    return QtConcurrent::run(readPool(), std::forward<Work>(work));
}

// Reads a whole file on the read pool in pieces asked for all at once, so that a
// file server has many requests of the file in flight and a large file arrives in
// the time of a few round trips. Files asked for with a higher priority are served
// first. done runs on a thread of the pool with the bytes, or with the failure:
// Missing, Unreadable, or Refused for a file larger than maxBytes, which is not
// read. It must not wait for other reads.
using FileArrived = std::function<void(Outcome read, QByteArray bytes)>;
void readWholeFileAhead(const QString &path, qint64 maxBytes, int priority, FileArrived done);

} // namespace tolvarine
