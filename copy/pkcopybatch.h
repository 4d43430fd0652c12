// SPDX-License-Identifier: MIT

#ifndef PKCOPYBATCH_H
#define PKCOPYBATCH_H

#include <QByteArray>
#include <QString>

#include "pkfiledescriptor.h"

#include <memory>
#include <vector>

#include <sys/stat.h>

// Verified copies that wait, unnamed, to be read back together: the drive
// then writes them out and reads them back in one stream, not one file at
// a time.
class PkCopyBatch
{
public:
    // A copy that waits, with what it takes to finish it: its picture and
    // its folder stay open, as they were when it was made.
    struct Copy
    {
        QString source;
        PkFileDescriptor in;
        PkFileDescriptor out;
        PkFileDescriptor folder;
        struct stat status = {};
        QByteArray name;
        QByteArray hash;
        int settled = 0; // the errno of writing it out, if that failed
    };

    // A batch is read back once it holds this much.
    static constexpr qint64 maxBytes = 256 << 20;

    // Takes copy over; the drive may begin writing it out while the next
    // ones are made.
    void add(std::unique_ptr<Copy> copy);
    bool isFull(int files) const { return qsizetype(copies.size()) >= files || bytes >= maxBytes; }
    bool isEmpty() const { return copies.empty(); }
    // The oldest copy. The first one taken writes the whole batch out, drops
    // it from this machine's cache and asks for it again at once.
    std::unique_ptr<Copy> takeNext();
    void clear();

private:
    std::vector<std::unique_ptr<Copy>> copies;
    qint64 bytes = 0;
    bool settled = false;
};

#endif // PKCOPYBATCH_H
