#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include "store/VisitOrder.h"

namespace tolvarine {

class ImagingControl;

// Width every thumbnail is made at, before it is turned.
constexpr int kThumbnailWidth = 195;

enum class PanelKind { Oral, Face };

// What a panel fill needs from the settings: the shooting order and the
// orientation code of each position.
struct PanelSetup {
    PanelKind kind = PanelKind::Oral;
    QString order;
    std::vector<int16_t> codes;
    int maxCount() const { return kind == PanelKind::Oral ? kOralPositions : kFacePositions; }
    int16_t code(int position) const { return position < int(codes.size()) ? codes[size_t(position)] : 0; }
};

template <std::size_t N>
PanelSetup panelSetup(PanelKind kind, const QString &order, const std::array<int16_t, N> &codes)
{
    return {kind, order, {codes.begin(), codes.end()}};
}

// Turns a bitmap as a position's orientation code says; codes without a turning
// (0 and unknown values, and 4 and 5 on the intraoral panel) leave it. Returns
// whether the turning worked.
bool turnByCode(ImagingControl &control, PanelKind kind, int16_t code);
// Whether that turning is a quarter turn, so that width and height change places.
bool turnsSideways(PanelKind kind, int16_t code);

// A picture as its position shows it, `size` pixels once turned: decoded and
// turned as its thumbnail is made, but at the size a dense screen draws the
// thumbnail at. Only ever drawn, never kept. Null when the picture does not decode.
QImage displayPicture(const QString &picture, PanelKind kind, int16_t code, QSize size);

// One shown picture of a fill.
struct PanelPicture {
    Placement placement;
    QString picture;               // full path; also the control's tooltip
    QString thumbnail;             // the thumbnail file, as it exists on disk or as it is to be made
    bool fromThumbnail = false;    // image is the thumbnail file's content
    bool keepThumbnail = false;    // image was made from the picture and is to be kept as its thumbnail
    bool replaceThumbnail = false; // the thumbnail file did not decode, or was made for another code
    QImage image;                  // null when neither the thumbnail nor the picture loaded
};

// Thumbnails made from pictures within one operation whose files could not be
// kept (a read-only folder), so that the nested fills of the same operation do
// not decode the same pictures again. Keyed by picture, panel and code.
using MadeThumbnails = QHash<QString, QImage>;

// The pictures of a visit being loaded or made (see preparePanel): every file is
// read at once on the read pool, and each is decoded on the global pool, with an
// imaging control of its own, as soon as its bytes are in. They can be taken in
// entry order as each becomes ready, so that the window shows the first ones while
// the others are still being made. Destroying it waits for the jobs still running.
class PanelPreparation {
public:
    PanelPreparation(const QStringList &entries, const PanelSetup &setup,
                     const MadeThumbnails *made = nullptr);
    ~PanelPreparation();
    PanelPreparation(const PanelPreparation &) = delete;
    PanelPreparation &operator=(const PanelPreparation &) = delete;

    int count() const;
    // Picture i of the fill, once it is ready.
    PanelPicture take(int i);
    // Every picture, in entry order.
    std::vector<PanelPicture> takeAll();

private:
    struct Jobs;
    std::unique_ptr<Jobs> jobs_;
};

// Loads or makes the pictures of a visit (its entries in order) for their
// positions: the thumbnail file when it exists and decodes, else the picture,
// decoded at a reduced scale where that still gives 195 pixels, resized to
// 195 x 195*h/w of the picture's full size and turned by the position's code. The
// pictures are worked on in parallel, each with an imaging control of its own;
// the result is in entry order.
std::vector<PanelPicture> preparePanel(const QStringList &entries, const PanelSetup &setup,
                                       MadeThumbnails *made = nullptr);

// Writes the thumbnails made by preparePanel, in entry order. A file that is still
// missing is made; an existing one only replaces an undecodable thumbnail. Every
// failure (a read-only file or folder) is skipped. Made thumbnails that could not
// be written go into made. Returns how many files were written.
int saveMissingThumbnails(const std::vector<PanelPicture> &pictures, const PanelSetup &setup,
                          MadeThumbnails *made = nullptr);

} // namespace tolvarine
