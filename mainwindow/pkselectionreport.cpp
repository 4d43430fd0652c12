// SPDX-License-Identifier: MIT

#include "pkselectionreport.h"

#include "pkbutton.h"
#include "pwtools.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QSettings>
#include <QStringList>
#include <QTextDocument>

namespace {

const QString withoutExtensionsKey = QStringLiteral("matching/withoutExtensions");
const QString wholeNumbersKey = QStringLiteral("matching/wholeNumbers");

// The first toolTipLimit items under a heading, then how many more there are.
QString listToolTip(const QString &heading, const QStringList &lines, const QString &separator, QChar beforeMore)
{
    if (lines.isEmpty())
        return {};
    const int limit = PkSelectionReport::toolTipLimit;
    QString text = heading + lines.mid(0, limit).join(separator);
    if (lines.size() > limit)
        text += beforeMore + QStringLiteral("and %1 more").arg(lines.size() - limit);
    return PkSelectionReport::plainToolTip(text);
}

} // namespace

PkSelectionReport::PkSelectionReport(PkButton *selectedTile, PkButton *toCopyTile, const PwTools &tools,
                                     QObject *parent)
    : QObject(parent)
    , selectedTile(selectedTile)
    , toCopyTile(toCopyTile)
    , markerColor(tools.getColor(QStringLiteral("marker")))
{
    withoutExtensionsAction = addOption(QStringLiteral("Match without extensions"), withoutExtensionsKey);
    wholeNumbersAction = addOption(QStringLiteral("Match whole numbers"), wholeNumbersKey);
    copyAmbiguousAction = addCopyAction(selectedTile, QStringLiteral("Copy ambiguous identifiers"),
                                        &PkSelectionReport::ambiguousReport);
    copyNotFoundAction = addCopyAction(toCopyTile, QStringLiteral("Copy identifiers not found"),
                                       &PkSelectionReport::notFoundReport);
    // So the user can check the names before pressing "Start".
    copyFileListAction = addCopyAction(toCopyTile, QStringLiteral("Copy file list"), &PkSelectionReport::fileListReport);
    selectedTile->setContextMenuPolicy(Qt::ActionsContextMenu);
    toCopyTile->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction *PkSelectionReport::addOption(const QString &text, const QString &key)
{
    auto *action = new QAction(text, selectedTile);
    action->setCheckable(true);
    action->setChecked(QSettings().value(key, false).toBool());
    connect(action, &QAction::toggled, this, [this, key](bool on) {
        QSettings().setValue(key, on);
        emit optionsChanged();
    });
    selectedTile->addAction(action);
    return action;
}

QAction *PkSelectionReport::addCopyAction(PkButton *tile, const QString &text, QString PkSelectionReport::*report)
{
    auto *action = new QAction(text, tile);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this,
            [this, report] { QGuiApplication::clipboard()->setText(this->*report); });
    tile->addAction(action);
    return action;
}

PkMatchOptions PkSelectionReport::options() const
{
    PkMatchOptions options;
    options.withoutExtensions = withoutExtensionsAction->isChecked();
    options.wholeNumbers = wholeNumbersAction->isChecked();
    return options;
}

void PkSelectionReport::showMatch(const PkMatchResult &match)
{
    // Identifiers that named no file, or too many pictures, are what the
    // photographer has to write back to the client about.
    QStringList ambiguousLines, ambiguousReportLines;
    for (const PkAmbiguousId &entry : match.ambiguous) {
        const QString pictures = QStringList(entry.pictures).join(QStringLiteral(", "));
        ambiguousLines.append(entry.id + QStringLiteral(": ") + pictures);
        ambiguousReportLines.append(entry.id + QLatin1Char('\t') + pictures);
    }
    ambiguousReport = ambiguousReportLines.join(QLatin1Char('\n'));
    selectedTile->setFooterText(match.ambiguous.isEmpty() ? QString()
                                    : QStringLiteral("%1 ambiguous").arg(match.ambiguous.size()), markerColor);
    selectedTile->setToolTip(listToolTip(QStringLiteral("Ambiguous:\n"), ambiguousLines, QStringLiteral("\n"), QLatin1Char('\n')));
    copyAmbiguousAction->setEnabled(!match.ambiguous.isEmpty());

    notFoundReport = QStringList(match.idsNotFound).join(QLatin1Char('\n'));
    toCopyTile->setFooterText(match.idsNotFound.isEmpty() ? QString()
                                  : QStringLiteral("%1 not found").arg(match.idsNotFound.size()), markerColor);
    toCopyTile->setToolTip(listToolTip(QStringLiteral("Not found: "), match.idsNotFound, QStringLiteral(", "), QLatin1Char(' ')));
    copyNotFoundAction->setEnabled(!match.idsNotFound.isEmpty());
}

void PkSelectionReport::showFilesToCopy(const QList<QString> &files)
{
    fileListReport = QStringList(files).join(QLatin1Char('\n'));
    copyFileListAction->setEnabled(!files.isEmpty());
}

QString PkSelectionReport::plainToolTip(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}
