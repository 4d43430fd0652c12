// SPDX-License-Identifier: MIT

#ifndef PKCONTENTHASH_H
#define PKCONTENTHASH_H

#include <QByteArray>

#include <memory>

// The 128-bit XXH3 hash of bytes given in pieces, as xxhsum -H2 writes it:
// fast enough to hash every byte a run copies, twice, without slowing it.
class PkContentHash
{
public:
    PkContentHash();
    ~PkContentHash();
    PkContentHash(const PkContentHash &) = delete;
    PkContentHash &operator=(const PkContentHash &) = delete;

    void reset();
    void add(const char *data, size_t size);
    // 32 lower-case hex digits of what was added since the last reset.
    QByteArray hex() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

#endif // PKCONTENTHASH_H
