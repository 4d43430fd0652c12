// SPDX-License-Identifier: MIT

#ifndef PKFOLDERTREE_H
#define PKFOLDERTREE_H

#include "pkfolderlister.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// The files of a picture folder's sub-folders, to any depth, as a job is kept
// on cards and shares: one level per card or camera folder, date folders
// below that. What is not a picture of the job is passed over at any depth:
// earlier runs' output, hidden names (the ._ files a Mac writes beside each
// picture on a card, .thumbnails, .Trash-1000) and the folders that NAS
// systems, catalogues and editors keep beside the pictures. Links to folders
// are never followed, no folder is walked twice, and the depth is bounded.
class PkFolderTree
{
public:
    // How many levels below the picture folder are walked.
    static constexpr int maxDepth = 32;

    struct Walk
    {
        // Relative paths ("CardA/IMG_0001.JPG"), ordered as a folder's listing
        // orders names, by their lower-case forms.
        QStringList names;
        // How many sub-folders were walked.
        int folders = 0;
        // What kept a sub-folder from being walked whole, one line each with
        // its relative path ("CardB/DCIM: Permission denied"), in order.
        QStringList problems;
        // Names of files and folders that are not UTF-8, as relative paths
        // with each byte that is not part of UTF-8 written as \xHH.
        QStringList notUtf8;
    };

    // Walks the sub-folders of folderPath that its own listing found (folders,
    // as the folder holds their names), several at once so that the round
    // trips of a share overlap; threads says how many at most. With batch,
    // each folder's files are handed to it as relative paths as soon as the
    // folder is read, from the walking threads, in no set order, and names
    // is left empty.
    static Walk walk(const QString &folderPath, const std::vector<std::string> &folders, int threads = 4,
                     const PkFolderLister::Batch &batch = {});

    // Tests only: asked before each sub-folder is opened, with its relative
    // path; a nonzero answer is taken as the errno of opening it.
    using OpenHook = int (*)(const QString &relative);
    static void setOpenHook(OpenHook hook);

    // Whether a folder of this name is left out wherever it lies.
    static bool isPassedOver(QByteArrayView name);
    // What editors and catalogues keep beside a picture: XMP, RawTherapee,
    // DxO, ON1 and Capture One settings. path may hold folders.
    static bool isSidecar(std::string_view path);

    // name with each byte that is not part of UTF-8 written as \xHH, for the
    // user to find and rename.
    static QString readable(QByteArrayView name);

    // A file name that files of several folders share: copied into one
    // folder, one would take the other's place, so neither is copied.
    struct Clash
    {
        QString name;
        QStringList folders; // relative paths, "." for the picture folder itself
    };
    // The names that files (relative paths, in order) share, in the order
    // they first turn up; files is left with those that clash with none.
    static QList<Clash> takeClashes(QList<QString> &files);
};

#endif // PKFOLDERTREE_H
