// SPDX-License-Identifier: MIT

#include "pktestpictures.h"

#include <QBuffer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace {

// A little-endian TIFF whose first IFD follows its header, built entry by
// entry; offsets are fixed up as the IFDs are written, their out-of-line
// values and data after them.
class TiffWriter
{
public:
    enum Type { Byte = 1, Ascii = 2, Short = 3, Long = 4 };

    struct Entry
    {
        quint16 tag;
        quint16 type;
        std::vector<quint32> values;
    };

    QByteArray bytes = QByteArray("II*\0\x08\0\0\0", 8);

    void put16(quint16 value) { bytes.append(char(value & 0xff)).append(char(value >> 8)); }
    void put32(quint32 value) { put16(quint16(value & 0xffff)), put16(quint16(value >> 16)); }
    void set32(qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

    static int size(quint16 type) { return type <= Ascii ? 1 : type == Short ? 2 : 4; }

    // Writes the IFD at the end and returns where its "next IFD" link lies.
    qsizetype writeIfd(const std::vector<Entry> &entries, qsizetype *valueAt = nullptr)
    {
        const quint32 start = quint32(bytes.size());
        put16(quint16(entries.size()));
        std::vector<std::pair<qsizetype, const Entry *>> outOfLine;
        for (const Entry &entry : entries) {
            put16(entry.tag);
            put16(entry.type);
            put32(quint32(entry.values.size()));
            const qsizetype at = bytes.size();
            put32(0);
            if (entry.values.size() * size(entry.type) <= 4)
                writeValues(entry, at);
            else
                outOfLine.push_back({at, &entry});
        }
        const qsizetype next = bytes.size();
        put32(0);
        for (const auto &[at, entry] : outOfLine) {
            set32(at, quint32(bytes.size()));
            const qsizetype end = bytes.size();
            bytes.append(QByteArray(qsizetype(entry->values.size()) * size(entry->type), '\0'));
            writeValues(*entry, end);
        }
        if (valueAt)
            *valueAt = start;
        return next;
    }

    void writeValues(const Entry &entry, qsizetype at)
    {
        for (quint32 value : entry.values) {
            if (entry.type <= Ascii)
                bytes[at] = char(value);
            else if (entry.type == Short)
                qToLittleEndian(quint16(value), bytes.data() + at);
            else
                qToLittleEndian(value, bytes.data() + at);
            at += size(entry.type);
        }
    }

    // The position of entry tag's value field in the IFD starting at ifd.
    qsizetype valueField(qsizetype ifd, quint16 tag) const
    {
        const int count = qFromLittleEndian<quint16>(bytes.constData() + ifd);
        for (int i = 0; i < count; ++i) {
            const qsizetype entry = ifd + 2 + 12 * i;
            if (qFromLittleEndian<quint16>(bytes.constData() + entry) == tag)
                return entry + 8;
        }
        return -1;
    }
};

// A TIFF ASCII value: the text and its terminating NUL.
std::vector<quint32> ascii(const QByteArray &text)
{
    std::vector<quint32> values(text.begin(), text.end());
    values.push_back(0);
    return values;
}

// The TIFF as an EXIF block right after the JPEG's start-of-image marker.
QByteArray withApp1(const QByteArray &encoded, const QByteArray &tiff)
{
    const QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xff\xe1", 2);
    segment.append(char((app1.size() + 2) >> 8)).append(char((app1.size() + 2) & 0xff)).append(app1);
    return encoded.left(2) + segment + encoded.mid(2);
}

// An IFD1 holding a JPEG thumbnail, linked from next.
void appendThumbnail(TiffWriter &tiff, qsizetype next, const QByteArray &thumbnail)
{
    tiff.set32(next, quint32(tiff.bytes.size()));
    qsizetype ifd1 = 0;
    tiff.writeIfd({{0x0103, TiffWriter::Short, {6}}, {0x0201, TiffWriter::Long, {0}},
                   {0x0202, TiffWriter::Long, {quint32(thumbnail.size())}}}, &ifd1);
    tiff.set32(tiff.valueField(ifd1, 0x0201), quint32(tiff.bytes.size()));
    tiff.bytes.append(thumbnail);
}

QByteArray bigEndian(quint32 value, int bytes)
{
    QByteArray field(4, '\0');
    qToBigEndian(value, field.data());
    return field.right(bytes);
}

// An ISO base media box: its size, its four-letter type, then its content.
QByteArray box(const char *type, const QByteArray &content)
{
    return bigEndian(quint32(content.size() + 8), 4) + type + content;
}

} // namespace

namespace PkTestPictures {

QColor quarterColor(int quarter)
{
    static const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::white};
    return colors[quarter];
}

