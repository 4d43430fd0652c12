// SPDX-License-Identifier: MIT

#include "pkfolderlister.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// QDir::Files takes regular files and symbolic links whose target exists and
// is not a folder; a link to a FIFO or a device counts as a file there, the
// FIFO or device itself does not. Most file systems give the type in the
// directory entry, so only links (and entries of unknown type) cost a stat.
bool isListedFile(int folderFd, const char *name, unsigned char type)
{
    struct stat status;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        type = IFTODT(status.st_mode);
    }
    if (type == DT_REG)
        return true;
    if (type != DT_LNK)
        return false;
    return ::fstatat(folderFd, name, &status, 0) == 0 && !S_ISDIR(status.st_mode);
}

bool isAscii(QStringView name)
{
    return std::all_of(name.begin(), name.end(), [](QChar ch) { return ch.unicode() < 0x80; });
}

// Appends name's toLower() form as bytes that memcmp orders exactly as
// QString::compare orders the lower-case strings (by UTF-16 code unit, a
// prefix first): one byte a unit when the whole folder is ASCII, else
// big-endian UTF-16. ASCII is lowered here, since toLower() allocates.
void appendKey(std::string &keys, const QString &name, bool wide)
{
    if (isAscii(name)) {
        const size_t start = keys.size();
        keys.resize(start + size_t(name.size()) * (wide ? 2 : 1));
        char *out = keys.data() + start;
        for (QChar ch : name) {
            const char16_t unit = ch.unicode();
            if (wide)
                *out++ = '\0';
            *out++ = char(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
        }
        return;
    }
    const QString lower = name.toLower();
    for (QChar ch : lower) {
        keys.push_back(char(ch.unicode() >> 8));
        keys.push_back(char(ch.unicode() & 0xFF));
    }
}

// The sort mostly compares two integers: the first 16 bytes of the key,
// zero-padded. Unequal heads order the keys as the keys themselves would
// (where a shorter key's padding differs from the longer key, the shorter is
// its prefix and comes first); only equal heads need the key buffer.
struct SortItem
{
    quint64 headHigh;
    quint64 headLow;
    qsizetype keyOffset;
    qint32 keyLength;
    qint32 index;
};

quint64 packHead(const std::string &keys, const SortItem &item, qsizetype from)
{
    quint64 packed = 0;
    for (qsizetype i = from; i < from + 8; ++i)
        packed = packed << 8 | (i < item.keyLength ? uchar(keys[size_t(item.keyOffset + i)]) : 0u);
    return packed;
}

bool sameKey(const std::string &keys, const SortItem &a, const SortItem &b)
{
    return a.keyLength == b.keyLength
        && std::memcmp(keys.data() + a.keyOffset, keys.data() + b.keyOffset, size_t(a.keyLength)) == 0;
}

// names come in the order the directory gave them, as QDir takes them: its
// sort is not stable, so names whose lower-case forms are equal end up in an
// order that depends on where the sort found them. Running the same
// algorithm with a comparator that agrees with QDir's on every pair puts
// them exactly where QDir does. Only the names at positions are sorted; ties
// is set when two of them have equal keys.
std::vector<qint32> orderLikeQDir(const QStringList &names, const std::vector<qint32> &positions, bool *ties)
{
    const bool wide = !std::all_of(positions.begin(), positions.end(),
                                   [&names](qint32 p) { return isAscii(names.at(p)); });
    qsizetype units = 0;
    for (const qint32 p : positions)
        units += names.at(p).size();
    std::string keys;
    keys.reserve(size_t(units) * (wide ? 2 : 1));
    std::vector<SortItem> items(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        SortItem &item = items[i];
        item.keyOffset = qsizetype(keys.size());
        appendKey(keys, names.at(positions[i]), wide);
        item.keyLength = qint32(qsizetype(keys.size()) - item.keyOffset);
        item.index = positions[i];
    }
    for (SortItem &item : items) {
        item.headHigh = packHead(keys, item, 0);
        item.headLow = packHead(keys, item, 8);
    }

    const char *keyBytes = keys.data();
    std::sort(items.begin(), items.end(), [keyBytes](const SortItem &a, const SortItem &b) {
        if (a.headHigh < b.headHigh)
            return true;
        if (b.headHigh < a.headHigh)
            return false;
        if (a.headLow < b.headLow)
            return true;
        if (b.headLow < a.headLow)
            return false;
        const int order = std::memcmp(keyBytes + a.keyOffset, keyBytes + b.keyOffset,
                                      size_t(std::min(a.keyLength, b.keyLength)));
        return order < 0 || (order == 0 && a.keyLength < b.keyLength);
    });

    std::vector<qint32> order;
    order.reserve(items.size());
    *ties = false;
    for (size_t i = 0; i < items.size(); ++i) {
        order.push_back(items[i].index);
        *ties = *ties || (i > 0 && sameKey(keys, items[i - 1], items[i]));
    }
    return order;
}

std::vector<qint32> allPositions(const QStringList &names)
{
    std::vector<qint32> positions(size_t(names.size()));
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = qint32(i);
    return positions;
}

class FolderStream
{
public:
    explicit FolderStream(DIR *stream) : stream(stream) {}
    ~FolderStream()
    {
        if (stream)
            ::closedir(stream);
    }
    FolderStream(const FolderStream &) = delete;
    FolderStream &operator=(const FolderStream &) = delete;
    DIR *get() const { return stream; }

private:
    DIR *stream;
};

// A caller that works on the names while the rest are read gets them in
// batches of this many.
constexpr qsizetype batchSize = 2048;

// What an entry of a folder is to a listing: QDir::Files takes regular
// files and links to anything but a folder; a walk goes into real folders
// only, never through a link.
enum class EntryKind { File, Folder, Other };

EntryKind entryKind(int folderFd, const char *name, unsigned char type)
{
    if (type == DT_UNKNOWN) {
        struct stat status;
        if (::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        type = IFTODT(status.st_mode);
    }
    if (type == DT_DIR)
        return EntryKind::Folder;
    return isListedFile(folderFd, name, type) ? EntryKind::File : EntryKind::Other;
}

// Hands each file name of the open folder fd, as it is read, to take; others,
// when given, receives its sub-folders and the names that are not UTF-8.
// Closes fd.
template <typename Take>
void listDescriptor(int fd, Take &&take, PkFolderLister::Others *others, QString *error)
{
    FolderStream folder(::fdopendir(fd));
    if (!folder.get()) {
        const int reason = errno;
        ::close(fd);
        if (error)
            *error = qt_error_string(reason);
        return;
    }

    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder.get());
        if (!entry) {
            if (errno != 0 && error)
                *error = qt_error_string(errno);
            break;
        }
        // Hidden names, "." and ".." included, all start with a dot. QDir
        // passes over names that are not UTF-8, which no QString could give
        // back to the file system unchanged.
        const QByteArrayView name(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (name.startsWith('.'))
            continue;
        const bool utf8 = name.isValidUtf8();
        if (!others) {
            if (utf8 && isListedFile(::dirfd(folder.get()), entry->d_name, entry->d_type))
                take(name);
            continue;
        }
        const EntryKind kind = entryKind(::dirfd(folder.get()), entry->d_name, entry->d_type);
        if (kind == EntryKind::Other)
            continue;
        if (!utf8)
            others->notUtf8.emplace_back(name.data(), size_t(name.size()));
        else if (kind == EntryKind::Folder)
            others->folders.emplace_back(name.data(), size_t(name.size()));
        else
            take(name);
    }
}

template <typename Take>
void listFolder(const QString &folderPath, Take &&take, QString *error, PkFolderLister::Others *others = nullptr)
{
    const QByteArray path = QFile::encodeName(folderPath);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = qt_error_string(errno);
        return;
    }
    listDescriptor(fd, std::forward<Take>(take), others, error);
}

} // namespace

