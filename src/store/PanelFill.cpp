#include "store/PanelFill.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include <QFuture>
#include <QList>
#include <QPromise>
#include <QSet>
#include <QThreadPool>

#include "imaging/ImagingControl.h"
#include "platform/FileSystem.h"
#include "platform/ReadPool.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

QString madeKey(const QString &picture, const PanelSetup &setup, int position)
{
    const int16_t code = setup.code(position);
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

// Loads a picture into the control at `size` before turning, decoded at the
// reduced scale that still covers it, then turns it by the position's code. A
// height of 0 follows the whole picture, as a full decode would give it. Each step
// on its own: a failing one leaves the bitmap as it was. Returns nullopt when the
// picture does not decode, else whether it got both its size and its turn.
std::optional<bool> loadTurned(ImagingControl &control, const PictureBytes &picture, PanelKind kind,
                               int16_t code, QSize size)
{
    if (!control.opLoadBytes(picture, size))
        return std::nullopt;
    const QSize full = control.storedSize();
    bool resized = false;
    if (full.width() > 0) {
        // A sliver of a picture still gets a line; one too tall to resize gets no file.
        const float height = size.height() > 0
                                 ? float(size.height())
                                 : std::max(1.0f, float(double(size.width()) * full.height() / full.width()));
        resized = control.opResize(float(size.width()), height, 0);
    }
    const bool turned = turnByCode(control, kind, code);
    return resized && turned;
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
        if (loaded && (!turn || *turn == setup.code(job.placement.position))) {
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
    const PictureBytes picture =
        f.picture ? *std::move(f.picture) : ImagingControl::readPictureFile(job.picture);
    f.picture.reset();
    const std::optional<bool> complete = loadTurned(
        control, picture, setup.kind, setup.code(job.placement.position), QSize(kThumbnailWidth, 0));
    if (!complete)
        return out;
    out.image = control.image();
    // A picture cut short (still being copied, a broken card) gets no thumbnail
    // file, so that the whole picture is shown once it is complete.
    out.keepThumbnail = *complete && !control.isDamaged();
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

bool turnsSideways(PanelKind kind, int16_t code)
{
    return kind == PanelKind::Face && (code == 4 || code == 5);
}

QImage displayPicture(const QString &picture, PanelKind kind, int16_t code, QSize size)
{
    if (size.isEmpty())
        return {};
    ImagingControl control;
    const std::optional<bool> complete =
        loadTurned(control, ImagingControl::readPictureFile(picture), kind, code,
                   turnsSideways(kind, code) ? size.transposed() : size);
    return complete && *complete ? control.image() : QImage();
}

struct PanelPreparation::Jobs {
    PanelSetup setup;
    const MadeThumbnails *made = nullptr;
    QList<Job> list;
    std::vector<std::shared_ptr<QPromise<PanelPicture>>> promises;
    std::vector<QFuture<PanelPicture>> running;
    std::vector<std::optional<PanelPicture>> taken;

    std::mutex mutex;
    std::vector<std::optional<Fetched>> arrived; // read, not yet handed to a decoder
    int nextDecode = 0;

    // Reads what job i needs (on the read pool); the picture itself in pieces.
    void fetch(int i)
    {
        const Job &job = list.at(i);
        Fetched f;
        f.existing = resolveCaseInsensitive(thumbnailPath(job.picture));
        if (!f.existing.isEmpty()) {
            f.thumbnail = ImagingControl::readPictureFile(f.existing);
        } else if (!made || !made->contains(madeKey(job.picture, setup, job.placement.position))) {
            const int priority = int(list.size()) - i;
            readWholeFileAhead(
                job.picture, ImagingControl::kMaxPictureBytes, priority,
                [this, i, f](Outcome read, QByteArray bytes) mutable {
                    f.picture = PictureBytes{list.at(i).picture, std::move(bytes), std::move(read)};
                    bytesIn(i, std::move(f));
                });
            return;
        }
        bytesIn(i, std::move(f));
    }

    // The decoders take the jobs in entry order, each once its bytes are in, so
    // that the first picture is shown after about one picture's time.
    void bytesIn(int i, Fetched f)
    {
        std::vector<std::pair<int, Fetched>> ready;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            arrived[size_t(i)] = std::move(f);
            for (; nextDecode < int(arrived.size()) && arrived[size_t(nextDecode)]; ++nextDecode) {
                ready.emplace_back(nextDecode, std::move(*arrived[size_t(nextDecode)]));
                arrived[size_t(nextDecode)].reset();
            }
        }
        for (auto &[k, fetched] : ready) {
            // The promise outlives this: once it reports the job finished, the
            // preparation may be gone before finish() returns.
            QThreadPool::globalInstance()->start(
                [this, k = k, promise = promises[size_t(k)], fetched = std::move(fetched)] {
                    promise->addResult(prepareOne(list.at(k), setup, made, fetched));
                    promise->finish();
                });
        }
    }
};

PanelPreparation::PanelPreparation(const QStringList &entries, const PanelSetup &setup,
                                   const MadeThumbnails *made)
    : jobs_(std::make_unique<Jobs>())
{
    jobs_->setup = setup;
    jobs_->made = made;
    for (const Placement &p : placeVisit(setup.order, int(entries.size()), setup.maxCount()))
        jobs_->list << Job{p, entries.at(p.index)};
    const int count = int(jobs_->list.size());
    jobs_->arrived.resize(size_t(count));
    jobs_->taken.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        jobs_->promises.push_back(std::make_shared<QPromise<PanelPicture>>());
        jobs_->promises.back()->start();
        jobs_->running.push_back(jobs_->promises.back()->future());
    }
    // Every file is asked for at once, so that a file server works on all of them
    // while the cores decode each as soon as its bytes are in.
    Jobs *jobs = jobs_.get();
    for (int i = 0; i < count; ++i)
        readPool()->start([jobs, i] { jobs->fetch(i); }, count - i);
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
            control.opComment(kCommentNote, turnNote(setup.code(p.placement.position)));
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
