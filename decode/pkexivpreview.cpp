// SPDX-License-Identifier: MIT

#include "pkexivpreview.h"
#include "pkexivfile.h"
#include "pkpicturedecoder.h"
#include "pwtools.h"

#include <QBuffer>
#include <QImageReader>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <vector>

namespace {

QString noJpeg()
{
    return QStringLiteral("No JPEG preview in this raw file");
}

qint64 pixels(const Exiv2::PreviewProperties *preview)
{
    return qint64(preview->width_) * preview->height_;
}

// The JPEG previews that claim some bytes, but no more than their pixels
// could take, largest first. (exiv2 lists one whose claim goes past the
// file's end as of no bytes.)
std::vector<const Exiv2::PreviewProperties *> jpegs(const Exiv2::PreviewPropertiesList &previews)
{
    std::vector<const Exiv2::PreviewProperties *> found;
    for (const Exiv2::PreviewProperties &preview : previews) {
        if (preview.mimeType_ == "image/jpeg" && preview.size_ > 0
            && preview.size_ <= PkRawPreview::mostJpegBytes(QSize(int(preview.width_), int(preview.height_))))
            found.push_back(&preview);
    }
    std::stable_sort(found.begin(), found.end(), [](auto *a, auto *b) { return pixels(a) > pixels(b); });
    return found;
}

QString text(const Exiv2::ExifData &exif, const char *key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? QString() : QString::fromStdString(found->toString());
}

} // namespace

PkRawPreview::Decoded PkExivPreview::decode(const QString &path, int box, qint64 bytes, const QString &unreadable)
{
    PkRawPreview::Decoded decoded;
    if (bytes > maxFileBytes) {
        decoded.error = QStringLiteral("Too large to preview (%1)").arg(PwTools::dataSize(bytes));
        return decoded;
    }
    try {
        // A file of no type exiv2 knows gives no image rather than an error.
        const std::unique_ptr<Exiv2::Image> image = PkExivFile::open(path);
        if (!image) {
            decoded.error = unreadable;
            return decoded;
        }
        image->readMetadata();
        const Exiv2::PreviewManager manager(*image);
        const Exiv2::PreviewPropertiesList previews = manager.getPreviewProperties();
        const Exiv2::ExifData &exif = image->exifData();
        // One that is no JPEG after all gives way to the next.
        for (const Exiv2::PreviewProperties *properties : jpegs(previews)) {
            const Exiv2::PreviewImage preview = manager.getPreviewImage(*properties);
            QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(preview.pData()), qsizetype(preview.size()));
            QBuffer buffer(&data);
            QImageReader reader(&buffer, "jpeg");
            // Only the raw file's own orientation is applied, as for LibRaw's.
            reader.setAutoTransform(false);
            if (!reader.canRead())
                continue;
            decoded.taken = QDateTime::fromString(text(exif, "Exif.Photo.DateTimeOriginal"), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
            const QImage picture = PkPictureDecoder::decodeScaled(reader, box, &decoded.error, &decoded.cutShort);
            decoded.image = PkPictureDecoder::oriented(picture, text(exif, "Exif.Image.Orientation").toInt());
            return decoded;
        }
        decoded.error = noJpeg();
    } catch (const std::exception &) {
        // Neither library reads the file (exiv2's errors derive from this,
        // and running out of the helper's memory throws bad_alloc).
        decoded.error = unreadable;
    }
    return decoded;
}
