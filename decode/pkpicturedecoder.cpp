// SPDX-License-Identifier: MIT

#include "pkpicturedecoder.h"
#include "pkexif.h"
#include "pkrawpreview.h"
#include "pkthumbnailcache.h"
#include "pwtools.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QTransform>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// The EXIF block sits in the first segments; this much always holds it.
constexpr qint64 headBytes = 256 * 1024;

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

// libjpeg says that the data ended early only in a warning, which Qt passes
// on as a message: it is caught here for the thread that is decoding, and
// the JPEG library's other warnings are kept off the terminal.
thread_local bool *endedEarly = nullptr;
QtMessageHandler previousHandler = nullptr;

void catchJpegWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "qt.gui.imageio.jpeg") != 0 && !message.contains(QLatin1String("JPEG"))) {
        if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    if (endedEarly && message.contains(QLatin1String("premature end"), Qt::CaseInsensitive))
        *endedEarly = true;
}

void watchJpegWarnings()
{
    static const QtMessageHandler installed = previousHandler = qInstallMessageHandler(catchJpegWarnings);
    Q_UNUSED(installed);
}

QString cannotRead(const QString &error)
{
    return QStringLiteral("Cannot read the file: ") + error;
}

QString notRegular(mode_t mode)
{
    const char *what = S_ISDIR(mode) ? "a folder" : S_ISFIFO(mode) ? "a named pipe" : S_ISSOCK(mode) ? "a socket" : "a device";
    return QStringLiteral("Not a regular file (%1)").arg(QLatin1String(what));
}

// JPEG's blur lightens the rows next to a bar: "dark" allows for it.
bool isDark(QRgb pixel)
{
    return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 64;
}

bool darkLine(const QImage &image, int fixed, bool row, int from, int to)
{
    for (int i = from; i <= to; ++i) {
        if (!isDark(row ? image.pixel(i, fixed) : image.pixel(fixed, i)))
            return false;
    }
    return true;
}

// The size of the picture a JPEG's first bytes begin, from its frame header.
QSize jpegSize(const QByteArray &head)
{
    QBuffer buffer;
    buffer.setData(head);
    return QImageReader(&buffer, "jpeg").size();
}

// Whether lines from to to (rows, else columns) are dark from end to end.
bool darkLines(const QImage &image, bool rows, int from, int to)
{
    const int end = (rows ? image.width() : image.height()) - 1;
    for (int line = from; line <= to; ++line) {
        if (!darkLine(image, line, rows, 0, end))
            return false;
    }
    return true;
}

// Without the picture's size the bars are found by their darkness alone:
// as many dark lines on each side as on the other, since a camera centres
// the picture, so that a dark sky or floor is not taken for a bar.
QImage withoutDarkBars(const QImage &image)
{
    const int width = image.width(), height = image.height();
    int top = 0, bottom = height - 1, left = 0, right = width - 1;
    while (top < bottom && darkLine(image, top, true, 0, width - 1))
        ++top;
    while (bottom > top && darkLine(image, bottom, true, 0, width - 1))
        --bottom;
    top = std::min(top, height - 1 - bottom);
    bottom = height - 1 - top;
    while (left < right && darkLine(image, left, false, top, bottom))
        ++left;
    while (right > left && darkLine(image, right, false, top, bottom))
        --right;
    left = std::min(left, width - 1 - right);
    right = width - 1 - left;
    const QRect kept(left, top, right - left + 1, bottom - top + 1);
    if (kept.width() * 2 < width || kept.height() * 2 < height)
        return image;
    return image.copy(kept);
}

// What the quick pass shows: the thumbnail in a JPEG's EXIF block, in the
// IFD1 of a raw file built as a TIFF (LibRaw gives only the largest
// preview), or in the EXIF block of a raw file's JPEG preview; final when
// it is at least as large as the box.
bool embedded(const QString &path, bool raw, int box, PkThumbnail *thumbnail)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        thumbnail->reason = cannotRead(file.errorString());
        return true;
    }
    const QByteArray exifMark = raw ? QByteArray("Exif\0\0", 6) : QByteArray();
    const QByteArray head = file.read(headBytes);
    PkExif exif = PkExif::fromJpeg(exifMark + head);
    thumbnail->taken = exif.taken;
    if (raw && exif.thumbnail.isEmpty())
        exif = PkRawPreview(path).previewExif(headBytes);
    else if (!raw)
        exif.pictureSize = jpegSize(head);
    QByteArray bytes = exif.thumbnail;
    if (bytes.isEmpty())
        return false;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    QString error;
    QImage image = PkPictureDecoder::decodeScaled(reader, 4096, &error);
    if (image.isNull())
        return false;
    image = PkPictureDecoder::withoutBars(image, raw ? QSize() : exif.pictureSize);
    // Of other proportions than its picture, the thumbnail is no longer its
    // picture's (an editor cropped it and kept the camera's thumbnail) and
    // only stands in until the picture is decoded.
    const bool ofThePicture = PkPictureDecoder::sameProportions(image.size(), exif.pictureSize);
    image = PkPictureDecoder::oriented(image, exif.orientation);
    thumbnail->kind = PkThumbnail::Kind::Picture;
    // A provisional thumbnail is stretched to the size the decoded one will
    // have, so that the tile does not change size when that comes.
    thumbnail->provisional = (image.width() < box && image.height() < box) || !ofThePicture;
    thumbnail->image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return true;
}

