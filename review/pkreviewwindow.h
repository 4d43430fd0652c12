// SPDX-License-Identifier: MIT

#ifndef PKREVIEWWINDOW_H
#define PKREVIEWWINDOW_H

#include "pkreviewselection.h"

#include <QSet>
#include <QWidget>

class QCheckBox;
class QSlider;
class QStackedWidget;
class PkFolderWatch;
class PkReviewFilterBox;
class PkReviewModel;
class PkReviewPreview;
class PkReviewSummary;
class PkReviewView;
class PkThumbnailLoader;

// "Review selection": the pictures to copy as a contact sheet, each with a
// tick that keeps its files in the run, and one picture at a time filling
// the window. A window of its own beside the main one, which remembers its
// size and place.
class PkReviewWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int smallest = 96;
    static constexpr int largest = 320;
    static constexpr int defaultSize = 128;
    static constexpr int sizeStep = 16;

    explicit PkReviewWindow(QWidget *parent = nullptr);
    ~PkReviewWindow() override;

    // Shows a selection with every file ticked but those left out.
    void setSelection(const PkReviewSelection &selection, const QSet<QString> &leftOut = {});
    PkReviewModel *model() const { return reviewModel; }
    PkReviewView *view() const { return reviewView; }
    PkReviewPreview *preview() const { return reviewPreview; }
    PkReviewSummary *summary() const { return summaryLine; }
    PkThumbnailLoader *loader() const { return thumbnailLoader; }
    QSlider *sizeSlider() const { return slider; }
    PkReviewFilterBox *filter() const { return filterBox; }
    bool isPreviewing() const;
    // Scrolls to the group of the identifier id, its first tile current.
    void showGroupOf(const QString &id);

signals:
    void leftOutChanged(const QList<QString> &files);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void setUpBar();
    void setUpKeys();
    void setUpLook();
    void setThumbnailSize(int size);
    void jumpTo(const QString &part);
    void showPreview();
    void showPreviewTile();
    void closePreview();
    void openFile(const QString &path);
    void takeListing(const QSet<QString> &names);

    PkReviewModel *reviewModel;
    PkThumbnailLoader *thumbnailLoader;
    PkReviewView *reviewView;
    PkReviewPreview *reviewPreview;
    QStackedWidget *pages;
    QWidget *bar;
    PkReviewSummary *summaryLine;
    PkReviewFilterBox *filterBox;
    QCheckBox *eachFile;
    QSlider *slider;
    PkFolderWatch *folderWatch;
    QSet<int> goneFiles; // removed or renamed since the match
};

#endif // PKREVIEWWINDOW_H
