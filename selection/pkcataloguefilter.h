// SPDX-License-Identifier: MIT

#ifndef PKCATALOGUEFILTER_H
#define PKCATALOGUEFILTER_H

#include <QList>
#include <QString>

// The picks as a photo catalogue's text filter takes them. A "contains"
// filter on IMG_2403 also finds IMG_24031 and IMG_2403-Edit: whole file
// names with their extensions find no neighbour.
class PkCatalogueFilter
{
public:
    enum class Join {
        Commas, // IMG_2403.CR2, IMG_2403.JPG
        Or,     // IMG_2403.CR2 OR IMG_2403.JPG
    };

    // The file names of files, each once in their order, without the folders
    // of their paths; sidecars are left out, as a catalogue keeps them with
    // their picture and lists no file of that name.
    static QList<QString> names(const QList<QString> &files);
    static QString text(const QList<QString> &files, Join join);
};

#endif // PKCATALOGUEFILTER_H
