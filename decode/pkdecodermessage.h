// SPDX-License-Identifier: MIT

#ifndef PKDECODERMESSAGE_H
#define PKDECODERMESSAGE_H

#include "pkpicturedecoder.h"

#include <QByteArray>
#include <QStringList>

// What goes between Pickwell and a decoder helper: a request (a path, a box
// and a pass) and its answer (a thumbnail, its pixels raw), or a sidecar's
// packet to change and the packet changed. Each is framed
// by its length. An answer is read as coming from a process that may have
// been taken over by a hostile file: every size in it is checked.
class PkDecoderMessage
{
public:
    // Larger than any picture a box allows, smaller than what would hurt.
    static constexpr quint32 maxFrame = 256 * 1024 * 1024;
    static constexpr int maxSide = 8192;

    struct Request
    {
        enum class Kind : quint8 { Thumbnail, XmpEdit };
        QString path;
        int box = 0;
        PkPictureDecoder::Pass pass = PkPictureDecoder::Pass::Full;
        Kind kind = Kind::Thumbnail;
        QByteArray payload; // an XMP edit's own request
        // Whether the thumbnail comes with the picture's judgement, read from
        // these sidecars or the file itself.
        bool judge = false;
        QStringList sidecars;
    };

    static QByteArray request(const Request &request);
    static bool readRequest(const QByteArray &frame, Request *request);
    static QByteArray answer(const PkThumbnail &thumbnail, bool found);
    static bool readAnswer(const QByteArray &frame, PkThumbnail *thumbnail, bool *found);

    // Blocking reads and writes of whole frames on a file descriptor.
    static bool writeFrame(int fd, const QByteArray &payload);
    // deadlineMs < 0: wait as long as it takes. timedOut says why it failed.
    static bool readFrame(int fd, QByteArray *payload, int deadlineMs = -1, bool *timedOut = nullptr);
};

#endif // PKDECODERMESSAGE_H
