// SPDX-License-Identifier: MIT

#ifndef PKSIDECARPLAN_H
#define PKSIDECARPLAN_H

#include <QList>
#include <QString>

// A sidecar to mark: one a picture has, or one to create beside it.
struct PkSidecarTarget
{
    QString sidecar; // relative to the picture folder, as the picture's files are
    bool exists = false;
    QString picture; // the picture's name without extensions
    QList<QString> files; // the picture's other files

    bool operator==(const PkSidecarTarget &other) const
    {
        return sidecar == other.sidecar && exists == other.exists && picture == other.picture && files == other.files;
    }
};

// Which sidecars the picks' marks go into. A picture's sidecars are every
// one it has, under either naming (IMG_2403.xmp, IMG_2403.CR2.xmp); one
// without gets the naming its catalogue reads: IMG_2403.xmp beside a raw
// file, IMG_2403.JPG.xmp for a picture that has no raw file.
class PkSidecarPlan
{
public:
    // A path's folder ("" for none) and its last part.
    static QString folderOf(const QString &path);
    static QString nameOf(const QString &path);

    // files: the files to copy, as the match names them. Each picture is
    // planned once, in the order of its first file.
    static QList<PkSidecarTarget> plan(const QList<QString> &files);

    // files with each created sidecar after the last file of its picture, so
    // that copies carry the marks.
    static QList<QString> withCreated(const QList<QString> &files, const QList<PkSidecarTarget> &created);
};

#endif // PKSIDECARPLAN_H
