#pragma once

// dcmtk's side of the exported object; only the dicom folder's sources include it.

#include <memory>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include "dicom/DicomObject.h"

namespace tolvarine {

// How an object holds the picture: a copy of its own, or the instance's bytes
// themselves, for an object that is only written out (never read back or transcoded).
enum class PictureHold { Copy, Share };

// The object of one picture; nullptr with error set when dcmtk refuses a value.
std::unique_ptr<DcmFileFormat> makeDicomObject(const DicomInstance &instance, QString &error,
                                               PictureHold hold = PictureHold::Copy);

QString conditionText(const OFCondition &condition);

} // namespace tolvarine
