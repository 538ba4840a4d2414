#pragma once

#include <functional>
#include <vector>

#include <QStringList>

namespace tolvarine::bench {

using Timer = std::function<std::vector<double>(int runs, const std::function<void()> &before,
                                                const std::function<void()> &work)>;
// Prints a task's line; returns its median in milliseconds.
using Reporter = std::function<double(const char *task, const std::vector<double> &ms, const char *note)>;

// print_sheet and its floor on the visit's twelve big pictures.
void benchPrintSheet(const QStringList &oral, const QStringList &face, int runs, const Timer &time,
                     const Reporter &report);

} // namespace tolvarine::bench
