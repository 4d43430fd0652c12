// SPDX-License-Identifier: MIT

#include "pklikematcher.h"

#include <algorithm>
#include <QtAlgorithms>

PkLikeMatcher::PkLikeMatcher(const QList<PkLikeFacts> &pictures, PictureHash pictureHash)
    : pictures(pictures)
    , pictureHash(std::move(pictureHash))
{
    for (int i = 0; i < pictures.size(); ++i) {
        all.append(i);
        if (pictures.at(i).taken.isValid())
            byTime.insert(pictures.at(i).taken, i);
    }
}

int PkLikeMatcher::distance(quint64 a, quint64 b)
{
    return int(qPopulationCount(a ^ b));
}

PkLikeVerdict PkLikeMatcher::match(const PkLikeFacts &example, const ExampleHash &exampleHash) const
{
    QList<int> candidates;
    if (example.taken.isValid()) {
        for (int picture : byTime.values(example.taken)) {
            if (PkLikeFacts::sameShot(example, pictures.at(picture)))
                candidates.append(picture);
        }
        std::sort(candidates.begin(), candidates.end());
    }
    if (candidates.isEmpty())
        return byContent(exampleHash(), all);
    if (candidates.size() > 1) {
        PkLikeVerdict verdict = byContent(exampleHash(), candidates);
        verdict.how = PkLikeVerdict::How::CaptureTime;
        return verdict;
    }
    PkLikeVerdict verdict;
    verdict.kind = PkLikeVerdict::Kind::Found;
    verdict.how = PkLikeVerdict::How::CaptureTime;
    verdict.picture = candidates.constFirst();
    const std::optional<quint64> mine = exampleHash();
    const std::optional<quint64> theirs = mine ? pictureHash(verdict.picture) : std::nullopt;
    verdict.contentDiffers = mine && theirs && distance(*mine, *theirs) > maxDistance;
    return verdict;
}

// The nearest picture is found when it lies within maxDistance and the
// second nearest lies clearly farther; a near second makes it ambiguous,
// since a wrong picture copied silently is worse than one asked about.
PkLikeVerdict PkLikeMatcher::byContent(std::optional<quint64> hash, const QList<int> &among) const
{
    PkLikeVerdict verdict;
    if (!hash)
        return verdict;
    QList<std::pair<int, int>> near; // distance, picture
    for (int picture : among) {
        const std::optional<quint64> theirs = pictureHash(picture);
        const int d = theirs ? distance(*hash, *theirs) : 65;
        if (d <= maxDistance + margin)
            near.append({d, picture});
    }
    std::sort(near.begin(), near.end());
    if (near.isEmpty() || near.constFirst().first > maxDistance)
        return verdict;
    const int nearest = near.constFirst().first;
    if (near.size() == 1 || near.at(1).first >= nearest + margin) {
        verdict.kind = PkLikeVerdict::Kind::Found;
        verdict.picture = near.constFirst().second;
        return verdict;
    }
    verdict.kind = PkLikeVerdict::Kind::Ambiguous;
    for (const auto &[d, picture] : near) {
        if (d < nearest + margin)
            verdict.pictures.append(picture);
    }
    return verdict;
}
