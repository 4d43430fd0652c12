// SPDX-License-Identifier: MIT

#ifndef PKREVIEWTOOLTIPS_H
#define PKREVIEWTOOLTIPS_H

#include <QString>

class PkReviewModel;
class PkThumbnailLoader;

// What the review's tooltips say of a group and of a tile. Names are the
// user's: what reads as markup in them is escaped, never rendered.
class PkReviewToolTips
{
public:
    static QString group(const PkReviewModel &model, int group);
    static QString tile(const PkReviewModel &model, PkThumbnailLoader &loader, int tile);
};

#endif // PKREVIEWTOOLTIPS_H
