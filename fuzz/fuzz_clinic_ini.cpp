// The clinic.ini reader: three values, each within its byte limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/TextCodec.h"
#include "settings/ClinicIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const tolvarine::ClinicIni ini = tolvarine::clinicIniFromBytes(bytes);
    for (const QString &value : {ini.ClinicName, ini.ClinicFontSize, ini.ClinicFontName})
        if (tolvarine::cp932ByteLength(value) > tolvarine::kClinicValueMaxBytes)
            std::abort();
    (void)tolvarine::clinicFontPointSize(ini.ClinicFontSize);
    return 0;
}
