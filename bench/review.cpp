// SPDX-License-Identifier: MIT

// Opens the review window on generated 24-megapixel pictures and measures
// what the user would feel, all timed from the window's creation:
//  - opening: until its first frame (thumbnails not yet made), against the
//    150 ms goal, on 2,000 files;
//  - first tile: until every tile of the first screen shows something (the
//    JPEG's own EXIF thumbnail, a camera's 160 x 120 with black bars), goal
//    150 ms;
//  - first screen: until every thumbnail of the first screen is final, for
//    a folder of JPEGs and for one of DNGs whose embedded preview is the same
//    JPEG, side by side (goal: 1 s for both), the thumbnail cache empty;
//  - warm cache: the same in a new process (this program started again),
//    once the cache holds the first screen's thumbnails (goal 150 ms);
//  - the longest stall of the GUI thread's event loop (gaps between ticks of
//    a 1 ms precise timer) while the first screen loads and while the view is
//    scrolled down screen by screen, against the 50 ms goal.
// The 2,000 files are hard links to one JPEG and one DNG, so that generating
// them costs a second, while each is read as a file of its own. The cache is
// a temporary one.

#include "pkpicturedecoder.h"
#include "pkreviewmodel.h"
#include "pkreviewview.h"
#include "pkreviewwindow.h"
#include "pktestpictures.h"
#include "pkthumbnailloader.h"
#include "pkthumbnailreader.h"

#include "benchsupport.h"
#include <QApplication>
#include <QPainter>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int fileCount = 2000;
constexpr int rounds = 5;

// A photograph's worth of detail: smooth light with grain, so the JPEG is
// about the size a camera writes, not a few kilobytes of flat colour.
QImage photograph()
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(24));
            line[x] = qRgb((x / 24 + grain) & 255, (y / 16 + grain) & 255, ((x + y) / 40 + grain) & 255);
        }
    }
    return image;
}

// A folder of count hard links named IMG_nnnn.suffix to source, and its
// selection: bursts of ten frames, each burst picked by one identifier.
PkReviewSelection linkedFolder(const QString &folder, const QString &source, const QString &suffix, int count)
{
    QDir().mkpath(folder);
    PkReviewSelection selection;
    selection.folder = folder;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(suffix);
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(folder + u'/' + name).constData()) != 0)
            qFatal("cannot link %s", qPrintable(name));
        if (i % 10 == 0)
            selection.ids << name.left(7);
        selection.files << name;
        selection.fileIds << i / 10;
    }
    return selection;
}


struct Stall
{
    double ms = 0;
    double busyMs = 0; // of it, the GUI thread's own processor time
};

// Ticks every millisecond and keeps the longest gap between ticks.
class StallMeter
{
public:
    StallMeter()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const double gap = clock.nsecsElapsed() / 1e6, cpu = BenchSupport::threadCpuMs();
            if (gap > longest.ms)
                longest = {gap, cpu - lastCpu};
            clock.restart();
            lastCpu = cpu;
        });
    }
    void start()
    {
        longest = {};
        clock.start();
        lastCpu = BenchSupport::threadCpuMs();
        timer.start();
    }
    Stall stop()
    {
        timer.stop();
        return longest;
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    double lastCpu = 0;
    Stall longest;
};

// Notes the first paint of the thumbnail view.
class PaintWatcher : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// The thumbnails the view shows now; files are named by their index.
QList<QString> onScreen(PkReviewWindow &window)
{
    QList<QString> shown;
    const auto [ahead, later] = window.view()->wantedPaths();
    const QList<QString> wanted = ahead + later;
    for (const QString &path : QSet<QString>(wanted.begin(), wanted.end())) {
        const int file = path.section(u'_', -1).left(4).toInt();
        if (window.view()->fileRect(file).top() < window.view()->viewport()->height())
            shown << path;
    }
    return shown;
}

bool firstScreenShown(PkReviewWindow &window)
{
    const QList<QString> shown = onScreen(window);
    return std::all_of(shown.begin(), shown.end(), [&](const QString &path) { return window.loader()->isCurrent(path); });
}

