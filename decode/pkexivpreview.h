// SPDX-License-Identifier: MIT

#ifndef PKEXIVPREVIEW_H
#define PKEXIVPREVIEW_H

#include "pkexivfile.h"
#include "pkrawpreview.h"

// The previews exiv2 lists in a raw file that LibRaw cannot open, newer
// cameras' files among them: the ISO base media files (CR3) and raws built
// as TIFFs. The largest JPEG preview is shown, fitted to the box and turned
// as the file says; a file whose previews are none or of another kind
// (HEIF) says so.
class PkExivPreview
{
public:
    // exiv2 reads a file whole to find its previews: a larger one is
    // refused, within a helper's memory limit.
    static constexpr qint64 maxFileBytes = PkExivFile::maxBytes;

    // bytes: the file's size. unreadable: the reason given where exiv2
    // cannot read the file either.
    static PkRawPreview::Decoded decode(const QString &path, int box, qint64 bytes, const QString &unreadable);
};

#endif // PKEXIVPREVIEW_H
