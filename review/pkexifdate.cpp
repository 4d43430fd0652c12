// SPDX-License-Identifier: MIT

#include "pkexifdate.h"

#include <QIODevice>
#include <QtEndian>

namespace {

constexpr quint16 exifPointerTag = 0x8769;
constexpr quint16 dateTimeOriginalTag = 0x9003;

class Tiff
{
public:
    explicit Tiff(const QByteArray &bytes)
        : bytes(bytes)
        , bigEndian(bytes.startsWith("MM"))
    {
    }

    bool isValid() const { return bytes.size() >= 8 && (bigEndian || bytes.startsWith("II")); }

    quint32 read(qsizetype at, int size) const
    {
        if (at < 0 || at + size > bytes.size())
            return 0;
        const char *p = bytes.constData() + at;
        if (size == 2)
            return bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
        return bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }

    // The position of tag's entry in the IFD at ifd, or -1.
    qsizetype entry(quint32 ifd, quint16 tag) const
    {
        const quint32 count = read(ifd, 2);
        for (quint32 i = 0; i < count; ++i) {
            const qsizetype at = qsizetype(ifd) + 2 + 12 * qsizetype(i);
            if (read(at, 2) == tag)
                return at;
        }
        return -1;
    }

    // An ASCII date "YYYY:MM:DD HH:MM:SS", in the camera's local time.
    QDateTime date(qsizetype entry) const
    {
        if (entry < 0 || read(entry + 2, 2) != 2 || read(entry + 4, 4) < 19)
            return {};
        const QByteArray text = bytes.mid(read(entry + 8, 4), 19);
        return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    }

private:
    QByteArray bytes;
    bool bigEndian;
};

} // namespace

QDateTime PkExifDate::fromTiff(const QByteArray &bytes)
{
    const Tiff tiff(bytes);
    if (!tiff.isValid())
        return {};
    const quint32 ifd0 = tiff.read(4, 4);
    const qsizetype pointer = tiff.entry(ifd0, exifPointerTag);
    if (pointer < 0)
        return {};
    return tiff.date(tiff.entry(tiff.read(pointer + 8, 4), dateTimeOriginalTag));
}

QDateTime PkExifDate::fromJpeg(QIODevice &device)
{
    if (device.read(2) != "\xff\xd8")
        return {};
    for (;;) {
        const QByteArray marker = device.read(4);
        if (marker.size() < 4 || quint8(marker[0]) != 0xff || quint8(marker[1]) == 0xda)
            return {};
        const int length = qFromBigEndian<quint16>(marker.constData() + 2) - 2;
        if (length < 0)
            return {};
        if (quint8(marker[1]) != 0xe1) {
            if (!device.skip(length))
                return {};
            continue;
        }
        const QByteArray segment = device.read(length);
        if (segment.startsWith(QByteArray("Exif\0\0", 6)))
            return fromTiff(segment.mid(6));
    }
}