QImage quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int q = 0; q < 4; ++q)
        painter.fillRect(QRect(q % 2 * width / 2, q / 2 * height / 2, width - width / 2, height - height / 2), quarterColor(q));
    return image;
}

// The EXIF block goes right after the JPEG's start-of-image marker.
QByteArray jpeg(const QImage &image, int orientation, int quality, const QByteArray &taken)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    if (orientation == 0 && taken.isEmpty())
        return encoded;
    TiffWriter tiff;
    qsizetype ifd0 = 0;
    tiff.writeIfd({{0x0112, TiffWriter::Short, {quint32(orientation)}}, {0x8769, TiffWriter::Long, {0}}}, &ifd0);
    tiff.set32(tiff.valueField(ifd0, 0x8769), quint32(tiff.bytes.size()));
    tiff.writeIfd({{0x9003, TiffWriter::Ascii, ascii(taken)}});
    return withApp1(encoded, tiff.bytes);
}

QByteArray dng(const QByteArray &previewJpeg, QSize previewSize, int orientation, int samples, const QByteArray &taken,
               const Shot &camera, const QByteArray &medium, QSize mediumSize)
{
    using W = TiffWriter;
    const quint32 rawSide = 32;
    const quint32 photometric[] = {6, 1, 0, 2}; // YCbCr JPEG, grey, -, RGB
    W tiff;
    qsizetype ifd0 = 0;
    std::vector<W::Entry> entries = {
        {254, W::Long, {1}}, {256, W::Long, {quint32(previewSize.width())}}, {257, W::Long, {quint32(previewSize.height())}},
        {258, W::Short, samples == 1 ? std::vector<quint32>{8} : std::vector<quint32>{8, 8, 8}},
        {259, W::Short, {samples ? 1u : 7u}}, {262, W::Short, {photometric[samples]}}, {273, W::Long, {0}},
        {274, W::Short, {quint32(orientation)}}, {277, W::Short, {samples == 1 ? 1u : 3u}},
        {278, W::Long, {quint32(previewSize.height())}}, {279, W::Long, {quint32(previewJpeg.size())}},
        {330, W::Long, {0}}, {50706, W::Byte, {1, 4, 0, 0}}};
    // A TIFF directory's entries go in the order of their tags.
    const std::pair<quint32, QByteArray> texts[] = {
        {271, camera.make}, {272, camera.model}, {306, taken}, {50735, camera.serial}};
    for (const auto &[tag, value] : texts) {
        if (value.isEmpty())
            continue;
        const auto at = std::find_if(entries.begin(), entries.end(), [tag = tag](const W::Entry &e) { return e.tag > tag; });
        entries.insert(at, {quint16(tag), W::Ascii, ascii(value)});
    }
    const qsizetype next = tiff.writeIfd(entries, &ifd0);
    qsizetype mediumIfd = 0, subIfd = 0;
    if (!medium.isEmpty()) {
        tiff.set32(next, quint32(tiff.bytes.size()));
        const quint32 width = quint32(mediumSize.width()), height = quint32(mediumSize.height());
        tiff.writeIfd({{254, W::Long, {1}}, {256, W::Long, {width}}, {257, W::Long, {height}}, {258, W::Short, {8, 8, 8}},
                       {259, W::Short, {7}}, {262, W::Short, {6}}, {273, W::Long, {0}}, {277, W::Short, {3}},
                       {278, W::Long, {height}}, {279, W::Long, {quint32(medium.size())}}}, &mediumIfd);
    }
    tiff.writeIfd({{254, W::Long, {0}}, {256, W::Long, {rawSide}}, {257, W::Long, {rawSide}}, {258, W::Short, {16}},
                   {259, W::Short, {1}}, {262, W::Short, {32803}}, {273, W::Long, {0}}, {277, W::Short, {1}},
                   {278, W::Long, {rawSide}}, {279, W::Long, {rawSide * rawSide * 2}}, {33421, W::Short, {2, 2}},
                   {33422, W::Byte, {0, 1, 1, 2}}}, &subIfd);
    tiff.set32(tiff.valueField(ifd0, 330), quint32(subIfd));
    tiff.set32(tiff.valueField(ifd0, 273), quint32(tiff.bytes.size()));
    tiff.bytes.append(previewJpeg);
    tiff.set32(tiff.valueField(subIfd, 273), quint32(tiff.bytes.size()));
    tiff.bytes.append(QByteArray(rawSide * rawSide * 2, '\x10'));
    if (mediumIfd) {
        tiff.set32(tiff.valueField(mediumIfd, 273), quint32(tiff.bytes.size()));
        tiff.bytes.append(medium);
    }
    return tiff.bytes;
}

QByteArray jpegOfShot(const QImage &image, const Shot &shot, int quality)
{
    return withShot(jpeg(image, 0, quality), shot);
}