// Runs the event loop until done, asking only when a thumbnail comes in: the
// stall meter wakes the loop every millisecond, and asking then would take
// the processor time the thumbnails are measured by.
void waitForThumbnails(PkReviewWindow &window, const std::function<bool()> &done)
{
    QEventLoop loop;
    QObject::connect(window.loader(), &PkThumbnailLoader::loaded, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (!done())
        loop.exec();
}

struct Round
{
    double openMs = 0;
    double firstTileMs = 0;
    double firstScreenMs = 0;
    Stall stall;
};

bool firstTileShown(PkReviewWindow &window)
{
    const QList<QString> shown = onScreen(window);
    return std::all_of(shown.begin(), shown.end(), [&](const QString &path) { return window.loader()->thumbnail(path); });
}

// size empty: the size a new window opens at.
Round measure(const PkReviewSelection &selection, bool scroll, QSize size = QSize(1280, 800))
{
    Round round;
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    PkReviewWindow window;
    if (!size.isEmpty())
        window.resize(size);
    window.setSelection(selection);
    window.show();
    PaintWatcher watcher;
    window.view()->viewport()->installEventFilter(&watcher);
    while (!watcher.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    round.openMs = clock.nsecsElapsed() / 1e6;
    meter.start();
    waitForThumbnails(window, [&] {
        if (round.firstTileMs == 0 && firstTileShown(window))
            round.firstTileMs = clock.nsecsElapsed() / 1e6;
        return firstScreenShown(window);
    });
    round.firstScreenMs = clock.nsecsElapsed() / 1e6;
    if (round.firstTileMs == 0)
        round.firstTileMs = round.firstScreenMs;
    if (scroll) {
        QScrollBar *bar = window.view()->verticalScrollBar();
        for (int screen = 0; screen < 6; ++screen) {
            bar->setValue(bar->value() + bar->pageStep());
            waitForThumbnails(window, [&] { return firstScreenShown(window); });
        }
    }
    round.stall = meter.stop();
    return round;
}

// The folder's selection again, as linkedFolder() made it, in a new process.
PkReviewSelection selectionOf(const QString &folder)
{
    PkReviewSelection selection;
    selection.folder = folder;
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (int i = 0; i < names.size(); ++i) {
        if (i % 10 == 0)
            selection.ids << names.at(i).left(7);
        selection.files << names.at(i);
        selection.fileIds << i / 10;
    }
    return selection;
}

// Started as "bench_review --warm FOLDER": one opening, its first screen's time on stdout.
int warmOpening(const QString &folder)
{
    std::printf("%.1f\n", measure(selectionOf(folder), false).firstScreenMs);
    return 0;
}

double warmOpeningInNewProcess(const QString &folder)
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--warm"), folder});
    process.waitForFinished(60000);
    return process.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 3 && qstrcmp(argv[1], "--warm") == 0)
        return warmOpening(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir dir;
    // The window's size and place stay out of the user's settings, the
    // thumbnails out of the user's cache.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
    const QString cache = dir.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("settings")))); // for --warm
    std::printf("making a 24-megapixel JPEG with an EXIF thumbnail and a DNG holding it as its preview...\n");
    const QImage picture = photograph();
    QImage thumbnail(160, 120, QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    QPainter(&thumbnail).drawImage(QRect(0, 7, 160, 106), picture);
    const QByteArray jpeg = PkTestPictures::jpegWithThumbnail(picture, 1, PkTestPictures::jpeg(thumbnail, 0));
    if (!PkTestPictures::write(dir.filePath(QStringLiteral("source.jpg")), jpeg)
        || !PkTestPictures::write(dir.filePath(QStringLiteral("source.dng")), PkTestPictures::dng(jpeg, picture.size(), 1)))
        qFatal("cannot write the pictures");
    // Raw files whose preview carries no thumbnail of its own: every tile
    // waits for its large preview to be decoded.
    const QString bare = dir.filePath(QStringLiteral("bare.dng"));
    if (!PkTestPictures::write(bare, PkTestPictures::dng(PkTestPictures::jpeg(picture, 1), picture.size(), 1)))
        qFatal("cannot write the pictures");
    const PkReviewSelection bareRaws = linkedFolder(dir.filePath(QStringLiteral("bare")), bare, QStringLiteral("dng"), fileCount);
    // The same beside a medium preview, as a DNG converter writes one: the
    // tiles come from that.
    const QString medium = dir.filePath(QStringLiteral("medium.dng"));
    const QImage mediumPicture = picture.scaled(1024, 1024, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!PkTestPictures::write(medium, PkTestPictures::dng(PkTestPictures::jpeg(picture, 1), picture.size(), 1, 0, {}, {},
                                                           PkTestPictures::jpeg(mediumPicture, 1), mediumPicture.size())))
        qFatal("cannot write the pictures");
    const PkReviewSelection mediumRaws = linkedFolder(dir.filePath(QStringLiteral("medium")), medium, QStringLiteral("dng"), fileCount);
    const PkReviewSelection jpegs = linkedFolder(dir.filePath(QStringLiteral("jpeg")), dir.filePath(QStringLiteral("source.jpg")),
                                                 QStringLiteral("jpg"), fileCount);
    const PkReviewSelection raws = linkedFolder(dir.filePath(QStringLiteral("raw")), dir.filePath(QStringLiteral("source.dng")),
                                                QStringLiteral("dng"), fileCount);

    // What a helper adds to one thumbnail: the request, the answer's pixels.
    for (const QString &name : {QStringLiteral("source.jpg"), QStringLiteral("source.dng")}) {
        std::vector<double> helper, here;
        for (int i = 0; i < 5; ++i) {
            for (auto *times : {&helper, &here}) {
                QDir(cache).removeRecursively();
                QElapsedTimer one;
                one.start();
                if (times == &helper)
                    PkThumbnailReader::read(dir.filePath(name), 192);
                else
                    PkPictureDecoder::decode(dir.filePath(name), 192, PkPictureDecoder::Pass::Full);
                times->push_back(one.nsecsElapsed() / 1e6);
            }
        }
        std::printf("one thumbnail of %s: %.0f ms in a decoder helper, %.0f ms in this process, ratio %.2f\n",
                    qPrintable(name), BenchSupport::median(helper), BenchSupport::median(here),
                    BenchSupport::median(helper) / BenchSupport::median(here));
    }
    measure(jpegs, false); // the page cache warmed for both alike
    measure(raws, false);
    measure(bareRaws, false);
    measure(mediumRaws, false);
    std::vector<double> open, jpegTile, jpegScreen, rawScreen, bareScreen, mediumScreen, defaultScreen, warm;
    Stall worst;
    for (int round = 0; round < rounds; ++round) {
        QDir(cache).removeRecursively();
        const Round j = measure(jpegs, round == 0);
        const Round r = measure(raws, round == 0);
        bareScreen.push_back(measure(bareRaws, false).firstScreenMs);
        mediumScreen.push_back(measure(mediumRaws, false).firstScreenMs);
        QDir(cache).removeRecursively();
        defaultScreen.push_back(measure(jpegs, false, QSize()).firstScreenMs);
        open.insert(open.end(), {j.openMs, r.openMs});
        jpegTile.push_back(j.firstTileMs);
        jpegScreen.push_back(j.firstScreenMs);
        rawScreen.push_back(r.firstScreenMs);
        for (const Stall &stall : {j.stall, r.stall})
            worst = stall.ms > worst.ms ? stall : worst;
    }
    measure(jpegs, false); // the cache holds the first screen
    for (int round = 0; round < rounds; ++round)
        warm.push_back(warmOpeningInNewProcess(jpegs.folder));
    PkReviewWindow sample;
    sample.resize(1280, 800);
    sample.setSelection(jpegs);
    sample.show();
    QCoreApplication::processEvents();
    std::printf("%d files of %.1f MB, %lld on the first screen of a 1280 x 800 window, %d threads, %d rounds, "
                "medians (longest stall: the worst)\n", fileCount, jpeg.size() / 1e6,
                qlonglong(onScreen(sample).size()), QThread::idealThreadCount(), rounds);
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("load average while measuring: %s", load.readAll().constData());
    const auto goal = [](const char *what, const std::vector<double> &times, double goalMs) {
        const double ms = BenchSupport::median(times);
        std::printf("%s: %.1f ms (goal %.0f ms, ratio %.2f)\n", what, ms, goalMs, ms / goalMs);
    };
    goal("opening the window", open, 150);
    goal("first tile, something in every tile of the first screen (JPEG)", jpegTile, 150);
    goal("first screen of JPEG thumbnails final", jpegScreen, 1000);
    goal("first screen of raw previews final", rawScreen, 1000);
    goal("first screen final, warm cache, new process", warm, 150);
    std::printf("first screen of raw previews without a thumbnail inside, final: %.0f ms\n", BenchSupport::median(bareScreen));
    std::printf("first screen of the same beside a medium preview of 1024 px, final: %.0f ms (ratio %.2f)\n",
                BenchSupport::median(mediumScreen), BenchSupport::median(mediumScreen) / BenchSupport::median(bareScreen));
    std::printf("first screen of JPEG thumbnails in a new window's size (960 x 700): %.0f ms\n", BenchSupport::median(defaultScreen));
    std::printf("longest GUI stall while loading and scrolling: %.1f ms (goal 50 ms, ratio %.2f), "
                "the GUI thread busy %.1f ms of it\n", worst.ms, worst.ms / 50, worst.busyMs);
    return 0;
}
