// SPDX-License-Identifier: MIT

#ifndef PKREVIEWPAINTER_H
#define PKREVIEWPAINTER_H

#include "pkreviewmodel.h"
#include "pkxmppacket.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>

#include <limits>

class QPainter;
struct PkThumbnail;

// How the review draws its tiles, group panels and headers and the
// identifiers not found, in the program's greys with the marker colour for
// what needs a look.
class PkReviewPainter
{
public:
    static constexpr int margin = 14;
    static constexpr int spacing = 10;
    static constexpr int padding = 6;
    static constexpr int tickSize = 18;

    struct TileLook
    {
        QString caption;
        QStringList badges;
        const PkThumbnail *thumbnail = nullptr;
        QString shownName; // the file whose thumbnail it is
        Qt::CheckState state = Qt::Checked;
        bool current = false;
        bool example = false; // the client's example: marked, framed, without a tick
        // Among the pictures an ambiguous example may show, none ticked yet:
        // not dimmed, so that each can be compared with the example.
        bool choosing = false;
        QString folder; // a line under the caption, when set
        const PkXmpPacket::Judgement *judgement = nullptr; // the picture's rating and label
    };

    // A piece of a header's second part: the marks, or the count or a
    // piece of it, on the first or second line below the identifier.
    struct HeaderRun
    {
        QString text;
        int line = 0;
        int x = 0;
        bool count = false;
    };

    PkReviewPainter();

    // For headers as narrow as cellWidth: one line below the identifier
    // where a count fits beside its marks, two in the smallest tiles.
    int headerHeight(int cellWidth = std::numeric_limits<int>::max()) const;
    // With folders, each caption has room for a folder under it.
    int captionHeight(bool folders = false) const;
    // A line of the list of identifiers not found.
    int lineHeight() const;
    int headerWidth(const QString &text) const;
    int notFoundHeight(const QList<QString> &ids) const;
    // Where the tick box of a tile lies.
    static QRect tickRect(const QRect &cell);
    QRect headerTickRect(const QRect &header) const;
    // "1 picture, 3 files"
    static QString countText(int pictures, int files);
    // The header's parts: the identifier, its count, its marks.
    static QStringList headerParts(const PkReviewModel::Group &group, Qt::CheckState state);
    // The marks and the count of parts laid out in width on lines lines:
    // the count is never cut, the marks are elided to the room left.
    QList<HeaderRun> headerRuns(const QStringList &parts, int width, int lines) const;

    void paintTile(QPainter &painter, const QRect &cell, const TileLook &look) const;
    void paintPanel(QPainter &painter, const QRect &rect) const;
    // tick: whether the header has a tick box; a group of only an example has none.
    void paintHeader(QPainter &painter, const QRect &rect, const QStringList &parts, Qt::CheckState state,
                     bool tick = true) const;
    void paintNotFound(QPainter &painter, const QRect &rect, const QList<QString> &ids) const;
    void paintBadges(QPainter &painter, QPoint bottomLeft, const QStringList &badges) const;
    void paintTick(QPainter &painter, const QRect &box, Qt::CheckState state) const;

    QColor background() const { return colors[0]; }
    QColor marker() const { return colors[5]; }

private:
    QRect headerLine(const QRect &header) const;
    void paintThumbnail(QPainter &painter, const QRect &area, const TileLook &look) const;
    void paintFileIcon(QPainter &painter, const QRect &area, const QString &name) const;
    void paintBrokenMark(QPainter &painter, const QRect &area) const;
    void paintMark(QPainter &painter, const QRect &area, const QString &text, Qt::Alignment corner) const;
    void paintExampleFrame(QPainter &painter, const QRect &cell) const;
    void paintJudgement(QPainter &painter, const QRect &area, const PkXmpPacket::Judgement &judgement, int top) const;
    void paintStar(QPainter &painter, const QRectF &box) const;

    QFont headerFont;
    QFont nameFont;
    QFont badgeFont;
    // background, tile, text, dim text, frame, marker, panel
    QColor colors[7];
};

#endif // PKREVIEWPAINTER_H
