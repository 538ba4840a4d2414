#pragma once

#include <QStringList>

#include "PrintBench.h"

namespace tolvarine::bench {

// dicom_export and its floor on the visit's twelve big pictures; the export with
// turned positions apart.
void benchDicomExport(const QStringList &oral, const QStringList &face, int runs, const Timer &time,
                      const Reporter &report);

} // namespace tolvarine::bench
