// SPDX-License-Identifier: MIT

#include "pkreviewpainter.h"
#include "pkthumbnail.h"
#include "pwtools.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

enum Color { Background, Tile, Text, DimText, Frame, Marker, Panel };

QString counted(int count, const char *one, const char *many)
{
    return count == 1 ? QStringLiteral("1 ") + QLatin1String(one) : QStringLiteral("%1 %2").arg(count).arg(QLatin1String(many));
}

} // namespace

PkReviewPainter::PkReviewPainter()
    : headerFont(QStringLiteral("Bender"))
    , nameFont(QStringLiteral("Bender"))
    , badgeFont(QStringLiteral("Bender"))
{
    headerFont.setPixelSize(15);
    headerFont.setBold(true);
    nameFont.setPixelSize(13);
    badgeFont.setPixelSize(10);
    badgeFont.setBold(true);
    const PwTools tools;
    const char *names[] = {"gray1", "gray2", "gray8", "gray5", "gray7", "marker", "gray1.5"};
    std::transform(std::begin(names), std::end(names), colors, [&tools](const char *name) { return tools.getColor(QLatin1String(name)); });
}

int PkReviewPainter::headerHeight(int cellWidth) const
{
    // A picture of many files, left out, is the longest count of a one-tile group.
    const QFontMetrics small(nameFont);
    const int lines = cellWidth < small.horizontalAdvance(QStringLiteral("1 picture, 10 files, left out")) ? 2 : 1;
    return QFontMetrics(headerFont).height() + lines * small.height() + 3 * padding;
}

int PkReviewPainter::captionHeight(bool folders) const
{
    const QFontMetrics metrics(nameFont);
    return metrics.height() + (folders ? metrics.lineSpacing() : 0) + padding;
}

// The font's own spacing would let an underscore touch the line below.
int PkReviewPainter::lineHeight() const
{
    return QFontMetrics(nameFont).lineSpacing() + 4;
}

int PkReviewPainter::headerWidth(const QString &text) const
{
    return QFontMetrics(headerFont).horizontalAdvance(text);
}

int PkReviewPainter::notFoundHeight(const QList<QString> &ids) const
{
    return ids.isEmpty() ? 0 : headerHeight() + int(ids.size()) * lineHeight() + margin;
}

QRect PkReviewPainter::tickRect(const QRect &cell)
{
    return QRect(cell.left() + padding + 4, cell.top() + padding + 4, tickSize, tickSize);
}

QRect PkReviewPainter::headerLine(const QRect &header) const
{
    return QRect(header.left(), header.top() + padding, header.width(), QFontMetrics(headerFont).height());
}

QRect PkReviewPainter::headerTickRect(const QRect &header) const
{
    QRect tick(0, 0, tickSize, tickSize);
    tick.moveCenter(headerLine(header).center());
    tick.moveLeft(header.left());
    return tick;
}

QString PkReviewPainter::countText(int pictures, int files)
{
    return counted(pictures, "picture", "pictures") + QStringLiteral(", ") + counted(files, "file", "files");
}

QStringList PkReviewPainter::headerParts(const PkReviewModel::Group &group, Qt::CheckState state)
{
    QString count = countText(group.pictures, int(group.files.size()));
    if (group.files.isEmpty())
        count = QStringLiteral("nothing to copy");
    else if (state == Qt::Unchecked)
        count += QStringLiteral(", left out");
    QStringList marks;
    if (group.notFound)
        marks << QStringLiteral("not found");
    if (group.ambiguous)
        marks << QStringLiteral("ambiguous");
    if (group.near)
        marks << QStringLiteral("near match");
    if (!group.how.isEmpty())
        marks << group.how;
    const QString id = group.id.isEmpty() ? QStringLiteral("Without identifier") : group.id;
    return marks.isEmpty() ? QStringList{id, count} : QStringList{id, marks.join(QStringLiteral(", ")), count};
}

