// SPDX-License-Identifier: MIT

#include "pkreviewfilter.h"

bool PkReviewFilter::passes(const PkXmpPacket::Judgement *judgement) const
{
    if (!judgement)
        return true;
    switch (kind) {
    case Kind::All:
        return true;
    case Kind::Rated:
        return judgement->rating >= stars;
    case Kind::Label:
        return judgement->label == label;
    case Kind::Rejected:
        return judgement->rating < 0;
    }
    return true;
}

QString PkReviewFilter::text() const
{
    switch (kind) {
    case Kind::All:
        break;
    case Kind::Rated:
        return stars == 5 ? QStringLiteral("Rated 5") : QStringLiteral("Rated %1 or more").arg(stars);
    case Kind::Label:
        return QStringLiteral("Label: %1").arg(label);
    case Kind::Rejected:
        return QStringLiteral("Rejected");
    }
    return QStringLiteral("All pictures");
}

QList<PkReviewFilter> PkReviewFilter::choices(const QList<QString> &labels)
{
    QList<PkReviewFilter> all{{}};
    for (int stars = 1; stars <= 5; ++stars)
        all.append({Kind::Rated, stars, {}});
    for (const QString &label : labels)
        all.append({Kind::Label, 1, label});
    all.append({Kind::Rejected, 1, {}});
    return all;
}
