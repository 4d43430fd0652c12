// SPDX-License-Identifier: MIT

// What hostile pictures cost, made here: each is read as the review reads a
// thumbnail, in a decoder helper, and the time and the reason are printed
// beside a good JPEG's. Then the two things a user would feel:
//  - a queue of good pictures behind two files that keep their decoders
//    busy: how long until the good ones are all shown (without the helpers'
//    deadline, minutes);
//  - closing the loader while those two are decoding: how long it takes.
// The helpers' largest peak memory is that of the ended ones, from
// getrusage(RUSAGE_CHILDREN), against the 1 GB limit.

#include "pkdecoderpool.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"
#include "pkthumbnailreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <sys/resource.h>

namespace {

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffff;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header claims size, followed by the start of its data.
QByteArray pngClaiming(QSize size)
{
    QByteArray header("IHDR", 4);
    header.append(QByteArray(13, '\0'));
    qToBigEndian(quint32(size.width()), header.data() + 4);
    qToBigEndian(quint32(size.height()), header.data() + 8);
    header[12] = 8; // bits
    header[13] = 2; // RGB
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.append("\0\0\0\x0d", 4).append(header);
    char crc[4];
    qToBigEndian(crc32(header), crc);
    png.append(crc, 4).append("\0\0\x10\0IDAT", 8);
    return png.append(QByteArray(4096, '\0'));
}

QByteArray rgbDngClaiming(QSize size)
{
    return PkTestPictures::dng(QByteArray(64 * 1024, '\x40'), size, 1, 3);
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    const QByteArray good = PkTestPictures::jpeg(PkTestPictures::quarters(4000, 3000), 0);
    const QList<std::pair<const char *, QByteArray>> files = {
        {"good.jpg", good},
        {"flood.jpg", PkTestPictures::markerFlood(200000)},
        {"claims-30000.jpg", PkTestPictures::jpegClaiming(QSize(30000, 30000))},
        {"claims-60000.png", pngClaiming(QSize(60000, 60000))},
        {"bitmap-preview-60000.dng", rgbDngClaiming(QSize(60000, 60000))},
        {"bitmap-preview-12000.dng", rgbDngClaiming(QSize(12000, 12000))},
    };
    for (const auto &[name, bytes] : files) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        PkTestPictures::write(path, bytes);
        PkThumbnail thumbnail;
        const double ms = timed([&] { thumbnail = PkThumbnailReader::read(path, 192); });
        std::printf("%-26s %8.1f KB: %7.0f ms, %s\n", name, bytes.size() / 1e3, ms,
                    thumbnail.image.isNull() ? qPrintable(thumbnail.reason) : "a thumbnail");
    }

    QList<QString> queue = {dir.filePath(QStringLiteral("flood.jpg")), dir.filePath(QStringLiteral("flood2.jpg"))};
    QFile::copy(queue.at(0), queue.at(1));
    for (int i = 0; i < 8; ++i) {
        queue << dir.filePath(QStringLiteral("good%1.jpg").arg(i));
        PkTestPictures::write(queue.last(), good);
    }
    const double behind = timed([&] {
        PkThumbnailLoader loader;
        loader.setBox(192);
        loader.want(queue);
        const auto goodShown = [&] {
            return std::all_of(queue.begin() + 2, queue.end(), [&](const QString &path) { return loader.isCurrent(path); });
        };
        while (!goodShown())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    std::printf("8 good JPEGs behind 2 marker floods, all shown: %.0f ms (deadline %d ms)\n", behind,
                PkDecoderPool::deadlineMs);
    for (int i = 1; i <= 2; ++i)
        QFile::copy(queue.at(0), dir.filePath(QStringLiteral("flood-again%1.jpg").arg(i)));
    auto loader = std::make_unique<PkThumbnailLoader>();
    loader->want({dir.filePath(QStringLiteral("flood-again1.jpg")), dir.filePath(QStringLiteral("flood-again2.jpg"))});
    timed([&] { // until both are decoding: their quick looks have been answered
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    });
    std::printf("closing the loader while 2 marker floods decode: %.1f ms\n", timed([&] { loader.reset(); }));
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("largest peak memory of an ended helper: %.0f MB (limit %lld MB)\n", usage.ru_maxrss / 1024.0,
                PkDecoderPool::memoryLimit / (1024 * 1024));
    return 0;
}