void PkReviewPainter::paintTick(QPainter &painter, const QRect &box, Qt::CheckState state) const
{
    painter.setPen(QPen(state == Qt::Unchecked ? colors[Text] : colors[Marker], 1.5));
    painter.setBrush(state == Qt::Unchecked ? QColor(0, 0, 0, 140) : colors[Marker]);
    painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.setPen(QPen(colors[Background], 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF origin = box.topLeft();
    const qreal s = box.width();
    if (state == Qt::Checked)
        painter.drawPolyline(QPolygonF({origin + QPointF(s * 0.22, s * 0.52), origin + QPointF(s * 0.42, s * 0.72),
                                        origin + QPointF(s * 0.78, s * 0.3)}));
    else if (state == Qt::PartiallyChecked)
        painter.drawLine(origin + QPointF(s * 0.25, s * 0.5), origin + QPointF(s * 0.75, s * 0.5));
}

void PkReviewPainter::paintTile(QPainter &painter, const QRect &cell, const TileLook &look) const
{
    painter.fillRect(cell, colors[Tile]);
    const int box = cell.width() - 2 * padding;
    const QRect area(cell.left() + padding, cell.top() + padding, box, box);
    paintThumbnail(painter, area, look);
    if (look.judgement)
        paintJudgement(painter, area, *look.judgement,
                       look.thumbnail && look.thumbnail->cutShort ? QFontMetrics(badgeFont).height() + 4 : 0);
    const bool dim = look.state == Qt::Unchecked && !look.example && !look.choosing;
    if (dim)
        painter.fillRect(cell, QColor(0, 0, 0, 150));
    const QFontMetrics metrics(nameFont);
    const QRect caption(cell.left() + padding, area.bottom() + 1, box, captionHeight());
    painter.setFont(nameFont);
    painter.setPen(colors[dim ? DimText : Text]);
    painter.drawText(caption, Qt::AlignCenter, metrics.elidedText(look.caption, Qt::ElideMiddle, box));
    if (!look.folder.isEmpty()) {
        painter.setPen(colors[DimText]);
        painter.drawText(caption.translated(0, metrics.lineSpacing()), Qt::AlignCenter,
                         metrics.elidedText(look.folder, Qt::ElideMiddle, box));
    }
    paintBadges(painter, area.bottomLeft() + QPoint(4, -4), look.badges);
    if (look.example)
        paintExampleFrame(painter, cell);
    else
        paintTick(painter, tickRect(cell), look.state);
    if (look.current) {
        painter.setPen(QPen(colors[Frame], 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(cell).adjusted(1, 1, -1, -1));
    }
}

void PkReviewPainter::paintThumbnail(QPainter &painter, const QRect &area, const TileLook &look) const
{
    const PkThumbnail *thumbnail = look.thumbnail;
    if (!thumbnail)
        return;
    if (thumbnail->kind == PkThumbnail::Kind::Other)
        return paintFileIcon(painter, area, look.shownName);
    if (thumbnail->kind == PkThumbnail::Kind::Broken)
        return paintBrokenMark(painter, area);
    const QSize size = thumbnail->image.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), thumbnail->box == area.width() ? thumbnail->image.size() : size);
    target.moveCenter(area.center());
    painter.drawImage(target, thumbnail->image);
    if (thumbnail->cutShort)
        paintMark(painter, area, QStringLiteral("Cut short"), Qt::AlignRight);
}

// Top right, below a "Cut short" mark: "Rejected" in the marker colour, or
// the label (a dot in its colour for the names the common tools write) and
// the stars on a dark ground.
void PkReviewPainter::paintJudgement(QPainter &painter, const QRect &area, const PkXmpPacket::Judgement &judgement,
                                     int top) const
{
    const QRect below = area.adjusted(0, top, 0, 0);
    if (judgement.rating < 0)
        return paintMark(painter, below, QStringLiteral("Rejected"), Qt::AlignRight);
    static const QHash<QString, QColor> colours{{QStringLiteral("red"), QColor(0xd6, 0x45, 0x41)},
                                                {QStringLiteral("yellow"), QColor(0xe6, 0xc2, 0x29)},
                                                {QStringLiteral("green"), QColor(0x4c, 0xaf, 0x50)},
                                                {QStringLiteral("blue"), QColor(0x3f, 0x7f, 0xd6)},
                                                {QStringLiteral("purple"), QColor(0x9b, 0x59, 0xb6)}};
    const QColor dot = colours.value(judgement.label.toLower());
    const QFontMetrics metrics(badgeFont);
    const int h = metrics.height() + 2, star = h - 4;
    const QString text = dot.isValid() || judgement.label.isEmpty()
        ? QString() : metrics.elidedText(judgement.label, Qt::ElideRight, area.width() / 2);
    const int width = (dot.isValid() ? star + 4 : 0) + (text.isEmpty() ? 0 : metrics.horizontalAdvance(text) + 4)
        + judgement.rating * (star + 1);
    if (width == 0)
        return;
    QRect ground(0, 0, width + 6, h);
    ground.moveTopRight(below.topRight() + QPoint(-4, 4));
    painter.fillRect(ground, QColor(0, 0, 0, 170));
    int x = ground.left() + 3;
    painter.setRenderHint(QPainter::Antialiasing);
    if (dot.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot);
        painter.drawEllipse(QRectF(x, ground.top() + 2, star, star));
        x += star + 4;
    }
    if (!text.isEmpty()) {
        painter.setFont(badgeFont);
        painter.setPen(colors[Text]);
        painter.drawText(QRect(x, ground.top(), metrics.horizontalAdvance(text), h), Qt::AlignCenter, text);
        x += metrics.horizontalAdvance(text) + 4;
    }
    for (int i = 0; i < judgement.rating; ++i, x += star + 1)
        paintStar(painter, QRectF(x, ground.top() + 2, star, star));
}

