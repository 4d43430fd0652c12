// SPDX-License-Identifier: MIT

#include "pkreviewlayout.h"

#include <algorithm>

PkReviewLayout::PkReviewLayout(const QList<Group> &groups, const Metrics &metrics, int width)
    : m(metrics)
    , available(std::max(width - 2 * metrics.margin, metrics.cell.width()))
{
    headerRects.resize(groups.size());
    panelRects.resize(groups.size());
    QList<Shelf> shelves;
    int x = 0;
    for (int g = 0; g < groups.size(); ++g) {
        const int w = blockWidth(groups.at(g));
        const int gap = g > 0 ? gapBetween(groups.at(g - 1).header, groups.at(g).header) : 0;
        if (shelves.isEmpty() || x + gap + w > available) {
            shelves.append({g, 0, false});
            x = w;
        } else {
            x += gap + w;
        }
        ++shelves.last().count;
        shelves.last().header = shelves.last().header || groups.at(g).header;
    }
    int top = m.margin;
    for (int i = 0; i < shelves.size(); ++i) {
        if (i > 0)
            top = bottom + gapBetween(shelves.at(i - 1).header, shelves.at(i).header);
        place(groups, shelves.at(i), top);
    }
    bottom = groups.isEmpty() ? m.margin : bottom + m.margin;
}

// Panels stand further apart than tiles, so that each group reads as one.
int PkReviewLayout::gapBetween(bool header, bool nextHeader) const
{
    return header || nextHeader ? 2 * m.spacing : m.spacing;
}

int PkReviewLayout::columnsIn(int width) const
{
    return std::max(1, (width + m.spacing) / (m.cell.width() + m.spacing));
}

int PkReviewLayout::blockWidth(const Group &group) const
{
    const int inset = group.header ? m.inset : 0;
    const int columns = std::min(group.tiles, columnsIn(available - 2 * inset));
    return columns * (m.cell.width() + m.spacing) - m.spacing + 2 * inset;
}

void PkReviewLayout::place(const QList<Group> &groups, const Shelf &shelf, int top)
{
    const int tilesTop = top + (shelf.header ? m.headerHeight : 0);
    int x = m.margin;
    for (int g = shelf.first; g < shelf.first + shelf.count; ++g) {
        const Group &group = groups.at(g);
        if (g > shelf.first)
            x += gapBetween(groups.at(g - 1).header, group.header);
        const int inset = group.header ? m.inset : 0;
        const int width = blockWidth(group);
        const int columns = columnsIn(width - 2 * inset);
        int end = tilesTop;
        for (int i = 0; i < group.tiles; ++i) {
            const QPoint at(x + inset + (i % columns) * (m.cell.width() + m.spacing),
                            tilesTop + (i / columns) * (m.cell.height() + m.spacing));
            tileRects.append(QRect(at, m.cell));
            end = at.y() + m.cell.height();
        }
        if (group.header) {
            headerRects[g] = QRect(x + inset, top, width - 2 * inset, m.headerHeight);
            panelRects[g] = QRect(x, top, width, end + inset - top);
        }
        bottom = std::max(bottom, end + inset);
        x += width;
    }
}
