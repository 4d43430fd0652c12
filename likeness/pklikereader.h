// SPDX-License-Identifier: MIT

#ifndef PKLIKEREADER_H
#define PKLIKEREADER_H

#include "pklikefacts.h"

#include <functional>
#include <optional>

class PkHashCache;

// Reads what matching an example needs from one file: the capture facts
// from its EXIF block or raw header (a bounded read, parsed by libexif or
// LibRaw), and the hash of its upright pixels, decoded in a helper process
// so that a hostile file costs at most the helper's deadline.
class PkLikeReader
{
public:
    // Decodes of this size are beyond the shared thumbnail cache's largest,
    // so that matching writes no thumbnails there.
    static constexpr int uncachedBox = 1100;

    static PkLikeFacts facts(const QString &path);
    // Whether two files are one shot by their facts alone: both give a
    // capture time and a camera, and these agree.
    static bool oneShot(const QString &a, const QString &b);
    // oneShot for paths relative to folder, as matching asks it.
    static std::function<bool(const QString &a, const QString &b)> oneShotIn(const QString &folder);
    // The hash, from cache where it holds one for the file as it is now;
    // else from the thumbnail the file carries, else from a decode. Empty
    // when the file cannot be read as a picture: problem says why.
    // taken, when given, receives the capture time the helper read.
    static std::optional<quint64> hash(const QString &path, PkHashCache *cache, const void *owner,
                                       QString *problem = nullptr, QDateTime *taken = nullptr);
    static bool isRaw(const QString &name);
    // Whether name reads as a picture Pickwell can match; problem says why not.
    static bool isPictureName(const QString &name, QString *problem = nullptr);
};

#endif // PKLIKEREADER_H
