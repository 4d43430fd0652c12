// SPDX-License-Identifier: MIT

#include "pkjudgement.h"

#include "pkexivfile.h"
#include "pkrawpreview.h"

#include <QFile>
#include <QFileInfo>

#include <exiv2/exiv2.hpp>

#include <sys/stat.h>

namespace {

// Larger TIFFs are exports that keep their judgement in a sidecar, if anywhere:
// the whole file would be read for its XMP.
constexpr qint64 maxTiffBytes = 64 * 1024 * 1024;

QByteArray readSidecar(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(PkXmpPacket::maxBytes);
}

// The file's own XMP packet. exiv2 reads a JPEG's segments one by one; a
// TIFF it reads whole.
QByteArray ownXmp(const QString &path)
{
    try {
        const std::unique_ptr<Exiv2::Image> image = PkExivFile::open(path);
        if (!image)
            return {};
        image->readMetadata();
        return QByteArray::fromStdString(image->xmpPacket());
    } catch (const std::exception &) {
        return {};
    }
}

QByteArray embeddedXmp(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return ownXmp(path);
    // LibRaw reads a DNG's XMP with the rest of its header.
    if (suffix == QLatin1String("dng")) {
        const PkRawPreview raw(path);
        return raw.isOpen() ? raw.xmp() : QByteArray();
    }
    if ((suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) && QFileInfo(path).size() <= maxTiffBytes)
        return ownXmp(path);
    return {};
}

} // namespace

QString PkJudgement::newest(const QStringList &sidecars)
{
    QString found;
    struct timespec newest = {};
    for (const QString &sidecar : sidecars) {
        struct stat status;
        if (::stat(QFile::encodeName(sidecar).constData(), &status) != 0 || !S_ISREG(status.st_mode)
            || status.st_size > PkXmpPacket::maxBytes)
            continue;
        const struct timespec &modified = status.st_mtim;
        if (found.isEmpty() || modified.tv_sec > newest.tv_sec
            || (modified.tv_sec == newest.tv_sec && modified.tv_nsec > newest.tv_nsec)) {
            found = sidecar;
            newest = modified;
        }
    }
    return found;
}

PkXmpPacket::Judgement PkJudgement::read(const QString &path, const QStringList &sidecars)
{
    const QString sidecar = newest(sidecars);
    if (!sidecar.isEmpty())
        return PkXmpPacket::judgement(readSidecar(sidecar));
    return PkXmpPacket::judgement(embeddedXmp(path));
}
