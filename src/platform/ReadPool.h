#pragma once

#include <utility>

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace tolvarine {

// Reads of store files run on threads of their own. On a file server every open
// and read waits on the network far longer than it uses a core, so many are kept
// in flight at once, whatever the number of cores; decoding and other computing
// stay on the global pool, which is sized to the cores. The listing and the panel
// fills both read through here.
QThreadPool *readPool();

// How many reads run at once: 16 unless set (tests, measurements).
void setReadsInFlight(int count);
int readsInFlight();

// Runs work that reads files, and does little else, on the read pool.
template <typename Work> auto startRead(Work &&work)
{
    return QtConcurrent::run(readPool(), std::forward<Work>(work));
}

} // namespace tolvarine
