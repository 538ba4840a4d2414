#pragma once

#include <QString>

#include "dicom/DicomRun.h"
#include "settings/AppSettings.h"

namespace tolvarine {

// The archive pictures are sent to, and how long it may keep us waiting.
struct DicomNode {
    QString host;
    int port = 104;
    QString calledAe;  // the archive's AE title
    QString callingAe; // ours
    int timeoutSeconds = 30;
};

DicomNode dicomNode(const DicomSettings &settings);

// An AE title: 1 to 16 characters of printable ASCII other than the backslash,
// not only blanks.
bool isValidAeTitle(const QString &title);

// Which value of a node cannot be used, in the order they are asked for.
enum class NodeProblem { None, Host, Port, CalledAe, CallingAe };
NodeProblem nodeProblem(const DicomNode &node);

// Sends the pictures to the archive by C-STORE in one association, proposing
// VL Photographic Image Storage in JPEG Baseline only (the pictures are never
// decoded). A picture counts as sent only when the archive answered success (or a
// warning: stored with changes). A picture the archive refuses is a failure with
// its status (the code in error, its meaning in detail) and the others still go;
// once the connection is lost every remaining picture is a failure. The job fails
// (nothing sent) when the archive cannot be reached or does not answer within the
// node's timeout (Unreadable), refuses the association or takes no JPEG Baseline
// (Refused), each with dcmtk's text.
DicomSummary sendToNode(const DicomPlan &plan, const QString &clinic, const DicomNode &node,
                        const DicomProgress &progress = {});

// The meaning of a C-STORE status, in English as the standard names it.
QString storeStatusText(int status);

} // namespace tolvarine