// transient: the failure may not happen again (a read error), so it is not
// remembered in the cache. The file is read in pieces as it is decoded,
// never whole: a file near the helper's memory limit must not reach it.
void decodeFile(const QString &path, int size, PkThumbnail *thumbnail, bool *transient)
{
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(headBytes) : QByteArray();
    if (file.error() != QFileDevice::NoError || !file.seek(0)) {
        thumbnail->reason = cannotRead(file.errorString());
        *transient = true;
        return;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        thumbnail->reason = PkPictureDecoder::notAPicture(file.size());
        return;
    }
    thumbnail->taken = PkExif::fromJpeg(head).taken;
    thumbnail->image = PkPictureDecoder::decodeScaled(reader, size, &thumbnail->reason, &thumbnail->cutShort);
    if (file.error() != QFileDevice::NoError) {
        thumbnail->image = QImage();
        thumbnail->reason = cannotRead(file.errorString());
        *transient = true;
        return;
    }
    // Cut before its first scan, a JPEG has nothing to show and no warning
    // says why; it lacks the marker that ends every JPEG.
    if (thumbnail->image.isNull() && head.startsWith("\xff\xd8") && !(file.seek(file.size() - 2) && file.read(2) == "\xff\xd9"))
        thumbnail->reason = QStringLiteral("Cut short");
}

// The file's start is read here first, so that a disk's read error is told
// apart from LibRaw's failures.
void decodeRaw(const QString &path, int size, PkThumbnail *thumbnail, bool *transient)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(headBytes).isEmpty()) {
        thumbnail->reason = cannotRead(file.errorString());
        *transient = true;
        return;
    }
    const PkRawPreview::Decoded preview = PkRawPreview(path).decode(size, thumbnail->bytes);
    thumbnail->image = preview.image;
    thumbnail->reason = preview.error;
    thumbnail->taken = preview.taken;
    thumbnail->cutShort = preview.cutShort;
}

} // namespace

void PkPictureDecoder::warmUp()
{
    qtReads(QString());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "JPEG");
}

bool PkPictureDecoder::isRaw(const QString &path)
{
    return rawSuffixes().contains(QFileInfo(path).suffix().toLower());
}

QString PkPictureDecoder::tooLarge(QSize size)
{
    return QStringLiteral("Too large to preview (%1 x %2)").arg(size.width()).arg(size.height());
}

QString PkPictureDecoder::notAPicture(qint64 bytes)
{
    return QStringLiteral("Not a picture (%1)").arg(PwTools::dataSize(bytes));
}

// Within 5%: a small thumbnail's rounding, and the few lines a camera crops
// off a picture or adds to it, stay far within that; other formats (4:3 for
// 3:2, 16:9) are beyond it. A picture of unknown size is taken as matching.
bool PkPictureDecoder::sameProportions(QSize thumbnail, QSize picture)
{
    if (thumbnail.isEmpty() || picture.isEmpty())
        return true;
    const double ratio = double(thumbnail.width()) * picture.height() / (double(thumbnail.height()) * picture.width());
    return ratio >= 1 / 1.05 && ratio <= 1.05;
}

