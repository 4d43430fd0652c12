// SPDX-License-Identifier: MIT

#include "pkdifferencehash.h"
#include "pkhashcache.h"
#include "pklikejob.h"
#include "pklikematcher.h"
#include "pklikereader.h"
#include "pktestpictures.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using PkTestPictures::Shot;

class TestPkLikeJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameShot_data();
    void sameShot();
    void verdict_data();
    void verdict();
    void examples_data();
    void examples();
    void hashCache();
    void differenceHash();
    void rawCamera_data();
    void rawCamera();

private:
    QTemporaryDir dir;
    QString folder;
    PkLikeResult result;
};

namespace {

const QDateTime noon = QDateTime::fromString(QStringLiteral("2024:06:01 12:00:00"), QStringLiteral("yyyy:MM:dd HH:mm:ss"));

PkLikeFacts shot(int second, const QString &sub = {}, const QString &serial = {}, const QString &make = {}, const QString &model = {})
{
    return PkLikeFacts{second < 0 ? QDateTime() : noon.addSecs(second), sub, make, model, serial, {}};
}

QImage colourShifted(const QImage &image)
{
    QImage shifted = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shifted.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(shifted.scanLine(y));
        for (int x = 0; x < shifted.width(); ++x)
            line[x] = qRgb(std::min(255, qRed(line[x]) + 30), qGreen(line[x]), std::max(0, qBlue(line[x]) - 20));
    }
    return shifted;
}

// A camera's JPEG whose 160 x 120 thumbnail holds the picture between black
// bars. Its body is plain: only a hash of the thumbnail finds it.
QByteArray cameraShot(const QImage &look, const Shot &facts)
{
    QImage thumbnail(160, 120, QImage::Format_RGB32), body(look.size(), QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    body.fill(Qt::gray);
    QPainter(&thumbnail).drawImage(QRect(0, 7, 160, 106), look);
    return PkTestPictures::withShot(PkTestPictures::jpeg(body, 0), facts, PkTestPictures::jpeg(thumbnail, 0));
}

} // namespace

