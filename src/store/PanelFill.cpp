#include "store/PanelFill.h"

#include <algorithm>
#include <optional>

#include <QFuture>
#include <QList>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

int16_t codeAt(const PanelSetup &setup, int position)
{
    return position < int(setup.codes.size()) ? setup.codes[size_t(position)] : 0;
}

QString madeKey(const QString &picture, const PanelSetup &setup, int position)
{
    const int16_t code = codeAt(setup, position);
    return QStringLiteral("%1|%2|%3").arg(setup.kind == PanelKind::Oral ? 0 : 1).arg(code).arg(picture);
}

// What a thumbnail file says about itself: the orientation code it was turned by.
const QString kTurnNote = QStringLiteral("Tolvarine turn ");

QString turnNote(int16_t code) { return kTurnNote + QString::number(code); }

// The code a thumbnail was made with; nullopt for one without the note (made by an
// older program), which is used as it is.
std::optional<int16_t> notedTurn(const QString &note)
{
    if (!note.startsWith(kTurnNote))
        return std::nullopt;
    bool ok = false;
    const int code = note.mid(kTurnNote.size()).toInt(&ok);
    return ok ? std::optional<int16_t>(int16_t(code)) : std::nullopt;
}

struct Job {
    Placement placement;
    QString picture;
};

PanelPicture prepareOne(const Job &job, const PanelSetup &setup, const MadeThumbnails *made)
{
    PanelPicture out;
    out.placement = job.placement;
    out.picture = job.picture;
    const QString existing = resolveCaseInsensitive(thumbnailPath(job.picture));
    ImagingControl control;
    if (!existing.isEmpty()) {
        // A picture moves to another position when one with an earlier name joins
        // its visit: a thumbnail turned for another position is made again.
        const bool loaded = control.opLoadFile(existing, 0, 0, -1);
        const std::optional<int16_t> turn = notedTurn(control.comment(kCommentNote));
        if (loaded && (!turn || *turn == codeAt(setup, job.placement.position))) {
            out.thumbnail = existing;
            out.fromThumbnail = true;
            out.image = control.image();
            return out;
        }
        // An undecodable thumbnail (another program's format, a broken file) is made
        // again and replaced, instead of leaving the place empty for ever.
        out.thumbnail = existing;
        out.replaceThumbnail = true;
    } else {
        out.thumbnail = thumbnailPath(job.picture);
    }

    if (made) {
        const auto it = made->constFind(madeKey(job.picture, setup, job.placement.position));
        if (it != made->constEnd()) {
            out.image = *it;
            return out;
        }
    }

    if (!control.opLoadFile(job.picture, 0, 0, -1, QSize(kThumbnailWidth, 0)))
        return out;
    // Each step on its own: a failing one leaves the bitmap as it was and the fill goes on.
    // The thumbnail's height follows the whole picture, as a full decode would give it.
    const QSize full = control.storedSize();
    bool resized = false;
    if (full.width() > 0) {
        // A sliver of a picture still gets a line; one too tall to resize gets no file.
        const float height = std::max(1.0f, float(double(kThumbnailWidth) * full.height() / full.width()));
        resized = control.opResize(float(kThumbnailWidth), height, 0);
    }
    const int position = job.placement.position;
    turnByCode(control, setup.kind, codeAt(setup, position));
    out.image = control.image();
    // A picture cut short (still being copied, a broken card) gets no thumbnail
    // file, so that the whole picture is shown once it is complete.
    out.keepThumbnail = resized && !control.isDamaged();
    return out;
}

} // namespace

bool turnByCode(ImagingControl &control, PanelKind kind, int16_t code)
{
    switch (code) {
    case 1:
        return control.opRotate(18000, true, Qt::white);
    case 2:
        return control.opMirror();
    case 3:
        return control.opFlip();
    case 4:
        return kind == PanelKind::Face ? control.opRotate(9000, true, Qt::white) : true;
    case 5:
        return kind == PanelKind::Face ? control.opRotate(27000, true, Qt::white) : true;
    default:
        return true;
    }
}

struct PanelPreparation::Jobs {
    PanelSetup setup;
    const MadeThumbnails *made = nullptr;
    QList<Job> list;
    QFuture<PanelPicture> running;
};

PanelPreparation::PanelPreparation(const QStringList &entries, const PanelSetup &setup,
                                   const MadeThumbnails *made)
    : jobs_(std::make_unique<Jobs>())
{
    jobs_->setup = setup;
    jobs_->made = made;
    for (const Placement &p : placeVisit(setup.order, int(entries.size()), setup.maxCount()))
        jobs_->list << Job{p, entries.at(p.index)};
    // The pool takes the jobs in entry order, so the first picture is ready after
    // about one picture's time, whatever the rest costs.
    Jobs *jobs = jobs_.get();
    jobs_->running = QtConcurrent::mapped(
        jobs_->list, [jobs](const Job &job) { return prepareOne(job, jobs->setup, jobs->made); });
}

PanelPreparation::~PanelPreparation() { jobs_->running.waitForFinished(); }

int PanelPreparation::count() const { return int(jobs_->list.size()); }

PanelPicture PanelPreparation::take(int i) { return jobs_->running.resultAt(i); }

std::vector<PanelPicture> PanelPreparation::takeAll()
{
    const QList<PanelPicture> done = jobs_->running.results();
    return {done.begin(), done.end()};
}

std::vector<PanelPicture> preparePanel(const QStringList &entries, const PanelSetup &setup,
                                       MadeThumbnails *made)
{
    return PanelPreparation(entries, setup, made).takeAll();
}

int saveMissingThumbnails(const std::vector<PanelPicture> &pictures, const PanelSetup &setup,
                          MadeThumbnails *made)
{
    int written = 0;
    QSet<QString> writtenNow; // two pictures can share a thumbnail name (x.jpg, x.JPG)
    for (const PanelPicture &p : pictures) {
        if (p.fromThumbnail || p.image.isNull())
            continue;
        const QString folded = p.thumbnail.toCaseFolded();
        bool saved = false;
        // A thumbnail that appeared meanwhile is left alone; only the undecodable one
        // found when the fill began is replaced.
        if (p.keepThumbnail && !writtenNow.contains(folded)
            && (p.replaceThumbnail || !existsCaseInsensitive(p.thumbnail))) {
            ImagingControl control;
            control.setImage(p.image);
            control.opComment(kCommentNote, turnNote(codeAt(setup, p.placement.position)));
            saved = control.opSaveFile(p.thumbnail, kFormatThumbnail, 24, 2, 0);
        }
        if (saved) {
            ++written;
            writtenNow.insert(folded);
        } else if (made) {
            made->insert(madeKey(p.picture, setup, p.placement.position), p.image);
        }
    }
    return written;
}

} // namespace tolvarine
