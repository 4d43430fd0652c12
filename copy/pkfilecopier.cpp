// SPDX-License-Identifier: MIT

#include "pkfilecopier.h"

#include "pkcopycontents.h"
#include "pkfiledescriptor.h"
#include "pkhiddentemporary.h"
#include "pkfilereader.h"
#include "pwtools.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in tests of the command line to take the path of file systems without
// unnamed files.
const char copyPathVariable[] = "PICKWELL_TEST_COPY_PATH";
// Set in tests of the command line to the path of a named pipe, to hold a
// run at a known point: see PkFileCopier::setNamingHook.
const char holdPathVariable[] = "PICKWELL_TEST_HOLD_PATH";

// No errno is negative: copyUnnamed's way of saying that the file system has
// no unnamed files. PkCopyContents has its own.
constexpr int noUnnamedFiles = -1;
// And that a copy waits to be read back with others.
constexpr int pendingCopy = -4;

std::atomic<PkFileCopier::NamingHook> namingHook{nullptr};
std::atomic<PkFileCopier::FaultHook> faultHook{nullptr};

bool faultInTest(PkFileCopier::Call call)
{
    return PkFileCopier::injectedFault(call);
}

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

QString changed()
{
    return QStringLiteral("changed while copied");
}

QString alreadyCopied()
{
    return QStringLiteral("already exists in %1").arg(PkFileReader::outputFolderName());
}

QString readsBackDifferent()
{
    return QStringLiteral("reads back different");
}

QString vanished()
{
    return QStringLiteral("no longer in the folder");
}

PkFileCopier::Result failed(const QString &reason)
{
    return {PkFileCopier::Outcome::Failed, reason, PkFileCopier::RunEnd::None, QByteArray(), QString()};
}

// A missing picture was deleted since matching; the picture's other errors,
// and all of the destination's, are the system's own words.
QString sourceReason(int error)
{
    return error == ENOENT ? vanished() : qt_error_string(error);
}

