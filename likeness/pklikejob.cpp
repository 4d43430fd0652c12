// SPDX-License-Identifier: MIT

#include "pklikejob.h"

#include "pkfolderlister.h"
#include "pkfoldertree.h"
#include "pklikematcher.h"
#include "pklikereader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <optional>
#include <thread>

namespace {

constexpr int threads = 2;

bool cancelled(const PkLikeJob::Options &options)
{
    return options.cancel && options.cancel->load();
}

// Runs work(0) to work(count - 1) on the worker threads, counting each
// into done for the progress.
void forEach(int count, const std::function<void(int)> &work, const PkLikeJob::Options &options,
             std::atomic_int *done, int total)
{
    std::atomic_int next{0};
    auto worker = [&] {
        for (int i = next++; i < count && !cancelled(options); i = next++) {
            work(i);
            const int now = ++*done;
            if (options.progress)
                options.progress(now, total);
        }
    };
    std::thread other(worker);
    worker();
    other.join();
}

bool isJpeg(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

// A folder's pictures: each with its files, and the files its facts and
// hash come from (the JPEG, else the raw, else another picture).
struct Picture
{
    QString name;
    QString jpeg;
    QString raw;
    QString other;

    QString source() const { return !jpeg.isEmpty() ? jpeg : !raw.isEmpty() ? raw : other; }
};

QList<Picture> picturesOf(const QStringList &names, QHash<QString, int> *index)
{
    QList<Picture> pictures;
    for (const QString &name : names) {
        const QString picture = PkSelectionMatcher::pictureOf(name);
        if (!index->contains(picture)) {
            index->insert(picture, int(pictures.size()));
            pictures.append(Picture{picture, {}, {}, {}});
        }
        Picture &entry = pictures[index->value(picture)];
        QString &slot = isJpeg(name) ? entry.jpeg : PkLikeReader::isRaw(name) ? entry.raw : entry.other;
        if (slot.isEmpty() && PkLikeReader::isPictureName(name))
            slot = name;
    }
    return pictures;
}

PkLikeFacts pictureFacts(const QString &folder, const Picture &picture)
{
    if (picture.source().isEmpty())
        return {};
    PkLikeFacts facts = PkLikeReader::facts(folder + QLatin1Char('/') + picture.source());
    if (!facts.taken.isValid() && !picture.jpeg.isEmpty() && !picture.raw.isEmpty())
        facts = PkLikeReader::facts(folder + QLatin1Char('/') + picture.raw);
    return facts;
}

} // namespace

QStringList PkLikeJob::examplesIn(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

bool PkLikeJob::isWithin(const QString &dir, const QString &folder)
{
    const QString inner = QFileInfo(dir).canonicalFilePath(), outer = QFileInfo(folder).canonicalFilePath();
    if (inner.isEmpty() || outer.isEmpty())
        return false;
    return inner == outer || inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

PkLikeResult PkLikeJob::run(const QStringList &examples, const QString &base, const QString &folder,
                            const Options &options)
{
    PkLikeResult result;
    PkFolderLister::Others others;
    QStringList names = PkFolderLister::fileNames(folder, nullptr, &others);
    using Subfolders = PkMatchOptions::Subfolders;
    if (options.subfolders == Subfolders::Always
        || (options.subfolders == Subfolders::WhenNoneHere
            && std::none_of(names.cbegin(), names.cend(), [](const QString &name) { return PkLikeReader::isPictureName(name); })))
        names += PkFolderTree::walk(folder, others.folders).names;
    QHash<QString, int> pictureIndex;
    const QList<Picture> pictures = picturesOf(names, &pictureIndex);
    // Counted as if every picture were hashed; the count ends at total.
    const int total = int(2 * pictures.size() + examples.size());
    std::atomic_int done{0};

    QList<PkLikeFacts> facts(pictures.size());
    forEach(int(pictures.size()), [&](int i) { facts[i] = pictureFacts(folder, pictures.at(i)); }, options, &done,
            total);

    QList<PkLikeFacts> exampleFacts(examples.size());
    QList<std::optional<quint64>> exampleHashes(examples.size());
    forEach(int(examples.size()), [&](int i) {
        QString problem;
        if (!PkLikeReader::isPictureName(examples.at(i), &problem)) {
            exampleFacts[i].problem = problem;
            return;
        }
        // A raw example is read by a helper alone: LibRaw parses far more
        // of a file than libexif does of a JPEG's first segments.
        const bool raw = PkLikeReader::isRaw(examples.at(i));
        if (!raw)
            exampleFacts[i] = PkLikeReader::facts(examples.at(i));
        if (exampleFacts.at(i).problem.isEmpty()) {
            exampleHashes[i] = PkLikeReader::hash(examples.at(i), nullptr, options.owner, &problem,
                                                  raw ? &exampleFacts[i].taken : nullptr);
            if (!exampleHashes.at(i) && !exampleFacts.at(i).taken.isValid())
                exampleFacts[i].problem = problem;
        }
    }, options, &done, total);

    QMutex hashMutex;
    QHash<int, std::optional<quint64>> pictureHashes;
    auto pictureHash = [&](int picture) -> std::optional<quint64> {
        {
            QMutexLocker lock(&hashMutex);
            const auto it = pictureHashes.constFind(picture);
            if (it != pictureHashes.constEnd())
                return *it;
        }
        const QString source = pictures.at(picture).source();
        const std::optional<quint64> hash = source.isEmpty()
            ? std::nullopt
            : PkLikeReader::hash(folder + QLatin1Char('/') + source, options.cache, options.owner);
        QMutexLocker lock(&hashMutex);
        pictureHashes.insert(picture, hash);
        return hash;
    };
    const PkLikeMatcher matcher(facts, pictureHash);

    // An example that is the same shot as no picture, one without a capture
    // time too, compares with every picture: their hashes are then made on
    // both threads at once, ahead of the matching.
    bool everyPicture = false;
    for (const PkLikeFacts &example : exampleFacts) {
        bool any = false;
        for (const PkLikeFacts &picture : facts)
            any = any || PkLikeFacts::sameShot(example, picture);
        everyPicture = everyPicture || (example.problem.isEmpty() && !any);
    }
    if (everyPicture) {
        forEach(int(pictures.size()), [&](int i) { pictureHash(i); }, options, &done, total);
    }
    result.cancelled = cancelled(options);
    if (options.progress && !result.cancelled)
        options.progress(total, total);
    if (result.cancelled)
        return result;

    const QDir baseDir(QFileInfo(base).absoluteFilePath());
    QHash<int, qsizetype> firstExampleOf, firstAmbiguousOf; // picture -> id
    PkMatchResult &match = result.match;
    for (int i = 0; i < examples.size(); ++i) {
        const QString id = base.isEmpty() ? QFileInfo(examples.at(i)).fileName()
                                          : baseDir.relativeFilePath(QFileInfo(examples.at(i)).absoluteFilePath());
        if (!exampleFacts.at(i).problem.isEmpty()) {
            result.notPictures.append({id, exampleFacts.at(i).problem});
            continue;
        }
        const qsizetype idIndex = match.idCount++;
        result.ids.append(id);
        result.paths.append(QFileInfo(examples.at(i)).absoluteFilePath());
        const PkLikeVerdict verdict = matcher.match(exampleFacts.at(i), [&] { return exampleHashes.at(i); });
        if (verdict.kind == PkLikeVerdict::Kind::NotFound) {
            match.idsNotFound.append(id);
        } else if (verdict.kind == PkLikeVerdict::Kind::Ambiguous) {
            PkAmbiguousId ambiguous{id, {}};
            for (int picture : verdict.pictures) {
                ambiguous.pictures.append(pictures.at(picture).name);
                if (!firstAmbiguousOf.contains(picture))
                    firstAmbiguousOf.insert(picture, idIndex);
            }
            match.ambiguous.append(ambiguous);
        } else {
            const bool byContent = verdict.how == PkLikeVerdict::How::Content;
            result.found.append({id, pictures.at(verdict.picture).name, byContent, verdict.contentDiffers});
            ++(byContent ? result.byContent : result.byTime);
            if (!firstExampleOf.contains(verdict.picture))
                firstExampleOf.insert(verdict.picture, idIndex);
        }
    }
    match.ids = result.ids;
    for (const QString &name : names) {
        const int picture = pictureIndex.value(PkSelectionMatcher::pictureOf(name));
        if (firstExampleOf.contains(picture)) {
            match.files.append(name);
            match.fileIds.append(firstExampleOf.value(picture));
        } else if (firstAmbiguousOf.contains(picture)) {
            result.choices.append(name);
            result.choiceIds.append(firstAmbiguousOf.value(picture));
        }
    }
    return result;
}
