// SPDX-License-Identifier: MIT

// Times listing a folder and matching it against a selection list, side by
// side: the folder listing against QDir::entryList, the matching against the
// listing, against plain substring matching with its not-found report (the
// reference for what Unicode forms, ambiguity and first identifiers add) and
// against the nested indexOf loop, matching numbers whole against matching
// them as substrings, and findFilesToCopy against the shell recipe
// `ls DIR | grep -F -f LIST`; matching file names by picture, and identifiers
// that find nothing with the near tries against the first try alone. Checks
// that all of them select the same files, and that names matched by picture
// select exactly the files of their pictures.

#include "benchsupport.h"
#include "pkfilereader.h"
#include "pkfolderlister.h"
#include "pkfoldertree.h"
#include "pkidmatcher.h"
#include "pkselectionmatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int rounds = 7;

struct Case
{
    int fileCount;
    int idCount;
    bool withNestedLoop; // seconds on the large folder, so timed once
};

QString randomWord(QRandomGenerator &rng, int length)
{
    static const char letters[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789";
    QString word;
    for (int i = 0; i < length; ++i)
        word += QLatin1Char(letters[rng.bounded(int(sizeof(letters) - 1))]);
    return word;
}

bool makeFolder(const QString &path, const Case &c, QRandomGenerator &rng, QList<QString> &ids, QList<QString> &stems)
{
    const QStringList extensions{".jpg", ".CR2", ".NEF", ".jpeg", ".tif"};
    for (int i = 0; i < c.fileCount; ++i) {
        const QString stem = QStringLiteral("IMG_%1_%2").arg(i, 6, 10, QLatin1Char('0')).arg(randomWord(rng, 6));
        QFile file(path + "/" + stem + extensions.at(i % extensions.size()));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        stems.append(stem);
    }
    // Half of the identifiers name a picture, the other half nothing; both
    // kinds share the "IMG_0" prefix so the automaton cannot shortcut.
    for (int i = 0; i < c.idCount; ++i) {
        if (i % 2 == 0)
            ids.append(stems.at(int(rng.bounded(c.fileCount))).left(10));
        else
            ids.append(QStringLiteral("IMG_%1%2").arg(rng.bounded(1000000), 6, 10, QLatin1Char('0')).arg(randomWord(rng, 2)));
    }
    return true;
}

// File names as a gallery exports them, in upper case where the camera wrote
// lower case: half name a picture, half nothing.
QList<QString> pictureIds(const QList<QString> &stems, int idCount, QRandomGenerator &rng)
{
    QList<QString> ids;
    for (int i = 0; i < idCount; ++i) {
        ids.append(i % 2 == 0 ? stems.at(int(rng.bounded(int(stems.size())))) + QStringLiteral(".JPG")
                              : QStringLiteral("IMG_%1_%2.jpg").arg(rng.bounded(1000000), 6, 10, QLatin1Char('0'))
                                    .arg(randomWord(rng, 6)));
    }
    return ids;
}

// Identifiers that no near match finds either: words as substrings, file
// names, and file names with an edit marker, none with a number.
QList<QString> unfoundIds(int idCount, QRandomGenerator &rng)
{
    static const char *const forms[] = {"zz-%1", "zz-%1.jpg", "zz-%1-Edit.jpg"};
    QList<QString> ids;
    for (int i = 0; i < idCount; ++i) {
        QString word;
        for (int k = 0; k < 8; ++k)
            word += QLatin1Char(char('a' + rng.bounded(26)));
        ids.append(QString::fromLatin1(forms[i % 3]).arg(word));
    }
    return ids;
}

// Picture numbers as a client writes them, with or without leading zeros:
// half name a picture, half nothing.
QList<QString> numberIds(int fileCount, int idCount, QRandomGenerator &rng)
{
    QList<QString> ids;
    for (int i = 0; i < idCount; ++i) {
        const int number = i % 2 == 0 ? int(rng.bounded(fileCount)) : fileCount + int(rng.bounded(1000000));
        ids.append(i % 4 < 2 ? QString::number(number) : QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')));
    }
    return ids;
}

// Substring matching with its not-found report and nothing else: one
// automaton, each end node marked once.
QList<QString> substringsWithNotFound(const QStringList &names, const QList<QString> &ids, qsizetype longest,
                                      QList<QString> &notFound)
{
    const PkIdMatcher matcher(ids, longest);
    std::vector<uint8_t> seen(size_t(matcher.nodeCount()), 0);
    QList<QString> matched;
    for (const QString &name : names) {
        bool any = false;
        matcher.forEachEnd(name, [&](int32_t node, qsizetype) {
            seen[size_t(node)] = 1;
            any = true;
        });
        if (any)
            matched.append(name);
    }
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!ids.at(i).isEmpty() && !seen[size_t(matcher.endNode(i))])
            notFound.append(ids.at(i));
    }
    return matched;
}

