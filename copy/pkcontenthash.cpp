// SPDX-License-Identifier: MIT

#include "pkcontenthash.h"

#include <xxhash.h>

struct PkContentHash::State
{
    XXH3_state_t *xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

PkContentHash::PkContentHash()
    : state(std::make_unique<State>())
{
    reset();
}

PkContentHash::~PkContentHash() = default;

void PkContentHash::reset()
{
    XXH3_128bits_reset(state->xxh);
}

void PkContentHash::add(const char *data, size_t size)
{
    XXH3_128bits_update(state->xxh, data, size);
}

QByteArray PkContentHash::hex() const
{
    // The canonical form is big-endian, high half first: the digits xxhsum prints.
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state->xxh));
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), sizeof canonical.digest).toHex();
}
