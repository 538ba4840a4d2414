// The name-file decoder; a name it gives must survive being written back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "store/NameFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QString> name = tolvarine::patientNameFromBytes(bytes);
    // A name with a double quote cannot be quoted, so it cannot keep a comma or
    // blanks at its ends; any other name reads back as it was written.
    if (name && !name->isEmpty() && !name->contains(QLatin1Char('"'))) {
        const std::optional<QString> again =
            tolvarine::patientNameFromBytes(tolvarine::encodePatientName(*name));
        if (again != name)
            std::abort();
    }
    return 0;
}