bool writeList(const QString &path, const QList<QString> &ids)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write((ids.join('\n') + '\n').toUtf8()) > 0;
}

QList<QString> nestedLoop(const QStringList &names, const QList<QString> &ids)
{
    QList<QString> result;
    for (const QString &name : names) {
        for (const QString &id : ids) {
            if (!id.isEmpty() && name.indexOf(id, 0, Qt::CaseSensitive) != -1) {
                result.append(name);
                break;
            }
        }
    }
    return result;
}

// The shell recipe with its own start-up, as a user would run it; the paths
// go in as positional parameters so that nothing needs quoting.
bool runShell(const QString &script, const QString &folder, const QString &list, QByteArray *output = nullptr)
{
    QProcess shell;
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), script, QStringLiteral("sh"), folder, list});
    if (!shell.waitForFinished(-1) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        return false;
    if (output)
        *output = shell.readAllStandardOutput().trimmed();
    return true;
}

// The machine is shared, so the fastest of several rounds is the figure least
// disturbed by other work.
double fastest(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

double elapsedMs(QElapsedTimer &timer)
{
    const double ms = timer.nsecsElapsed() / 1e6;
    timer.restart();
    return ms;
}

bool runCase(const Case &c)
{
    QTemporaryDir dir;
    QTemporaryDir listDir;
    if (!dir.isValid() || !listDir.isValid()) {
        std::fprintf(stderr, "no temporary folder: %s\n", qPrintable(dir.errorString()));
        return false;
    }
    QRandomGenerator rng(7);
    QList<QString> ids, stems;
    std::printf("\nmaking %d files and %d identifiers...\n", c.fileCount, c.idCount);
    const QString listPath = listDir.filePath(QStringLiteral("list.txt"));
    if (!makeFolder(dir.path(), c, rng, ids, stems) || !writeList(listPath, ids))
        return false;

    // File names as a gallery exports them, for matching by picture, and
    // the files of their pictures, which they must select.
    const QList<QString> exported = pictureIds(stems, c.idCount, rng);
    QSet<QString> exportedPictures;
    for (const QString &id : exported)
        exportedPictures.insert(PkSelectionMatcher::withoutExtension(id));
    const QList<QString> unfound = unfoundIds(c.idCount, rng);
    const PkMatchOptions byPicture{true, false, false}, byPictureNear{true, false, true};

    const QList<QString> numbers = numberIds(c.fileCount, c.idCount, rng);
    PkFileReader reader;
    const QString pipeline = QStringLiteral("ls \"$1\" | grep -F -f \"$2\" >/dev/null");
    std::vector<double> qdirListing, fastListing, matching, reference, whole, withNotFound, withoutExtensions, withList,
        shell, numbersAsSubstrings, numbersWhole, allNear, firstTry, nearTries, byDefault;
    QList<QString> fast;
    QStringList names;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        names = QDir(dir.path()).entryList(QDir::Files);
        qdirListing.push_back(elapsedMs(timer));

        const QStringList listed = PkFolderLister::fileNames(dir.path());
        fastListing.push_back(elapsedMs(timer));

        qsizetype longest = 0;
        for (const QString &name : std::as_const(listed))
            longest = std::max(longest, name.size());
        PkIdMatcher matcher(ids, longest);
        QList<QString> matched;
        for (const QString &name : std::as_const(listed)) {
            if (matcher.contains(name))
                matched.append(name);
        }
        matching.push_back(elapsedMs(timer));

        // Listed again, as matchFolder lists, so that both pay the same for it.
        QList<QString> referenceNotFound;
        const QStringList relisted = PkFolderLister::fileNames(dir.path());
        const QList<QString> referenceFiles = substringsWithNotFound(relisted, ids, longest, referenceNotFound);
        reference.push_back(elapsedMs(timer));

        fast = reader.findFilesToCopy(dir.path(), ids);
        whole.push_back(elapsedMs(timer));

        const PkMatchResult result = PkSelectionMatcher::matchFolder(dir.path(), ids);
        withNotFound.push_back(elapsedMs(timer));

        const PkMatchResult stripped = PkSelectionMatcher::matchFolder(dir.path(), exported, byPicture);
        withoutExtensions.push_back(elapsedMs(timer));

        // As the window and the command line match a gallery's list by default.
        PkSelectionMatcher::matchFolder(dir.path(), exported, byPictureNear);
        byDefault.push_back(elapsedMs(timer));

        const PkMatchResult near = PkSelectionMatcher::matchFolder(dir.path(), unfound, byPictureNear);
        allNear.push_back(elapsedMs(timer));
        // The near tries alone: the same match with and without them, listing excluded.
        const PkMatchResult first = PkSelectionMatcher::matchNames(listed, unfound, byPicture);
        firstTry.push_back(elapsedMs(timer));
        const PkMatchResult tried = PkSelectionMatcher::matchNames(listed, unfound, byPictureNear);
        nearTries.push_back(elapsedMs(timer) - firstTry.back());
        QList<QString> pictureFiles;
        for (const QString &name : listed) {
            if (exportedPictures.contains(PkSelectionMatcher::pictureOf(name)))
                pictureFiles.append(name);
        }
        if (stripped.files != pictureFiles || !near.files.isEmpty() || !near.near.isEmpty() || !near.ambiguous.isEmpty()
            || near.idsNotFound != first.idsNotFound || tried.idsNotFound != first.idsNotFound) {
            std::fprintf(stderr, "matching by picture or near matching selected the wrong files\n");
            return false;
        }

        const QList<QString> fromList = reader.findFilesToCopy(dir.path(), reader.readSelectionFile(listPath));
        withList.push_back(elapsedMs(timer));

        const bool shellRan = runShell(pipeline, dir.path(), listPath);
        shell.push_back(elapsedMs(timer));

        const PkMatchResult asSubstrings = PkSelectionMatcher::matchFolder(dir.path(), numbers);
        numbersAsSubstrings.push_back(elapsedMs(timer));
        const PkMatchResult asNumbers = PkSelectionMatcher::matchFolder(dir.path(), numbers, {false, true});
        numbersWhole.push_back(elapsedMs(timer));
        if (asNumbers.files.isEmpty() || asNumbers.files.size() > asSubstrings.files.size()) {
            std::fprintf(stderr, "whole numbers selected nothing, or more than substrings\n");
            return false;
        }

        if (listed != names || matched != fast || result.files != fast || referenceFiles != fast || referenceNotFound != result.idsNotFound
            || fromList != fast || !shellRan) {
            std::fprintf(stderr, "results differ between runs, or the shell recipe failed\n");
            return false;
        }
    }
    QByteArray grepCount;
    runShell(QStringLiteral("ls \"$1\" | grep -c -F -f \"$2\""), dir.path(), listPath, &grepCount);

    const double qdir = fastest(qdirListing);
    const double list = fastest(fastListing);
    const double find = fastest(whole);
    const double recipe = fastest(shell);
    std::printf("files %d, identifiers %d, matched files %lld, identifiers not found %lld\n", c.fileCount,
                c.idCount, qlonglong(fast.size()), qlonglong(PkSelectionMatcher::matchFolder(dir.path(), ids).idsNotFound.size()));
    std::printf("QDir::entryList               %9.1f ms\n", qdir);
    std::printf("PkFolderLister::fileNames     %9.1f ms  ratio to QDir::entryList %.3f\n", list, list / qdir);
    std::printf("automaton build + scan        %9.1f ms  ratio to QDir listing %.3f (goal <= 0.25), to new %.3f\n",
                fastest(matching), fastest(matching) / qdir, fastest(matching) / list);
    std::printf("findFilesToCopy               %9.1f ms  ratio to QDir listing %.3f (goal <= 1.25), to new %.3f\n",
                find, find / qdir, find / list);
    std::printf("substrings + not found (ref.) %9.1f ms  ratio to new listing %.3f\n", fastest(reference),
                fastest(reference) / list);
    // The goals are medians: each figure against the listing of the same round.
    const auto ratio = [&fastListing](const std::vector<double> &times) {
        std::vector<double> ratios;
        for (size_t i = 0; i < times.size(); ++i)
            ratios.push_back(times[i] / fastListing[i]);
        return BenchSupport::median(ratios);
    };
    std::printf("medians of %d rounds, against the listing (goal <= 1.25):\n", rounds);
    std::printf("matchFolder, plain            %9.1f ms  ratio to new listing %.3f, to the reference %.3f\n",
                BenchSupport::median(withNotFound), ratio(withNotFound),
                BenchSupport::median(withNotFound) / BenchSupport::median(reference));
    std::printf("matchFolder by picture        %9.1f ms  ratio to new listing %.3f\n",
                BenchSupport::median(withoutExtensions), ratio(withoutExtensions));
    std::printf("matchFolder, whole numbers    %9.1f ms  ratio to new listing %.3f, to the same numbers as "
                "substrings (%.1f ms) %.3f (goal <= 1.2)\n",
                BenchSupport::median(numbersWhole), ratio(numbersWhole), BenchSupport::median(numbersAsSubstrings),
                BenchSupport::median(numbersWhole) / BenchSupport::median(numbersAsSubstrings));
    std::printf("matchFolder, by picture + near %9.1f ms  ratio to new listing %.3f (the default)\n",
                BenchSupport::median(byDefault), ratio(byDefault));
    std::printf("matchFolder, all near         %9.1f ms  ratio to new listing %.3f\n", BenchSupport::median(allNear),
                ratio(allNear));
    std::printf("near tries for %d unfound     %9.1f ms  ratio to the first try (%.1f ms) %.3f (goal <= 1)\n", c.idCount,
                BenchSupport::median(nearTries), BenchSupport::median(firstTry),
                BenchSupport::median(nearTries) / BenchSupport::median(firstTry));
    std::printf("read list + findFilesToCopy   %9.1f ms\n", fastest(withList));
    std::printf("sh: ls DIR | grep -F -f LIST  %9.1f ms  findFilesToCopy / recipe %.3f, with reading the list %.3f"
                " (goal for the dry run <= 1.2)\n",
                recipe, find / recipe, fastest(withList) / recipe);
    const bool sameCount = grepCount == QByteArray::number(fast.size());
    std::printf("same count as ls | grep -c: %s\n", sameCount ? "yes" : "NO");
    bool sameAsLoop = true;
    if (c.withNestedLoop) {
        QElapsedTimer timer;
        timer.start();
        const QList<QString> slow = nestedLoop(names, ids);
        const double loop = elapsedMs(timer);
        sameAsLoop = slow == fast;
        std::printf("nested indexOf loop           %9.1f ms  ratio to QDir listing %.1f, %.0fx the automaton\n", loop,
                    loop / qdir, loop / fastest(matching));
        std::printf("same files as nested loop: %s\n", sameAsLoop ? "yes" : "NO");
    }
    return sameCount && sameAsLoop;
}