QStringList PkFolderLister::fileNames(const QString &folderPath, QString *error, Others *others)
{
    if (error)
        error->clear();
    // An empty path would list the working directory, which nobody chose.
    if (folderPath.isEmpty())
        return {};
    QStringList names;
    listFolder(folderPath, [&names](QByteArrayView name) { names.append(QString::fromLocal8Bit(name)); }, error, others);
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qint32 index : sortOrder(names))
        sorted.append(names.at(index));
    return sorted;
}

// The batches move from thread to thread without a string that both touch.
void PkFolderLister::listInBatches(const QString &folderPath, const Batch &batch, QString *error, Others *others)
{
    if (error)
        error->clear();
    if (folderPath.isEmpty())
        return;
    Names names;
    listFolder(folderPath, [&](QByteArrayView name) {
        names.bytes.append(name.data(), size_t(name.size()));
        names.ends.push_back(qint32(names.bytes.size()));
        if (names.size() == batchSize)
            batch(std::exchange(names, Names()));
    }, error, others);
    if (names.size() > 0)
        batch(std::move(names));
}

void PkFolderLister::listOpenFolder(int fd, const std::function<void(QByteArrayView)> &take, Others *others,
                                    QString *error)
{
    if (error)
        error->clear();
    listDescriptor(fd, take, others, error);
}

// ASCII is widened byte for byte while it is looked at; the rare other
// name is decoded again as a whole.
void PkFolderLister::decodeName(QByteArrayView bytes, QString &name)
{
    name.resize(bytes.size());
    char16_t *out = reinterpret_cast<char16_t *>(name.data());
    uchar high = 0;
    for (const char byte : bytes) {
        high |= uchar(byte);
        *out++ = uchar(byte);
    }
    if (high >= 0x80)
        name = QString::fromLocal8Bit(bytes);
}

std::vector<qint32> PkFolderLister::sortOrder(const QStringList &names)
{
    bool ties = false;
    return orderLikeQDir(names, allPositions(names), &ties);
}

std::optional<std::vector<qint32>> PkFolderLister::sortOrder(const QStringList &names,
                                                             const std::vector<qint32> &positions)
{
    bool ties = false;
    std::vector<qint32> order = orderLikeQDir(names, positions, &ties);
    if (ties)
        return std::nullopt;
    return order;
}
