#include "JpegFloor.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <QByteArray>
#include <QFile>

// jpeglib.h wants FILE and size_t declared first.
#include <jpeglib.h>

namespace tolvarine::bench {

namespace {

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void jumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegFailure *>(info->err)->back, 1); }

} // namespace

QSize decodeWithLibjpeg(const QString &path, QSize wanted)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jumpBack;
    std::vector<unsigned char> pixels;
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_denom = 8;
    for (info.scale_num = 1; info.scale_num < 8; ++info.scale_num) {
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= wanted.width() && int(info.output_height) >= wanted.height())
            break;
    }
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 4;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    const QSize decoded(int(info.output_width), int(info.output_height));
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return decoded;
}

} // namespace tolvarine::bench