// What file systems answer for a call they do not offer at all, as opposed
// to one that failed.
bool isRefusal(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// What writing gives once the destination's drive went away: unmounted,
// unplugged, its server lost, or remounted read-only after an error.
bool isDestinationGone(int error)
{
    return error == EROFS || error == ENODEV || error == ENOTCONN || error == ESTALE || error == EIO;
}

// A folder that was removed has no links left, though it is open still.
bool isRemoved(int folder)
{
    struct stat status;
    return ::fstat(folder, &status) != 0 || status.st_nlink == 0;
}

bool canList(const QByteArray &path)
{
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

bool publish(int out, int folder, const QByteArray &name)
{
    // linkat fails with EEXIST instead of replacing, so publishing never
    // overwrites, even against another program racing for the same name.
    // Without the privilege that AT_EMPTY_PATH needs, the descriptor's entry
    // in /proc names the file; a taken name fails there too.
    if (!faultInTest(PkFileCopier::Call::LinkDescriptor)
        && ::linkat(out, "", folder, name.constData(), AT_EMPTY_PATH) == 0)
        return true;
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(out);
    return ::linkat(AT_FDCWD, procPath.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

// Returns once a writer has opened the named pipe at path and closed it again.
void waitAtHold(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    char byte;
    while (fd != -1 && ::read(fd, &byte, 1) > 0) {
    }
    if (fd != -1)
        ::close(fd);
}

void beforeNaming(int folder, const QByteArray &name)
{
    if (const PkFileCopier::NamingHook hook = namingHook.load())
        hook(QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(folder)).symLinkTarget() + QLatin1Char('/')
             + QFile::decodeName(name));
    static const QByteArray holdPath = qgetenv(holdPathVariable);
    if (!holdPath.isEmpty())
        waitAtHold(holdPath);
}

// The copy gets the picture's permission bits where the file system can
// hold them, which every file system with unnamed files does. Cards give
// every file the same bits and refuse others with EPERM; the copy is whole
// all the same, as cp's would be. A mount that refused once is not asked
// again: on a card each question is a round trip to its driver.
bool keepMode(int out, unsigned mode, bool &refused)
{
    if (refused || (!faultInTest(PkFileCopier::Call::ChangeMode) && ::fchmod(out, mode) == 0))
        return true;
    return refused = isRefusal(errno);
}

// The copy gets the picture's times, to the nanosecond where the file system
// keeps them, so that file managers sort the copies as the pictures were
// taken; a card that refuses them keeps the copy. Set on the open file, last:
// network file systems (NFS, SMB) write back what is pending before they
// set a time, and a card's FUSE driver then writes the entry once, on close.
bool keepTimes(int out, const struct stat &status, bool &refused)
{
    const timespec times[] = {status.st_atim, status.st_mtim};
    if (refused || (!faultInTest(PkFileCopier::Call::ChangeTimes) && ::futimens(out, times) == 0))
        return true;
    return refused = isRefusal(errno);
}

} // namespace

PkFileCopier::PkFileCopier(bool resume)
    : resume(resume)
    , unnamedFiles(qEnvironmentVariableIsEmpty(copyPathVariable))
{
}

bool PkFileCopier::batchIsFull() const
{
    return pending.isFull(batchFiles);
}

// Finishing a run, a copy there is left alone; a file of another size there
// is another picture of that name (another card's IMG_0001), no copy of
// this one, and is said to be.
PkFileCopier::Result PkFileCopier::nameTaken(int folder, const QByteArray &name, qint64 size) const
{
    if (!resume)
        return failed(alreadyCopied());
    struct stat there;
    if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(there.st_mode) && there.st_size != size)
        return failed(QStringLiteral("already there, but %1, not %2")
                          .arg(PwTools::dataSize(there.st_size), PwTools::dataSize(size)));
    return {Outcome::AlreadyThere, QString(), RunEnd::None, QByteArray(), QString()};
}

PkFileCopier::Result PkFileCopier::copy(const QString &source, int folder, const QString &name)
{
    leftBehind.clear();
    Result result = copyInto(source, folder, name);
    result.leftBehind = std::exchange(leftBehind, QString());
    return result;
}

PkFileCopier::Result PkFileCopier::copyInto(const QString &source, int folder, const QString &name)
{
    const QByteArray sourceName = QFile::encodeName(source);
    failedReading = true;
    // A link is followed to what it names, as cp does; a FIFO, a device or a
    // socket, or a link to one, is never opened, so never read or waited on.
    struct stat status;
    if (::stat(sourceName.constData(), &status) != 0)
        return failure(errno, source, folder);
    if (!S_ISREG(status.st_mode))
        return failed(notRegular());
    // O_NONBLOCK keeps a FIFO put in the picture's place since from blocking
    // the run; fstat then tells that it is not the file checked.
    PkFileDescriptor in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() == -1 || ::fstat(in.get(), &status) != 0)
        return failure(errno, source, folder);
    if (!S_ISREG(status.st_mode))
        return failed(notRegular());
    failedReading = false;
    // Checked before any byte is copied: a run that is finished again finds
    // most names taken, and must not pay for copying them.
    // Not following, so that even a dangling link counts as a name that is taken.
    const QByteArray destinationName = QFile::encodeName(name);
    struct stat existing;
    if (::fstatat(folder, destinationName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return nameTaken(folder, destinationName, status.st_size);
    if (errno != ENOENT)
        return failure(errno, source, folder);
    // Pictures are read once, front to back; a wider read-ahead keeps a
    // spinning or network disk streaming, as it does for cp.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // A copy that reads back different is made once more: a second one
    // that does means the destination cannot be trusted with the rest.
    this->source = source;
    inHand = &in;
    PkCopyContents contents(verify, progressed);
    int error = writeCopy(in.get(), status, folder, destinationName, contents);
    if (error == PkCopyContents::readsBackDifferent)
        error = ::lseek(in.get(), 0, SEEK_SET) == 0 ? writeCopy(in.get(), status, folder, destinationName, contents)
                                                     : errno;
    if (error == pendingCopy)
        return {Outcome::Pending, QString(), RunEnd::None, QByteArray(), QString()};
    return outcome(error, source, folder, destinationName, status.st_size, contents.hash());
}

PkFileCopier::Result PkFileCopier::outcome(int error, const QString &source, int folder, const QByteArray &name,
                                           qint64 size, const QByteArray &hash) const
{
    if (error == 0)
        return {Outcome::Copied, QString(), RunEnd::None, hash, QString()};
    if (error == EEXIST)
        return nameTaken(folder, name, size);
    if (error == PkCopyContents::readsBackDifferent)
        return {Outcome::Failed, readsBackDifferent(), RunEnd::ReadsBackDifferent, QByteArray(), QString()};
    return error == PkCopyContents::changedWhileCopied ? failed(changed()) : failure(error, source, folder);
}

// After a copy that ends the run, the rest of its batch is dropped.
PkFileCopier::Result PkFileCopier::finishNext()
{
    const std::unique_ptr<PkCopyBatch::Copy> copy = pending.takeNext();
    const Result result = finish(*copy);
    if (result.end != RunEnd::None)
        pending.clear();
    return result;
}

void PkFileCopier::dropPending()
{
    pending.clear();
}

// As a copy on its own is finished: read back, made once more where it
// reads back different, and named.
PkFileCopier::Result PkFileCopier::finish(PkCopyBatch::Copy &copy)
{
    const std::function<void(qint64)> counted = [](qint64) {}; // as the copy was written
    PkCopyContents contents(true, counted);
    int error = copy.settled ? copy.settled : contents.check(copy.in.get(), copy.out.get(), copy.status, copy.hash);
    failedReading = error != 0 && contents.failedReading();
    QByteArray hash = copy.hash;
    if (error == PkCopyContents::readsBackDifferent) {
        retrying = true;
        PkCopyContents again(true, progressed);
        error = ::lseek(copy.in.get(), 0, SEEK_SET) == 0
            ? writeCopy(copy.in.get(), copy.status, copy.folder.get(), copy.name, again)
            : errno;
        hash = again.hash();
        retrying = false;
    } else if (error == 0) {
        error = name(copy.out.get(), copy.status, copy.folder.get(), copy.name);
    }
    return outcome(error, copy.source, copy.folder.get(), copy.name, copy.status.st_size, hash);
}

int PkFileCopier::writeCopy(int in, const struct stat &status, int folder, const QByteArray &destination,
                            PkCopyContents &contents)
{
    int error = unnamedFiles ? copyUnnamed(in, status, folder, destination, contents) : noUnnamedFiles;
    if (error == noUnnamedFiles) {
        unnamedFiles = false;
        error = copyThroughTemporary(in, status, folder, destination, contents);
    }
    failedReading = error != 0 && contents.failedReading();
    return error;
}

// Tells the failures that end a run from those of one file, by where the
// failing call was and by what is left of each side: a file that vanished or
// a name that is too long on a card leaves the rest to be tried.
PkFileCopier::Result PkFileCopier::failure(int error, const QString &source, int folder) const
{
    if (failedReading) {
        Result result = failed(sourceReason(error));
        if (!canList(QFile::encodeName(QFileInfo(source).path())))
            result.end = RunEnd::PicturesGone;
        return result;
    }
    Result result = failed(qt_error_string(error));
    if (error == ENOSPC || error == EDQUOT)
        result.end = RunEnd::DriveFull;
    else if (isDestinationGone(error) || isRemoved(folder))
        result.end = RunEnd::DestinationGone;
    return result;
}

QString PkFileCopier::runEndText(RunEnd end)
{
    switch (end) {
    case RunEnd::DriveFull:
        return QStringLiteral("the drive is full");
    case RunEnd::DestinationGone:
        return QStringLiteral("the destination is gone");
    case RunEnd::PicturesGone:
        return QStringLiteral("the picture folder is gone");
    case RunEnd::ReadsBackDifferent:
        return QStringLiteral("copies read back different");
    case RunEnd::None:
        break;
    }
    return QString();
}

// The copy is written into an unnamed file in the destination folder and
// given its name only when complete, so a full disk, an I/O error or the end
// of the process leaves no partial file and no stray temporary behind.
// Unverified, unlike QFile::copy, it does not sync each file to disk, which
// would make a run many times slower than cp; verifying, each copy is
// written out to be read back. Returns 0 or the errno of what failed.
int PkFileCopier::copyUnnamed(int in, const struct stat &status, int folder, const QByteArray &destination,
                              PkCopyContents &contents)
{
    PkFileDescriptor out(faultInTest(Call::UnnamedFile) ? -1
                                                        : ::openat(folder, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600));
    if (out.get() == -1)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? noUnnamedFiles : errno;
    const bool batch = verify && batchFiles > 1 && !retrying;
    contents.setReadBackLater(batch);
    if (const int error = batch ? contents.write(in, out.get(), status) : contents.copy(in, out.get(), status))
        return error;
    if (batch) {
        PkFileDescriptor folderCopy(faultInTest(Call::KeepForBatch) ? -1 : ::fcntl(folder, F_DUPFD_CLOEXEC, 0));
        if (folderCopy.isOpen())
            return keepForBatch(status, folderCopy.release(), destination, out.release(), contents.hash());
        // Out of descriptors: this copy is read back on its own.
        const int error = PkCopyContents::settle(out.get(), false);
        if (const int failed = error ? error : contents.check(in, out.get(), status, contents.hash()))
            return failed;
    }
    return name(out.get(), status, folder, destination);
}

// The copy gets the picture's mode and times, and then its name.
int PkFileCopier::name(int out, const struct stat &status, int folder, const QByteArray &name)
{
    if (!keepMode(out, status.st_mode & 0777, modeRefused) || !keepTimes(out, status, timesRefused))
        return errno;
    beforeNaming(folder, name);
    return publish(out, folder, name) ? 0 : errno;
}

// The drive may begin writing the copy out while the next ones are made.
// The batch takes over the copy, its picture and its folder, each open.
int PkFileCopier::keepForBatch(const struct stat &status, int folder, const QByteArray &name, int out,
                               const QByteArray &hash)
{
    auto copy = std::make_unique<PkCopyBatch::Copy>();
    copy->out.reset(out);
    copy->in.reset(inHand->release());
    copy->folder.reset(folder);
    copy->source = source;
    copy->status = status;
    copy->name = name;
    copy->hash = hash;
    pending.add(std::move(copy));
    return pendingCopy;
}
// Cards, exFAT disks and network shares have no unnamed files. The copy is
// written under a hidden name in the output folder and renamed when
// complete, unverified without a sync per file. The temporary's name is
// removed in the end, which after a rename finds nothing. Only the end of
// the process in the middle of a file (kill -9, a power cut), or a drive
// that fails then, can leave one behind, and the next run into the folder
// removes it.
int PkFileCopier::copyThroughTemporary(int in, const struct stat &status, int folder, const QByteArray &destination,
                                       PkCopyContents &contents)
{
    const char *temporary = nullptr;
    PkFileDescriptor out(PkHiddenTemporary::make(folder, &temporary));
    if (!out.isOpen()) {
        const int error = errno;
        PkHiddenTemporary::forget();
        return error;
    }
    int error = contents.copy(in, out.get(), status);
    if (error == 0
        && (!keepMode(out.get(), status.st_mode & 0777, modeRefused) || !keepTimes(out.get(), status, timesRefused)
            || faultInTest(Call::Close)
            || out.close() != 0)) {
        error = errno;
    }
    if (error == 0) {
        beforeNaming(folder, destination);
        error = giveName(folder, temporary, destination.constData());
    }
    // Renamed, the temporary's name is gone already, and not asked after;
    // named by a link, it is a second link (see giveName). A drive that
    // failed mid-file may keep it: it is said, and the next run into the
    // folder removes it.
    if (error == 0 && naming != Naming::Link)
        PkHiddenTemporary::forget();
    leftBehind = PkHiddenTemporary::remove();
    return error;
}

// Never replaces a file: renameat2 refuses to where the name is taken; where
// the file system does not offer that, a hard link fails the same way; where
// it has no hard links either, the name is checked just before the rename.
int PkFileCopier::giveName(int folder, const char *temporary, const char *destination)
{
    switch (naming) {
    case Naming::NoReplace:
        if (!faultInTest(Call::RenameNoReplace)
            && ::renameat2(folder, temporary, folder, destination, RENAME_NOREPLACE) == 0)
            return 0;
        if (!isRefusal(errno))
            return errno;
        naming = Naming::Link;
        [[fallthrough]];
    case Naming::Link:
        if (!faultInTest(Call::Link) && ::linkat(folder, temporary, folder, destination, 0) == 0)
            return 0;
        if (!isRefusal(errno))
            return errno;
        naming = Naming::CheckedRename;
        [[fallthrough]];
    case Naming::CheckedRename: {
        struct stat existing;
        if (::fstatat(folder, destination, &existing, AT_SYMLINK_NOFOLLOW) == 0)
            return EEXIST;
        if (errno != ENOENT)
            return errno;
        return ::renameat(folder, temporary, folder, destination) == 0 ? 0 : errno;
    }
    }
    return EINVAL;
}

void PkFileCopier::removeTemporaryInProgress()
{
    PkHiddenTemporary::removeQuietly();
}

void PkFileCopier::setNamingHook(NamingHook hook)
{
    namingHook.store(hook);
}

void PkFileCopier::setFaultHook(FaultHook hook)
{
    faultHook.store(hook);
}

bool PkFileCopier::injectedFault(Call call)
{
    const FaultHook hook = faultHook.load();
    const int error = hook ? hook(call) : 0;
    if (error == 0)
        return false;
    errno = error;
    return true;
}
