// SPDX-License-Identifier: MIT

#ifndef PKLIKEMATCHER_H
#define PKLIKEMATCHER_H

#include "pklikefacts.h"

#include <QHash>
#include <QList>

#include <functional>
#include <optional>

// How an example found its picture, or why it did not.
struct PkLikeVerdict
{
    enum class Kind { Found, Ambiguous, NotFound };
    enum class How { CaptureTime, Content };

    Kind kind = Kind::NotFound;
    How how = How::Content;
    // Found by capture time, but the pictures look different.
    bool contentDiffers = false;
    int picture = -1; // Found: the picture's position
    QList<int> pictures; // Ambiguous: the pictures it could be, nearest first
};

// Finds each example's picture among a folder's pictures: by capture time
// and camera where the example has a time, by a difference hash of the
// pixels where it has none or where a burst leaves several candidates.
// Hashes are asked for only when needed, as they cost a decode.
class PkLikeMatcher
{
public:
    // The largest Hamming distance between the hashes of one picture's
    // resized, recompressed or colour-shifted copies that counts as a match.
    static constexpr int maxDistance = 10;
    // How much farther the second nearest picture must lie than the nearest
    // for the nearest to count as found.
    static constexpr int margin = 6;

    using PictureHash = std::function<std::optional<quint64>(int picture)>;
    using ExampleHash = std::function<std::optional<quint64>()>;

    PkLikeMatcher(const QList<PkLikeFacts> &pictures, PictureHash pictureHash);

    PkLikeVerdict match(const PkLikeFacts &example, const ExampleHash &exampleHash) const;

    static int distance(quint64 a, quint64 b);

private:
    PkLikeVerdict byContent(std::optional<quint64> hash, const QList<int> &among) const;

    const QList<PkLikeFacts> &pictures;
    PictureHash pictureHash;
    QMultiHash<QDateTime, int> byTime;
    QList<int> all;
};

#endif // PKLIKEMATCHER_H