// The folder: five shots of one camera, two of them a burst in one second
// without sub-seconds, one with only its raw, which says nothing but its
// time; a night shot; and a copy of the first.
void TestPkLikeJob::initTestCase()
{
    QVERIFY(dir.isValid());
    folder = dir.filePath(QStringLiteral("pictures"));
    const QString examples = dir.filePath(QStringLiteral("examples"));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(examples + QStringLiteral("/nested")));
    const Shot shots[] = {{"2024:06:01 12:00:01", "10", "Canon", "Canon EOS R5", "0042"}, {"2024:06:01 12:00:02", "", "Canon", "Canon EOS R5", "0042"},
                          {"2024:06:01 12:00:02", "", "Canon", "Canon EOS R5", "0042"}, {"2024:06:01 12:00:03", "55", "Canon", "Canon EOS R5", "0042"}};
    for (int i = 0; i < 4; ++i) {
        const QString name = folder + QStringLiteral("/IMG_%1").arg(i + 1);
        QVERIFY(PkTestPictures::write(name + ".JPG", PkTestPictures::jpegOfShot(PkTestPictures::scene(i, 600, 400), shots[i])));
        QVERIFY(PkTestPictures::write(name + ".CR2.xmp", "<x/>"));
    }
    for (int i = 5; i <= 6; ++i) {
        const QByteArray preview = PkTestPictures::jpeg(PkTestPictures::scene(i - 1, 600, 400), 0);
        QVERIFY(PkTestPictures::write(folder + QStringLiteral("/IMG_%1.DNG").arg(i),
                                      PkTestPictures::dng(preview, QSize(600, 400), 1, 0, "2024:06:01 12:00:05")));
    }
    QVERIFY(PkTestPictures::write(folder + "/IMG_5.JPG", PkTestPictures::jpeg(PkTestPictures::scene(4, 600, 400), 0)));
    QImage night = PkTestPictures::scene(7, 600, 400);
    // Dark above and below, as a night sky and floor are.
    QPainter(&night).fillRect(0, 0, 600, 80, QColor(0, 0, 0, 200));
    QPainter(&night).fillRect(0, 340, 600, 60, QColor(0, 0, 0, 200));
    const Shot nightFacts{"2024:06:01 12:00:07", "", "", "", ""};
    QVERIFY(PkTestPictures::write(folder + "/IMG_7.JPG", cameraShot(night, nightFacts)));
    QVERIFY(PkTestPictures::write(folder + "/IMG_9.JPG", PkTestPictures::jpeg(PkTestPictures::scene(0, 600, 400), 0)));

    auto example = [&](const QString &name, const QImage &image, const Shot &facts) {
        return PkTestPictures::write(examples + '/' + name, PkTestPictures::jpegOfShot(image, facts, 75));
    };
    const Shot stripped;
    QVERIFY(example("smith-0001.jpg", PkTestPictures::scene(0, 300, 200), {"2024:06:01 12:00:01", "1", "CANON", "EOS R5", "42 "}));
    QVERIFY(example("nested/smith-0002.jpg", PkTestPictures::scene(1, 240, 160), stripped));
    QVERIFY(example("burst.jpg", PkTestPictures::scene(2, 300, 200), {"2024:06:01 12:00:02", "", "Canon", "", ""}));
    QVERIFY(example("shifted.jpg", colourShifted(PkTestPictures::scene(3, 300, 200)), stripped));
    QVERIFY(example("raw-only.jpg", PkTestPictures::scene(4, 300, 200), {"2024:06:01 12:00:05", "", "", "", ""}));
    QVERIFY(example("raw-look.jpg", PkTestPictures::scene(5, 300, 200), stripped));
    QVERIFY(QFile::copy(folder + "/IMG_6.DNG", examples + "/client.dng"));
    QVERIFY(example("elsewhere.jpg", PkTestPictures::scene(9, 300, 200), stripped));
    QVERIFY(example("other-camera.jpg", PkTestPictures::scene(8, 300, 200), {"2024:06:01 12:00:01", "", "", "", "77"}));
    QVERIFY(example("night.jpg", night.scaled(300, 200, Qt::KeepAspectRatio, Qt::SmoothTransformation), nightFacts));
    QVERIFY(example("twins.jpg", PkTestPictures::scene(0, 300, 200), stripped));
    QVERIFY(PkTestPictures::write(examples + "/notes.jpg", "not a picture at all"));
    QVERIFY(PkTestPictures::write(examples + "/phone.heic", "ftypheic"));
    QVERIFY(PkTestPictures::write(examples + "/huge.jpg", PkTestPictures::jpegClaiming(QSize(60000, 60000))));
    QVERIFY(PkTestPictures::write(examples + "/huge-night.jpg", PkTestPictures::withShot(PkTestPictures::jpegClaiming(QSize(60000, 60000)), nightFacts)));
    QVERIFY(PkTestPictures::write(examples + "/empty.jpg", ""));

    PkHashCache cache(dir.filePath(QStringLiteral("hashes")));
    PkLikeJob::Options options;
    options.cache = &cache;
    QMutex mutex;
    QList<int> last;
    int lowest = 0; // the count only climbs, from nothing to the total
    options.progress = [&](int done, int total) {
        QMutexLocker lock(&mutex);
        last = {done, total};
        lowest = std::min(lowest, done);
    };
    result = PkLikeJob::run(PkLikeJob::examplesIn(examples), examples, folder, options);
    QVERIFY(last.size() == 2 && last.at(0) == last.at(1) && last.at(1) > 0 && lowest == 0);
    QVERIFY(cache.save());
}

