// SPDX-License-Identifier: MIT

// Finding pictures from example pictures. First, how many of a generated
// set's altered copies each hash distance finds and mismatches; then the
// time to match 50 examples against a folder of 2,000 JPEG + raw pairs,
// with metadata everywhere, and with the examples stripped (cold and warm
// hash cache). Run in a Release build with the page cache warm.

#include "pkdifferencehash.h"
#include "pkhashcache.h"
#include "pklikejob.h"
#include "pklikematcher.h"
#include "pktestpictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QImage recompressed(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG");
}

QImage altered(const QImage &original, int kind, int seed)
{
    QImage image = original.convertToFormat(QImage::Format_RGB32);
    QRandomGenerator random{quint32(seed)};
    if (kind == 1) { // colour shift
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb(std::min(255, qRed(line[x]) * 11 / 10 + 20), qGreen(line[x]),
                               std::max(0, qBlue(line[x]) - 25));
        }
    } else if (kind == 2) { // noise
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int n = random.bounded(-24, 25);
                line[x] = qRgb(std::clamp(qRed(line[x]) + n, 0, 255), std::clamp(qGreen(line[x]) + n, 0, 255),
                               std::clamp(qBlue(line[x]) + n, 0, 255));
            }
        }
    } else if (kind == 3) { // cropped slightly
        const int dx = image.width() * 3 / 100, dy = image.height() * 3 / 100;
        image = image.copy(dx, dy, image.width() - 2 * dx, image.height() - 2 * dy);
    }
    return recompressed(image.scaledToWidth(480, Qt::SmoothTransformation), 70);
}

// For every distance limit: how many altered copies find their original
// (nearest within the limit and clearly nearer than the second), and how
// many find a wrong one.
void distanceTable()
{
    constexpr int originals = 150;
    QList<quint64> hashes;
    QList<QImage> images;
    for (int i = 0; i < originals; ++i) {
        images.append(PkTestPictures::scene(1000 + i, 1200, 800));
        hashes.append(PkDifferenceHash::of(images.constLast()));
    }
    const char *kinds[] = {"resized", "colour-shifted", "noisy", "cropped"};
    std::printf("distance table: %d originals, each altered 4 ways and resized to 480 px (margin %d)\n", originals,
                PkLikeMatcher::margin);
    std::printf("limit  found  mismatched  (nearest alone: found  mismatched)  of %d\n", originals * 4);
    QList<std::array<int, 2>> measured;
    for (int kind = 0; kind < 4; ++kind) {
        for (int i = 0; i < originals; ++i) {
            const quint64 hash = PkDifferenceHash::of(altered(images.at(i), kind, i));
            int wrong = 65;
            for (int j = 0; j < originals; ++j) {
                if (j != i)
                    wrong = std::min(wrong, PkLikeMatcher::distance(hash, hashes.at(j)));
            }
            measured.append({PkLikeMatcher::distance(hash, hashes.at(i)), wrong});
        }
    }
    for (int limit = 2; limit <= 20; limit += 2) {
        int found = 0, mismatched = 0, nearestFound = 0, nearestMismatched = 0;
        for (const auto &[right, wrong] : measured) {
            const int first = std::min(right, wrong), second = std::max(right, wrong);
            if (first > limit)
                continue;
            ++(right <= wrong ? nearestFound : nearestMismatched);
            if (second >= first + PkLikeMatcher::margin)
                ++(right < wrong ? found : mismatched);
        }
        std::printf("%5d  %5d  %10d                  %5d  %10d%s\n", limit, found, mismatched, nearestFound,
                    nearestMismatched, limit == PkLikeMatcher::maxDistance ? "  <- chosen" : "");
    }
    for (int kind = 0; kind < 4; ++kind) {
        int worst = 0, closestWrong = 64;
        for (int i = 0; i < originals; ++i) {
            worst = std::max(worst, measured.at(kind * originals + i)[0]);
            closestWrong = std::min(closestWrong, measured.at(kind * originals + i)[1]);
        }
        std::printf("%-15s largest distance to its original %2d, smallest to another %2d\n", kinds[kind], worst,
                    closestWrong);
    }
}