// A job kept in sub-folders: 400 folders of 500 files matched as one tree,
// as the command line does by default, against the shell recipe
// `find DIR -type f -printf '%f\n' | grep -F -f LIST`.
bool runTreeCase()
{
    QRandomGenerator rng(400);
    QTemporaryDir dir;
    QList<QString> ids, stems;
    for (int folder = 0; folder < 400; ++folder) {
        const QString path = dir.filePath(QStringLiteral("Card%1/DCIM").arg(folder, 3, 10, QLatin1Char('0')));
        QList<QString> none;
        if (!QDir().mkpath(path) || !makeFolder(path, Case{500, 0, false}, rng, none, stems))
            return false;
    }
    for (int i = 0; i < 10000; ++i)
        ids.append(i % 2 == 0 ? stems.at(int(rng.bounded(int(stems.size()))))
                              : QStringLiteral("IMG_%1_zz").arg(rng.bounded(1000000), 6, 10, QLatin1Char('0')));
    const QString listPath = dir.filePath(QStringLiteral("list.txt"));
    QFile list(listPath);
    if (!list.open(QIODevice::WriteOnly) || list.write(QStringList(ids).join(QLatin1Char('\n')).toUtf8()) < 0)
        return false;
    list.close();
    PkMatchOptions options{true, false, true, PkMatchOptions::Subfolders::Always};
    std::vector<double> tree, shell;
    bool sameFiles = false;
    QList<QString> files;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        files = PkSelectionMatcher::matchFolder(dir.path(), ids, options).files;
        tree.push_back(elapsedMs(timer));
        timer.start();
        if (!runShell(QStringLiteral("find \"$1\" -type f -printf '%f\\n' | grep -F -f \"$2\" >/dev/null"), dir.path(), listPath))
            return false;
        shell.push_back(elapsedMs(timer));
    }
    {
        std::vector<std::string> cards;
        for (int folder = 0; folder < 400; ++folder)
            cards.push_back(QStringLiteral("Card%1").arg(folder, 3, 10, QLatin1Char('0')).toStdString());
        QElapsedTimer timer;
        timer.start();
        const QStringList names = PkFolderTree::walk(dir.path(), cards).names;
        const double walkMs = elapsedMs(timer);
        timer.start();
        const PkMatchResult apart = PkSelectionMatcher::matchNames(names, ids, options);
        std::printf("the walk alone %.1f ms, matching its names alone %.1f ms\n", walkMs, elapsedMs(timer));
        sameFiles = apart.files == files;
    }
    std::printf("\n== 200000 files in 400 folders, 10000 identifiers, matched as a tree (%lld files) ==\n",
                qlonglong(files.size()));
    std::printf("matchFolder, the whole tree   %9.1f ms\n", BenchSupport::median(tree));
    std::printf("sh: find | grep -F -f LIST    %9.1f ms  tree / recipe %.3f (goal: at most 1.25)\n",
                BenchSupport::median(shell), BenchSupport::median(tree) / BenchSupport::median(shell));
    std::printf("same files as the walk's names matched after it: %s\n", sameFiles ? "yes" : "NO");
    return sameFiles && !files.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    for (const Case &c : {Case{100000, 10000, true}, Case{20000, 2000, false}})
        ok = runCase(c) && ok;
    ok = runTreeCase() && ok;
    return ok ? 0 : 1;
}