void TestPkLikeJob::sameShot_data()
{
    QTest::addColumn<PkLikeFacts>("a");
    QTest::addColumn<PkLikeFacts>("b");
    QTest::addColumn<bool>("same");
    const QString canon = QStringLiteral("Canon"), r5 = QStringLiteral("Canon EOS R5");
    QTest::newRow("serials alike but for zeros and case") << shot(0, {}, " 00ab12") << shot(0, {}, "AB12 ") << true;
    QTest::newRow("serials differ, names alike") << shot(0, {}, "1", canon, r5) << shot(0, {}, "2", canon, r5) << false;
    QTest::newRow("model repeats the make") << shot(0, {}, {}, canon, r5) << shot(0, {}, {}, "CANON", "EOS R5") << true;
    QTest::newRow("models differ") << shot(0, {}, {}, canon, r5) << shot(0, {}, {}, canon, "EOS R6") << false;
    QTest::newRow("makes differ") << shot(0, {}, {}, canon, "X") << shot(0, {}, {}, "Nikon", "X") << false;
    QTest::newRow("one side unnamed") << shot(0, {}, "1") << shot(0, {}, {}, canon, r5) << true;
    QTest::newRow("sub-seconds differ") << shot(0, "12") << shot(0, "13") << false;
    QTest::newRow("sub-seconds of two lengths") << shot(0, "5") << shot(0, "50") << true;
    QTest::newRow("sub-seconds on one side") << shot(0, "12") << shot(0) << true;
    QTest::newRow("seconds differ") << shot(0) << shot(1) << false;
    QTest::newRow("no time") << shot(-1) << shot(-1) << false;
}

void TestPkLikeJob::sameShot()
{
    QFETCH(PkLikeFacts, a);
    QFETCH(PkLikeFacts, b);
    QFETCH(bool, same);
    QCOMPARE(PkLikeFacts::sameShot(a, b), same);
    QCOMPARE(PkLikeFacts::sameShot(b, a), same);
}

void TestPkLikeJob::verdict_data()
{
    QTest::addColumn<PkLikeFacts>("example");
    QTest::addColumn<quint64>("hash");
    // Pictures 0 and 1 at 0 s, 2 and 3 without time, 4 at 7 s.
    QTest::addColumn<QList<quint64>>("hashes");
    QTest::addColumn<QString>("expected");
    const int far = PkLikeMatcher::maxDistance + 1, margin = PkLikeMatcher::margin;
    auto bits = [](int count) { return count == 64 ? ~quint64(0) : (quint64(1) << count) - 1; };
    const QList<quint64> apart = {bits(0), bits(40), bits(64), bits(30), bits(50)};
    QTest::newRow("burst decided by content") << shot(0) << bits(38) << apart << "found 1 by time";
    QTest::newRow("burst too alike") << shot(0) << bits(2) << QList<quint64>{0, bits(3), bits(64), bits(30), 0} << "ambiguous 1 0";
    QTest::newRow("one candidate") << shot(7) << bits(50 - PkLikeMatcher::maxDistance) << apart << "found 4 by time";
    QTest::newRow("one candidate, content differs") << shot(7) << bits(50 - far) << apart << "found 4 by time, differs";
    QTest::newRow("no candidate, by content") << shot(5) << bits(29) << apart << "found 3 by content";
    const QList<quint64> one = {0, bits(64), bits(64), bits(64), bits(64)};
    QTest::newRow("nearest at the limit") << shot(-1) << bits(PkLikeMatcher::maxDistance) << one << "found 0 by content";
    QTest::newRow("nearest past the limit") << shot(-1) << bits(far) << one << "not found";
    QTest::newRow("second clearly farther") << shot(-1) << bits(0) << QList<quint64>{bits(40), bits(40), 0, bits(margin), bits(40)} << "found 2 by content";
    QTest::newRow("second too near") << shot(-1) << bits(0) << QList<quint64>{bits(40), bits(40), 0, bits(margin - 1), bits(margin)} << "ambiguous 2 3";
    QTest::newRow("no hash") << shot(-1) << quint64(0) << QList<quint64>{} << "not found";
}

