// SPDX-License-Identifier: MIT

#include "pkrawpreview.h"
#include "pkexivpreview.h"
#include "pkpicturedecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <libraw/libraw.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// LibRaw says "input/output error" for a file too short for what its
// header claims: the file itself was read before, so a failure here is in
// the data, not in the disk.
QString rawError(int code, bool opening, qint64 bytes)
{
    if (opening && (code == LIBRAW_FILE_UNSUPPORTED || code == LIBRAW_IO_ERROR))
        return PkPictureDecoder::notAPicture(bytes);
    if (code == LIBRAW_NO_THUMBNAIL || code == LIBRAW_UNSUPPORTED_THUMBNAIL || code == LIBRAW_IO_ERROR)
        return QStringLiteral("No preview in this raw file");
    return QString::fromLocal8Bit(libraw_strerror(code));
}

// A preview LibRaw unpacked as 8-bit pixels rather than as a JPEG. Its own
// copy of them (libraw_dcraw_make_mem_thumb) takes every such preview as
// RGB, so a grey one would be lost.
QImage bitmapImage(const libraw_thumbnail_t &thumbnail)
{
    const int colors = thumbnail.tcolors;
    if (colors != 3 && colors != 1)
        return {};
    const auto format = colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
    const qsizetype stride = qsizetype(thumbnail.twidth) * colors;
    if (qsizetype(thumbnail.tlength) < stride * thumbnail.theight)
        return {};
    const auto *pixels = reinterpret_cast<const uchar *>(thumbnail.thumb);
    return QImage(pixels, thumbnail.twidth, thumbnail.theight, stride, format).copy();
}

QImage jpegPreview(const char *data, qsizetype size, int box, QString *error, bool *cutShort)
{
    QByteArray bytes = QByteArray::fromRawData(data, size);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    // Any orientation the JPEG itself carries is ignored: LibRaw's flip code
    // is applied afterwards for every kind of preview, and only that.
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        *error = QStringLiteral("No preview in this raw file");
        return {};
    }
    return PkPictureDecoder::decodeScaled(reader, box, error, cutShort);
}

// LibRaw takes a JPEG preview's length from the file's header and leaves
// the part of it beyond the file's end unwritten: only what the file holds
// is decoded. (A bitmap may have been made larger than its bytes in the
// file, so its length is LibRaw's.)
qint64 previewOffset(libraw_data_t *raw)
{
    auto *owner = static_cast<LibRaw *>(raw->parent_class);
    return owner->get_internal_data_pointer()->internal_data.toffset;
}

qsizetype jpegBytes(libraw_data_t *raw, qint64 fileBytes)
{
    return qsizetype(std::clamp<qint64>(fileBytes - previewOffset(raw), 0, raw->thumbnail.tlength));
}

// A preview is decoded where LibRaw unpacked it.
QImage previewImage(libraw_data_t *raw, qint64 fileBytes, int box, QString *error, bool *cutShort)
{
    if (raw->thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG)
        return jpegPreview(raw->thumbnail.thumb, jpegBytes(raw, fileBytes), box, error, cutShort);
    // Scaled to the box by the caller, as pictures of every format are.
    QImage image;
    if (raw->thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP)
        image = bitmapImage(raw->thumbnail);
    if (image.isNull())
        *error = QStringLiteral("No preview in this raw file");
    return image;
}

// LibRaw reads every IFD of a raw file built as a TIFF but shows only the
// preview it picks, the largest; the others are read from its own list.
struct IfdAccess : LibRaw
{
    static const tiff_ifd_t *of(const LibRaw &raw) { return raw.*(&IfdAccess::tiff_ifd); }
};

struct Candidate
{
    qint64 offset;
    qint64 bytes;
    QSize size;
};

// The JPEG previews smaller than LibRaw's that still fill box, smallest
// first: a camera's or converter's medium preview beside its full-size one
// decodes in a fraction of the time. Only those of the largest's
// proportions, so that no letterboxed thumbnail stands for the picture.
std::vector<Candidate> smallerPreviews(libraw_data_t *raw, int box)
{
    auto *owner = static_cast<LibRaw *>(raw->parent_class);
    const tiff_ifd_t *ifds = IfdAccess::of(*owner);
    const unsigned count = std::min<unsigned>(owner->get_internal_data_pointer()->identify_data.tiff_nifds,
                                              LIBRAW_IFD_MAXCOUNT);
    const QSize largest(raw->thumbnail.twidth, raw->thumbnail.theight);
    std::vector<Candidate> found;
    for (unsigned i = 0; i < count; ++i) {
        const tiff_ifd_t &ifd = ifds[i];
        const QSize size(ifd.t_width, ifd.t_height);
        const bool jpeg = (ifd.comp == 6 || ifd.comp == 7) && ifd.bps == 8 && ifd.phint != 32803 && ifd.phint != 34892;
        if (!jpeg || ifd.offset <= 0 || ifd.bytes <= 0 || ifd.bytes > PkRawPreview::mostJpegBytes(size)
            || std::max(size.width(), size.height()) < box
            || qint64(size.width()) * size.height() >= qint64(largest.width()) * largest.height()
            || !PkPictureDecoder::sameProportions(size, largest))
            continue;
        found.push_back({ifd.offset, ifd.bytes, size});
    }
    std::sort(found.begin(), found.end(), [](const Candidate &a, const Candidate &b) {
        return qint64(a.size.width()) * a.size.height() < qint64(b.size.width()) * b.size.height();
    });
    return found;
}

