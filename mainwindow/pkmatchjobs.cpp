// SPDX-License-Identifier: MIT

#include "pkmatchjobs.h"

#include "pklikereader.h"

#include "pkhashcache.h"
#include "pklistreader.h"
#include "pkspacecheck.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QRunnable>

PkMatchJobs::PkMatchJobs(QObject *parent)
    : QObject(parent)
{
    // A superseded job cannot be interrupted inside a folder listing, so the
    // one that replaces it must not queue behind it.
    pool.setMaxThreadCount(4);
}

PkMatchJobs::~PkMatchJobs()
{
    pool.waitForDone();
}

void PkMatchJobs::prepare(const Preparation &job)
{
    preparing = true;
    checking = false;
    ++checks;
    const int generation = ++preparations;
    // A superseded matching of examples stops between two pictures.
    cancelling->store(true);
    cancelling = std::make_shared<std::atomic_bool>(false);
    Preparation own = job;
    own.cancel = cancelling;
    own.reporter = this;
    start(own, generation, preparations, [this](const Preparation &done) {
        preparing = false;
        emit prepared(done);
    });
}

void PkMatchJobs::cancel()
{
    cancelling->store(true);
    ++preparations;
    preparing = false;
}

void PkMatchJobs::check(const Check &job)
{
    checking = true;
    const int generation = ++checks;
    start(job, generation, checks, [this](const Check &done) {
        // The preparation in hand checks its own files when it comes.
        if (preparing)
            return;
        checking = false;
        emit checked(done);
    });
}

// The result comes back through the event loop; by then a newer job may have
// been started, and latest says so.
template<typename Job, typename Done>
void PkMatchJobs::start(Job job, int generation, const int &latest, Done done)
{
    pool.start(QRunnable::create([this, job, generation, &latest, done]() mutable {
        run(job);
        QMetaObject::invokeMethod(
            this,
            [job = std::move(job), generation, &latest, done] {
                if (generation == latest)
                    done(job);
            },
            Qt::QueuedConnection);
    }));
}

void PkMatchJobs::run(Preparation &job)
{
    if (job.readList && !job.examples.isEmpty()) {
        job.ids.clear();
        for (const QString &path : job.examples)
            job.ids.append(QFileInfo(path).fileName());
    } else if (job.readList) {
        PkSelectionList list = job.listText.isNull() ? PkListReader::readFile(job.listPath)
                                                     : PkListReader::readText(job.listText);
        job.ids = std::move(list.ids);
        job.listError = list.error;
    }
    if (!job.newDestination.isEmpty())
        job.refusal = job.newIsBackup ? job.target.chooseAlso(job.newDestination)
                                      : job.target.chooseDestination(job.newDestination);
    if (job.checkTarget && job.refusal.isEmpty()) {
        job.refusal = job.target.warning();
        job.canAddToExisting = job.target.canAddToExisting();
    }
    if (job.matchFolder && job.refusal.isEmpty() && !job.examples.isEmpty()) {
        const PkLikeJob::Options options = likeOptions(job);
        job.like = PkLikeJob::run(job.examples, QString(), job.target.pictures(), options);
        options.cache->save();
        job.match = job.like.match;
        job.ids = job.like.ids;
        job.sizes = PkSpaceCheck::sizes(job.target.pictures(), job.match.files);
    } else if (job.matchFolder && job.refusal.isEmpty()) {
        PkMatchOptions options = job.options;
        options.oneShot = PkLikeReader::oneShotIn(job.target.pictures());
        job.match = PkSelectionMatcher::matchFolder(job.target.pictures(), job.ids, options);
        job.sizes = PkSpaceCheck::sizes(job.target.pictures(), job.match.files);
    }
}

PkLikeJob::Options PkMatchJobs::likeOptions(const Preparation &job)
{
    static PkHashCache cache;
    PkLikeJob::Options options;
    options.cache = &cache;
    options.cancel = job.cancel.get();
    options.subfolders = job.options.subfolders;
    PkMatchJobs *jobs = job.reporter;
    const std::shared_ptr<std::atomic_bool> cancel = job.cancel;
    if (jobs) {
        options.progress = [jobs, cancel](int done, int total) {
            QMetaObject::invokeMethod(jobs, [jobs, cancel, done, total] {
                if (!cancel->load())
                    emit jobs->progress(done, total);
            }, Qt::QueuedConnection);
        };
    }
    return options;
}

void PkMatchJobs::run(Check &job)
{
    if (job.rest)
        job.target.addToExisting();
    job.warning = job.target.warning();
    job.canAddToExisting = job.target.canAddToExisting();
    if (!job.warning.isEmpty())
        return;
    const QList<QString> backups = job.target.alsoFolders();
    for (const QString &destination : QList<QString>{job.target.destination()} + backups) {
        const QString shortfall = PkSpaceCheck::shortfall(job.target.pictures(), job.files, destination,
                                                          job.target.resume(), job.sizes);
        if (!shortfall.isEmpty()) {
            // Named where there is more than one drive to tell apart.
            job.warning = (backups.isEmpty() ? QString() : destination + QStringLiteral(": ")) + shortfall
                + QStringLiteral(". Right-click: copy elsewhere.");
            return;
        }
    }
}
