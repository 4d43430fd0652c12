// SPDX-License-Identifier: MIT

#include "pkreviewsummary.h"

#include "pkreviewmodel.h"
#include "pwtools.h"

#include <QSet>

#include <algorithm>

namespace {

// A part wraps to the next line whole, never between its words.
QString link(const QString &part, const QString &text, const QString &color)
{
    return QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:none\">%3</a>")
            .arg(part, color, QString(text).replace(QLatin1Char(' '), QStringLiteral("&nbsp;")));
}

} // namespace

PkReviewSummary::PkReviewSummary(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(this, &QLabel::linkActivated, this, &PkReviewSummary::jumpRequested);
}

void PkReviewSummary::showCounts(const PkReviewModel &model)
{
    const PwTools tools;
    const QString marker = tools.getColor(QStringLiteral("marker")).name();
    const int files = int(model.selection().files.size());
    const int left = files - model.tickedCount();
    QString pictures = model.pictureCount() == 1 ? QStringLiteral("1 picture")
                                                 : QStringLiteral("%1 pictures").arg(model.pictureCount());
    // A job matched with its sub-folders says how many hold its files.
    QSet<QStringView> folders;
    for (const QString &file : model.selection().files)
        folders.insert(QStringView(file).first(std::max<qsizetype>(0, file.lastIndexOf(QLatin1Char('/')))));
    if (folders.size() > 1)
        pictures += QStringLiteral(" in %1 folders").arg(folders.size());
    QString copied = files == 1 ? QStringLiteral("1 file to copy") : QStringLiteral("%1 files to copy").arg(files);
    if (left > 0)
        copied = QStringLiteral("%1 of %2 files to copy, ").arg(files - left).arg(files)
                + link(leftOutPart, QStringLiteral("%1 left out").arg(left), tools.getColor(QStringLiteral("gray6")).name());
    QStringList parts = {pictures + QStringLiteral(", ") + copied};
    int near = 0, ambiguous = 0;
    for (const PkReviewModel::Group &group : model.groups()) {
        near += group.near ? 1 : 0;
        ambiguous += group.ambiguous ? 1 : 0;
    }
    const std::pair<QString, QString> looks[] = {
            {notFoundPart, QStringLiteral("%1 not found").arg(model.selection().idsNotFound.size())},
            {ambiguousPart, QStringLiteral("%1 ambiguous").arg(ambiguous)},
            {unreadablePart, QStringLiteral("%1 unreadable").arg(model.unreadable().size())},
            {nearPart, near == 1 ? QStringLiteral("1 near match") : QStringLiteral("%1 near matches").arg(near)},
            {rejectedPart, QStringLiteral("%1 rejected").arg(model.rejectedCount())},
            {hiddenPart, QStringLiteral("%1 hidden by the filter").arg(model.hiddenCount())}};
    for (const auto &[part, text] : looks) {
        if (!text.startsWith(QStringLiteral("0 ")))
            parts << link(part, text, marker);
    }
    setText(parts.join(QStringLiteral("&nbsp;&nbsp;&middot;&nbsp; ")));
}
