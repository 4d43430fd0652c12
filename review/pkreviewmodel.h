// SPDX-License-Identifier: MIT

#ifndef PKREVIEWMODEL_H
#define PKREVIEWMODEL_H

#include "pkreviewfilter.h"
#include "pkreviewselection.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

// The selection as the review groups it: identifiers, the pictures each
// selected (a tile per picture, or per file when asked), and which files stay
// ticked. Ticks belong to files; a tile or a group is ticked when all its
// files are.
class PkReviewModel : public QObject
{
    Q_OBJECT

public:
    struct Group
    {
        QString id; // empty for files no identifier was given for
        bool ambiguous = false;
        bool near = false;
        QString how; // how an example found its picture
        QString example; // the example picture's path, shown as the group's first tile
        bool notFound = false;
        bool header = true; // false where the one tile's caption says it all
        int pictures = 0;
        QList<int> files; // indexes into selection().files
        QList<int> tiles; // indexes into tiles()
    };
    struct Tile
    {
        int group = 0;
        QString name; // the picture's, or the file's when each file is shown
        QList<int> files; // pictures Qt reads first, then raw files, then the rest
        QString example; // the example picture's path; its tile has no files
        // The sub-folder the picture lies in, where another folder holds a
        // picture of the same name; empty for the picture folder's own.
        QString folder;
    };

    explicit PkReviewModel(QObject *parent = nullptr);

    // Every file is ticked but those named in leftOut.
    void setSelection(const PkReviewSelection &selection, const QSet<QString> &leftOut = {});
    const PkReviewSelection &selection() const { return current; }
    const QList<Group> &groups() const { return groupList; }
    const QList<Tile> &tiles() const { return tileList; }
    int tileOf(int file) const { return fileTiles.value(file, -1); }
    // The kinds of file a tile holds, as their extensions in upper case, each once.
    QStringList badges(int tile) const;
    QString path(int file) const;
    bool isExample(int tile) const { return !tileList.at(tile).example.isEmpty(); }
    // The files of each picture share a tile unless eachFile.
    void setEachFile(bool eachFile);
    bool eachFile() const { return perFile; }
    int pictureCount() const { return pictureTotal; }
    // Whether any tile names its sub-folder under its name.
    bool hasFolders() const { return anyFolder; }

    bool isTicked(int file) const { return ticks.value(file); }
    Qt::CheckState groupState(int group) const;
    Qt::CheckState tileState(int tile) const;
    void setTicked(int file, bool on);
    // Ticks every file of the group, or unticks them all when all are ticked.
    void toggleGroup(int group);
    void toggleTile(int tile);
    // Tiles first to last, in either order, all ticked or all unticked.
    void setTilesTicked(int first, int last, bool on);
    int tickedCount() const { return ticked; }
    // The unticked files, in the selection's order.
    QList<QString> leftOut() const;

    // Files found to be pictures that cannot be read, as the thumbnails come in.
    void setUnreadable(int file, bool unreadable);
    const QSet<int> &unreadable() const { return unreadableFiles; }

    // The photographer's judgement of file's picture, as its thumbnail
    // brought it; the tile of a picture with one its filter hides goes.
    void setJudgement(int file, const PkXmpPacket::Judgement &judgement);
    // A tile's picture's judgement, once a thumbnail of it brought one.
    const PkXmpPacket::Judgement *judgement(int tile) const;
    // Shows only the tiles whose pictures pass; the others keep their ticks
    // and are copied all the same.
    void setFilter(const PkReviewFilter &filter);
    const PkReviewFilter &filter() const { return shownFilter; }
    int hiddenCount() const { return hiddenPictures; }
    int rejectedCount() const;
    // Whether any picture has a rating, a rejection or a label.
    bool isJudged() const;
    // Per file, the sidecars of its picture, whose judgement its thumbnail brings.
    static QHash<QString, QStringList> sidecars(const PkReviewSelection &selection);
    // The colour labels the pictures have, sorted.
    QList<QString> labels() const;

signals:
    void judgementsChanged();
    void ticksChanged();
    void layoutChanged();
    void unreadableChanged();

private:
    void makeTiles();
    void keepFoldersOfRepeatedNames();
    Qt::CheckState stateOf(const QList<int> &files) const;
    void setAll(const QList<int> &files, bool on);

    void applyFilter();
    bool hides(int tile) const;
    QString pictureKey(int file) const;

    PkReviewSelection current;
    QList<Group> allGroups; // before the filter
    QList<Group> groupList;
    QList<Tile> tileList;
    QList<int> fileTiles;
    QList<bool> ticks;
    QSet<int> unreadableFiles;
    int ticked = 0;
    int pictureTotal = 0;
    bool anyFolder = false;
    bool perFile = false;
    QHash<int, PkXmpPacket::Judgement> judgements; // per file
    PkReviewFilter shownFilter;
    int hiddenPictures = 0;
};

#endif // PKREVIEWMODEL_H