// 2,000 pictures: a shared 24-megapixel body of little detail, each with
// its own EXIF block and thumbnail, and a small raw beside it.
bool makeFolder(const QString &folder, const QString &examples, const QString &stripped)
{
    QImage body(6000, 4000, QImage::Format_RGB32);
    body.fill(QColor(120, 130, 140));
    const QByteArray encoded = PkTestPictures::jpeg(body, 0, 50);
    const QByteArray raw = PkTestPictures::dng(PkTestPictures::jpeg(PkTestPictures::scene(0, 160, 120), 0), QSize(160, 120), 1);
    const QDateTime start(QDate(2024, 6, 1), QTime(10, 0));
    for (int i = 0; i < 2000; ++i) {
        PkTestPictures::Shot shot;
        shot.taken = start.addSecs(i).toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1();
        shot.subSeconds = "12";
        shot.make = "Canon";
        shot.model = "Canon EOS R5";
        shot.serial = "012345";
        const QByteArray thumbnail = PkTestPictures::jpeg(PkTestPictures::scene(i, 160, 120), 0, 80);
        const QString name = folder + QStringLiteral("/IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
        if (!PkTestPictures::write(name + ".JPG", PkTestPictures::withShot(encoded, shot, thumbnail))
            || !PkTestPictures::write(name + ".CR2", raw))
            return false;
        if (i % 40 != 7)
            continue;
        const QImage look = PkTestPictures::scene(i, 1200, 900);
        if (!PkTestPictures::write(examples + QStringLiteral("/client-%1.jpg").arg(i), PkTestPictures::jpegOfShot(look, shot, 80))
            || !PkTestPictures::write(stripped + QStringLiteral("/client-%1.jpg").arg(i), PkTestPictures::jpeg(look, 0, 80)))
            return false;
    }
    return true;
}

double timed(const QString &examples, const QString &folder, PkHashCache *cache, QByteArray *found)
{
    QElapsedTimer timer;
    timer.start();
    PkLikeJob::Options options;
    options.cache = cache;
    const PkLikeResult result = PkLikeJob::run(PkLikeJob::examplesIn(examples), examples, folder, options);
    *found = QStringLiteral("%1 found, %2 ambiguous, %3 not found")
                 .arg(result.byTime + result.byContent)
                 .arg(result.match.ambiguous.size())
                 .arg(result.match.idsNotFound.size())
                 .toUtf8();
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    distanceTable();
    QTemporaryDir dir;
    const QString folder = dir.filePath("pictures"), examples = dir.filePath("examples"),
                  stripped = dir.filePath("stripped");
    QDir().mkpath(folder), QDir().mkpath(examples), QDir().mkpath(stripped);
    if (!makeFolder(folder, examples, stripped))
        return 1;
    QByteArray found;
    PkHashCache warm(dir.filePath("hashes"));
    timed(examples, folder, nullptr, &found); // page cache warm, helpers started
    std::printf("\n2000 JPEG + raw pairs (24 MP JPEGs), 50 examples, 2 threads\n");
    const double metadata = timed(examples, folder, nullptr, &found);
    std::printf("metadata everywhere:        %6.2f s  (%s)  %.2f of the 3 s allowed\n", metadata, found.constData(), metadata / 3);
    const double cold = timed(stripped, folder, &warm, &found);
    std::printf("stripped, hash cache cold:  %6.2f s  (%s)  %.2f of the 60 s allowed\n", cold, found.constData(), cold / 60);
    warm.save();
    PkHashCache reread(dir.filePath("hashes"));
    const double second = timed(stripped, folder, &reread, &found);
    std::printf("stripped, hash cache warm:  %6.2f s  (%s)  %.2f of the 3 s allowed\n", second, found.constData(), second / 3);
    return 0;
}
