// SPDX-License-Identifier: MIT

#include "pkselectionreport.h"

#include "pkbutton.h"
#include "pkfoldertree.h"
#include "pkselectionexports.h"
#include "pwtools.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QSettings>
#include <QStringList>
#include <QTextDocument>

namespace {

const QString withoutExtensionsKey = QStringLiteral("matching/withoutExtensions");
const QString wholeNumbersKey = QStringLiteral("matching/wholeNumbers");
const QString nearMatchesKey = QStringLiteral("matching/nearMatches");
const QString subfoldersKey = QStringLiteral("matching/subfolders");
const QString flatKey = QStringLiteral("copying/flat");
const QString verifyKey = QStringLiteral("copying/verify");

// The first toolTipLimit items under a heading, then how many more there are.
QString listToolTip(const QString &heading, const QStringList &lines, const QString &separator, QChar beforeMore)
{
    if (lines.isEmpty())
        return {};
    const int limit = PkSelectionReport::toolTipLimit;
    QString text = heading + lines.mid(0, limit).join(separator);
    if (lines.size() > limit)
        text += beforeMore + QStringLiteral("and %1 more").arg(lines.size() - limit);
    return text;
}

} // namespace

PkSelectionReport::PkSelectionReport(PkButton *selectedTile, PkButton *toCopyTile, const PwTools &tools,
                                     QObject *parent)
    : QObject(parent)
    , selectedTile(selectedTile)
    , toCopyTile(toCopyTile)
    , markerColor(tools.getColor(QStringLiteral("marker")))
    , countColor(tools.getColor(QStringLiteral("gray7")))
    , noteColor(tools.getColor(QStringLiteral("gray8")))
{
    // A gallery's file names select the raw files too, and a typo or a
    // renamed copy still finds its picture, unless the user chose otherwise.
    withoutExtensionsAction = addOption(QStringLiteral("Match without extensions"), withoutExtensionsKey, true);
    wholeNumbersAction = addOption(QStringLiteral("Match whole numbers"), wholeNumbersKey, false);
    nearMatchesAction = addOption(QStringLiteral("Find near matches"), nearMatchesKey, true);
    copyAmbiguousAction = addCopyAction(selectedTile, QStringLiteral("Copy ambiguous identifiers"),
                                        &PkSelectionReport::ambiguousReport);
    copyNearAction = addCopyAction(selectedTile, QStringLiteral("Copy near matches"), &PkSelectionReport::nearReport);
    copyNotFoundAction = addCopyAction(toCopyTile, QStringLiteral("Copy identifiers not found"),
                                       &PkSelectionReport::notFoundReport);
    // So the user can check the names before pressing "Start".
    copyFileListAction = addCopyAction(toCopyTile, QStringLiteral("Copy file list"), &PkSelectionReport::fileListReport);
    exports = new PkSelectionExports(toCopyTile, this);
    selectedTile->setContextMenuPolicy(Qt::ActionsContextMenu);
    toCopyTile->setContextMenuPolicy(Qt::ActionsContextMenu);
    showOptions();
}

