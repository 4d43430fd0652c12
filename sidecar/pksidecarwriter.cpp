// SPDX-License-Identifier: MIT

#include "pksidecarwriter.h"

#include "pkdecoderpool.h"
#include "pkselectionmatcher.h"
#include "pwsavedfile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

int renameFault = 0;

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

PkSidecarWriter::Result refused(const QString &reason)
{
    return {PkSidecarWriter::Outcome::Refused, reason};
}

// Reads the sidecar that status describes, refusing what must not be written
// over; the bytes go into bytes.
QString readSidecar(int folder, const QByteArray &name, const struct stat &status, QByteArray *bytes)
{
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("a link, never written through");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    if (!(status.st_mode & S_IWUSR))
        return QStringLiteral("read-only");
    if (status.st_size > PkXmpPacket::maxBytes)
        return QStringLiteral("larger than %1 MB, too large for a sidecar").arg(PkXmpPacket::maxBytes >> 20);
    if (status.st_size == 0)
        return QStringLiteral("not XMP");
    Descriptor file{::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC)};
    struct stat opened;
    if (file.fd < 0 || ::fstat(file.fd, &opened) != 0)
        return qt_error_string(errno);
    if (!sameFile(opened, status))
        return QStringLiteral("changed while it was read");
    bytes->resize(qsizetype(status.st_size));
    qsizetype done = 0;
    while (done < bytes->size()) {
        const ssize_t got = TEMP_FAILURE_RETRY(::read(file.fd, bytes->data() + done, size_t(bytes->size() - done)));
        if (got < 0)
            return qt_error_string(errno);
        if (got == 0)
            return QStringLiteral("changed while it was read");
        done += got;
    }
    return {};
}

// Puts the temporary in the sidecar's place: over the very file that was
// read, or, for a new one, only where there is still no file.
bool putInPlace(int folder, const QByteArray &temporary, const QByteArray &name, const struct stat *before, QString *problem)
{
    if (before) {
        struct stat now;
        if (::fstatat(folder, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(now, *before)) {
            *problem = QStringLiteral("changed while it was marked");
            return false;
        }
        if (::renameat(folder, temporary.constData(), folder, name.constData()) == 0)
            return true;
    } else {
        const int renamed = renameFault != 0 ? (errno = renameFault, -1)
                                              : ::renameat2(folder, temporary.constData(), folder, name.constData(), RENAME_NOREPLACE);
        if (renamed == 0)
            return true;
        // File systems without an exclusive rename take a hard link, which
        // never replaces a file either.
        if ((errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)
            && ::linkat(folder, temporary.constData(), folder, name.constData(), 0) == 0) {
            ::unlinkat(folder, temporary.constData(), 0);
            return true;
        }
        if (errno == EEXIST) {
            *problem = QStringLiteral("a file of its name appeared while it was marked");
            return false;
        }
    }
    *problem = qt_error_string(errno);
    return false;
}

QString replace(int folder, const QByteArray &name, const QByteArray &packet, const struct stat *before)
{
    const mode_t mode = before ? before->st_mode & 07777 : 0666;
    QByteArray temporary;
    const int fd = PwSavedFile::makeTemporary(folder, name, mode, &temporary);
    if (fd < 0)
        return qt_error_string(errno);
    if (before) {
        // Owned as the sidecar was where Pickwell has the right to, and of
        // its mode whatever the umask (a change of owner clears some bits).
        [[maybe_unused]] const int owned = ::fchown(fd, before->st_uid, before->st_gid);
        ::fchmod(fd, mode);
    }
    QString problem;
    const int error = PwSavedFile::writeOut(fd, packet);
    if (error != 0)
        problem = qt_error_string(error);
    if (problem.isEmpty() && putInPlace(folder, temporary, name, before, &problem)) {
        ::fsync(folder);
        return {};
    }
    ::unlinkat(folder, temporary.constData(), 0);
    return problem;
}

} // namespace

PkSidecarWriter::PkSidecarWriter(const QString &folder, Editor editor)
    : folder(folder)
    , editor(editor ? std::move(editor) : [](const QString &path, const QByteArray &old, const PkXmpPacket::Edit &edit) {
        return PkDecoderPool::instance().editXmp(path, old, edit);
    })
{
}

QString PkSidecarWriter::folderProblem(const QString &subfolder) const
{
    const QByteArray path = QFile::encodeName(subfolder.isEmpty() ? folder : folder + QLatin1Char('/') + subfolder);
    struct statvfs system;
    if (::statvfs(path.constData(), &system) == 0 && (system.f_flag & ST_RDONLY))
        return qt_error_string(EROFS);
    if (::access(path.constData(), W_OK) != 0)
        return qt_error_string(errno);
    return {};
}

PkSidecarWriter::Result PkSidecarWriter::mark(const PkSidecarTarget &target, const PkXmpPacket::Edit &edit,
                                              bool dryRun) const
{
    const QString path = folder + QLatin1Char('/') + target.sidecar;
    Descriptor directory{::open(QFile::encodeName(PkSidecarPlan::folderOf(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.fd < 0)
        return refused(qt_error_string(errno));
    const QByteArray name = QFile::encodeName(PkSidecarPlan::nameOf(path));
    struct stat before;
    const bool exists = ::fstatat(directory.fd, name.constData(), &before, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return refused(qt_error_string(errno));
    QByteArray old;
    const QString unreadable = exists ? readSidecar(directory.fd, name, before, &old) : QString();
    if (!unreadable.isEmpty())
        return refused(unreadable);
    const PkXmpPacket::Result edited = editor(path, old, edit);
    if (!edited.error.isEmpty())
        return refused(edited.error);
    const QString described = PkSelectionMatcher::pictureOf(PkSidecarPlan::nameOf(edited.describes));
    if (!described.isEmpty() && described.compare(target.picture, Qt::CaseInsensitive) != 0)
        return refused(QStringLiteral("the sidecar of %1").arg(PkSidecarPlan::nameOf(edited.describes)));
    if (!edited.changed())
        return {Outcome::Unchanged, {}};
    const QString problem = dryRun ? QString() : replace(directory.fd, name, edited.packet, exists ? &before : nullptr);
    if (!problem.isEmpty())
        return refused(problem);
    return {exists ? Outcome::Written : Outcome::Created, {}};
}

void PkSidecarWriter::setRenameFault(int error)
{
    renameFault = error;
}