void TestPkLikeJob::verdict()
{
    QFETCH(PkLikeFacts, example);
    QFETCH(quint64, hash);
    QFETCH(QList<quint64>, hashes);
    const QList<PkLikeFacts> pictures = {shot(0), shot(0), shot(-1), shot(-1), shot(7)};
    const PkLikeMatcher matcher(pictures, [&](int i) -> std::optional<quint64> {
        return hashes.isEmpty() ? std::nullopt : std::optional(hashes.at(i));
    });
    const PkLikeVerdict verdict = matcher.match(example, [&]() -> std::optional<quint64> {
        return hashes.isEmpty() ? std::nullopt : std::optional(hash);
    });
    QString said = verdict.kind == PkLikeVerdict::Kind::NotFound ? QStringLiteral("not found")
        : verdict.kind == PkLikeVerdict::Kind::Ambiguous        ? QStringLiteral("ambiguous")
                                                                 : QStringLiteral("found %1 by %2").arg(verdict.picture).arg(
                                                                     verdict.how == PkLikeVerdict::How::Content ? "content" : "time");
    if (verdict.contentDiffers)
        said += QStringLiteral(", differs");
    for (int picture : verdict.pictures)
        said += QStringLiteral(" %1").arg(picture);
    QTEST(said, "expected");
}

void TestPkLikeJob::examples_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("expected");
    QTest::newRow("renamed, resized, metadata kept") << "smith-0001.jpg" << "IMG_1 by time";
    QTest::newRow("stripped, in a sub-folder") << "nested/smith-0002.jpg" << "IMG_2 by content";
    QTest::newRow("burst in one second") << "burst.jpg" << "IMG_3 by time";
    QTest::newRow("colour-shifted") << "shifted.jpg" << "IMG_4 by content";
    QTest::newRow("raw gives the time") << "raw-only.jpg" << "IMG_5 by time";
    QTest::newRow("raw gives the look") << "raw-look.jpg" << "IMG_6 by content";
    QTest::newRow("a raw example") << "client.dng" << "IMG_6 by time";
    QTest::newRow("letterboxed camera thumbnail vs a resized copy") << "night.jpg" << "IMG_7 by time";
    QTest::newRow("an ambiguous example with its candidates") << "twins.jpg" << "ambiguous IMG_1 IMG_9";
    QTest::newRow("another camera, same second") << "other-camera.jpg" << "not found";
    QTest::newRow("not in the folder") << "elsewhere.jpg" << "not found";
    QTest::newRow("not a picture") << "notes.jpg" << "Not a picture";
    QTest::newRow("HEIC") << "phone.heic" << "HEIC pictures cannot be read here";
    QTest::newRow("claims 60000 x 60000") << "huge.jpg" << "Too large to preview (60000 x 60000)";
    QTest::newRow("empty") << "empty.jpg" << "Empty file";
    QTest::newRow("too large to look at, found by its time") << "huge-night.jpg" << "IMG_7 by time";
}

void TestPkLikeJob::examples()
{
    QFETCH(QString, example);
    QFETCH(QString, expected);
    QString said;
    for (const PkLikeFinding &finding : result.found) {
        if (finding.example == example)
            said = finding.picture + (finding.byContent ? " by content" : " by time") + (finding.contentDiffers ? ", differs" : "");
    }
    for (const PkAmbiguousId &ambiguous : result.match.ambiguous)
        said = ambiguous.id == example ? "ambiguous " + QStringList(ambiguous.pictures).join(' ') : said;
    if (result.match.idsNotFound.contains(example))
        said = QStringLiteral("not found");
    for (const auto &[name, why] : result.notPictures) {
        if (name == example)
            said = why.left(expected.size());
    }
    QCOMPARE(said, expected);
    QCOMPARE(result.match.idCount, 12);
    QCOMPARE(result.byTime, 6);
    QVERIFY(result.match.files.contains(QStringLiteral("IMG_1.CR2.xmp")));
    QCOMPARE(result.match.files.size(), 12);
    // Of the pictures an ambiguous example may show, those no example found
    // wait for the user's choice; the others are copied anyway.
    QCOMPARE(result.choices, QList<QString>{"IMG_9.JPG"});
    QCOMPARE(result.choiceIds, QList<qsizetype>{result.ids.indexOf("twins.jpg")});
}

