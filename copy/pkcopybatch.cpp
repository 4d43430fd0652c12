// SPDX-License-Identifier: MIT

#include "pkcopybatch.h"

#include "pkcopycontents.h"

#include <utility>

void PkCopyBatch::add(std::unique_ptr<Copy> copy)
{
    PkCopyContents::startWriting(copy->out.get());
    bytes += copy->status.st_size;
    copies.push_back(std::move(copy));
}

std::unique_ptr<PkCopyBatch::Copy> PkCopyBatch::takeNext()
{
    if (!std::exchange(settled, true)) {
        for (const auto &copy : copies)
            copy->settled = PkCopyContents::settle(copy->out.get(), true);
    }
    std::unique_ptr<Copy> copy = std::move(copies.front());
    copies.erase(copies.begin());
    bytes -= copy->status.st_size;
    if (copies.empty())
        clear();
    return copy;
}

// Copies dropped are gone: unnamed files leave nothing behind.
void PkCopyBatch::clear()
{
    copies.clear();
    bytes = 0;
    settled = false;
}
