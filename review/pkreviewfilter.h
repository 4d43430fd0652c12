// SPDX-License-Identifier: MIT

#ifndef PKREVIEWFILTER_H
#define PKREVIEWFILTER_H

#include "pkxmppacket.h"

#include <QList>
#include <QString>

// Which pictures the review shows by the photographer's judgement of them:
// all, those rated at least some stars, those of a colour label, or the
// rejected ones. A picture whose judgement is not read yet is shown.
struct PkReviewFilter
{
    enum class Kind { All, Rated, Label, Rejected };

    Kind kind = Kind::All;
    int stars = 1;
    QString label;

    bool passes(const PkXmpPacket::Judgement *judgement) const;
    // How the filter is offered: "All pictures", "Rated 3 or more", "Red".
    QString text() const;
    // Every filter worth offering where these labels were seen.
    static QList<PkReviewFilter> choices(const QList<QString> &labels);

    bool operator==(const PkReviewFilter &other) const
    {
        return kind == other.kind && stars == other.stars && label == other.label;
    }
};

#endif // PKREVIEWFILTER_H
