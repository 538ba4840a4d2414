#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>

#include "platform/Outcome.h"
#include "store/PanelFill.h"

namespace tolvarine {

// What a JPEG's frame header and colour transform say, read without decoding.
struct JpegFrame {
    int process = 0; // the start-of-frame marker's second byte: 0xC0 baseline
    int precision = 0;
    int width = 0;
    int height = 0;
    int components = 0;
    enum class Colour { Grey, YCbCr, Rgb, Other } colour = Colour::Other;
    bool subsampled = false; // chroma sampled at less than full resolution
    bool baseline() const { return process == 0xC0 && precision == 8; }
};

// nullopt for bytes whose header the JPEG library does not take.
std::optional<JpegFrame> readJpegFrame(const QByteArray &jpeg);

// Whether a position's orientation code turns or mirrors its pictures, and
// whether the result is mirror-imaged (a mirror or flip, not a rotation).
bool codeTurns(PanelKind kind, int16_t code);
bool codeMirrors(PanelKind kind, int16_t code);

// How the picture's bytes were made ready.
enum class JpegChange {
    None,      // the file's own bytes
    Lossless,  // turned (or made baseline) by rearranging the compressed blocks: no pixel changed
    Reencoded, // decoded, turned and encoded again at kReencodeQuality: the size is not whole blocks
};

constexpr int kReencodeQuality = 95;

struct BaselineJpeg {
    QByteArray jpeg;
    JpegFrame frame;
    JpegChange change = JpegChange::None;
};

// The picture as JPEG Baseline (8-bit sequential Huffman) turned by the position's
// code. A baseline picture that needs no turning is its own bytes. Turning, and a
// progressive or extended picture, go through the JPEG library's lossless
// transform, which only rearranges the coded blocks; where the picture's size is
// not a whole number of blocks in the turned direction that transform cannot be
// exact, and the picture is decoded, turned and encoded again (quality 95, its
// own chroma sampling) instead. NotJpeg, Damaged (cut short or not decodable) or
// Refused (a kind DICOM's JPEG Baseline cannot carry, such as 12-bit or CMYK).
Outcome baselineJpeg(const QByteArray &jpeg, PanelKind kind, int16_t code, BaselineJpeg &out);

} // namespace tolvarine
