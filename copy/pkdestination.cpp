// SPDX-License-Identifier: MIT

#include "pkdestination.h"

#include "pkfilereader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

namespace {

QString problem(const QString &picturesFolder, const QString &destination)
{
    struct stat status;
    if (::stat(QFile::encodeName(destination).constData(), &status) != 0)
        return qt_error_string(errno);
    if (!S_ISDIR(status.st_mode))
        return qt_error_string(ENOTDIR);
    // Compared as the system resolves them, so that a link or "a/../a" is
    // seen through.
    const QString canonical = QFileInfo(destination).canonicalFilePath();
    if (canonical == QFileInfo(picturesFolder).canonicalFilePath())
        return QStringLiteral("it is the picture folder itself");
    // Copies inside the output of a run would be mixed into that selection.
    if (canonical.split(QLatin1Char('/')).contains(PkFileReader::outputFolderName()))
        return QStringLiteral("it is inside a folder %1").arg(PkFileReader::outputFolderName());
    return QString();
}

QString cannotCopyInto(const QString &destination, const QString &why)
{
    return why.isEmpty() ? why : QStringLiteral("Cannot copy into ") + destination + QStringLiteral(": ") + why;
}

QString clash(const QString &also, const QString &other)
{
    const QString mine = QFileInfo(also).canonicalFilePath(), theirs = QFileInfo(other).canonicalFilePath();
    if (mine == theirs)
        return QStringLiteral("it is the same folder as ") + other;
    if (mine.startsWith(theirs + QLatin1Char('/')) || theirs == QLatin1String("/"))
        return QStringLiteral("it is inside ") + other;
    if (theirs.startsWith(mine + QLatin1Char('/')) || mine == QLatin1String("/"))
        return other + QStringLiteral(" is inside it");
    return QString();
}

} // namespace

QString PkDestination::refusal(const QString &picturesFolder, const QString &destination)
{
    return cannotCopyInto(destination, problem(picturesFolder, destination));
}

QString PkDestination::besides(const QString &also, const QList<QString> &taken)
{
    for (const QString &other : taken) {
        if (const QString why = clash(also, other); !why.isEmpty())
            return cannotCopyInto(also, why);
    }
    return QString();
}