QByteArray withShot(const QByteArray &encoded, const Shot &shot, const QByteArray &thumbnail)
{
    using W = TiffWriter;
    std::vector<W::Entry> ifd0Entries, exifEntries;
    const auto text = [](std::vector<W::Entry> &entries, quint16 tag, const QByteArray &value) {
        if (!value.isEmpty())
            entries.push_back({tag, W::Ascii, ascii(value)});
    };
    text(ifd0Entries, 0x010f, shot.make);
    text(ifd0Entries, 0x0110, shot.model);
    ifd0Entries.push_back({0x8769, W::Long, {0}});
    text(exifEntries, 0x9003, shot.taken);
    text(exifEntries, 0x9291, shot.subSeconds);
    text(exifEntries, 0xa431, shot.serial);
    W tiff;
    qsizetype ifd0 = 0;
    const qsizetype next = tiff.writeIfd(ifd0Entries, &ifd0);
    tiff.set32(tiff.valueField(ifd0, 0x8769), quint32(tiff.bytes.size()));
    tiff.writeIfd(exifEntries);
    if (!thumbnail.isEmpty())
        appendThumbnail(tiff, next, thumbnail);
    return withApp1(encoded, tiff.bytes);
}

QImage scene(int seed, int width, int height)
{
    QRandomGenerator random(quint32(seed) * 7919u + 1u);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor::fromRgb(random.generate() | 0xff000000u));
    gradient.setColorAt(1, QColor::fromRgb(random.generate() | 0xff000000u));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xff000000u));
        const QRect shape(random.bounded(width), random.bounded(height), width / 8 + random.bounded(width / 3),
                          height / 8 + random.bounded(height / 3));
        if (i % 2)
            painter.drawEllipse(shape);
        else
            painter.drawRect(shape);
    }
    return image;
}

QByteArray tiffWithThumbnail(int orientation, const QByteArray &thumbnail)
{
    TiffWriter tiff;
    appendThumbnail(tiff, tiff.writeIfd({{0x0112, TiffWriter::Short, {quint32(orientation)}}}), thumbnail);
    return tiff.bytes;
}

QByteArray cr3(const QByteArray &preview, QSize size, int orientation, int version, const QByteArray &taken, quint32 claimed)
{
    TiffWriter cmt1, cmt2;
    cmt1.writeIfd({{0x010f, TiffWriter::Ascii, ascii("Canon")}, {0x0110, TiffWriter::Ascii, ascii("Canon EOS R9")},
                   {0x0112, TiffWriter::Short, {quint32(orientation)}}});
    cmt2.writeIfd({{0x9003, TiffWriter::Ascii, ascii(taken)}});
    const QByteArray thumbnail = jpeg(quarters(20, 10), 0);
    const QByteArray thmb = bigEndian(quint32(version) << 24, 4) + bigEndian(20, 2) + bigEndian(10, 2)
        + bigEndian(quint32(thumbnail.size()), 4) + QByteArray(4, '\0') + thumbnail;
    const QByteArray cano = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48") + box("CMT1", cmt1.bytes)
        + (taken.isEmpty() ? QByteArray() : box("CMT2", cmt2.bytes)) + box("THMB", thmb);
    const QByteArray prvw = bigEndian(quint32(version) << 24, 4) + bigEndian(0, 2) + bigEndian(quint32(size.width()), 2)
        + bigEndian(quint32(size.height()), 2) + bigEndian(0, 2) + bigEndian(claimed ? claimed : quint32(preview.size()), 4) + preview;
    const QByteArray canp = QByteArray::fromHex("eaf42b5e1c984b88b9fbb7dc406e4d16") + QByteArray(8, '\0') + box("PRVW", prvw);
    return box("ftyp", "crx " + bigEndian(1, 4) + "crx isom") + box("moov", box("uuid", cano)) + box("uuid", canp);
}

QByteArray jpegWithThumbnail(const QImage &image, int orientation, const QByteArray &thumbnail)
{
    return withApp1(jpeg(image, 0), tiffWithThumbnail(orientation, thumbnail));
}

QByteArray jpegClaiming(QSize size)
{
    QByteArray bytes = jpeg(quarters(16, 16), 0);
    const qsizetype frame = bytes.indexOf("\xff\xc0");
    qToBigEndian(quint16(size.height()), bytes.data() + frame + 5);
    qToBigEndian(quint16(size.width()), bytes.data() + frame + 7);
    return bytes;
}

QByteArray markerFlood(int count)
{
    QByteArray bytes("\xff\xd8", 2);
    for (int i = 0; i < count; ++i)
        bytes.append("\xff\xfe\x00\x02", 4);
    return bytes + jpeg(quarters(16, 16), 0).mid(2);
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace PkTestPictures
