// SPDX-License-Identifier: MIT

#include "pkfolderlisting.h"

#include "pkfolderlister.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>

namespace {

// The names at positions among the batches, in listing order, those at
// positions below ahead first, each decoded once; the order is set to their
// positions. Names whose lower-case forms are equal are put in order among
// all the names.
QStringList listedInOrder(const std::deque<PkFolderLister::Names> &batches, const std::vector<qint32> &positions,
                          qsizetype ahead, std::vector<qint32> &order)
{
    std::vector<qint32> first{0}; // the position of each batch's first name
    for (const PkFolderLister::Names &batch : batches)
        first.push_back(first.back() + qint32(batch.size()));
    QStringList names(first.back());
    const auto decode = [&](qint32 p) {
        const size_t b = size_t(std::upper_bound(first.begin(), first.end(), p) - first.begin() - 1);
        PkFolderLister::decodeName(batches[b].at(p - first[b]), names[p]);
    };
    for (const qint32 p : positions)
        decode(p);
    if (std::optional<std::vector<qint32>> sorted = PkFolderLister::sortOrder(names, positions)) {
        order = std::move(*sorted);
    } else {
        std::vector<bool> wanted(size_t(names.size()));
        for (const qint32 p : positions)
            wanted[size_t(p)] = true;
        for (qint32 p = 0; p < names.size(); ++p)
            decode(p);
        order.clear();
        for (const qint32 p : PkFolderLister::sortOrder(names)) {
            if (wanted[size_t(p)])
                order.push_back(p);
        }
    }
    std::stable_partition(order.begin(), order.end(), [ahead](qint32 p) { return p < ahead; });
    QStringList sorted;
    sorted.reserve(qsizetype(order.size()));
    for (const qint32 p : order)
        sorted.append(std::move(names[p]));
    return sorted;
}

// The name of a file given by its path.
QByteArrayView lastPart(QByteArrayView path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.sliced(slash + 1);
}

} // namespace

// Listing a large folder costs mostly system time: the names are decoded and
// matched on the other cores while the rest are read, and only those that
// something selected become strings of their own and are put in order.
void PkFolderListing::list(const PkSelectionMatcher::Listing &produce, const QList<QString> &ids,
                           const QList<QString> &nearTexts, const std::vector<int> &wholeNumbers,
                           PkMatchOptions options)
{
    std::mutex mutex;
    std::condition_variable ready;
    // The batches read so far, in order; a deque keeps them where they are
    // while more arrive, so each thread reads them without the lock.
    std::deque<PkFolderLister::Names> batches;
    bool listed = false;
    // Hands each batch in turn to work as it arrives, until the last.
    const auto eachBatch = [&](auto &&work) {
        for (size_t next = 0;; ++next) {
            const PkFolderLister::Names *batch = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex);
                ready.wait(lock, [&] { return next < batches.size() || listed; });
                if (next == batches.size())
                    return;
                batch = &batches[next];
            }
            work(*batch);
        }
    };
    std::thread matching([&] {
        // A file name holds at most NAME_MAX bytes, and so as many UTF-16 units.
        groups.emplace(ids, options, qsizetype(NAME_MAX), wholeNumbers);
        std::vector<int> found;
        QString name;
        eachBatch([&](const PkFolderLister::Names &batch) {
            for (qsizetype i = 0; i < batch.size(); ++i) {
                PkFolderLister::decodeName(lastPart(batch.at(i)), name);
                collected.add(*groups, name, found);
            }
        });
    });
    // Near matches are looked for at once, for every identifier, on a thread
    // of their own; only those for identifiers that select nothing are used.
    std::thread nearMatching([&] {
        if (!options.nearMatches || nearLater)
            return;
        near.emplace(nearTexts, options, qsizetype(NAME_MAX));
        QString name;
        qsizetype position = 0;
        eachBatch([&](const PkFolderLister::Names &batch) {
            for (qsizetype i = 0; i < batch.size(); ++i) {
                PkFolderLister::decodeName(lastPart(batch.at(i)), name);
                near->scan(name, position++);
            }
        });
    });
    const qsizetype ahead = produce([&](PkFolderLister::Names batch) {
        const std::lock_guard<std::mutex> lock(mutex);
        batches.push_back(std::move(batch));
        ready.notify_all();
    });
    {
        const std::lock_guard<std::mutex> lock(mutex);
        listed = true;
        ready.notify_all();
    }
    matching.join();
    nearMatching.join();
    if (options.nearMatches && nearLater)
        scanNear(batches, ids.size(), options);
    // Only the names that something selected or a near try found are shown,
    // so only they need their place in the listing.
    std::vector<bool> shown(collected.start.size() - 1);
    std::transform(collected.start.cbegin(), std::prev(collected.start.cend()), std::next(collected.start.cbegin()),
                   shown.begin(), std::not_equal_to<>());
    if (near)
        near->markFound(shown);
    std::vector<qint32> positions;
    for (size_t p = 0; p < shown.size(); ++p) {
        if (shown[p])
            positions.push_back(qint32(p));
    }
    sorted = listedInOrder(batches, positions, ahead, order);
}

// Where one picture number stands in many folders, every identifier's number
// would find hundreds of files: near tries are made only for the identifiers
// that selected nothing as written, once that is known.
void PkFolderListing::scanNear(const std::deque<PkFolderLister::Names> &batches, qsizetype idCount,
                               PkMatchOptions options)
{
    std::vector<bool> hit(size_t(groups->size()));
    for (const int group : collected.groups)
        hit[size_t(group)] = true;
    std::vector<bool> unfound(static_cast<size_t>(idCount));
    for (size_t t = 0; t < unfound.size(); ++t)
        unfound[t] = groups->groupOf(qsizetype(t)) < 0 || !hit[size_t(groups->groupOf(qsizetype(t)))];
    near.emplace(nearLater(unfound), options, qsizetype(NAME_MAX));
    QString name;
    qsizetype position = 0;
    for (const PkFolderLister::Names &batch : batches) {
        for (qsizetype i = 0; i < batch.size(); ++i) {
            PkFolderLister::decodeName(lastPart(batch.at(i)), name);
            near->scan(name, position++);
        }
    }
}
