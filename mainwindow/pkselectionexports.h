// SPDX-License-Identifier: MIT

#ifndef PKSELECTIONEXPORTS_H
#define PKSELECTIONEXPORTS_H

#include <QList>
#include <QObject>
#include <QString>

#include "pkcataloguefilter.h"
#include "pklikejob.h"
#include "pkselectionmatcher.h"

#include <optional>

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

class PkButton;

// The To copy tile's context actions that hand the picks on: their file
// names as a catalogue's text filter on the clipboard, a smart collection
// for the catalogue, and the match shown as a spreadsheet report.
class PkSelectionExports : public QObject
{
    Q_OBJECT

public:
    explicit PkSelectionExports(PkButton *toCopyTile, QObject *parent = nullptr);

    // The match shown; like where example pictures were its identifiers.
    void setMatch(const PkMatchResult &match, const PkLikeResult *like);
    // What a run would copy now: the match's files less those left out in
    // the review. The filter and the smart collection name these.
    void setFilesToCopy(const QList<QString> &files);

    // What the save actions write once their dialog has a path; each tells
    // the user why it could not, and returns whether it did.
    bool saveReport(const QString &path);
    bool saveSmartCollection(const QString &path);

private:
    QAction *addAction(const QString &text);
    void copyFilter(PkCatalogueFilter::Join join);
    void choosePath(const QString &title, const QString &suffix, bool (PkSelectionExports::*save)(const QString &));
    bool save(const QString &path, const QByteArray &bytes);

    PkButton *tile;
    PkMatchResult match;
    std::optional<QList<PkNearMatch>> examples; // the picture each example found
    QList<QString> filesToCopy;
    QList<QAction *> fileActions; // the filters and the smart collection, which need files
    QAction *reportAction = nullptr;
};

#endif // PKSELECTIONEXPORTS_H