// A smaller preview is read by itself, bounded by what it claims and by the
// file; one that does not decode whole to the box's size gives way to the
// next, and the last to LibRaw's own.
QImage smallerImage(const QString &path, libraw_data_t *raw, int box, qint64 fileBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const Candidate &candidate : smallerPreviews(raw, box)) {
        if (candidate.offset >= fileBytes || !file.seek(candidate.offset))
            continue;
        const QByteArray data = file.read(std::min(candidate.bytes, fileBytes - candidate.offset));
        QString error;
        bool cutShort = false;
        const QImage image = jpegPreview(data.constData(), data.size(), box, &error, &cutShort);
        if (!cutShort && (image.width() >= box || image.height() >= box))
            return image;
    }
    return {};
}

} // namespace

struct PkRawPreview::Raw
{
    libraw_data_t *data = libraw_init(0);
    int opened = LIBRAW_UNSPECIFIED_ERROR;

    ~Raw()
    {
        if (data)
            libraw_close(data);
    }
};

PkRawPreview::PkRawPreview(const QString &path)
    : path(path)
    , raw(std::make_unique<Raw>())
{
    if (raw->data)
        raw->opened = libraw_open_file(raw->data, QFile::encodeName(path).constData());
}

PkRawPreview::~PkRawPreview() = default;

bool PkRawPreview::isOpen() const
{
    return raw->data && raw->opened == LIBRAW_SUCCESS;
}

QByteArray PkRawPreview::xmp() const
{
    const libraw_iparams_t &header = raw->data->idata;
    return isOpen() && header.xmpdata ? QByteArray(header.xmpdata, int(header.xmplen)) : QByteArray();
}

int PkRawPreview::exifOrientation(int flip)
{
    static const int orientations[] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? orientations[flip] : 1;
}

qint64 PkRawPreview::mostJpegBytes(QSize size)
{
    return std::min<qint64>(64 << 20, 3LL * size.width() * size.height() + 65536);
}

PkExif PkRawPreview::metadata(const QString &path)
{
    PkExif exif;
    const PkRawPreview file(path);
    if (!file.isOpen())
        return exif;
    const libraw_data_t *raw = file.raw->data;
    if (raw->other.timestamp > 0)
        exif.taken = QDateTime::fromSecsSinceEpoch(raw->other.timestamp);
    exif.make = QString::fromUtf8(raw->idata.make, qstrnlen(raw->idata.make, sizeof raw->idata.make)).trimmed();
    exif.model = QString::fromUtf8(raw->idata.model, qstrnlen(raw->idata.model, sizeof raw->idata.model)).trimmed();
    const char *serial = raw->shootinginfo.BodySerial;
    exif.serial = QString::fromUtf8(serial, qstrnlen(serial, sizeof raw->shootinginfo.BodySerial)).trimmed();
    exif.orientation = exifOrientation(raw->sizes.flip);
    return exif;
}

// Only the preview's start is read, where a JPEG keeps its EXIF block: the
// whole preview (megabytes) is read once, by the decode that follows.
PkExif PkRawPreview::previewExif(qsizetype head) const
{
    if (!isOpen())
        return {};
    libraw_data_t *data = raw->data;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(previewOffset(data)))
        return {};
    QByteArray start = file.read(std::min<qsizetype>(head, data->thumbnail.tlength));
    if (start.size() < 2)
        return {};
    // As LibRaw does when it unpacks a JPEG preview: some cameras write
    // other bytes in place of the JPEG's first marker. (Another kind of
    // preview then holds no EXIF block, and none is found.)
    start[0] = '\xff';
    start[1] = '\xd8';
    PkExif exif = PkExif::fromJpeg(start);
    exif.orientation = exifOrientation(data->sizes.flip);
    // What is shown of a raw file, once decoded, is this preview.
    exif.pictureSize = QSize(data->thumbnail.twidth, data->thumbnail.theight);
    return exif;
}

// The preview's size is known once the file is opened: one too large is
// refused before LibRaw reads it. A file LibRaw cannot open is left to exiv2.
PkRawPreview::Decoded PkRawPreview::decode(int box, qint64 bytes)
{
    Decoded preview;
    libraw_data_t *data = raw->data;
    if (!data) {
        preview.error = QStringLiteral("Out of memory");
        return preview;
    }
    int code = raw->opened;
    if (code != LIBRAW_SUCCESS)
        return PkExivPreview::decode(path, box, bytes, rawError(code, true, bytes));
    const QSize size(data->thumbnail.twidth, data->thumbnail.theight);
    if (qint64(size.width()) * size.height() > PkPictureDecoder::maxPixels) {
        preview.error = PkPictureDecoder::tooLarge(size);
        return preview;
    }
    QImage image = smallerImage(path, data, box, bytes);
    if (image.isNull())
        code = libraw_unpack_thumb(data);
    if (code != LIBRAW_SUCCESS) {
        preview.error = rawError(code, false, bytes);
        return preview;
    }
    if (data->other.timestamp > 0)
        preview.taken = QDateTime::fromSecsSinceEpoch(data->other.timestamp);
    if (image.isNull())
        image = previewImage(data, bytes, box, &preview.error, &preview.cutShort);
    if (!image.isNull())
        preview.image = PkPictureDecoder::oriented(image, exifOrientation(data->sizes.flip));
    return preview;
}
