// SPDX-License-Identifier: MIT

#include "pklikereader.h"

#include "pkdecoderpool.h"
#include "pkdifferencehash.h"
#include "pkexif.h"
#include "pkhashcache.h"
#include "pkpicturedecoder.h"
#include "pkrawpreview.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>

#include <sys/stat.h>

namespace {

// The EXIF block sits in the first segments; this much always holds it.
constexpr qint64 headBytes = 256 * 1024;
// A camera's thumbnail is about this wide: hashed as it is, it loses none
// of its little detail to a scaling first.
constexpr int thumbnailBox = 160;

PkLikeFacts fromExif(const PkExif &exif)
{
    PkLikeFacts facts;
    facts.taken = exif.taken;
    facts.subSeconds = exif.subSeconds;
    facts.make = exif.make;
    facts.model = exif.model;
    facts.serial = exif.serial;
    return facts;
}

bool statFile(const QString &path, struct stat *status)
{
    return ::stat(QFile::encodeName(path).constData(), status) == 0 && S_ISREG(status->st_mode);
}

} // namespace

bool PkLikeReader::isRaw(const QString &name)
{
    return PkPictureDecoder::isRaw(name);
}

bool PkLikeReader::isPictureName(const QString &name, QString *problem)
{
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (PkPictureDecoder::isRaw(name) || formats.contains(suffix.toLatin1()))
        return true;
    if (problem) {
        *problem = suffix == QLatin1String("heic") || suffix == QLatin1String("heif")
            ? QStringLiteral("HEIC pictures cannot be read here")
            : QStringLiteral("Not a picture");
    }
    return false;
}

PkLikeFacts PkLikeReader::facts(const QString &path)
{
    struct stat status = {};
    PkLikeFacts facts;
    if (!statFile(path, &status)) {
        facts.problem = QStringLiteral("Not a picture");
        return facts;
    }
    if (status.st_size == 0) {
        facts.problem = QStringLiteral("Empty file");
        return facts;
    }
    if (PkPictureDecoder::isRaw(path))
        return fromExif(PkRawPreview::metadata(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return facts;
    const QByteArray head = file.read(headBytes);
    return head.startsWith("\xff\xd8") ? fromExif(PkExif::fromJpeg(head)) : facts;
}

std::optional<quint64> PkLikeReader::hash(const QString &path, PkHashCache *cache, const void *owner,
                                          QString *problem, QDateTime *taken)
{
    struct stat status = {};
    if (!statFile(path, &status)) {
        if (problem)
            *problem = QStringLiteral("Not a picture");
        return std::nullopt;
    }
    const qint64 size = status.st_size, modified = qint64(status.st_mtime);
    if (cache) {
        if (const std::optional<quint64> known = cache->find(path, size, modified))
            return known;
    }
    PkDecoderPool &pool = PkDecoderPool::instance();
    bool found = false;
    PkThumbnail thumbnail = pool.decode(path, thumbnailBox, PkPictureDecoder::Pass::Quick, &found, owner);
    if (!found || thumbnail.image.isNull())
        thumbnail = pool.decode(path, uncachedBox, PkPictureDecoder::Pass::Full, &found, owner);
    if (taken)
        *taken = thumbnail.taken;
    if (thumbnail.kind != PkThumbnail::Kind::Picture || thumbnail.image.isNull()) {
        if (problem)
            *problem = thumbnail.reason.isEmpty() ? QStringLiteral("Not a picture") : thumbnail.reason;
        return std::nullopt;
    }
    const quint64 hash = PkDifferenceHash::of(thumbnail.image);
    if (cache)
        cache->store(path, size, modified, hash);
    return hash;
}

bool PkLikeReader::oneShot(const QString &a, const QString &b)
{
    const auto camera = [](const PkLikeFacts &facts) {
        return !facts.serial.trimmed().isEmpty() || (!facts.make.trimmed().isEmpty() && !facts.model.trimmed().isEmpty());
    };
    const PkLikeFacts first = facts(a), second = facts(b);
    return camera(first) && camera(second) && PkLikeFacts::sameShot(first, second);
}

std::function<bool(const QString &, const QString &)> PkLikeReader::oneShotIn(const QString &folder)
{
    return [folder](const QString &a, const QString &b) {
        return oneShot(folder + QLatin1Char('/') + a, folder + QLatin1Char('/') + b);
    };
}
