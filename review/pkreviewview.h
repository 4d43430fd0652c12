// SPDX-License-Identifier: MIT

#ifndef PKREVIEWVIEW_H
#define PKREVIEWVIEW_H

#include <QAbstractScrollArea>
#include <QList>
#include <QRect>

class PkReviewModel;
class PkReviewPainter;
class PkThumbnailLoader;

// The thumbnails, grouped under their identifiers in list order, with the
// identifiers not found at the end. It lays out and paints only rows, so
// opening it on thousands of files costs no widget per file.
class PkReviewView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    PkReviewView(PkReviewModel *model, PkThumbnailLoader *loader, QWidget *parent = nullptr);
    ~PkReviewView() override;

    // Lays the groups out again after a new selection or thumbnail size.
    void relayout();
    int currentFile() const { return order.value(currentPosition, -1); }
    void setCurrentFile(int file);
    // In the viewport's coordinates; empty for a file not laid out.
    QRect fileRect(int file) const;
    QRect tickRect(int file) const;
    QRect groupTickRect(int group) const;
    // The files to make thumbnails for: those shown, then the next screen.
    QList<QString> wantedPaths() const;

signals:
    void openRequested(const QString &path);
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    struct Row
    {
        int group = 0;
        int first = 0; // position of the row's first file; -1 for a group's header
        int count = 0;
        int y = 0;
        int height = 0;
    };

    int cellWidth() const;
    int cellHeight() const;
    int firstRowAt(int y) const;
    QRect cellRect(int position) const; // in content coordinates
    int positionAt(QPoint point) const;
    int groupHeaderAt(QPoint point) const;
    void movePosition(int position);
    void moveVertically(int rows);
    void ensureVisible(int position);
    void requestThumbnails();
    QString toolTipAt(QPoint point) const;
    void paintRow(QPainter &painter, const Row &row);

    PkReviewModel *model;
    PkThumbnailLoader *loader;
    PkReviewPainter *painter;
    QList<Row> rows;
    QList<int> order;        // position -> file
    QList<int> positionRow;  // position -> row
    int notFoundY = 0;
    int contentHeight = 0;
    int columns = 1;
    int currentPosition = 0;
};

#endif // PKREVIEWVIEW_H