QAction *PkSelectionReport::addOption(const QString &text, const QString &key, bool on)
{
    auto *action = new QAction(text, selectedTile);
    action->setCheckable(true);
    action->setChecked(QSettings().value(key, on).toBool());
    connect(action, &QAction::toggled, this, [this, key](bool on) {
        QSettings().setValue(key, on);
        showOptions();
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

void PkSelectionReport::addFolderOptions(PkButton *tile)
{
    imagePathTile = tile;
    auto *menu = new QMenu(tile);
    auto *group = new QActionGroup(menu);
    const int chosen = QSettings().value(subfoldersKey, int(PkMatchOptions::Subfolders::WhenNoneHere)).toInt();
    for (const char *text : {"Never", "When the folder itself holds none of the pictures", "Always"}) {
        QAction *action = menu->addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        action->setChecked(subfolderActions.size() == chosen);
        group->addAction(action);
        subfolderActions.append(action);
        connect(action, &QAction::triggered, this, [this, choice = subfolderActions.size() - 1] {
            QSettings().setValue(subfoldersKey, int(choice));
            emit optionsChanged();
        });
    }
    // The default first, as menus list it.
    menu->insertAction(subfolderActions.first(), subfolderActions.at(1));
    auto *search = new QAction(QStringLiteral("Search sub-folders"), tile);
    search->setMenu(menu);
    tile->addAction(search);
    // Copies into one folder leave out names that two files share, which
    // the figures show; verifying changes no figure.
    addCopyingOption(tile, QStringLiteral("Copy into one folder"), flatKey, flatCopies(), true);
    addCopyingOption(tile, QStringLiteral("Verify copies"), verifyKey, verifyCopies(), false);
}

void PkSelectionReport::addCopyingOption(PkButton *tile, const QString &text, const QString &key, bool on,
                                         bool changesFigures)
{
    auto *action = new QAction(text, tile);
    action->setCheckable(true);
    action->setChecked(on);
    connect(action, &QAction::toggled, this, [this, key, changesFigures](bool on) {
        QSettings().setValue(key, on);
        if (changesFigures)
            emit optionsChanged();
    });
    tile->addAction(action);
}

bool PkSelectionReport::flatCopies()
{
    return QSettings().value(flatKey, false).toBool();
}

bool PkSelectionReport::verifyCopies()
{
    return QSettings().value(verifyKey, true).toBool();
}

PkMatchOptions PkSelectionReport::options() const
{
    PkMatchOptions options;
    for (qsizetype choice = 0; choice < subfolderActions.size(); ++choice) {
        if (subfolderActions.at(choice)->isChecked())
            options.subfolders = PkMatchOptions::Subfolders(choice);
    }
    options.withoutExtensions = withoutExtensionsAction->isChecked();
    options.wholeNumbers = wholeNumbersAction->isChecked();
    options.nearMatches = nearMatchesAction->isChecked();
    return options;
}

// The options in force, in the words of the footer; three of them fit its
// box only without spaces.
QString PkSelectionReport::optionsLine() const
{
    QStringList words;
    if (withoutExtensionsAction->isChecked())
        words << QStringLiteral("picture");
    if (wholeNumbersAction->isChecked())
        words << QStringLiteral("whole");
    if (nearMatchesAction->isChecked())
        words << QStringLiteral("near");
    if (words.isEmpty())
        return QStringLiteral("as written");
    if (words.size() == 1 && withoutExtensionsAction->isChecked())
        return QStringLiteral("by picture");
    return words.join(words.size() > 2 ? QStringLiteral("\u00b7") : QStringLiteral(" \u00b7 "));
}

// The footer names the options unless identifiers need a look.
void PkSelectionReport::showOptions()
{
    if (!ambiguousShown)
        selectedTile->setFooterText(optionsLine(), noteColor);
}

void PkSelectionReport::showMatch(const PkMatchResult &match, const PkLikeResult *like)
{
    exports->setMatch(match, like);
    selectedTile->setMainText(QString::number(match.idCount), countColor);
    // Identifiers that named no file, or too many pictures, are what the
    // photographer has to write back to the client about.
    QStringList ambiguousLines, ambiguousReportLines, nearLines, nearReportLines;
    for (const PkAmbiguousId &entry : match.ambiguous) {
        // Thousands of pictures sharing a long prefix would make lines of
        // megabytes each: each names the first ones and counts the rest.
        QString pictures = QStringList(entry.pictures.mid(0, toolTipLimit)).join(QStringLiteral(", "));
        if (entry.pictures.size() > toolTipLimit)
            pictures += QStringLiteral(" and %1 more").arg(entry.pictures.size() - toolTipLimit);
        ambiguousLines.append(entry.id + QStringLiteral(": ") + pictures);
        ambiguousReportLines.append(entry.id + QLatin1Char('\t') + pictures);
    }
    for (const PkNearMatch &entry : match.near) {
        nearLines.append(entry.id + QStringLiteral(": ") + entry.picture);
        nearReportLines.append(entry.id + QLatin1Char('\t') + entry.picture);
    }
    QStringList proseLines;
    for (const PkProseRead &prose : match.prose)
        proseLines.append(prose.shortLine() + QStringLiteral(": ") + QStringList(prose.picks).join(QStringLiteral(", ")));
    ambiguousReport = ambiguousReportLines.join(QLatin1Char('\n'));
    nearReport = nearReportLines.join(QLatin1Char('\n'));
    ambiguousShown = !match.ambiguous.isEmpty();
    if (ambiguousShown)
        selectedTile->setFooterText(QStringLiteral("%1 ambiguous").arg(match.ambiguous.size()), markerColor);
    showOptions();
    // The figure drops when the folder shows lines to be text, and grows when
    // a sentence holds several picks: the tooltip says why it changed.
    const QString counted = match.textLines.isEmpty() && match.prose.isEmpty()
        ? QString()
        : QStringLiteral("Counted as read: ranges as their numbers,\nsentences as their picks; text and blank lines not.");
    const QStringList parts{
        counted,
        listToolTip(QStringLiteral("Ambiguous:\n"), ambiguousLines, QStringLiteral("\n"), QLatin1Char('\n')),
        listToolTip(QStringLiteral("Found by a near match:\n"), nearLines, QStringLiteral("\n"), QLatin1Char('\n')),
        listToolTip(QStringLiteral("Read from a sentence:\n"), proseLines, QStringLiteral("\n"), QLatin1Char('\n')),
        listToolTip(QStringLiteral("Left out as text:\n"), match.textLines, QStringLiteral("\n"), QLatin1Char('\n'))};
    QStringList shown;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            shown.append(part);
    }
    selectedTile->setToolTip(plainToolTip(shown.join(QStringLiteral("\n\n"))));
    copyAmbiguousAction->setEnabled(!match.ambiguous.isEmpty());
    copyNearAction->setEnabled(!match.near.isEmpty());

    // A range's gaps are one miss, reported with the range.
    QStringList notFound = match.idsNotFound, gaps;
    for (const PkRangeRead &range : match.ranges) {
        const QString missing = range.id + QStringLiteral(": ") + QStringList(range.missing).join(QStringLiteral(", "))
            + QStringLiteral(" not in the folder");
        notFound.append(missing);
        gaps.append(missing);
    }
    notFoundReport = notFound.join(QLatin1Char('\n'));
    toCopyNote = notFound.isEmpty() ? QString() : QStringLiteral("%1 not found").arg(notFound.size());
    toCopyNoteColor = markerColor;
    if (toCopyNote.isEmpty() && !match.near.isEmpty()) {
        toCopyNote = QStringLiteral("%1 near").arg(match.near.size());
        toCopyNoteColor = noteColor;
    }
    showToCopyFooter();
    const QString notFoundTip =
        listToolTip(QStringLiteral("Not found: "), match.idsNotFound, QStringLiteral(", "), QLatin1Char(' '));
    const QString gapsTip = listToolTip(QStringLiteral("Ranges:\n"), gaps, QStringLiteral("\n"), QLatin1Char('\n'));
    QStringList notes;
    if (match.inSubfolders > 0)
        notes << QStringLiteral("%1 not found here %2 in sub-folders: see \"Search sub-folders\" in the picture folder's menu.")
                     .arg(match.inSubfolders == 1 ? QStringLiteral("1 identifier") : QStringLiteral("%1 identifiers").arg(match.inSubfolders),
                          match.inSubfolders == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    notes << listToolTip(match.unreadable.size() == 1 ? QStringLiteral("Cannot read 1 sub-folder: ")
                                                      : QStringLiteral("Cannot read %1 sub-folders:\n").arg(match.unreadable.size()),
                         match.unreadable, QStringLiteral("\n"), QLatin1Char('\n'))
          << listToolTip(QStringLiteral("Names that are not UTF-8, never matched (rename them):\n"), match.notUtf8,
                         QStringLiteral("\n"), QLatin1Char('\n'));
    notes.removeAll(QString());
    folderNotes = notes.join(QStringLiteral("\n\n"));
    showToCopyToolTip(notFoundTip.isEmpty() || gapsTip.isEmpty() ? notFoundTip + gapsTip
                                                                 : notFoundTip + QStringLiteral("\n\n") + gapsTip);
    copyNotFoundAction->setEnabled(!notFound.isEmpty());
    if (imagePathTile) {
        // The tile says where the pictures were found when that was not the folder alone.
        QString path = imagePathTile->getMainText();
        if (!imagePathSuffix.isEmpty() && path.endsWith(imagePathSuffix))
            path.chop(imagePathSuffix.size());
        imagePathSuffix = match.subfolders == 0 ? QString()
                        : match.subfolders == 1 ? QStringLiteral(" \u00b7 1 sub-folder")
                                                : QStringLiteral(" \u00b7 %1 sub-folders").arg(match.subfolders);
        imagePathTile->setMainText(path + imagePathSuffix, imagePathTile->getMainTextColor());
    }
}

// The match's own tip, then what the folder's tree adds, then the names
// that copies into one folder would share.
void PkSelectionReport::showToCopyToolTip(const QString &matchTip)
{
    matchToolTip = matchTip;
    QStringList parts{matchTip, folderNotes};
    if (flatCopies()) {
        QList<QString> files = filesToCopy;
        QStringList clashes;
        for (const PkFolderTree::Clash &clash : PkFolderTree::takeClashes(files))
            clashes << clash.name + QStringLiteral(": ") + clash.folders.join(QStringLiteral(", "));
        parts << listToolTip(QStringLiteral("Not copied, as copies into one folder would share their names:\n"), clashes,
                             QStringLiteral("\n"), QLatin1Char('\n'));
    }
    parts.removeAll(QString());
    toCopyTile->setToolTip(plainToolTip(parts.join(QStringLiteral("\n\n"))));
}

void PkSelectionReport::showFilesToCopy(const QList<QString> &files, qsizetype leftOut)
{
    filesToCopy = files;
    fileListReport = QStringList(files).join(QLatin1Char('\n'));
    copyFileListAction->setEnabled(!files.isEmpty());
    exports->setFilesToCopy(files);
    leftOutCount = leftOut;
    showToCopyFooter();
    // Only the clashes of copies into one folder change with the files.
    if (flatCopies())
        showToCopyToolTip(matchToolTip);
}

void PkSelectionReport::showPending()
{
    toCopyNote.clear();
    showToCopyFooter();
}

// Files left out in the review make the count differ from the match, so the
// footer says so, after what the match missed where the box has room for
// both; that stays in the tooltip and the review otherwise.
void PkSelectionReport::showToCopyFooter()
{
    if (leftOutCount <= 0)
        return toCopyTile->setFooterText(toCopyNote, toCopyNoteColor);
    const QString leftOut = QStringLiteral("%1 left out").arg(leftOutCount);
    const QString both = toCopyNote + QStringLiteral(" \u00b7 ") + leftOut;
    const bool fits = QFontMetricsF(toCopyTile->getFooterFont()).horizontalAdvance(both) <= toCopyTile->getFooterRect().width();
    if (!toCopyNote.isEmpty() && fits)
        toCopyTile->setFooterText(both, toCopyNoteColor);
    else
        toCopyTile->setFooterText(leftOut, noteColor);
}

QString PkSelectionReport::plainToolTip(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}
