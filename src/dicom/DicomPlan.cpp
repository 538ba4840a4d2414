#include "dicom/DicomPlan.h"

#include <algorithm>
#include <map>

#include <QDir>
#include <QFileInfo>

#include "platform/FileSystem.h"
#include "store/CaptureDate.h"
#include "store/NameFile.h"
#include "store/PatientNumber.h"
#include "store/StoreFiles.h"
#include "store/StoreNames.h"
#include "store/StorePaths.h"
#include "store/VisitListing.h"
#include "store/VisitOrder.h"

namespace tolvarine {

namespace {

// The panel fill loads entry after entry into the control of its position, so of
// two entries named to one position the later one is shown.
std::vector<Placement> shownPlacements(const QString &order, int entryCount, int maxCount)
{
    std::vector<Placement> shown;
    for (const Placement &placement : placeVisit(order, entryCount, maxCount)) {
        const auto same = std::find_if(shown.begin(), shown.end(),
                                       [&](const Placement &p) { return p.position == placement.position; });
        if (same != shown.end())
            *same = placement;
        else
            shown.push_back(placement);
    }
    return shown;
}

void appendVisit(DicomPlan &plan, std::vector<DicomSource> pictures, int entryCount)
{
    plan.notShown += entryCount - int(pictures.size());
    for (DicomSource &picture : pictures)
        plan.pictures.push_back(std::move(picture));
}

// The study of a visit starts with its earliest picture, on both panels.
void settleStudyTimes(DicomPlan &plan, size_t from)
{
    std::map<std::pair<QString, QString>, QTime> earliest;
    for (size_t i = from; i < plan.pictures.size(); ++i) {
        const DicomSource &p = plan.pictures[i];
        const QTime time = p.timeKnown ? p.captured.time() : QTime(0, 0);
        auto [at, inserted] = earliest.emplace(std::make_pair(p.krNo, p.visitDate), time);
        if (!inserted && time < at->second)
            at->second = time;
    }
    for (size_t i = from; i < plan.pictures.size(); ++i) {
        DicomSource &p = plan.pictures[i];
        p.studyTime = earliest[{p.krNo, p.visitDate}];
    }
}

QStringList sortedSubfolders(const QString &folder)
{
    QStringList names = folderEntries(folder, EntryKind::Folders);
    std::sort(names.begin(), names.end());
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : names)
        paths << dir.absoluteFilePath(name);
    return paths;
}

} // namespace

std::vector<DicomSource> panelSources(PanelKind kind, const QStringList &entries, const QString &visitDate,
                                      const AppSettings &settings, const QString &krNo, const QString &name)
{
    const bool oral = kind == PanelKind::Oral;
    const QString &order = oral ? settings.Jyunban : settings.FaceJyunban;
    const int maxCount = oral ? kOralPositions : kFacePositions;
    std::vector<DicomSource> sources;
    for (const Placement &placement : shownPlacements(order, int(entries.size()), maxCount)) {
        const auto p = size_t(placement.position);
        DicomSource source;
        source.path = entries.at(placement.index);
        source.krNo = krNo;
        source.patientName = name;
        source.kind = kind;
        source.position = placement.position;
        source.visitDate = visitDate;
        source.captured = pictureDate(source.path, settings.FileHizuke).date;
        source.timeKnown = settings.FileHizuke != 0;
        source.code = oral ? settings.PictSyori[p] : settings.FacePictSyori[p];
        source.viewId = oral ? settings.Dicom.OralView[p] : settings.Dicom.FaceView[p];
        source.mirror = (oral ? settings.Dicom.OralMirror[p] : settings.Dicom.FaceMirror[p]) != 0;
        sources.push_back(std::move(source));
    }
    std::sort(sources.begin(), sources.end(),
              [](const DicomSource &a, const DicomSource &b) { return a.position < b.position; });
    return sources;
}

DicomPlan shownVisitPlan(const BrowseState &browse, const AppSettings &settings, const QString &krNo,
                         const QString &name)
{
    DicomPlan plan;
    // A listing without pictures empties the dates and leaves the hidden lists as they were.
    if (!browse.strOralDate.isEmpty())
        appendVisit(plan,
                    panelSources(PanelKind::Oral, browse.List2, browse.strOralDate, settings, krNo, name),
                    int(browse.List2.size()));
    if (!browse.strFaceDate.isEmpty())
        appendVisit(plan,
                    panelSources(PanelKind::Face, browse.ListFace, browse.strFaceDate, settings, krNo, name),
                    int(browse.ListFace.size()));
    settleStudyTimes(plan, 0);
    return plan;
}

Outcome patientPlan(const QString &pictFolda, const QString &krNo, const QString &visitDate,
                    const AppSettings &settings, DicomPlan &plan)
{
    const QString folder = patientFolder(pictFolda, krNo);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return Outcome::failed(Status::FolderMissing, folder.isEmpty() ? krNo : folder);
    const QString name = readPatientName(nameFilePath(folder)).value_or(QString());
    const size_t first = plan.pictures.size();

    DatedPictures oral(listPictures(folder), settings.FileHizuke);
    std::vector<QDateTime> oralDates;
    for (int i = 0; i < oral.size(); ++i)
        oralDates.push_back(oral.take(i, oral.size()));
    DatedPictures face(listPictures(faceFolderForReading(folder)), settings.FileHizuke);
    std::map<QString, int> facePerDate;
    for (int i = 0; i < face.size(); ++i)
        ++facePerDate[visitDateText(face.take(i, face.size()))];

    std::map<QString, bool> dates; // every visit date, in order
    for (const QDateTime &date : oralDates)
        dates[visitDateText(date)] = true;
    for (const auto &[date, count] : facePerDate)
        dates[date] = true;
    if (!visitDate.isEmpty() && !dates.count(visitDate))
        return Outcome::failed(Status::Missing, visitDate);

    for (const auto &[date, unused] : dates) {
        if (!visitDate.isEmpty() && date != visitDate)
            continue;
        const QStringList oralVisit = visitPictures(oral.paths(), oralDates, oral.size(), date);
        appendVisit(plan, panelSources(PanelKind::Oral, oralVisit, date, settings, krNo, name),
                    int(oralVisit.size()));
        const QStringList faceVisit = faceVisitPictures(face, date);
        appendVisit(plan, panelSources(PanelKind::Face, faceVisit, date, settings, krNo, name),
                    facePerDate.count(date) ? facePerDate[date] : 0);
    }
    settleStudyTimes(plan, first);
    return Outcome::done();
}

Outcome storePlan(const QString &pictFolda, const AppSettings &settings, DicomPlan &plan)
{
    if (pictFolda.isEmpty() || !QFileInfo(pictFolda).isDir())
        return Outcome::failed(Status::FolderMissing, pictFolda);
    for (const QString &group : sortedSubfolders(pictFolda)) {
        for (const QString &patient : sortedSubfolders(group)) {
            if (!isPatientFolder(patient))
                continue;
            const Outcome planned =
                patientPlan(pictFolda, QFileInfo(patient).fileName(), QString(), settings, plan);
            if (!planned)
                return planned;
        }
    }
    return Outcome::done();
}

} // namespace tolvarine
