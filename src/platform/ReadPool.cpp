#include "platform/ReadPool.h"

#include <QGlobalStatic>

namespace tolvarine {

namespace {

constexpr int kReadsInFlight = 16;

struct Pool : QThreadPool {
    Pool() { setMaxThreadCount(kReadsInFlight); }
};
Q_GLOBAL_STATIC(Pool, pool)

} // namespace

QThreadPool *readPool() { return pool(); }

void setReadsInFlight(int count) { pool()->setMaxThreadCount(count > 0 ? count : kReadsInFlight); }

int readsInFlight() { return pool()->maxThreadCount(); }

} // namespace tolvarine
