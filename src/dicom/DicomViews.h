#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "store/PanelFill.h"

namespace tolvarine {

// One coded concept as DICOM carries it in a code sequence item.
struct DicomCode {
    const char *value;
    const char *scheme; // coding scheme designator: "SCT" (SNOMED CT) or "DCM"
    const char *meaning;
};

// One item of the acquisition context: what was observed (concept name) and its value.
struct DicomContextItem {
    DicomCode name;
    DicomCode value;
};

// A view of orthodontic photography as the open-ortho profile (DENT-OIP) describes
// it, reduced to what a DICOM object carries for it. The positions of the panels
// mean nothing by themselves; the clinic assigns a view to each.
struct DicomView {
    const char *id; // the profile's own name of the view ("IV-07"); the settings keep it
    PanelKind kind;
    const char *label; // what the assignment dialog shows
    DicomCode view;    // View Code Sequence
    DicomCode region;  // Anatomic Region Sequence
    std::optional<DicomCode> regionModifier;
    std::optional<DicomCode> structure; // Primary Anatomic Structure Sequence
    std::optional<DicomCode> structureModifier;
    std::vector<DicomContextItem> context;
    const char *orientation; // Patient Orientation of the upright picture, "" when none fits
};

// Every view the assignment offers, intraoral first.
const std::vector<DicomView> &dicomViews();

// The views offered for one panel.
std::vector<const DicomView *> dicomViewsFor(PanelKind kind);

// The view of a stored id on a panel; nullptr for an empty or unknown id, and for
// a view of the other panel.
const DicomView *dicomViewById(const QString &id, PanelKind kind);

// Device and view modifier of a picture taken in a mirror: uncorrected when the
// exported picture is still mirrored, corrected when the position's turning undid it.
DicomCode mirrorDevice();
DicomCode mirrorModifier(bool corrected);

} // namespace tolvarine
