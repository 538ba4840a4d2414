#include "store/PanelFill.h"

#include <memory>
#include <optional>

#include <QFuture>
#include <QPromise>
#include <QList>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/qtconcurrenttask.h>

#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"
#include "platform/ReadPool.h"
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

// What a job reads before anything is decoded: the thumbnail file when there is
// one, else the picture, unless a thumbnail made earlier in the operation stands in.
struct Fetched {
    QString existing; // the thumbnail file found, empty when there is none
    PictureBytes thumbnail;
    std::optional<PictureBytes> picture;
};

Fetched fetch(const Job &job, const PanelSetup &setup, const MadeThumbnails *made)
{
    Fetched f;
    f.existing = resolveCaseInsensitive(thumbnailPath(job.picture));
    if (!f.existing.isEmpty())
        f.thumbnail = ImagingControl::readPictureFile(f.existing);
    else if (!made || !made->contains(madeKey(job.picture, setup, job.placement.position)))
        f.picture = ImagingControl::readPictureFile(job.picture);
    return f;
}

PanelPicture prepareOne(const Job &job, const PanelSetup &setup, const MadeThumbnails *made, Fetched f)
{
    PanelPicture out;
    out.placement = job.placement;
    out.picture = job.picture;
    ImagingControl control;
    if (!f.existing.isEmpty()) {
        // A picture moves to another position when one with an earlier name joins
        // its visit: a thumbnail turned for another position is made again.
        const bool loaded = control.opLoadBytes(f.thumbnail);
        f.thumbnail = {};
        const std::optional<int16_t> turn = notedTurn(control.comment(kCommentNote));
        if (loaded && (!turn || *turn == codeAt(setup, job.placement.position))) {
            out.thumbnail = f.existing;
            out.fromThumbnail = true;
            out.image = control.image();
            return out;
        }
        // An undecodable thumbnail (another program's format, a broken file) is made
        // again and replaced, instead of leaving the place empty for ever.
        out.thumbnail = f.existing;
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

    // Read here only when the thumbnail found first turned out of no use.
    const PictureBytes picture = f.picture ? *std::move(f.picture) : ImagingControl::readPictureFile(job.picture);
    f.picture.reset();
    if (!control.opLoadBytes(picture, QSize(kThumbnailWidth, 0)))
        return out;
    // Each step on its own: a failing one leaves the bitmap as it was and the fill goes on.
    // The thumbnail's height follows the whole picture, as a full decode would give it.
    const QSize full = control.storedSize();
    if (full.width() > 0) {
        const float height = float(double(kThumbnailWidth) * full.height() / full.width());
        control.opResize(float(kThumbnailWidth), height, 0);
    }
    const int position = job.placement.position;
    turnByCode(control, setup.kind, codeAt(setup, position));
    out.image = control.image();
    // A picture cut short (still being copied, a broken card) gets no thumbnail
    // file, so that the whole picture is shown once it is complete.
    out.keepThumbnail = !control.isDamaged();
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
    std::vector<QFuture<PanelPicture>> running;
    std::vector<std::optional<PanelPicture>> taken;
};

PanelPreparation::PanelPreparation(const QStringList &entries, const PanelSetup &setup,
                                   const MadeThumbnails *made)
    : jobs_(std::make_unique<Jobs>())
{
    jobs_->setup = setup;
    jobs_->made = made;
    for (const Placement &p : placeVisit(setup.order, int(entries.size()), setup.maxCount()))
        jobs_->list << Job{p, entries.at(p.index)};
    // Every file is asked for at once, so that a file server works on all of them
    // while the cores decode each as soon as its bytes are in; of those that are
    // in, the earliest entry goes first, as the window shows them in entry order.
    const Jobs *jobs = jobs_.get();
    const int count = int(jobs_->list.size());
    for (int i = 0; i < count; ++i) {
        auto promise = std::make_shared<QPromise<PanelPicture>>();
        jobs_->running.push_back(promise->future());
        promise->start();
        startRead([jobs, i, count, promise] {
            QtConcurrent::task([jobs, i, promise, fetched = fetch(jobs->list.at(i), jobs->setup, jobs->made)] {
                promise->addResult(prepareOne(jobs->list.at(i), jobs->setup, jobs->made, fetched));
                promise->finish();
            })
                .onThreadPool(*QThreadPool::globalInstance())
                .withPriority(count - i)
                .spawn(QtConcurrent::FutureResult::Ignore);
        });
    }
    jobs_->taken.resize(jobs_->running.size());
}

PanelPreparation::~PanelPreparation()
{
    for (QFuture<PanelPicture> &job : jobs_->running) {
        if (job.isValid())
            job.waitForFinished();
    }
}

int PanelPreparation::count() const { return int(jobs_->list.size()); }

PanelPicture PanelPreparation::take(int i)
{
    std::optional<PanelPicture> &taken = jobs_->taken[size_t(i)];
    if (!taken)
        taken = jobs_->running[size_t(i)].takeResult();
    return *taken;
}

std::vector<PanelPicture> PanelPreparation::takeAll()
{
    std::vector<PanelPicture> all;
    for (int i = 0; i < count(); ++i)
        all.push_back(take(i));
    return all;
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