// A cell darker than the next one on its right sets its bit; equal cells,
// as in a flat sky, set none.
void TestPkLikeJob::differenceHash()
{
    QImage falling(90, 80, QImage::Format_RGB32);
    for (int x = 0; x < falling.width(); ++x)
        QPainter(&falling).fillRect(x, 0, 1, 80, QColor::fromHsv(0, 0, 255 - 2 * x));
    QImage flat = falling;
    flat.fill(Qt::gray);
    QCOMPARE(QList({PkDifferenceHash::of(falling), PkDifferenceHash::of(falling.mirrored(true, false)), PkDifferenceHash::of(flat)}),
             QList<quint64>({~quint64(0), 0, 0}));
}

void TestPkLikeJob::hashCache()
{
    const QString file = dir.filePath(QStringLiteral("hashes"));
    PkHashCache cache(file);
    const QString picture = folder + QStringLiteral("/IMG_1.JPG");
    const QFileInfo info(picture);
    const qint64 modified = info.lastModified().toSecsSinceEpoch();
    QVERIFY(cache.find(picture, info.size(), modified).has_value());
    QVERIFY(!cache.find(picture, info.size() + 1, modified).has_value());
    QVERIFY(!cache.find(picture, info.size(), modified - 1).has_value());
    // Bounded: the entries used last are kept.
    PkHashCache small(file, 2);
    small.store(QStringLiteral("/a b/c"), 1, 2, 0xabcdef);
    QVERIFY(small.save());
    PkHashCache reread(file, 2);
    QCOMPARE(reread.find(QStringLiteral("/a b/c"), 1, 2), std::optional<quint64>(0xabcdef));
    reread.store(QStringLiteral("/d"), 3, 4, 5);
    QVERIFY(reread.save());
    QVERIFY(PkHashCache(file, 2).save()); // nothing changed: nothing to write, and no failure
    PkHashCache last(file, 2);
    QVERIFY(last.find(QStringLiteral("/d"), 3, 4) && last.find(QStringLiteral("/a b/c"), 1, 2));
    QVERIFY(!last.find(picture, info.size(), modified));
    // A line is read where each field reads; one that does not is asked for
    // as what it would read as. The lines the cache writes besides stay.
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.contains("5 3 4 /d\n"));
    const std::pair<QByteArray, QList<qint64>> lines[] = {{"xyz 3 4 /d", {3, 4}}, {"5 x 4 /d", {0, 4}},
        {"5 3 x /d", {3, 0}}, {"5 3 4 /d\n6 1 2 /d", {1, 2}}}; // the last: a path repeated
    for (const auto &[line, query] : lines) {
        QVERIFY(PkTestPictures::write(file, QByteArray(bytes).replace("5 3 4 /d\n", line + '\n')));
        QVERIFY2(!PkHashCache(file).find(QStringLiteral("/d"), query.at(0), query.at(1)), line.constData());
    }
    // Hashes made another way are never reused: an old cache had no version line.
    QVERIFY(PkTestPictures::write(file, "abc 1 2 /a b\n") && !PkHashCache(file).find("/a b", 1, 2));
    // A line longer than any path is passed over, not held; the next still reads.
    QVERIFY(PkTestPictures::write(file, bytes.left(bytes.indexOf('\n') + 1) + QByteArray(1 << 20, 'a') + "\n5 3 4 /d\n"));
    QVERIFY(PkHashCache(file).find(QStringLiteral("/d"), 3, 4));
    // A link in the cache's place is replaced, never written through; only
    // its owner reads the cache.
    const QString target = dir.filePath(QStringLiteral("target"));
    QVERIFY(PkTestPictures::write(target, "mine") && QFile::remove(file) && QFile::link(target, file));
    PkHashCache linked(file);
    linked.store(QStringLiteral("/e"), 1, 2, 3);
    QVERIFY(linked.save() && !QFileInfo(file).isSymLink() && PkHashCache(file).find(QStringLiteral("/e"), 1, 2));
    QCOMPARE(std::make_pair(QFileInfo(target).size(), QFileInfo(file).permissions() & 0x0777), std::make_pair(qint64(4), QFile::ReadUser | QFile::WriteUser));
    // A named pipe is never opened: it would wait for a writer.
    const QString pipe = dir.filePath(QStringLiteral("pipe.jpg"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(PkLikeReader::facts(pipe).problem, QStringLiteral("Not a picture"));
}

void TestPkLikeJob::rawCamera_data()
{
    QTest::addColumn<Shot>("example");
    QTest::addColumn<QString>("expected");
    const QByteArray time = "2024:06:01 12:00:07";
    QTest::newRow("serial differs, names alike") << Shot{time, "", "Canon", "Canon EOS R5", "43"} << "by content";
    QTest::newRow("same make and model, no serial") << Shot{time, "", "CANON", "EOS R5", ""} << "by time";
    QTest::newRow("time alone, beside an example that is no picture") << Shot{time, "", "", "", ""} << "by time";
    QTest::newRow("no time") << Shot{} << "by content";
}

// A picture kept only as its raw file: LibRaw gives its camera, which
// decides whether an example of the same second is the same shot. Only what
// its capture time leaves open is hashed.
void TestPkLikeJob::rawCamera()
{
    QFETCH(Shot, example);
    QFETCH(QString, expected);
    QTemporaryDir own;
    QVERIFY2(own.isValid(), qPrintable(own.errorString()));
    const QImage look = PkTestPictures::scene(7, 600, 400);
    const Shot camera{"", "", "Canon", "Canon EOS R5", "0042"};
    const QString folder = own.filePath(QStringLiteral("pictures"));
    QVERIFY(QDir().mkpath(folder));
    const QString raw = folder + QStringLiteral("/IMG_7.DNG");
    QVERIFY(PkTestPictures::write(raw, PkTestPictures::dng(PkTestPictures::jpeg(look, 0), look.size(), 1, 0, "2024:06:01 12:00:07", camera)));
    QVERIFY(PkTestPictures::write(folder + QStringLiteral("/IMG_8.JPG"),
                                  PkTestPictures::jpegOfShot(PkTestPictures::scene(8, 600, 400), {"2024:06:01 12:00:09", "", "", "", ""})));
    const QString path = own.filePath(QStringLiteral("example.jpg"));
    QVERIFY(PkTestPictures::write(path, PkTestPictures::jpegOfShot(PkTestPictures::scene(7, 300, 200), example, 75)));
    PkLikeJob::Options options;
    std::atomic_int steps{0};
    options.progress = [&steps](int, int) { ++steps; };
    QList<QString> examples{path};
    const bool notPicture = QByteArray(QTest::currentDataTag()).contains("no picture");
    if (notPicture)
        QVERIFY(PkTestPictures::write(examples.emplace_back(own.filePath(QStringLiteral("notes.jpg"))), "notes"));
    const PkLikeResult found = PkLikeJob::run(examples, {}, folder, options);
    QCOMPARE(found.found.size(), 1);
    QCOMPARE(found.found.at(0).picture + (found.found.at(0).byContent ? " by content" : " by time"), "IMG_7 " + expected);
    QCOMPARE(found.paths, QList<QString>{path});
    // Two pictures' facts, each example, the end; and both pictures' hashes
    // where a picture's time and camera find no shot, never for one that is no picture.
    QCOMPARE(steps.load(), (expected == "by time" ? 4 : 6) + int(notPicture));
}

QTEST_GUILESS_MAIN(TestPkLikeJob)
#include "tst_pklikejob.moc"
