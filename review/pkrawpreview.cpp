// SPDX-License-Identifier: MIT

#include "pkrawpreview.h"
#include "pkthumbnailreader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <libraw/libraw.h>

#include <memory>

namespace {

struct RawCloser
{
    void operator()(libraw_data_t *raw) const { libraw_close(raw); }
};

struct MemoryImageFreer
{
    void operator()(libraw_processed_image_t *image) const { libraw_dcraw_clear_mem(image); }
};

QString rawError(int code)
{
    if (code == LIBRAW_NO_THUMBNAIL)
        return QStringLiteral("This raw file holds no preview");
    if (code == LIBRAW_FILE_UNSUPPORTED)
        return QStringLiteral("Not a raw file LibRaw can read");
    return QString::fromLocal8Bit(libraw_strerror(code));
}

// A preview LibRaw hands over as pixels rather than as a JPEG.
QImage bitmapImage(const libraw_processed_image_t &memory)
{
    if (memory.bits != 8 || (memory.colors != 3 && memory.colors != 1))
        return {};
    const auto format = memory.colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
    const qsizetype stride = qsizetype(memory.width) * memory.colors;
    if (qsizetype(memory.data_size) < stride * memory.height)
        return {};
    return QImage(memory.data, memory.width, memory.height, stride, format).copy();
}

QImage previewImage(const libraw_processed_image_t &memory, int box, QString *error)
{
    if (memory.type == LIBRAW_IMAGE_JPEG) {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(memory.data), memory.data_size);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "jpeg");
        // LibRaw writes the orientation into the JPEG it hands over, yet the
        // flip code is applied afterwards for every kind of preview, so the
        // JPEG's own is ignored here.
        return PkThumbnailReader::decode(reader, box, false, error);
    }
    QImage image = bitmapImage(memory);
    if (image.isNull())
        *error = QStringLiteral("The preview is in a form the review cannot show");
    else if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

int PkRawPreview::exifOrientation(int flip)
{
    static const int orientations[] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? orientations[flip] : 1;
}

PkRawPreview PkRawPreview::read(const QString &path, int box)
{
    PkRawPreview preview;
    std::unique_ptr<libraw_data_t, RawCloser> raw(libraw_init(0));
    if (!raw) {
        preview.error = QStringLiteral("Out of memory");
        return preview;
    }
    int code = libraw_open_file(raw.get(), QFile::encodeName(path).constData());
    if (code == LIBRAW_SUCCESS)
        code = libraw_unpack_thumb(raw.get());
    if (code != LIBRAW_SUCCESS) {
        preview.error = rawError(code);
        return preview;
    }
    if (raw->other.timestamp > 0)
        preview.taken = QDateTime::fromSecsSinceEpoch(raw->other.timestamp);
    std::unique_ptr<libraw_processed_image_t, MemoryImageFreer> memory(libraw_dcraw_make_mem_thumb(raw.get(), &code));
    if (!memory) {
        preview.error = rawError(code);
        return preview;
    }
    const QImage image = previewImage(*memory, box, &preview.error);
    if (!image.isNull())
        preview.image = PkThumbnailReader::oriented(image, exifOrientation(raw->sizes.flip));
    return preview;
}
