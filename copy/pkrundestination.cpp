// SPDX-License-Identifier: MIT

#include "pkrundestination.h"

#include "pkfilereader.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using RunEnd = PkFileCopier::RunEnd;
using Result = PkFileCopier::Result;

// A folder that was removed has no links left, though it is open still.
bool isRemoved(int folder)
{
    struct stat status;
    return ::fstat(folder, &status) != 0 || status.st_nlink == 0;
}

// Whether path still names the folder opened as open: not where it was
// removed, moved away, or replaced by another folder or a link.
bool stillAt(const struct stat &open, const QByteArray &path)
{
    struct stat named;
    return ::lstat(path.constData(), &named) == 0 && S_ISDIR(named.st_mode) && named.st_dev == open.st_dev
        && named.st_ino == open.st_ino;
}

// Makes the output folder at path, or takes the one that is there, and
// opens it into opened; a folder there is used as it is, never through a
// link, which would send the copies where it points.
QString makeOutputFolder(const QString &path, PkFileDescriptor &opened, RunEnd &end)
{
    const QByteArray name = QFile::encodeName(path);
    int error = ::mkdir(name.constData(), 0777) == 0 ? EEXIST : errno;
    if (error == EEXIST) {
        opened.reset(::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (opened.isOpen())
            return QString();
        error = errno == ELOOP || errno == ENOTDIR ? EEXIST : errno;
    }
    if (error == ENOSPC || error == EDQUOT)
        end = RunEnd::DriveFull;
    return "cannot create " + PkFileReader::outputFolderName() + ": " + qt_error_string(error);
}

// Makes relative ("CardA/DCIM") inside the output folder open at output and
// opens it into opened: each step is made and then opened without following
// a link, from the one before it, so that a link or a file in the way stops
// the copy instead of sending it elsewhere. Outcome Copied when it is there.
Result makeSubfolder(int output, const QString &relative, PkFileDescriptor &opened)
{
    Result result;
    result.outcome = PkFileCopier::Outcome::Failed;
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    opened.reset();
    QString made = PkFileReader::outputFolderName();
    for (const QString &step : relative.split(QLatin1Char('/'))) {
        const QByteArray name = QFile::encodeName(step);
        const int at = opened.isOpen() ? opened.get() : output;
        made += QLatin1Char('/') + step;
        int error = ::mkdirat(at, name.constData(), 0777) == 0 ? 0 : errno;
        const int next = error == 0 || error == EEXIST ? ::openat(at, name.constData(), flags) : -1;
        if (next < 0) {
            error = error == 0 || error == EEXIST ? errno : error;
            if (error == ENOSPC || error == EDQUOT)
                result.end = RunEnd::DriveFull;
            else if (isRemoved(at))
                result.end = RunEnd::DestinationGone;
            result.reason = "cannot create " + made + ": "
                          + (error == ELOOP || error == ENOTDIR ? QStringLiteral("a file or link of that name is there")
                                                                : qt_error_string(error));
            opened.reset();
            return result;
        }
        opened.reset(next);
    }
    result.outcome = PkFileCopier::Outcome::Copied;
    return result;
}

} // namespace

PkRunDestination::PkRunDestination(const QString &folder, bool main, bool resume, bool verify)
    : folder(folder)
    , main(main)
    , outputPath(folder + QLatin1Char('/') + PkFileReader::outputFolderName())
    , copier(resume)
{
    copier.setVerify(verify);
}

QString PkRunDestination::openFolder(PkFileCopier::RunEnd &end)
{
    const QString error = makeOutputFolder(outputPath, output, end);
    if (error.isEmpty() && ::fstat(output.get(), &opened) != 0)
        return "cannot create " + PkFileReader::outputFolderName() + ": " + qt_error_string(errno);
    return error;
}

// One run at a time writes into an output folder. The hashes go into a list
// beside the copies; a run whose copies cannot be listed copies nothing.
QString PkRunDestination::prepare(QList<QString> &removed)
{
    const QString locked = lock.take(output.get());
    if (!locked.isEmpty())
        return locked;
    removed = PkOutputLock::removeLeftovers(outputPath);
    return checksums.open(output.get());
}

// A file of a sub-folder goes to the same place below the output folder,
// or with flat to its top.
QString PkRunDestination::copyName(const QString &name, bool flat)
{
    return flat ? name.sliced(name.lastIndexOf(QLatin1Char('/')) + 1) : name;
}

// Each copy is made into the output folder as it was opened, never through
// its path, which may have come to name another folder or a link since: the
// run then ends. The sub-folders of the output folder are made as they are
// needed; a picture's neighbours in the list mostly share its folder.
PkFileCopier::Result PkRunDestination::copy(const QString &pictures, const QString &name, bool flat)
{
    if (!stillAt(opened, QFile::encodeName(outputPath)))
        return {PkFileCopier::Outcome::Failed, QString(), RunEnd::DestinationGone, QByteArray(), QString()};
    const qsizetype slash = flat ? -1 : name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0 && (subfolderName != name.first(slash) || !subfolder.isOpen())) {
        subfolderName = name.first(slash);
        const Result made = makeSubfolder(output.get(), subfolderName, subfolder);
        if (made.outcome == PkFileCopier::Outcome::Failed)
            return made;
    }
    const QString source = pictures + QLatin1Char('/') + name;
    if (slash < 0)
        return copier.copy(source, output.get(), copyName(name, flat));
    return copier.copy(source, subfolder.get(), name.sliced(slash + 1));
}
