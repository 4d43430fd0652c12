// SPDX-License-Identifier: MIT

#ifndef PKSELECTIONREPORT_H
#define PKSELECTIONREPORT_H

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

#include "pkselectionmatcher.h"

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

class PkButton;
struct PkLikeResult;
class PkSelectionExports;
class PwTools;

// What the two count tiles tell about a match beyond their numbers, and the
// matching options behind them. The Selected tile counts the identifiers
// after matching, names the options in force or counts the identifiers that
// selected more than one picture, lists the near matches and the lines left
// out as text, and offers the options; the To copy tile counts the
// identifiers that named nothing, or else those found by a near match.
// Footers, tooltips and the context actions that copy each report to the
// clipboard live here; those that hand the picks on to a catalogue or a
// spreadsheet are PkSelectionExports'.
class PkSelectionReport : public QObject
{
    Q_OBJECT

public:
    // Tooltips list this many identifiers, then say how many more there are.
    static constexpr int toolTipLimit = 20;

    PkSelectionReport(PkButton *selectedTile, PkButton *toCopyTile, const PwTools &tools, QObject *parent = nullptr);

    // The options as the user last set them; they are kept in the settings.
    PkMatchOptions options() const;

    // Offers, in the picture folder tile's menu, whether sub-folders are
    // searched and whether copies go into one folder; the tile then says
    // when sub-folders were matched.
    void addFolderOptions(PkButton *imagePathTile);
    // Whether every copy goes to the top of the output folder.
    static bool flatCopies();
    // Whether runs read each copy back before naming it; on by default.
    static bool verifyCopies();

    // like: example pictures were the identifiers, and found this.
    void showMatch(const PkMatchResult &match, const PkLikeResult *like = nullptr);
    // The files a run would copy now, which "Copy file list" gives: the
    // match's, less the leftOut ones the user left out in the review.
    void showFilesToCopy(const QList<QString> &files, qsizetype leftOut = 0);
    // A new match is under way: the footer of the last one is not its own.
    void showPending();

    // Qt guesses from a tooltip's text whether it is markup, so names and
    // identifiers that look like tags are escaped to show exactly as written.
    static QString plainToolTip(const QString &text);

signals:
    void optionsChanged();

private:
    void addCopyingOption(PkButton *tile, const QString &text, const QString &key, bool on, bool changesFigures);
    QAction *addOption(const QString &text, const QString &key, bool on);
    void showToCopyToolTip(const QString &matchTip);
    QString matchToolTip;
    QString optionsLine() const;
    void showOptions();
    void showToCopyFooter();
    QAction *addCopyAction(PkButton *tile, const QString &text, QString PkSelectionReport::*report);

    PkButton *selectedTile;
    PkButton *toCopyTile;
    QColor markerColor;
    QColor countColor;
    QColor noteColor;
    QAction *withoutExtensionsAction = nullptr;
    QAction *wholeNumbersAction = nullptr;
    QAction *nearMatchesAction = nullptr;
    QList<QAction *> subfolderActions; // never, when none here, always
    PkButton *imagePathTile = nullptr;
    QString imagePathSuffix; // what the tile's path was given for the last match
    QAction *copyAmbiguousAction = nullptr;
    QAction *copyNearAction = nullptr;
    QAction *copyNotFoundAction = nullptr;
    QAction *copyFileListAction = nullptr;
    PkSelectionExports *exports = nullptr;
    QString ambiguousReport;
    QString nearReport;
    bool ambiguousShown = false;
    QString notFoundReport;
    QString fileListReport;
    QList<QString> filesToCopy; // what fileListReport lists, for the clashes of copies into one folder
    QString toCopyNote; // what the match missed, or found only nearly
    QString folderNotes; // sub-folders: the hint, what could not be read, names not UTF-8
    QColor toCopyNoteColor;
    qsizetype leftOutCount = 0;
};

#endif // PKSELECTIONREPORT_H
