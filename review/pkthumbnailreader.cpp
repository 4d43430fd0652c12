// SPDX-License-Identifier: MIT

#include "pkthumbnailreader.h"
#include "pkdecoderpool.h"

bool PkThumbnailReader::isRaw(const QString &path)
{
    return PkPictureDecoder::isRaw(path);
}

PkThumbnail PkThumbnailReader::read(const QString &path, int box, const void *owner)
{
    return PkDecoderPool::instance().decode(path, box, PkPictureDecoder::Pass::Full, nullptr, owner);
}

void PkThumbnailReader::cancel(const void *owner)
{
    PkDecoderPool::instance().cancel(owner);
}

void PkThumbnailReader::forget(const void *owner)
{
    PkDecoderPool::instance().forget(owner);
}
