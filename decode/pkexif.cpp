// SPDX-License-Identifier: MIT

#include "pkexif.h"

#include <libexif/exif-data.h>

#include <memory>

namespace {

struct ExifFreer
{
    void operator()(ExifData *data) const { exif_data_unref(data); }
};

QString text(ExifData *data, ExifIfd ifd, ExifTag tag)
{
    ExifEntry *entry = exif_content_get_entry(data->ifd[ifd], tag);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data)
        return {};
    const auto *chars = reinterpret_cast<const char *>(entry->data);
    return QString::fromUtf8(chars, qstrnlen(chars, entry->size)).trimmed();
}

int orientationOf(ExifData *data)
{
    ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    // 1, upright, is also what a missing or unknown value means.
    return value >= 2 && value <= 8 ? value : 1;
}

} // namespace

PkExif PkExif::fromJpeg(const QByteArray &bytes)
{
    PkExif exif;
    std::unique_ptr<ExifData, ExifFreer> data(exif_data_new());
    if (!data)
        return exif;
    // Tags are taken as written: libexif would otherwise add the ones it
    // thinks are missing and "fix" the values it finds.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char *>(bytes.constData()), unsigned(bytes.size()));
    exif.orientation = orientationOf(data.get());
    exif.taken = QDateTime::fromString(text(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL),
                                       QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    exif.subSeconds = text(data.get(), EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL);
    exif.make = text(data.get(), EXIF_IFD_0, EXIF_TAG_MAKE);
    exif.model = text(data.get(), EXIF_IFD_0, EXIF_TAG_MODEL);
    exif.serial = text(data.get(), EXIF_IFD_EXIF, EXIF_TAG_BODY_SERIAL_NUMBER);
    exif.thumbnail = QByteArray(reinterpret_cast<const char *>(data->data), qsizetype(data->size));
    return exif;
}
