// SPDX-License-Identifier: MIT

#include "pkthumbnailreader.h"
#include "pkexifdate.h"
#include "pkrawpreview.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QTransform>

namespace {

const QSet<QString> &rawSuffixes()
{
    static const QSet<QString> suffixes = {
        QStringLiteral("cr2"), QStringLiteral("cr3"), QStringLiteral("nef"), QStringLiteral("arw"),
        QStringLiteral("raf"), QStringLiteral("orf"), QStringLiteral("rw2"), QStringLiteral("pef"),
        QStringLiteral("srw"), QStringLiteral("dng")};
    return suffixes;
}

bool qtReads(const QString &suffix)
{
    static const QSet<QString> suffixes = [] {
        QSet<QString> set;
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            set.insert(QString::fromLatin1(format).toLower());
        return set;
    }();
    return suffixes.contains(suffix);
}

} // namespace

bool PkThumbnailReader::isRaw(const QString &path)
{
    return rawSuffixes().contains(QFileInfo(path).suffix().toLower());
}

QSize PkThumbnailReader::fitted(QSize size, int box)
{
    if (size.width() <= box && size.height() <= box)
        return size;
    return size.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Orientations 2, 4, 5 and 7 are mirrored: mirror first, then turn.
QImage PkThumbnailReader::oriented(const QImage &image, int orientation)
{
    static const int degrees[] = {0, 0, 0, 180, 180, 270, 90, 90, 270};
    if (orientation < 2 || orientation > 8)
        return image;
    const bool mirrored = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    QImage upright = mirrored ? image.mirrored(true, false) : image;
    return upright.transformed(QTransform().rotate(degrees[orientation]));
}

QImage PkThumbnailReader::decode(QImageReader &reader, int box, bool autoTransform, QString *error)
{
    reader.setAutoTransform(autoTransform);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(fitted(size, box));
    QImage image;
    if (!reader.read(&image)) {
        *error = reader.errorString();
        return {};
    }
    // Formats without scaled reading come back at full size.
    if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

PkThumbnail PkThumbnailReader::read(const QString &path, int box)
{
    PkThumbnail thumbnail;
    thumbnail.box = box;
    const QFileInfo info(path);
    if (!info.isFile()) {
        thumbnail.reason = QStringLiteral("The file is no longer there");
        return thumbnail;
    }
    thumbnail.bytes = info.size();
    const QString suffix = info.suffix().toLower();
    if (rawSuffixes().contains(suffix)) {
        PkRawPreview preview = PkRawPreview::read(path, box);
        thumbnail.image = preview.image;
        thumbnail.reason = preview.error;
        thumbnail.taken = preview.taken;
    } else if (qtReads(suffix)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            thumbnail.reason = file.errorString();
            return thumbnail;
        }
        thumbnail.taken = PkExifDate::fromJpeg(file);
        file.seek(0);
        QImageReader reader(&file);
        thumbnail.image = decode(reader, box, true, &thumbnail.reason);
    } else {
        thumbnail.kind = PkThumbnail::Kind::Other;
        return thumbnail;
    }
    if (!thumbnail.image.isNull())
        thumbnail.kind = PkThumbnail::Kind::Picture;
    return thumbnail;
}
