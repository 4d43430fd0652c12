// SPDX-License-Identifier: MIT

#ifndef PKTHUMBNAIL_H
#define PKTHUMBNAIL_H

#include <QDateTime>
#include <QImage>
#include <QString>

// One file as the review shows it.
struct PkThumbnail
{
    // Picture: image holds it. Other: not a kind of picture the review reads.
    // Broken: a picture that could not be read, reason says why.
    enum class Kind { Picture, Other, Broken };

    Kind kind = Kind::Broken;
    QImage image; // fits a box of box x box pixels, upright
    int box = 0;
    QString reason;
    qint64 bytes = -1;
    QDateTime taken; // invalid where the file does not say
    // A thumbnail the file carries, stretched to the size the decoded one
    // will have, shown until that replaces it.
    bool provisional = false;
    // A picture whose data ends early: image shows what could be decoded.
    bool cutShort = false;
    // The photographer's judgement of the picture, where it was asked for
    // and found: a rating from -1 (rejected) to 5, and a colour label.
    bool judged = false;
    int rating = 0;
    QString label;
};

#endif // PKTHUMBNAIL_H
