// SPDX-License-Identifier: MIT

#ifndef PKREVIEWLAYOUT_H
#define PKREVIEWLAYOUT_H

#include <QList>
#include <QRect>
#include <QSize>

// Where the review's tiles and group headers go: tiles flow left to right
// and wrap, and groups sit side by side on a shelf while they fit. A group
// with a header gets a panel around its header and tiles, so it reads as one;
// every tile on a shelf starts at the same height. Group wider than a shelf
// fill whole rows on shelves of their own.
class PkReviewLayout
{
public:
    struct Metrics
    {
        QSize cell;          // one tile
        int headerHeight = 0;
        int margin = 0;      // around the whole
        int spacing = 0;     // between tiles; twice that beside a panel
        int inset = 0;       // between a panel's edge and its tiles
    };
    struct Group
    {
        int tiles = 0;
        bool header = true;
    };

    PkReviewLayout() = default;
    PkReviewLayout(const QList<Group> &groups, const Metrics &metrics, int width);

    const QList<QRect> &tiles() const { return tileRects; }
    // Per group; empty rectangles for a group without a header.
    const QList<QRect> &headers() const { return headerRects; }
    const QList<QRect> &panels() const { return panelRects; }
    int height() const { return bottom; }

private:
    struct Shelf
    {
        int first = 0; // group
        int count = 0;
        bool header = false;
    };

    int gapBetween(bool header, bool nextHeader) const;
    int columnsIn(int width) const;
    int blockWidth(const Group &group) const;
    void place(const QList<Group> &groups, const Shelf &shelf, int top);

    Metrics m;
    int available = 0;
    QList<QRect> tileRects;
    QList<QRect> headerRects;
    QList<QRect> panelRects;
    int bottom = 0;
};

#endif // PKREVIEWLAYOUT_H
