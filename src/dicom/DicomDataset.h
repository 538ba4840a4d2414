#pragma once

// dcmtk's side of the exported object; only the dicom folder's sources include it.

#include <memory>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include "dicom/DicomObject.h"

namespace tolvarine {

// The object of one picture; nullptr with error set when dcmtk refuses a value.
std::unique_ptr<DcmFileFormat> makeDicomObject(const DicomInstance &instance, QString &error);

QString conditionText(const OFCondition &condition);

} // namespace tolvarine
