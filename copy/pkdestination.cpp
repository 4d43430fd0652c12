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

} // namespace

QString PkDestination::refusal(const QString &picturesFolder, const QString &destination)
{
    const QString why = problem(picturesFolder, destination);
    return why.isEmpty() ? why : QStringLiteral("Cannot copy into ") + destination + QStringLiteral(": ") + why;
}
