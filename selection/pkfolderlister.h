// SPDX-License-Identifier: MIT

#ifndef PKFOLDERLISTER_H
#define PKFOLDERLISTER_H

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Lists the files of a folder with exactly the names and order that
// QDir(folderPath).entryList(QDir::Files) gives, at a fraction of its cost:
// QDir builds a QFileInfo for every entry, while a picture folder only needs
// each entry's name and type, which the directory itself holds.
class PkFolderLister
{
public:
    // What a listing passes over that a walk of the folder's tree needs:
    // its sub-folders (never hidden, never links) and the names of files and
    // folders that are not UTF-8, as the folder holds them.
    struct Others
    {
        std::vector<std::string> folders;
        std::vector<std::string> notUtf8;
    };

    // The names of the folder's files and of its symbolic links to anything
    // but a folder, sorted by their lower-case forms; hidden names, broken
    // links, FIFOs, sockets and devices are left out, and so are names that
    // are not UTF-8. error, when given, receives the system's reason when the
    // folder cannot be opened or read, and is cleared otherwise. An empty path
    // names no folder and lists nothing.
    static QStringList fileNames(const QString &folderPath, QString *error = nullptr, Others *others = nullptr);

    // Names as the folder holds them, UTF-8 bytes one after another: a
    // batch costs a few allocations rather than one a name.
    struct Names
    {
        std::string bytes;
        std::vector<qint32> ends;

        qsizetype size() const { return qsizetype(ends.size()); }
        QByteArrayView at(qsizetype i) const
        {
            const qint32 start = i == 0 ? 0 : ends[size_t(i - 1)];
            return QByteArrayView(bytes.data() + start, ends[size_t(i)] - start);
        }
    };

    // Receives the names in batches as they are read, so that work on them
    // can go on while the rest of a large or slow folder is read.
    using Batch = std::function<void(Names)>;

    // Hands the same names as fileNames to batch, in the folder's own order,
    // a few thousand at a time as they are read; others, when given, gets
    // what is passed over.
    static void listInBatches(const QString &folderPath, const Batch &batch, QString *error = nullptr,
                              Others *others = nullptr);

    // Hands the file names of the open folder fd to take, as fileNames takes
    // them, in the folder's own order; closes fd.
    static void listOpenFolder(int fd, const std::function<void(QByteArrayView)> &take, Others *others,
                               QString *error = nullptr);

    // Decodes a name of a batch into name as fileNames would, reusing its
    // buffer: an ASCII name costs no allocation.
    static void decodeName(QByteArrayView bytes, QString &name);

    // The positions in names, a folder's own order, in the order that
    // fileNames lists them.
    static std::vector<qint32> sortOrder(const QStringList &names);
    // The given positions in names, each once, in the order that fileNames
    // lists them: a few names of a large folder are put in order at a
    // fraction of the cost of all of them. Nothing when two of them have
    // equal lower-case forms: then only sortOrder(names) can tell which of
    // them comes first.
    static std::optional<std::vector<qint32>> sortOrder(const QStringList &names, const std::vector<qint32> &positions);
};

#endif // PKFOLDERLISTER_H
