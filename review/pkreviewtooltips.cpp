// SPDX-License-Identifier: MIT

#include "pkreviewtooltips.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkthumbnailloader.h"
#include "pwtools.h"

#include <QFileInfo>
#include <QLocale>

namespace {

QString richText(const QStringList &lines)
{
    QStringList escaped;
    for (const QString &line : lines)
        escaped << line.toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">") + escaped.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

} // namespace

QString PkReviewToolTips::group(const PkReviewModel &model, int group)
{
    const PkReviewModel::Group &g = model.groups().at(group);
    QStringList lines = {PkReviewPainter::headerParts(g, model.groupState(group)).join(QStringLiteral("  "))};
    const QList<QString> pictures = model.selection().ambiguous.value(g.id);
    if (!pictures.isEmpty())
        lines << QStringLiteral("Selects files of %1 pictures: %2").arg(pictures.size()).arg(QStringList(pictures).join(QStringLiteral(", ")));
    if (g.near)
        lines << QStringLiteral("Found by a near match: ") + model.selection().near.value(g.id);
    return richText(lines);
}

// Each file with its size, when it was taken and why it cannot be shown.
QString PkReviewToolTips::tile(const PkReviewModel &model, PkThumbnailLoader &loader, int tile)
{
    const PkReviewModel::Tile &t = model.tiles().at(tile);
    QStringList paths, lines;
    if (model.isExample(tile)) {
        paths << t.example;
        lines << QStringLiteral("The client's example, not copied: ") + QFileInfo(t.example).absolutePath();
    }
    for (int file : t.files)
        paths << model.path(file);
    for (const QString &path : std::as_const(paths)) {
        const PkThumbnail *thumbnail = loader.thumbnail(path);
        QString line = QFileInfo(path).fileName();
        if (thumbnail && thumbnail->bytes >= 0)
            line += QStringLiteral("  ") + PwTools::dataSize(thumbnail->bytes);
        lines << line;
        if (thumbnail && thumbnail->taken.isValid())
            lines << QStringLiteral("Taken ") + QLocale().toString(thumbnail->taken, QLocale::ShortFormat);
        if (thumbnail && thumbnail->kind == PkThumbnail::Kind::Broken)
            lines << thumbnail->reason;
    }
    return richText(lines);
}