void PkReviewPainter::paintStar(QPainter &painter, const QRectF &box) const
{
    QPolygonF star;
    for (int point = 0; point < 10; ++point) {
        const qreal radius = (point % 2 ? 0.4 : 1.0) * box.width() / 2;
        const qreal angle = M_PI * (point / 5.0 - 0.5);
        star << box.center() + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors[Text]);
    painter.drawPolygon(star);
}

// A label in the marker colour in a top corner of area.
void PkReviewPainter::paintMark(QPainter &painter, const QRect &area, const QString &text, Qt::Alignment corner) const
{
    const QFontMetrics metrics(badgeFont);
    QRect mark(0, 0, metrics.horizontalAdvance(text) + 8, metrics.height() + 2);
    if (corner & Qt::AlignRight)
        mark.moveTopRight(area.topRight() + QPoint(-4, 4));
    else
        mark.moveTopLeft(area.topLeft() + QPoint(4, 4));
    painter.fillRect(mark, colors[Marker]);
    painter.setFont(badgeFont);
    painter.setPen(colors[Background]);
    painter.drawText(mark, Qt::AlignCenter, text);
}

// Where other tiles have their tick, the example says what it is, and a
// frame in the marker colour sets it apart from the pictures to copy.
void PkReviewPainter::paintExampleFrame(QPainter &painter, const QRect &cell) const
{
    painter.setPen(QPen(colors[Marker], 1.5, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(cell).adjusted(2.5, 2.5, -2.5, -2.5));
    paintMark(painter, cell.adjusted(padding, padding, -padding, 0), QStringLiteral("Example"), Qt::AlignLeft);
}

void PkReviewPainter::paintBadges(QPainter &painter, QPoint bottomLeft, const QStringList &badges) const
{
    const QFontMetrics metrics(badgeFont);
    painter.setFont(badgeFont);
    QRect badge(bottomLeft.x(), bottomLeft.y() - metrics.height() - 2, 0, metrics.height() + 2);
    for (const QString &text : badges) {
        badge.setWidth(metrics.horizontalAdvance(text) + 8);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colors[Frame].darker(400));
        painter.drawRoundedRect(badge, 3, 3);
        painter.setPen(colors[Text]);
        painter.drawText(badge, Qt::AlignCenter, text);
        badge.translate(badge.width() + 3, 0);
    }
}

// A sheet with a folded corner and the file's extension on it.
void PkReviewPainter::paintFileIcon(QPainter &painter, const QRect &area, const QString &name) const
{
    const int w = area.width() * 2 / 5, h = w * 5 / 4, fold = w / 4;
    QRect sheet(0, 0, w, h);
    sheet.moveCenter(area.center());
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(colors[DimText], 1.5));
    painter.setBrush(colors[Background]);
    painter.drawPath(outline);
    const QString suffix = QFileInfo(name).suffix().toUpper();
    painter.setFont(headerFont);
    painter.setPen(colors[Text]);
    painter.drawText(sheet, Qt::AlignCenter, QFontMetrics(headerFont).elidedText(suffix, Qt::ElideRight, w - 4));
}

// A picture frame torn through, in the marker colour.
void PkReviewPainter::paintBrokenMark(QPainter &painter, const QRect &area) const
{
    QRect frame(0, 0, area.width() / 2, area.width() * 3 / 8);
    frame.moveCenter(area.center());
    painter.setPen(QPen(colors[Marker], 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    const int step = frame.width() / 6;
    QPolygon tear;
    for (int i = 0; i <= 6; ++i)
        tear << QPoint(frame.left() + i * step, frame.center().y() + (i % 2 ? -step / 2 : step / 2));
    painter.drawPolyline(tear);
}

void PkReviewPainter::paintPanel(QPainter &painter, const QRect &rect) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors[Panel]);
    painter.drawRoundedRect(rect, 5, 5);
}

