#include "dicom/DicomSend.h"

#include <memory>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmnet/cond.h>
#include <dcmtk/dcmnet/dimse.h>
#include <dcmtk/dcmnet/scu.h>

#include "dicom/DicomDataset.h"

namespace tolvarine {

namespace {

bool isSuccess(Uint16 status)
{
    // Warnings: the object was stored, with elements coerced or discarded.
    return status == STATUS_Success || status == STATUS_STORE_Warning_CoercionOfDataElements
           || status == STATUS_STORE_Warning_DataSetDoesNotMatchSOPClass
           || status == STATUS_STORE_Warning_ElementsDiscarded;
}

OFString latin1(const QString &text) { return OFString(text.toLatin1().constData()); }

// One picture by C-STORE; counted as sent only on the archive's success.
void sendOne(DcmSCU &scu, T_ASC_PresentationContextID context, const DicomSource &source,
             const ReadPicture &read, const QString &clinic, DicomSummary &summary)
{
    auto failed = [&](Status status, const QString &why, int code = 0) {
        summary.failures.push_back({source.path, Outcome::failed(status, why, code)});
    };
    if (!scu.isConnected())
        return failed(Status::Unreadable, QStringLiteral("connection lost"));
    const PreparedPicture prepared = preparePicture(source, read, clinic);
    if (!prepared.outcome) {
        summary.failures.push_back({source.path, prepared.outcome});
        return;
    }
    QString error;
    const std::unique_ptr<DcmFileFormat> object = makeDicomObject(prepared.instance, error);
    if (!object)
        return failed(Status::Invalid, error);
    Uint16 status = 0;
    const OFCondition sent = scu.sendSTORERequest(context, OFFilename(), object->getDataset(), status);
    if (sent.bad()) {
        // No answer in time, or the connection broke: the association is given up, so
        // that the pictures after this one are told at once instead of each waiting.
        scu.abortAssociation();
        return failed(Status::Unreadable, conditionText(sent));
    }
    if (!isSuccess(status))
        return failed(Status::Refused, storeStatusText(status), status);
    ++summary.done;
    summary.turned += prepared.instance.picture.change == JpegChange::Lossless;
    summary.reencoded += prepared.instance.picture.change == JpegChange::Reencoded;
}

} // namespace

DicomNode dicomNode(const DicomSettings &settings)
{
    DicomNode node;
    node.host = settings.Host.trimmed();
    node.port = settings.Port;
    node.calledAe = settings.CalledAE.trimmed();
    node.callingAe = settings.CallingAE.trimmed();
    return node;
}

bool isValidAeTitle(const QString &title)
{
    if (title.isEmpty() || title.size() > 16 || title.trimmed().isEmpty())
        return false;
    for (const QChar c : title) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == u'\\')
            return false;
    }
    return true;
}

NodeProblem nodeProblem(const DicomNode &node)
{
    const bool hostOk =
        !node.host.isEmpty() && !node.host.contains(u' ') && node.host.toLatin1() == node.host.toUtf8();
    if (!hostOk)
        return NodeProblem::Host;
    if (node.port < 1 || node.port > 65535)
        return NodeProblem::Port;
    if (!isValidAeTitle(node.calledAe))
        return NodeProblem::CalledAe;
    if (!isValidAeTitle(node.callingAe))
        return NodeProblem::CallingAe;
    return NodeProblem::None;
}

QString storeStatusText(int status)
{
    switch (status) {
    case STATUS_STORE_Refused_SOPClassNotSupported:
        return QStringLiteral("SOP class not supported");
    case STATUS_STORE_Refused_NotAuthorized:
        return QStringLiteral("not authorized");
    case STATUS_STORE_InvalidSOPClass:
        return QStringLiteral("invalid SOP class");
    case STATUS_STORE_DuplicateInvocation:
        return QStringLiteral("duplicate invocation");
    case STATUS_STORE_MistypedArgument:
        return QStringLiteral("mistyped argument");
    default:
        break;
    }
    switch (status & 0xFF00) {
    case STATUS_STORE_Refused_OutOfResources:
        return QStringLiteral("refused: out of resources");
    case STATUS_STORE_Error_DataSetDoesNotMatchSOPClass:
        return QStringLiteral("error: data set does not match SOP class");
    default:
        break;
    }
    if ((status & 0xF000) == STATUS_STORE_Error_CannotUnderstand)
        return QStringLiteral("error: cannot understand");
    return QStringLiteral("failed");
}

DicomSummary sendToNode(const DicomPlan &plan, const QString &clinic, const DicomNode &node,
                        const DicomProgress &progress)
{
    DicomSummary summary;
    if (!(summary.job = dicomLibraryReady()))
        return summary;
    if (nodeProblem(node) != NodeProblem::None) {
        summary.job = Outcome::failed(Status::Invalid, node.host);
        return summary;
    }
    const Uint32 timeout = Uint32(std::max(1, node.timeoutSeconds));
    DcmSCU scu;
    scu.setAETitle(latin1(node.callingAe));
    scu.setPeerHostName(latin1(node.host));
    scu.setPeerPort(Uint16(node.port));
    scu.setPeerAETitle(latin1(node.calledAe));
    scu.setConnectionTimeout(Sint32(timeout));
    scu.setACSETimeout(timeout);
    scu.setDIMSETimeout(timeout);
    scu.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    // The pictures go as they are: only their own transfer syntax is proposed.
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_JPEGProcess1TransferSyntax);
    scu.addPresentationContext(UID_VLPhotographicImageStorage, syntaxes);

    OFCondition step = scu.initNetwork();
    if (step.good())
        step = scu.negotiateAssociation();
    if (step.bad()) {
        const bool rejected = step == DUL_ASSOCIATIONREJECTED;
        summary.job = Outcome::failed(rejected ? Status::Refused : Status::Unreadable, conditionText(step));
        return summary;
    }
    const T_ASC_PresentationContextID context =
        scu.findPresentationContextID(UID_VLPhotographicImageStorage, UID_JPEGProcess1TransferSyntax);
    if (context == 0) {
        scu.releaseAssociation();
        summary.job =
            Outcome::failed(Status::Refused, QStringLiteral("no JPEG Baseline VL Photographic Image"));
        return summary;
    }

    const int total = int(plan.pictures.size());
    int finished = 0;
    for (const auto &[first, end] : visitRanges(plan)) {
        VisitReading reading(plan, first, end);
        for (size_t i = first; i < end; ++i) {
            const DicomSource &source = plan.pictures[i];
            sendOne(scu, context, source, reading.read(i), clinic, summary);
            if (progress && !progress(++finished, total, source.path)) {
                summary.cancelled = true;
                summary.skipped = total - finished;
                if (scu.isConnected())
                    scu.releaseAssociation();
                return summary;
            }
        }
    }
    if (scu.isConnected())
        scu.releaseAssociation();
    return summary;
}

} // namespace tolvarine
