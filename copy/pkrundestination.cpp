// SPDX-License-Identifier: MIT

#include "pkrundestination.h"

#include "pkfilereader.h"

PkRunDestination::PkRunDestination(const QString &folder, bool resume, bool verify)
    : folder(folder)
    , outputPath(folder + QLatin1Char('/') + PkFileReader::outputFolderName())
    , copier(resume)
{
    copier.setVerify(verify);
}

QString PkRunDestination::openFolder(PkFileCopier::RunEnd &end)
{
    return PkFileCopier::makeOutputFolder(outputPath, output, &end);
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
    if (!PkFileCopier::stillAt(output.get(), outputPath))
        return {PkFileCopier::Outcome::Failed, QString(), PkFileCopier::RunEnd::DestinationGone, QByteArray(), QString()};
    const qsizetype slash = flat ? -1 : name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0 && (subfolderName != name.first(slash) || !subfolder.isOpen())) {
        subfolderName = name.first(slash);
        const PkFileCopier::Result made = PkFileCopier::makeSubfolder(output.get(), subfolderName, subfolder);
        if (made.outcome == PkFileCopier::Outcome::Failed)
            return made;
    }
    const QString source = pictures + QLatin1Char('/') + name;
    if (slash < 0)
        return copier.copy(source, output.get(), copyName(name, flat));
    return copier.copy(source, subfolder.get(), name.sliced(slash + 1));
}
