// SPDX-License-Identifier: MIT

#ifndef PKEXIVFILE_H
#define PKEXIVFILE_H

#include <QString>

#include <memory>

namespace Exiv2 {
class Image;
}

// Files read through exiv2 in the decoder helpers. Its log is muted (a
// damaged file's complaints reach the user as a reason), ISO base media
// files (CR3, HEIF) are read, and the XMP toolkit is ready. A file exiv2
// would map is read into memory instead: a helper never maps a picture
// file, since a read from the mapping of a share that went away ends the
// helper with SIGBUS instead of failing as a read does.
class PkExivFile
{
public:
    // A file to be read whole that is larger than this is refused, within a
    // helper's memory limit.
    static constexpr qint64 maxBytes = 250'000'000;

    static void initialise();
    // The file opened, its metadata not read yet; null where exiv2 knows no
    // such type. Throws exiv2's errors, which derive from std::exception.
    static std::unique_ptr<Exiv2::Image> open(const QString &path);
};

#endif // PKEXIVFILE_H
