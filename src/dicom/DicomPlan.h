#pragma once

#include <cstdint>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include "platform/Outcome.h"
#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "store/PanelFill.h"

namespace tolvarine {

// One picture to go out as DICOM, with what the store and the settings say of it.
struct DicomSource {
    QString path;
    QString krNo;        // the five-digit patient number
    QString patientName; // as in the name file
    PanelKind kind = PanelKind::Oral;
    int position = 0;      // its display position
    QString visitDate;     // the date of the visit its panel shows, "yyyy/mm/dd"
    QDateTime captured;    // its capture date
    QTime studyTime{0, 0}; // the visit's earliest known capture time (midnight when none is known)
    bool timeKnown = true; // the capture date carries a time of day (dated by file date)
    int16_t code = 0;      // the position's orientation code
    QString viewId;        // the view assigned to the position; empty for none
    bool mirror = false;   // the position is taken in a mirror
};

// The pictures of a run: the shown visit, a visit, a patient or the whole store.
struct DicomPlan {
    std::vector<DicomSource> pictures;
    int notShown = 0; // pictures of the visits that no position shows (beyond the shooting order)
};

// The pictures a panel shows for a visit: its entries placed by the shooting order,
// each with its position's code, view and mirror mark.
std::vector<DicomSource> panelSources(PanelKind kind, const QStringList &entries, const QString &visitDate,
                                      const AppSettings &settings, const QString &krNo, const QString &name);

// The visit the main window shows, both panels (each with its own date).
DicomPlan shownVisitPlan(const BrowseState &browse, const AppSettings &settings, const QString &krNo,
                         const QString &name);

// Every visit of a patient, or the one of visitDate ("yyyy/mm/dd") when it is not
// empty, each as the panels would show it. Missing when the patient folder does not
// exist, or holds no picture of that date.
Outcome patientPlan(const QString &pictFolda, const QString &krNo, const QString &visitDate,
                    const AppSettings &settings, DicomPlan &plan);

// Every patient folder of the picture folder, in number order.
Outcome storePlan(const QString &pictFolda, const AppSettings &settings, DicomPlan &plan);

} // namespace tolvarine
