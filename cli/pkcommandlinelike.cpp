// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkhashcache.h"
#include "pklikejob.h"
#include "pklikereport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <cstdio>
#include <unistd.h>

namespace {

bool readableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && QDir(path).isReadable();
}

} // namespace

// Examples instead of a list: they are matched against the folder by
// capture time and by content, then reported and copied as a list's
// identifiers are. The report goes to stderr, a dry run's paths to stdout.
int PkCommandLine::prepareLike(const Invocation &invocation)
{
    folderPath = QDir::cleanPath(invocation.folderPath);
    if (!readableFolder(folderPath)) {
        printError(QStringLiteral("Cannot read the folder: %1").arg(folderPath));
        return UsageError;
    }
    const QString likePath = QDir::cleanPath(invocation.likePath);
    if (!readableFolder(likePath)) {
        printError(QStringLiteral("Cannot read the examples folder: %1").arg(likePath));
        return UsageError;
    }
    if (PkLikeJob::isWithin(likePath, folderPath)) {
        printError(QStringLiteral("The examples folder must lie outside the picture folder."));
        return UsageError;
    }
    const int destinationStatus = invocation.copy ? checkDestination(invocation) : Success;
    if (destinationStatus != Success)
        return destinationStatus;

    progress.setEnabled(::isatty(STDERR_FILENO) == 1);
    QMutex progressMutex;
    PkHashCache cache;
    PkLikeJob::Options options;
    options.cache = &cache;
    options.subfolders = invocation.subfolders;
    if (progress.isEnabled()) {
        options.progress = [&](int done, int total) {
            QMutexLocker lock(&progressMutex);
            progress.show(QStringLiteral("matching %1 of %2").arg(done).arg(total).toUtf8());
        };
    }
    const PkLikeResult result = PkLikeJob::run(PkLikeJob::examplesIn(likePath), likePath, folderPath, options);
    cache.save();
    progress.clear();
    const QList<PkNearMatch> found = result.foundPictures();
    if (const int status = writeReport(invocation, result.match, &found); status != Success)
        return status;
    const QByteArray report = PkLikeReport::summary(result);
    std::fflush(stdout);
    std::fwrite(report.constData(), 1, size_t(report.size()), stderr);
    files = result.match.files;
    if (invocation.dryRun && invocation.copy)
        printPaths(invocation);
    return Success;
}
