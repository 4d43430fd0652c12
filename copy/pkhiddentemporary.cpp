// SPDX-License-Identifier: MIT

#include "pkhiddentemporary.h"

#include "pkfilecopier.h"

#include <QFile>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Its folder and its name there. Two are filled in turn, so the one a
// handler may still be reading is never the one being overwritten.
struct Temporary
{
    int folder;
    char name[NAME_MAX + 1];
};
Temporary temporaries[2];
std::atomic<const Temporary *> inProgress{nullptr};
std::atomic<int> slot{0};

} // namespace

int PkHiddenTemporary::make(int folder, const char **name)
{
    static const char characters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    Temporary *temporary = &temporaries[slot.fetch_xor(1) & 1];
    temporary->folder = folder;
    *name = temporary->name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char *end = temporary->name + std::snprintf(temporary->name, sizeof temporary->name, ".pickwell-");
        for (int i = 0; i < 6; ++i)
            *end++ = characters[QRandomGenerator::global()->bounded(int(sizeof characters) - 1)];
        *end = '\0';
        inProgress.store(temporary);
        const int fd = ::openat(folder, temporary->name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd != -1 || errno != EEXIST)
            return fd;
        inProgress.store(nullptr);
    }
    return -1;
}

void PkHiddenTemporary::forget()
{
    inProgress.store(nullptr);
}

QString PkHiddenTemporary::remove()
{
    const Temporary *own = inProgress.exchange(nullptr);
    if (own && (PkFileCopier::injectedFault(PkFileCopier::Call::RemoveTemporary) || ::unlinkat(own->folder, own->name, 0) != 0)
        && errno != ENOENT)
        return QFile::decodeName(own->name);
    return QString();
}

void PkHiddenTemporary::removeQuietly()
{
    if (const Temporary *temporary = inProgress.exchange(nullptr))
        ::unlinkat(temporary->folder, temporary->name, 0);
}
