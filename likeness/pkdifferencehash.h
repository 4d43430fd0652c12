// SPDX-License-Identifier: MIT

#ifndef PKDIFFERENCEHASH_H
#define PKDIFFERENCEHASH_H

#include <QImage>

// A 64-bit fingerprint of a picture's look: the picture in grey at 9 x 8,
// each bit saying whether a pixel is brighter than its right neighbour.
// Resizing, recompression and moderate colour changes flip few bits.
class PkDifferenceHash
{
public:
    static quint64 of(const QImage &image);
};

#endif // PKDIFFERENCEHASH_H
