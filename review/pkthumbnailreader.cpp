// SPDX-License-Identifier: MIT

#include "pkthumbnailreader.h"
#include "pkdecoderpool.h"

bool PkThumbnailReader::isRaw(const QString &path)
{
    return PkPictureDecoder::isRaw(path);
}

PkThumbnail PkThumbnailReader::read(const QString &path, int box)
{
    return PkDecoderPool::instance().decode(path, box, PkPictureDecoder::Pass::Full);
}

QSize PkThumbnailReader::fitted(QSize size, int box)
{
    return PkPictureDecoder::fitted(size, box);
}
