// SPDX-License-Identifier: MIT

#ifndef PKREVIEWVIEW_H
#define PKREVIEWVIEW_H

#include "pkreviewlayout.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QRect>
#include <QSet>

#include <utility>

class QMenu;
class PkReviewModel;
class PkReviewPainter;
class PkThumbnailLoader;

// The tiles, grouped under their identifiers in list order, with the
// identifiers not found at the end. It lays out and paints the tiles itself,
// so opening it on thousands of files costs no widget per file.
class PkReviewView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    PkReviewView(PkReviewModel *model, PkThumbnailLoader *loader, QWidget *parent = nullptr);
    ~PkReviewView() override;

    // Lays the groups out again after a new selection, size or width.
    void relayout();
    int currentTile() const { return currentIndex; }
    void setCurrentTile(int tile);
    // The first tile current and the sheet scrolled to its top, whatever
    // size the view has yet: it may not be shown.
    void showStart();
    // The first of a tile's files that is a picture, else its first file;
    // -1 for none and for an example's tile.
    int shownFile(int tile);
    // The file a tile shows, by its path: an example's own, or shownFile's.
    QString shownPath(int tile);
    // In the viewport's coordinates; empty for nothing laid out.
    QRect tileRect(int tile) const;
    QRect fileRect(int file) const;
    QRect tickRect(int tile) const;
    QRect groupTickRect(int group) const;
    // Scrolls a group's header, or the identifiers not found, to the top.
    void showGroup(int group);
    void showNotFound();
    // The menu of the tile or the list at point, for the caller to delete.
    QMenu *menuAt(QPoint point);

    // Shows paths afresh: their files were removed, renamed or put back.
    void refresh(const QList<QString> &paths);
    // The files to make thumbnails for: those shown and the next screen,
    // then any not yet seen, so that unreadable files are found. onScreen:
    // how many of the first list are on the screen now.
    std::pair<QList<QString>, QList<QString>> wantedPaths(qsizetype *onScreen = nullptr);
    void requestThumbnails();

signals:
    void openRequested(const QString &path);
    void previewRequested();
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    int tileAt(QPoint point) const;
    int headerAt(QPoint point) const;
    int offset() const;
    void moveTo(int tile);
    void moveVertically(int step);
    void ensureVisible(int tile);
    void takeThumbnail(const QString &path);
    QString toolTipAt(QPoint point);
    void paintTile(QPainter &painter, int tile);

    PkReviewModel *model;
    PkThumbnailLoader *loader;
    PkReviewPainter *painter;
    PkReviewLayout layout;
    QHash<QString, int> fileOfPath;
    QSet<QString> seen;
    int notFoundY = 0;
    int contentHeight = 0;
    int currentIndex = 0;
};

#endif // PKREVIEWVIEW_H
