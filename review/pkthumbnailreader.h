// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAILREADER_H
#define PKTHUMBNAILREADER_H

#include "pkthumbnail.h"


// Makes one file's thumbnail, or a larger look at it, in a decoder helper:
// bounded in time and memory whatever the file holds. Blocks the calling
// thread while it waits, so never call it on the GUI thread.
class PkThumbnailReader
{
public:
    static bool isRaw(const QString &path);
    // The decoded picture, fitting box x box; from the shared thumbnail
    // cache where it holds a fresh one for a box up to 1024. owner: whose
    // request it is, for cancel().
    static PkThumbnail read(const QString &path, int box, const void *owner = nullptr);
    // Ends owner's requests at once (they come back broken, with no reason),
    // and refuses its new ones until forget(owner): closing a window never
    // waits for a picture.
    static void cancel(const void *owner);
    static void forget(const void *owner);
};

#endif // PKTHUMBNAILREADER_H