// The identifier beside the tick, its count and marks on a line below.
void PkReviewPainter::paintHeader(QPainter &painter, const QRect &rect, const QStringList &parts,
                                  Qt::CheckState state, bool tick) const
{
    const QFontMetrics big(headerFont), small(nameFont);
    const QRect first = headerLine(rect);
    if (tick)
        paintTick(painter, headerTickRect(rect), state);
    painter.setFont(headerFont);
    painter.setPen(colors[Text]);
    const QRect id = first.adjusted(tickSize + 8, 0, 0, 0);
    painter.drawText(id, Qt::AlignLeft | Qt::AlignVCenter, big.elidedText(parts.value(0), Qt::ElideMiddle, id.width()));
    painter.setFont(nameFont);
    const int lines = rect.height() >= headerHeight(0) ? 2 : 1;
    for (const HeaderRun &run : headerRuns(parts, rect.width(), lines)) {
        // Each line gets room below its text, for the descenders and marks
        // the font's tightened metrics leave out.
        const QRect line(rect.left() + run.x, first.bottom() + run.line * small.height(), rect.width() - run.x,
                         small.height() + padding);
        painter.setPen(colors[run.count ? DimText : Marker]);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom, run.text);
    }
}

// Marks come before the count. Where both do not fit on a line, the marks
// take the first line and the count the second; a count wider than a line is
// broken after a comma, and the marks follow it.
QList<PkReviewPainter::HeaderRun> PkReviewPainter::headerRuns(const QStringList &parts, int width, int lines) const
{
    const QFontMetrics small(nameFont);
    const QString count = parts.size() > 1 ? parts.last() : QString();
    const QString marks = QStringList(parts.mid(1, std::max(0, int(parts.size()) - 2))).join(QStringLiteral("  "));
    const int gap = small.horizontalAdvance(QStringLiteral("  "));
    const int countWidth = small.horizontalAdvance(count);
    QList<HeaderRun> runs;
    // The marks at x on line, elided to room; returns where what follows starts.
    const auto addMarks = [&](int line, int x, int room) {
        const QString shown = small.elidedText(marks, Qt::ElideRight, room);
        if (marks.isEmpty() || room <= 0 || shown.isEmpty())
            return x;
        runs.append({shown, line, x, false});
        return x + small.horizontalAdvance(shown) + gap;
    };
    // Whether the marks fit whole is the eliding's own answer: their advance
    // is rounded, the eliding measures to a fraction of a pixel.
    const bool oneLine = marks.isEmpty() ? countWidth <= width
                                         : small.elidedText(marks, Qt::ElideRight, width - gap - countWidth) == marks;
    if (lines < 2 || oneLine) {
        runs.append({count, 0, addMarks(0, 0, width - gap - countWidth), true});
        return runs;
    }
    if (countWidth <= width) {
        addMarks(0, 0, width);
        runs.append({count, marks.isEmpty() ? 0 : 1, 0, true});
        return runs;
    }
    qsizetype cut = count.lastIndexOf(QStringLiteral(", "));
    while (cut > 0 && small.horizontalAdvance(count.left(cut + 1)) > width)
        cut = count.lastIndexOf(QStringLiteral(", "), cut - 1);
    if (cut <= 0) {
        runs.append({small.elidedText(count, Qt::ElideRight, width), 0, 0, true});
        return runs;
    }
    const QString tail = count.mid(cut + 2);
    runs.append({count.left(cut + 1), 0, 0, true});
    runs.append({tail, 1, 0, true});
    const int after = small.horizontalAdvance(tail) + gap;
    addMarks(1, after, width - after);
    return runs;
}

void PkReviewPainter::paintNotFound(QPainter &painter, const QRect &rect, const QList<QString> &ids) const
{
    painter.setPen(colors[Marker]);
    painter.setFont(headerFont);
    const QRect header(rect.left(), rect.top(), rect.width(), headerHeight());
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                     ids.size() == 1 ? QStringLiteral("1 identifier not found")
                                     : QStringLiteral("%1 identifiers not found").arg(ids.size()));
    painter.setFont(nameFont);
    painter.setPen(colors[Text]);
    QRect line(rect.left(), header.bottom() + 1, rect.width(), lineHeight());
    for (const QString &id : ids) {
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QFontMetrics(nameFont).elidedText(id, Qt::ElideMiddle, line.width()));
        line.translate(0, lineHeight());
    }
}
