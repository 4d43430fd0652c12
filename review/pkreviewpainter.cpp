// SPDX-License-Identifier: MIT

#include "pkreviewpainter.h"
#include "pkthumbnail.h"
#include "pwtools.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

enum Color { Background, Tile, Text, DimText, Frame, Marker };

QString notFoundText(const QList<QString> &ids)
{
    return QStringList(ids).join(QStringLiteral(",  "));
}

} // namespace

PkReviewPainter::PkReviewPainter()
    : headerFont(QStringLiteral("Bender"))
    , nameFont(QStringLiteral("Bender"))
{
    headerFont.setPixelSize(18);
    headerFont.setBold(true);
    nameFont.setPixelSize(13);
    const PwTools tools;
    const char *names[] = {"gray1", "gray1.5", "gray8", "gray5", "gray7", "marker"};
    for (int i = 0; i < 6; ++i)
        colors[i] = tools.getColor(QLatin1String(names[i]));
}

int PkReviewPainter::headerHeight() const
{
    return QFontMetrics(headerFont).height() + 2 * spacing;
}

int PkReviewPainter::captionHeight() const
{
    return QFontMetrics(nameFont).height() + padding;
}

int PkReviewPainter::notFoundHeight(const QList<QString> &ids, int width) const
{
    if (ids.isEmpty())
        return 0;
    const QRect text = QFontMetrics(nameFont).boundingRect(QRect(0, 0, std::max(width, 1), 1 << 24),
                                                           Qt::TextWordWrap, notFoundText(ids));
    return headerHeight() + text.height() + margin;
}

QRect PkReviewPainter::tickRect(const QRect &cell)
{
    return QRect(cell.left() + padding, cell.top() + padding, tickSize, tickSize);
}

void PkReviewPainter::paintTick(QPainter &painter, const QRect &box, Qt::CheckState state) const
{
    painter.setPen(QPen(colors[state == Qt::Unchecked ? DimText : Marker], 1.5));
    painter.setBrush(state == Qt::Unchecked ? QColor(0, 0, 0, 120) : colors[Marker]);
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

void PkReviewPainter::paintTile(QPainter &painter, const QRect &cell, const QString &name,
                                const PkThumbnail *thumbnail, bool ticked, bool current) const
{
    painter.fillRect(cell, colors[Tile]);
    const int box = cell.width() - 2 * padding;
    const QRect area(cell.left() + padding, cell.top() + padding, box, box);
    if (thumbnail && thumbnail->kind == PkThumbnail::Kind::Picture) {
        const QSize size = thumbnail->image.size().scaled(area.size(), Qt::KeepAspectRatio);
        const QSize shown = thumbnail->box == box ? thumbnail->image.size() : size;
        QRect target(QPoint(), shown);
        target.moveCenter(area.center());
        painter.drawImage(target, thumbnail->image);
    } else if (thumbnail && thumbnail->kind == PkThumbnail::Kind::Other) {
        paintFileIcon(painter, area, name);
    } else if (thumbnail) {
        paintBrokenMark(painter, area);
    }
    if (!ticked)
        painter.fillRect(area, QColor(0, 0, 0, 150));
    const QRect caption(cell.left() + padding, area.bottom() + 1, box, captionHeight());
    painter.setFont(nameFont);
    painter.setPen(colors[ticked ? Text : DimText]);
    painter.drawText(caption, Qt::AlignCenter,
                     QFontMetrics(nameFont).elidedText(name, Qt::ElideMiddle, box));
    paintTick(painter, tickRect(cell), ticked ? Qt::Checked : Qt::Unchecked);
    if (current) {
        painter.setPen(QPen(colors[Frame], 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(cell).adjusted(1, 1, -1, -1));
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

void PkReviewPainter::paintHeader(QPainter &painter, const QRect &rect, const PkReviewModel::Group &group,
                                  Qt::CheckState state) const
{
    const QRect tick(rect.left(), rect.center().y() - tickSize / 2, tickSize, tickSize);
    paintTick(painter, tick, state);
    const QString id = group.id.isEmpty() ? QStringLiteral("Without identifier") : group.id;
    const QString count = group.files.size() == 1 ? QStringLiteral("1 file")
                                                  : QStringLiteral("%1 files").arg(group.files.size());
    QRect text = rect.adjusted(tickSize + spacing, 0, 0, 0);
    painter.setFont(headerFont);
    const QFontMetrics metrics(headerFont);
    const QString parts[] = {id, QStringLiteral("   ") + count,
                             group.ambiguous ? QStringLiteral("   ambiguous: several pictures") : QString()};
    const QColor partColors[] = {colors[Text], colors[DimText], colors[Marker]};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(partColors[i]);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(parts[i], Qt::ElideMiddle, text.width()));
        text.setLeft(text.left() + metrics.horizontalAdvance(parts[i]));
    }
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
    painter.drawText(rect.adjusted(0, header.height(), 0, 0), Qt::TextWordWrap, notFoundText(ids));
}
