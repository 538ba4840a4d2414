#pragma once

#include <QSize>
#include <QString>

namespace tolvarine::bench {

// The floor the program's decoding is timed against: libjpeg-turbo itself reading
// the file and decoding it at the smallest M/8 scale whose output still covers
// `wanted` (a side of 0 asks nothing of that side), into 32-bit pixels. Gives the
// decoded size; an empty size when libjpeg refuses the file.
QSize decodeWithLibjpeg(const QString &path, QSize wanted);

} // namespace tolvarine::bench
