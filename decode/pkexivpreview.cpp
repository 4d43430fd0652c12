// SPDX-License-Identifier: MIT

#include "pkexivpreview.h"
#include "pkpicturedecoder.h"
#include "pwtools.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <vector>

namespace {

void initialise()
{
    static const bool done = [] {
        // A damaged file's complaints reach the user as the tile's reason.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // ISO base media files (CR3, HEIF) are read only when asked for.
        return Exiv2::enableBMFF();
    }();
    Q_UNUSED(done);
}

// exiv2 maps the whole file to read a TIFF's directories and to copy any
// preview out of it, an ISO base media file's too. A helper never maps a
// picture file: where the share it lies on goes away, a read from the
// mapping ends the helper with SIGBUS instead of failing as a read does.
// The file is read into memory instead, once, however often exiv2 maps it;
// decode() refuses one over maxFileBytes first.
class UnmappedIo : public Exiv2::FileIo
{
public:
    using FileIo::FileIo;

    Exiv2::byte *mmap(bool /*isWriteable*/) override
    {
        if (whole.empty()) {
            QFile file(QFile::decodeName(path().c_str()));
            whole.resize(size());
            const qint64 bytes = qint64(whole.size());
            if (!file.open(QIODevice::ReadOnly) || file.read(reinterpret_cast<char *>(whole.data()), bytes) != bytes)
                throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
        }
        return whole.data();
    }
    int munmap() override { return 0; }

private:
    std::vector<Exiv2::byte> whole;
};

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
    initialise();
    try {
        Exiv2::BasicIo::AutoPtr io(new UnmappedIo(QFile::encodeName(path).toStdString()));
        // Opened from an io, a file of no type exiv2 knows gives no image
        // rather than an error.
        const Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
        if (!image.get()) {
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