QSize PkPictureDecoder::fitted(QSize size, int box)
{
    if (size.width() <= box && size.height() <= box)
        return size;
    return size.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Orientations 2, 4, 5 and 7 are mirrored: mirror first, then turn.
QImage PkPictureDecoder::oriented(const QImage &image, int orientation)
{
    static const int degrees[] = {0, 0, 0, 180, 180, 270, 90, 90, 270};
    if (orientation < 2 || orientation > 8)
        return image;
    const bool mirrored = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    QImage upright = mirrored ? image.mirrored(true, false) : image;
    return upright.transformed(QTransform().rotate(degrees[orientation]));
}

QImage PkPictureDecoder::scaledToFit(const QImage &image, int box)
{
    if (image.width() > box || image.height() > box)
        return image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage PkPictureDecoder::decodeScaled(QImageReader &reader, int box, QString *error, bool *cutShort)
{
    const QSize size = reader.size();
    if (qint64(size.width()) * size.height() > maxPixels) {
        *error = tooLarge(size);
        return {};
    }
    if (size.isValid())
        reader.setScaledSize(fitted(size, box));
    watchJpegWarnings();
    bool ended = false;
    endedEarly = &ended;
    QImage image;
    const bool read = reader.read(&image);
    endedEarly = nullptr;
    if (!read) {
        *error = ended ? QStringLiteral("Cut short") : QStringLiteral("Damaged picture (%1)").arg(reader.errorString());
        return {};
    }
    if (cutShort)
        *cutShort = ended;
    return image;
}

// A camera fits the picture into its thumbnail's fixed proportions and
// fills what is left over with black, centred. Knowing the picture's size,
// that part is cut exactly, whatever dark the picture itself has at its
// edges; where it is not dark the thumbnail is another make (cropped or
// stretched) and is left whole. The line next to the picture may be
// lightened by JPEG's blur and is not looked at.
QImage PkPictureDecoder::withoutBars(const QImage &image, QSize picture)
{
    if (picture.isEmpty())
        return withoutDarkBars(image);
    const int width = image.width(), height = image.height();
    const bool rows = qint64(picture.width()) * height > qint64(picture.height()) * width;
    const int across = rows ? height : width;
    const int kept = int(rows ? qRound(qreal(width) * picture.height() / picture.width())
                              : qRound(qreal(height) * picture.width() / picture.height()));
    const int first = (across - kept) / 2;
    if (across - kept < 2 || !darkLines(image, rows, 0, first - 2)
        || !darkLines(image, rows, first + kept + 1, across - 1))
        return image;
    return image.copy(rows ? QRect(0, first, width, kept) : QRect(first, 0, kept, height));
}

PkThumbnail PkPictureDecoder::decode(const QString &path, int box, Pass pass, bool *found)
{
    bool ignored;
    found = found ? found : &ignored;
    *found = true;
    PkThumbnail thumbnail;
    thumbnail.box = box;
    struct stat status = {};
    // stat, not open: a named pipe or a device is never opened nor waited on.
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        thumbnail.reason = errno == ENOENT || errno == ENOTDIR ? QStringLiteral("The file is no longer there")
                                                               : cannotRead(QString::fromLocal8Bit(std::strerror(errno)));
        return thumbnail;
    }
    if (!S_ISREG(status.st_mode)) {
        thumbnail.reason = notRegular(status.st_mode);
        return thumbnail;
    }
    thumbnail.bytes = status.st_size;
    const bool raw = isRaw(path);
    if (!raw && !qtReads(QFileInfo(path).suffix().toLower())) {
        thumbnail.kind = PkThumbnail::Kind::Other;
        return thumbnail;
    }
    if (status.st_size == 0) {
        thumbnail.reason = QStringLiteral("Empty file");
        return thumbnail;
    }
    const PkThumbnailCache::Key key{path, qint64(status.st_mtime), qint64(status.st_size)};
    const int level = PkThumbnailCache::levelFor(box);
    if (level > 0 && PkThumbnailCache::find(key, level, &thumbnail))
        return thumbnail;
    // A raw file with nothing small to show is left to the full pass, which
    // opens it again (0.3 ms): decoded here, from the quick look's opening,
    // it held a helper that the quick looks of the other tiles on the screen
    // waited for, and the first screen of such files came later.
    if (pass == Pass::Quick) {
        *found = embedded(path, raw, box, &thumbnail);
        return thumbnail;
    }
    bool transient = false;
    const int size = level > 0 ? level : box;
    (raw ? decodeRaw : decodeFile)(path, size, &thumbnail, &transient);
    // Formats without scaled reading, and raw bitmaps, come at full size,
    // where scaling a very large one may find no memory for the result.
    if (!thumbnail.image.isNull())
        thumbnail.image = scaledToFit(thumbnail.image, size);
    if (thumbnail.image.isNull()) {
        if (thumbnail.reason.isEmpty())
            thumbnail.reason = QStringLiteral("The picture decoder returned no picture");
        if (level > 0 && !transient)
            PkThumbnailCache::storeFailure(key, thumbnail.reason);
        return thumbnail;
    }
    thumbnail.kind = PkThumbnail::Kind::Picture;
    thumbnail.reason.clear();
    if (level > 0 && !thumbnail.cutShort)
        PkThumbnailCache::store(key, level, thumbnail.image, thumbnail.taken);
    thumbnail.image = scaledToFit(thumbnail.image, box);
    return thumbnail;
}
