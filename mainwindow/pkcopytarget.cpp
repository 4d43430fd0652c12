// SPDX-License-Identifier: MIT

#include "pkcopytarget.h"

#include "pkdestination.h"
#include "pkfilereader.h"

#include <QFileInfo>

void PkCopyTarget::choosePictures(const QString &folder)
{
    picturesFolder = folder;
    otherDestination.clear();
    also.clear();
    adding = false;
}

QString PkCopyTarget::chooseDestination(const QString &folder)
{
    const QString refusal = PkDestination::refusal(picturesFolder, folder);
    if (!refusal.isEmpty())
        return refusal;
    otherDestination = folder;
    also.clear();
    adding = false;
    return QString();
}

QString PkCopyTarget::chooseAlso(const QString &folder)
{
    QString refusal = PkDestination::refusal(picturesFolder, folder);
    if (refusal.isEmpty())
        refusal = PkDestination::besides(folder, QList<QString>{destination()} + also);
    if (refusal.isEmpty())
        also.append(folder);
    return refusal;
}

bool PkCopyTarget::canAddToExisting() const
{
    // A link in the output folder's place is never followed, so there is no
    // earlier run to add to.
    const QFileInfo output(destination() + QLatin1Char('/') + PkFileReader::outputFolderName());
    return !adding && output.isDir() && !output.isSymLink();
}

QString PkCopyTarget::warning() const
{
    const QString refusal = PkFileReader::folderRefusal(destination(), adding);
    if (refusal.isEmpty()) {
        for (const QString &backup : also) {
            if (const QString refused = PkFileReader::folderRefusal(backup, adding); !refused.isEmpty())
                return backup + QStringLiteral(": ") + refused;
        }
        return refusal;
    }
    // Both ways out are on the Image path tile's context menu.
    if (canAddToExisting())
        return refusal + QStringLiteral(" Right-click: add the rest.");
    // Otherwise, but for a file in the output folder's place, the folder
    // cannot be written into.
    const bool outputThere = QFileInfo::exists(destination() + QLatin1Char('/') + PkFileReader::outputFolderName());
    if (otherDestination.isEmpty() && (adding || !outputThere))
        return refusal + QStringLiteral(" Right-click: other folder.");
    return refusal;
}

QString PkCopyTarget::pathText() const
{
    QString text = picturesFolder;
    if (!otherDestination.isEmpty())
        text += QStringLiteral("  \u2192  %1/%2").arg(otherDestination, PkFileReader::outputFolderName());
    for (const QString &backup : also)
        text += QStringLiteral("  +  %1/%2").arg(backup, PkFileReader::outputFolderName());
    return text;
}
