#pragma once

#include <cstdint>

namespace tolvarine {

// What the progress window reads while an import runs: the bar's maximum and the
// 0-based index of the file being copied.
struct ImportProgress {
    int16_t intImportMax = 0;
    int16_t intImportPos = 0;
};

} // namespace tolvarine
