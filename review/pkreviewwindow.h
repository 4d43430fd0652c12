// SPDX-License-Identifier: MIT

#ifndef PKREVIEWWINDOW_H
#define PKREVIEWWINDOW_H

#include "pkreviewselection.h"

#include <QWidget>

class QLabel;
class QSlider;
class PkReviewModel;
class PkReviewView;
class PkThumbnailLoader;

// "Review selection": the files to copy as thumbnails, each with a tick that
// keeps it in the run. A window of its own beside the main one, which
// remembers its size and place.
class PkReviewWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int smallest = 160;
    static constexpr int largest = 256;

    explicit PkReviewWindow(QWidget *parent = nullptr);
    ~PkReviewWindow() override;

    // Shows a new selection with every file ticked.
    void setSelection(const PkReviewSelection &selection);
    PkReviewModel *model() const { return reviewModel; }
    PkReviewView *view() const { return reviewView; }
    PkThumbnailLoader *loader() const { return thumbnailLoader; }
    QSlider *sizeSlider() const { return slider; }

signals:
    void leftOutChanged(const QList<QString> &files);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void setUpLook();
    void setThumbnailSize(int size);
    void showSummary();
    void openFile(const QString &path);

    PkReviewModel *reviewModel;
    PkThumbnailLoader *thumbnailLoader;
    PkReviewView *reviewView;
    QLabel *summary;
    QSlider *slider;
};

#endif // PKREVIEWWINDOW_H
