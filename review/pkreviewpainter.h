// SPDX-License-Identifier: MIT

#ifndef PKREVIEWPAINTER_H
#define PKREVIEWPAINTER_H

#include "pkreviewmodel.h"

#include <QColor>
#include <QFont>
#include <QRect>

class QPainter;
struct PkThumbnail;

// How the review draws its tiles, group headers and the identifiers not
// found, in the program's greys with the marker colour for what needs a look.
class PkReviewPainter
{
public:
    static constexpr int margin = 14;
    static constexpr int spacing = 10;
    static constexpr int padding = 6;
    static constexpr int tickSize = 18;

    PkReviewPainter();

    int headerHeight() const;
    int captionHeight() const;
    int notFoundHeight(const QList<QString> &ids, int width) const;
    // Where the tick box of a tile or a header lies.
    static QRect tickRect(const QRect &cell);

    void paintTile(QPainter &painter, const QRect &cell, const QString &name, const PkThumbnail *thumbnail,
                   bool ticked, bool current) const;
    void paintHeader(QPainter &painter, const QRect &rect, const PkReviewModel::Group &group,
                     Qt::CheckState state) const;
    void paintNotFound(QPainter &painter, const QRect &rect, const QList<QString> &ids) const;

    QColor background() const { return colors[0]; }

private:
    void paintTick(QPainter &painter, const QRect &box, Qt::CheckState state) const;
    void paintFileIcon(QPainter &painter, const QRect &area, const QString &name) const;
    void paintBrokenMark(QPainter &painter, const QRect &area) const;

    QFont headerFont;
    QFont nameFont;
    // background, tile, text, dim text, frame, marker
    QColor colors[6];
};

#endif // PKREVIEWPAINTER_H
