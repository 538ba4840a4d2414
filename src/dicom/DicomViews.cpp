#include "dicom/DicomViews.h"

namespace tolvarine {

namespace {

// Codes of the open-ortho profile's tables (codes.csv, the VL View tables).
constexpr DicomCode kFrontal{"399033003", "SCT", "Frontal projection"};
constexpr DicomCode kRightLateral{"399198007", "SCT", "Right lateral projection"};
constexpr DicomCode kLeftLateral{"399173006", "SCT", "Left lateral projection"};
constexpr DicomCode kDegrees45{"260454004", "SCT", "45 degree projection"};
constexpr DicomCode kOcclusal{"260499007", "SCT", "Occlusal projection"};

constexpr DicomCode kMouth{"123851003", "SCT", "Mouth region structure"};
constexpr DicomCode kHeadAndNeck{"774007", "SCT", "Structure of head and/or neck"};
constexpr DicomCode kOralCavity{"74262004", "SCT", "Oral cavity structure"};
constexpr DicomCode kBuccalSpace{"261063000", "SCT", "Structure of buccal space"};
constexpr DicomCode kUpperArch{"39481002", "SCT", "Upper dental arch structure"};
constexpr DicomCode kLowerArch{"88176008", "SCT", "Lower dental arch structure"};
constexpr DicomCode kFace{"89545001", "SCT", "Face structure"};
constexpr DicomCode kRight{"24028007", "SCT", "Right"};
constexpr DicomCode kLeft{"7771000", "SCT", "Left"};

constexpr DicomCode kOcclusion{"25272006", "SCT", "Dental occlusion, function"};
constexpr DicomCode kCentricOcclusion{"110320000", "SCT", "Centric occlusion"};
constexpr DicomCode kCondition{"130324", "DCM", "Functional condition present during acquisition"};
constexpr DicomCode kOpenMouth{"262016004", "SCT", "Open mouth"};
constexpr DicomCode kLipsRelaxed{"1336028006", "SCT", "Upper and lower lips in relaxed position"};
constexpr DicomCode kLipsClosed{"1336029003", "SCT", "Upper and lower lips in closed position"};
constexpr DicomCode kSmile{"225583004", "SCT", "Smiles"};

const DicomContextItem kInOcclusion{kOcclusion, kCentricOcclusion};
const DicomContextItem kMouthOpen{kCondition, kOpenMouth};
const DicomContextItem kRelaxed{kCondition, kLipsRelaxed};
const DicomContextItem kClosed{kCondition, kLipsClosed};
const DicomContextItem kSmiling{kCondition, kSmile};

} // namespace

const std::vector<DicomView> &dicomViews()
{
    constexpr auto Oral = PanelKind::Oral;
    constexpr auto Face = PanelKind::Face;
    static const std::vector<DicomView> views{
        {"IV-07", Oral, "正面 (咬合)", kFrontal, kMouth, {}, kOralCavity, {}, {kInOcclusion}, "L\\F"},
        {"IV-10", Oral, "正面 (開口)", kFrontal, kMouth, {}, kOralCavity, {}, {kMouthOpen}, "L\\F"},
        {"IV-01",
         Oral,
         "右側方 (咬合)",
         kRightLateral,
         kMouth,
         {},
         kBuccalSpace,
         kRight,
         {kInOcclusion},
         "A\\F"},
        {"IV-18",
         Oral,
         "左側方 (咬合)",
         kLeftLateral,
         kMouth,
         {},
         kBuccalSpace,
         kLeft,
         {kInOcclusion},
         "P\\F"},
        {"IV-24", Oral, "上顎咬合面", kOcclusal, kMouth, {}, kUpperArch, {}, {kMouthOpen}, ""},
        {"IV-26", Oral, "下顎咬合面", kOcclusal, kMouth, {}, kLowerArch, {}, {kMouthOpen}, ""},
        {"EV-15", Face, "正面 (安静)", kFrontal, kHeadAndNeck, {}, kFace, {}, {kRelaxed}, "L\\F"},
        {"EV-17", Face, "正面 (閉唇)", kFrontal, kHeadAndNeck, {}, kFace, {}, {kClosed}, "L\\F"},
        {"EV-19", Face, "正面 (笑顔)", kFrontal, kHeadAndNeck, {}, kFace, {}, {kSmiling}, "L\\F"},
        {"EV-01", Face, "右側面 (安静)", kRightLateral, kHeadAndNeck, kRight, kFace, {}, {kRelaxed}, "A\\F"},
        {"EV-22", Face, "左側面 (安静)", kLeftLateral, kHeadAndNeck, kLeft, kFace, {}, {kRelaxed}, "P\\F"},
        {"EV-08", Face, "右斜め45° (安静)", kDegrees45, kHeadAndNeck, kRight, kFace, {}, {kRelaxed}, "A\\F"},
        {"EV-29", Face, "左斜め45° (安静)", kDegrees45, kHeadAndNeck, kLeft, kFace, {}, {kRelaxed}, "P\\F"},
        {"EV-12", Face, "右斜め45° (笑顔)", kDegrees45, kHeadAndNeck, kRight, kFace, {}, {kSmiling}, "A\\F"},
    };
    return views;
}

std::vector<const DicomView *> dicomViewsFor(PanelKind kind)
{
    std::vector<const DicomView *> views;
    for (const DicomView &view : dicomViews()) {
        if (view.kind == kind)
            views.push_back(&view);
    }
    return views;
}

const DicomView *dicomViewById(const QString &id, PanelKind kind)
{
    for (const DicomView &view : dicomViews()) {
        if (view.kind == kind && id == QLatin1String(view.id))
            return &view;
    }
    return nullptr;
}

DicomCode mirrorDevice() { return {"47162009", "SCT", "Mirror, device"}; }

DicomCode mirrorModifier(bool corrected)
{
    return corrected ? DicomCode{"787610003", "SCT",
                                 "Photographic image corrected intraoral mirrored visible record"}
                     : DicomCode{"789135000", "SCT", "Mirrored visible image uncorrected"};
}

} // namespace tolvarine
