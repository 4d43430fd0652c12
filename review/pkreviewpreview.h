// SPDX-License-Identifier: MIT

#ifndef PKREVIEWPREVIEW_H
#define PKREVIEWPREVIEW_H

#include "pkthumbnail.h"

#include <QStringList>
#include <QWidget>

class PkPreviewLoader;
class PkReviewPainter;

// One picture filling the window, decoded at the window's size, with its
// name, its files' kinds and its tick along the bottom.
class PkReviewPreview : public QWidget
{
    Q_OBJECT

public:
    explicit PkReviewPreview(QWidget *parent = nullptr);
    ~PkReviewPreview() override;

    // where: the picture's place among all and the keys that act on it;
    // thumbnail, if any, stands in until the large picture is decoded.
    void showPicture(const QString &path, const QString &caption, const QStringList &badges, const QString &where,
                     const PkThumbnail *thumbnail);
    // An example is shown without a tick: it is never copied.
    void setState(Qt::CheckState state, bool tickable = true);
    QString path() const { return shownPath; }
    QString where() const { return place; }
    bool hasPicture() const { return !standIn && !picture.image.isNull(); }
    QRect tickRect() const; // empty where there is no tick

signals:
    void stepRequested(int step);
    void tickRequested();
    void openRequested(const QString &path);
    void closeRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int box() const;
    QRect barRect() const;
    QRect headerRect() const;

    PkPreviewLoader *loader;
    PkReviewPainter *painter;
    QString shownPath;
    QString caption;
    QStringList badges;
    QString place;
    PkThumbnail picture;
    int loadedBox = 0;
    bool standIn = false;
    Qt::CheckState state = Qt::Checked;
    bool tickable = true;
};

#endif // PKREVIEWPREVIEW_H
